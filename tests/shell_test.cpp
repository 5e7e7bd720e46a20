// The hand-over to the desktop: the real QtShell against stand-ins for
// xdg-mime and xdg-open on PATH that record how they were called.
#include "app/ui/QtShell.h"
#include "core/Text.h"
#include "services/AccountServices.h"
#include "support/Fakes.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

// A folder of stand-in programs that becomes PATH for the test's lifetime.
class Desktop {
  public:
    // `mailHandler`: what `xdg-mime query default x-scheme-handler/mailto` prints.
    Desktop(const std::string& mailHandler, bool xdgUtils) : oldPath_(std::getenv("PATH")) {
        const fs::path bin = temp_.path() / "bin";
        fs::create_directory(bin);
        if (xdgUtils) {
            script(bin / "xdg-mime", "[ \"$1 $2 $3\" = 'query default x-scheme-handler/mailto' ] && echo '" +
                                         mailHandler + "'\nexit 0\n");
            // Written aside and moved, so the test never reads half a record.
            const std::string record = (temp_.path() / "opened").string();
            script(bin / "xdg-open", "printf '%s\\n' \"$#\" \"$@\" > '" + record + ".part'\n/bin/mv '" +
                                         record + ".part' '" + record + "'\n");
        }
        ::setenv("PATH", bin.c_str(), 1);
    }
    ~Desktop() { ::setenv("PATH", oldPath_.c_str(), 1); }

    // What xdg-open was given: the argument count, then each argument, a line each; "" when not run.
    std::string opened(std::chrono::milliseconds wait) const {
        const fs::path record = temp_.path() / "opened";
        for (const auto until = std::chrono::steady_clock::now() + wait;
             !fs::exists(record) && std::chrono::steady_clock::now() < until;)
            std::this_thread::sleep_for(20ms);
        std::ifstream in(record);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

  private:
    static void script(const fs::path& path, const std::string& body) {
        std::ofstream(path) << "#!/bin/sh\n" << body;
        fs::permissions(path, fs::perms::owner_all);
    }

    TempDir temp_;
    std::string oldPath_;
};

} // namespace

TEST(Feedback, MailGoesToTheMailProgramWithTheAddressPartOnly) {
    struct Case {
        const char16_t* email;
        std::string address; // as xdg-open receives it
    };
    const Case cases[] = {
        {u"care@ringlark.example", "mailto:care@ringlark.example?subject=PC Ringlark Feedback"},
        {u"", "mailto:?subject=PC Ringlark Feedback"},
        {u"care+pc@ringlark.example", "mailto:care+pc@ringlark.example?subject=PC Ringlark Feedback"},
        {u"a@b.c?attach=/etc/passwd&cc=x@y.z", "mailto:a@b.c?subject=PC Ringlark Feedback"},
        {u"a@b.c#body=x", "mailto:a@b.c?subject=PC Ringlark Feedback"},
        {u"a@b.c,x@y.z", "mailto:a@b.c%2Cx@y.z?subject=PC Ringlark Feedback"},
        {u"a@b.c&body=hi", "mailto:a@b.c%26body%3Dhi?subject=PC Ringlark Feedback"},
        {u"a b@c\n%0A", "mailto:a%20b@c%0A%250A?subject=PC Ringlark Feedback"},
    };
    for (const auto& c : cases) {
        Desktop desktop("mail.desktop", true);
        QtShell shell;
        FakeView view;
        SendFeedback(shell, view, c.email);
        EXPECT_EQ(desktop.opened(5s), "1\n" + c.address + "\n") << toUtf8(c.email);
        EXPECT_TRUE(view.messages.empty()) << toUtf8(c.email);
    }
}

TEST(Feedback, SaysSoWhenNoMailProgramTakesTheAddress) {
    struct Case {
        const char* what;
        std::string mailHandler;
        bool xdgUtils;
    };
    const Case cases[] = {
        {"no program registered for mailto", "", true},
        {"no xdg-utils at all", "", false},
    };
    for (const auto& c : cases) {
        Desktop desktop(c.mailHandler, c.xdgUtils);
        QtShell shell;
        FakeView view;
        SendFeedback(shell, view, u"care@ringlark.example");
        ASSERT_EQ(view.messages.size(), 1u) << c.what;
        EXPECT_EQ(view.messages[0].text, u"Outlook is not configured on your system") << c.what;
        EXPECT_EQ(desktop.opened(500ms), "") << c.what;
    }
}

TEST(QtShell, WebPagesGoToXdgOpenWithoutAskingForAHandler) {
    Desktop desktop("", true); // xdg-open has browser fallbacks of its own
    QtShell shell;
    EXPECT_TRUE(shell.open("http://127.0.0.1:8080/NewUserSignUp.jsp?groupId=Kestrelcard"));
    EXPECT_EQ(desktop.opened(5s), "1\nhttp://127.0.0.1:8080/NewUserSignUp.jsp?groupId=Kestrelcard\n");
}

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv); // QProcess wants one
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
