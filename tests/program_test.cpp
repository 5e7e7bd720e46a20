// The real program, started as a user would start it (offscreen, with its
// own data, config and runtime folders).
#include "addressbook/CallLog.h"
#include "addressbook/ContactStore.h"
#include "platform/DataFolder.h"
#include "settings/SettingsFiles.h"
#include "support/Fakes.h"
#include "support/Peers.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <regex>
#include <thread>

extern char** environ;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

struct Program : testing::Test {
    TempDir home;
    fs::path data = home.path() / "data";
    fs::path runtime = home.path() / "runtime";
    fs::path messages = home.path() / "messages";
    fs::path lockFile = runtime / "Ringlark 1.0.6.lock";

    std::vector<pid_t> started;

    // A program that failed its test may still be running (frozen, say): it goes too.
    void TearDown() override {
        for (pid_t pid : started)
            if (::kill(pid, SIGKILL) == 0)
                ::waitpid(pid, nullptr, 0);
    }

    void SetUp() override {
        fs::create_directories(runtime);
        fs::permissions(runtime, fs::perms::owner_all);
        // No operator unless a test starts one: the services' port is closed.
        fs::create_directories(home.path() / "config" / "ringlark");
        std::ofstream(home.path() / "config" / "ringlark" / "operator.conf")
            << "[services]\nprovisioning_url = http://127.0.0.1:" << freeUdpPort() << "/\n";
    }

    std::string display; // an X display to show the windows on; offscreen when empty

    pid_t start(const fs::path& output) {
        std::vector<std::string> env = {
            display.empty() ? "QT_QPA_PLATFORM=offscreen" : "QT_QPA_PLATFORM=xcb",
            "DISPLAY=" + display,
            "HOME=" + home.str(),
            "XDG_DATA_HOME=" + data.string(),
            "XDG_CONFIG_HOME=" + (home.path() / "config").string(),
            "XDG_RUNTIME_DIR=" + runtime.string(),
            "RINGLARK_TEST_MESSAGES=" + messages.string(),
        };
        for (const char* passed : {"LSAN_OPTIONS", "ASAN_OPTIONS", "UBSAN_OPTIONS"})
            if (const char* value = std::getenv(passed))
                env.push_back(std::string(passed) + "=" + value);
        std::vector<char*> envp;
        for (auto& entry : env)
            envp.push_back(entry.data());
        envp.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        std::string program = RINGLARK_PROGRAM;
        char* argv[] = {program.data(), nullptr};
        pid_t pid = -1;
        EXPECT_EQ(posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, envp.data()), 0);
        posix_spawn_file_actions_destroy(&actions);
        started.push_back(pid);
        return pid;
    }

    // The exit status, or -1 when the process did not end in time.
    int waitFor(pid_t pid, std::chrono::milliseconds limit) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < deadline) {
            int status = 0;
            if (::waitpid(pid, &status, WNOHANG) == pid) {
                std::erase(started, pid); // reaped: its number may be reused
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(20ms);
        }
        return -1;
    }

    bool lockIsHeld() const {
        const int fd = ::open(lockFile.c_str(), O_RDWR | O_CLOEXEC);
        if (fd < 0)
            return false;
        const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
        ::close(fd);
        return held;
    }

    bool waitUntilLocked(std::chrono::milliseconds limit) const {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < deadline) {
            if (lockIsHeld())
                return true;
            std::this_thread::sleep_for(20ms);
        }
        return false;
    }

    std::vector<std::string> messageLines() const {
        std::ifstream in(messages);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }
};

std::string contentOf(const fs::path& path) {
    std::ifstream in(path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

TEST_F(Program, SecondStartEndsAtOnceWhileTheFirstKeepsRunning) {
    const pid_t first = start(home.path() / "first.out");
    ASSERT_TRUE(waitUntilLocked(10s)) << "the first copy never took the lock";
    const auto messagesBefore = messageLines();

    const pid_t second = start(home.path() / "second.out");
    EXPECT_EQ(waitFor(second, 10s), 0);
    EXPECT_EQ(contentOf(home.path() / "second.out"), "");
    EXPECT_EQ(messageLines(), messagesBefore) << "the second copy showed nothing";

    EXPECT_EQ(waitFor(first, 200ms), -1) << "the first copy is still running";
    ::kill(first, SIGTERM);
    EXPECT_EQ(waitFor(first, 10s), 0) << "a terminated copy ends cleanly";
    EXPECT_FALSE(lockIsHeld());
}

TEST_F(Program, SavedLoginThatCannotRegisterClosesAndClearsTheFlag) {
    DataFolder folder((data / "Ringlark").string());
    ASSERT_TRUE(folder.ensureFolder());
    ASSERT_TRUE(folder.save(AccountFileName, AccountSettings{1, u"ann", u"pw"}.write(), true));

    const pid_t program = start(home.path() / "out");
    EXPECT_EQ(waitFor(program, 20s), 0);
    const auto saved = AccountSettings::read(*folder.read(AccountFileName)).record;
    EXPECT_EQ(saved.savePassword, 0);
    EXPECT_EQ(saved.userName, u"ann");
    EXPECT_EQ(saved.password, u"pw");
}

TEST_F(Program, DataFolderThatCannotBeMadeEndsWithTheMessage) {
    writeFile(data, {1}); // a file stands where the data folder's parent should be
    const pid_t program = start(home.path() / "out");
    EXPECT_NE(waitFor(program, 10s), -1);
    EXPECT_EQ(contentOf(home.path() / "out"), "CreateDirectory failed (20)\n");
    EXPECT_TRUE(messageLines().empty());
}

// The whole dialer against the operator simulator and a kamailio registrar.
namespace {

struct WithOperator : Program {
    int provisioningPort = freeUdpPort(); // also free for TCP, as good as any
    int webPort = freeUdpPort();
    int registrarPort = freeUdpPort();
    std::unique_ptr<Process> simulator, registrar;
    fs::path simulatorLog = home.path() / "operator.log";

    // Provisioning values the simulator hands out in place of its own.
    std::vector<std::pair<std::string, std::string>> provisioning;
    std::vector<StaticRoute> routes; // numbers the registrar hands to peers

    void startServices(const std::string& sipPassword) {
        std::string config = std::string(readText(fs::path(SIMULATOR_CONFIG)));
        auto set = [&](const std::string& key, const std::string& value) {
            const auto at = config.find("\n" + key + " = ");
            ASSERT_NE(at, std::string::npos) << key;
            const auto end = config.find('\n', at + 1);
            config.replace(at + 1, end - at - 1, key + " = " + value);
        };
        set("provisioning_port", std::to_string(provisioningPort));
        set("web_port", std::to_string(webPort));
        set("registrarip", "127.0.0.1:" + std::to_string(registrarPort));
        set("myaccounts", "http://127.0.0.1:" + std::to_string(webPort) + "/cdr?user=u1s1er");
        for (const auto& [key, value] : provisioning)
            set(key, value);
        std::ofstream(home.path() / "operator-sim.conf") << config;
        simulator = std::make_unique<Process>(
            std::vector<std::string>{SIMULATOR, "--config", (home.path() / "operator-sim.conf").string()},
            simulatorLog);
        registrar = startKamailio(home.path(), registrarPort, sipPassword, routes);
        ASSERT_TRUE(registrar->running()) << readText(home.path() / "kamailio.out");
        ASSERT_TRUE(
            waitForLine(simulatorLog,
                        "ringlark-operator: provisioning on 127.0.0.1:" + std::to_string(provisioningPort) +
                            ", web pages on 127.0.0.1:" + std::to_string(webPort),
                        5s))
            << readText(simulatorLog);
        std::ofstream(home.path() / "config" / "ringlark" / "operator.conf")
            << "[services]\nprovisioning_url = http://127.0.0.1:" << provisioningPort << "/\n";
    }

    void saveLogin(int savePassword, const std::u16string& user, const std::u16string& password) {
        DataFolder folder((data / "Ringlark").string());
        ASSERT_TRUE(folder.ensureFolder());
        ASSERT_TRUE(
            folder.save(AccountFileName, AccountSettings{savePassword, user, password}.write(), true));
    }

    AccountSettings savedLogin() {
        DataFolder folder((data / "Ringlark").string());
        return AccountSettings::read(folder.read(AccountFileName).value_or(Bytes{})).record;
    }
};

} // namespace

TEST_F(WithOperator, SavedLoginProvisionsRegistersAndSurvivesLogOut) {
    startServices("demo");
    saveLogin(1, u"demo", u"demo");
    const pid_t dialer = start(home.path() / "dialer.out");
    // Up, provisioned, registered within its two seconds, balance and records asked for.
    EXPECT_TRUE(waitForLine(simulatorLog, "GET /cdr 127.0.0.1 -> 200 call records of demo", 15s))
        << readText(simulatorLog);
    EXPECT_NE(readText(simulatorLog).find("-> 200 login from "), std::string::npos);
    EXPECT_TRUE(waitForLine(simulatorLog, "POST / 127.0.0.1 -> 200 balance of demo", 10s));
    EXPECT_EQ(waitFor(dialer, 3s), -1) << "still running after the two-second check";

    ::kill(dialer, SIGTERM);
    EXPECT_EQ(waitFor(dialer, 10s), 0);
    EXPECT_EQ(savedLogin().savePassword, 1) << "the log-out kept the saved login";
    EXPECT_TRUE(fs::exists(data / "Ringlark" / "engine.log"));
}

TEST_F(WithOperator, SavedLoginWithAWrongPasswordAsksAgainNextTime) {
    startServices("demo");
    saveLogin(1, u"demo", u"not-the-password");
    const pid_t dialer = start(home.path() / "dialer.out");
    EXPECT_EQ(waitFor(dialer, 15s), 0) << readText(home.path() / "dialer.out");
    const auto saved = savedLogin();
    EXPECT_EQ(saved.savePassword, 0);
    EXPECT_EQ(saved.password, u"not-the-password");
}

TEST_F(WithOperator, HangUpOfTheTerminalSavesLikeALogOut) {
    startServices("demo");
    saveLogin(1, u"demo", u"demo");
    const pid_t dialer = start(home.path() / "dialer.out");
    ASSERT_TRUE(waitForLine(simulatorLog, "POST / 127.0.0.1 -> 200 balance of demo", 15s));
    fs::remove(data / "Ringlark" / AccountFileName); // only the exit sequence writes it again
    ::kill(dialer, SIGHUP);
    EXPECT_EQ(waitFor(dialer, 10s), 0);
    EXPECT_EQ(savedLogin().savePassword, 1);
    EXPECT_EQ(savedLogin().userName, u"demo");
}

TEST_F(WithOperator, TerminationLeavesAnEmptyCallLog) {
    startServices("demo");
    saveLogin(1, u"demo", u"demo");
    const pid_t dialer = start(home.path() / "dialer.out");
    ASSERT_TRUE(waitForLine(simulatorLog, "POST / 127.0.0.1 -> 200 balance of demo", 15s));
    ::kill(dialer, SIGTERM);
    EXPECT_EQ(waitFor(dialer, 10s), 0);
    DataFolder folder((data / "Ringlark").string());
    EXPECT_EQ(folder.read(CallLogFileName), Bytes(12, 0)) << "three counts of 0";
    EXPECT_FALSE(folder.exists(ContactFileName)) << "no contacts, no contact file";
}

// The contacts of one run are there at the next, byte for byte; a file that
// stops short is kept beside the one the run writes.
TEST_F(WithOperator, ContactsOutliveTheRunByteForByte) {
    ContactStore store;
    for (const char16_t* name : {u"Ann", u"Zoë Ångström", u"Ann"}) {
        ContactRecord contact;
        contact[FieldName] = name;
        contact[FieldAddressType] = u"OA";
        contact[FieldMobile] = u"12345";
        contact[FieldEmail] = u"ann@example.org";
        store.AddContact(contact);
    }
    DataFolder folder((data / "Ringlark").string());
    ASSERT_TRUE(folder.ensureFolder());
    ASSERT_TRUE(folder.save(ContactFileName, store.write(), false));
    startServices("demo");
    saveLogin(1, u"demo", u"demo");
    // One run up to its balance reply, then a log-out.
    int runs = 0;
    auto run = [&] {
        const std::string balance = "POST / 127.0.0.1 -> 200 balance of demo\n";
        const pid_t dialer = start(home.path() / "dialer.out");
        ++runs;
        const auto deadline = std::chrono::steady_clock::now() + 15s;
        auto seen = [&] {
            const std::string log = readText(simulatorLog);
            int count = 0;
            for (auto at = log.find(balance); at != std::string::npos; at = log.find(balance, at + 1))
                ++count;
            return count;
        };
        while (seen() < runs && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(50ms);
        ASSERT_EQ(seen(), runs) << readText(simulatorLog);
        ::kill(dialer, SIGTERM);
        EXPECT_EQ(waitFor(dialer, 10s), 0);
    };
    for (int i = 0; i < 2; ++i) {
        run();
        EXPECT_EQ(folder.read(ContactFileName), store.write()) << "after run " << runs;
    }
    EXPECT_FALSE(folder.exists(ContactBackupName));

    Bytes damaged = store.write();
    damaged.resize(damaged.size() - 5);
    ASSERT_TRUE(folder.save(ContactFileName, damaged, false));
    run();
    EXPECT_EQ(folder.read(ContactBackupName), damaged);
    ContactStore reloaded;
    reloaded.LoadContacts(folder);
    EXPECT_EQ(reloaded.count(), 3) << "the third contact keeps the fields read before the end";
    EXPECT_TRUE(reloaded.loadedWhole());
}

// Replies travel as plain HTTP: markup in them must stay text. A picture
// pointing at a FIFO would block the window for good if the label loaded it.
TEST_F(WithOperator, MarkupInTheRepliesIsShownAsText) {
    const fs::path fifo = home.path() / "never-written";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    provisioning = {{"header", "<img src=\"" + fifo.string() + "\">"}, {"footer", "<b>bold</b>"}};
    startServices("demo");
    saveLogin(1, u"demo", u"demo");
    const pid_t dialer = start(home.path() / "dialer.out");
    ASSERT_TRUE(waitForLine(simulatorLog, "POST / 127.0.0.1 -> 200 balance of demo", 15s));
    ::kill(dialer, SIGTERM);
    EXPECT_EQ(waitFor(dialer, 10s), 0) << "the window kept answering";
}

// A value no real registrar has is refused like a reply that never came,
// instead of holding the window inside the engine.
TEST_F(WithOperator, OverlongProvisionedAddressIsRefused) {
    provisioning = {{"registrarip", std::string(100000, 'r')}};
    startServices("demo");
    saveLogin(1, u"demo", u"demo");
    const pid_t dialer = start(home.path() / "dialer.out");
    EXPECT_EQ(waitFor(dialer, 20s), 0);
    EXPECT_EQ(savedLogin().savePassword, 0) << "no registration: the login is asked for next time";
}

// The real dialer on an X display: keys typed into its window place, answer
// and hold real calls through the registrar.
namespace {

struct OnScreen : WithOperator {
    std::unique_ptr<Process> xvfb;

    void SetUp() override {
        WithOperator::SetUp();
        const fs::path out = home.path() / "xvfb.out";
        xvfb = std::make_unique<Process>(std::vector<std::string>{"Xvfb", "-displayfd", "1", "-screen", "0",
                                                                  "1024x768x24", "-nolisten", "tcp"},
                                         out);
        // Its display number comes as a line of digits, among whatever it says on stderr.
        const std::regex numberLine("(^|\n)([0-9]+)\n");
        std::smatch found;
        std::string said;
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        while (std::chrono::steady_clock::now() < deadline &&
               !std::regex_search(said = readText(out), found, numberLine))
            std::this_thread::sleep_for(50ms);
        ASSERT_FALSE(found.empty()) << "Xvfb did not start: " << said;
        const std::string number = found[2];
        display = ":" + number;
        // Connections may still be refused for a moment after it named its display.
        bool ready = false;
        for (int attempt = 0; attempt < 50 && !ready; ++attempt) {
            Process probe({"xdotool", "getdisplaygeometry"}, home.path() / "probe.out",
                          {"DISPLAY=" + display});
            ready = probe.wait(5s) == 0;
            if (!ready)
                std::this_thread::sleep_for(100ms);
        }
        ASSERT_TRUE(ready) << "no connection to " << display;
    }

    // The peers speak PCMA; G.729 alone would leave no codec in common.
    void savePeerCodecs() {
        DataFolder folder((data / "Ringlark").string());
        ASSERT_TRUE(folder.ensureFolder());
        ASSERT_TRUE(
            folder.save(CodecFileName, CodecSettings{{u"PCMA/8000/1", u"G729/8000/1"}, {}}.write(), false));
    }

    pid_t dialer = -1;
    std::string window; // the main window's X id

    // The services, a saved login, and the dialer registered with its window up.
    void startDialer() {
        startServices("demo");
        saveLogin(1, u"demo", u"demo");
        savePeerCodecs();
        dialer = start(home.path() / "dialer.out");
        ASSERT_TRUE(waitForLine(simulatorLog, "POST / 127.0.0.1 -> 200 balance of demo", 15s));
        window = mainWindow();
        ASSERT_FALSE(window.empty());
    }

    void stopDialer() {
        ::kill(dialer, SIGTERM);
        EXPECT_EQ(waitFor(dialer, 10s), 0);
    }

    // Runs xdotool on the display; its output.
    std::string xdotool(std::vector<std::string> args) {
        args.insert(args.begin(), "xdotool");
        const fs::path out = home.path() / "xdotool.out";
        Process tool(args, out, {"DISPLAY=" + display});
        EXPECT_EQ(tool.wait(20s), 0) << testing::PrintToString(args);
        return readText(out);
    }

    std::string mainWindow() {
        const std::string found = xdotool({"search", "--sync", "--onlyvisible", "--name", "^Ringlark$"});
        return found.substr(0, found.find('\n'));
    }

    void keys(const std::string& window, const std::vector<std::string>& names) {
        std::vector<std::string> args{"windowfocus", "--sync", window, "key", "--delay", "80"};
        args.insert(args.end(), names.begin(), names.end());
        xdotool(args);
    }
};

bool waitForText(const std::function<std::string()>& read, const std::string& text,
                 std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        if (read().find(text) != std::string::npos)
            return true;
        std::this_thread::sleep_for(100ms);
    }
    return false;
}

} // namespace

TEST_F(OnScreen, TypedNumberAndEnterPlaceAndEndACall) {
    const int peerPort = freeUdpPort();
    routes = {{"2001", peerPort}};
    Sipp peer(SIP_SCENARIOS, "uas", peerPort);
    startDialer();
    if (HasFatalFailure())
        return;

    keys(window, {"2", "0", "0", "1", "Return"});
    EXPECT_TRUE(waitForText([&] { return peer.messages(); }, "ACK sip:", 15s)) << peer.messages();
    EXPECT_NE(peer.messages().find("INVITE sip:2001@127.0.0.1:" + std::to_string(registrarPort)),
              std::string::npos)
        << peer.messages();
    keys(window, {"Return"});
    EXPECT_EQ(peer.wait(15s), 0) << "the peer got its BYE\n" << peer.messages();

    stopDialer();
}

TEST_F(OnScreen, IncomingCallRingsAndCallAnswersIt) {
    startDialer();
    if (HasFatalFailure())
        return;

    Sipp caller(SIP_SCENARIOS, "uac-via-proxy.xml", freeUdpPort(),
                {"-s", "demo", "127.0.0.1:" + std::to_string(registrarPort)});
    ASSERT_TRUE(waitForText([&] { return caller.messages(); }, "SIP/2.0 180", 15s)) << caller.messages();
    keys(window, {"Return"}); // Call answers the ringing line
    EXPECT_EQ(caller.wait(20s), 0) << "answered, then ended by the caller's BYE\n" << caller.messages();

    stopDialer();
}

TEST_F(OnScreen, ASecondCallOnLine2PutsLine1OnHold) {
    const int firstPort = freeUdpPort(), secondPort = freeUdpPort();
    routes = {{"2001", firstPort}, {"2002", secondPort}};
    Sipp first(SIP_SCENARIOS, "uas-hold-via-proxy.xml", firstPort);
    Sipp second(SIP_SCENARIOS, "uas", secondPort);
    startDialer();
    if (HasFatalFailure())
        return;

    keys(window, {"2", "0", "0", "1", "Return"});
    ASSERT_TRUE(waitForText([&] { return first.messages(); }, "ACK sip:", 15s)) << first.messages();
    keys(window, {"ctrl+2", "2", "0", "0", "2", "Return"});
    EXPECT_TRUE(waitForText([&] { return first.messages(); }, "a=sendonly", 15s)) << first.messages();
    EXPECT_TRUE(waitForText([&] { return second.messages(); }, "ACK sip:", 15s)) << second.messages();
    keys(window, {"Return"}); // ends line 2
    EXPECT_EQ(second.wait(15s), 0) << second.messages();
    keys(window, {"ctrl+1", "Return"}); // back to line 1, which is taken off hold, then ended
    EXPECT_EQ(first.wait(20s), 0) << first.messages();

    stopDialer();
}

// The login window typed into on the display, against the simulator and the registrar.
TEST_F(OnScreen, TypedLoginRegistersAndOpensTheMainWindow) {
    startServices("demo");
    saveLogin(0, u"", u"");
    const pid_t dialer = start(home.path() / "dialer.out");
    const std::string found = xdotool({"search", "--sync", "--onlyvisible", "--name", "^Ringlark Login$"});
    const std::string login = found.substr(0, found.find('\n'));
    ASSERT_FALSE(login.empty());

    keys(login, {"d", "e", "m", "o", "Tab", "d", "e", "m", "o", "Tab", "space", "Return"});
    EXPECT_TRUE(waitForLine(simulatorLog, "POST / 127.0.0.1 -> 200 balance of demo", 15s))
        << readText(simulatorLog);
    EXPECT_FALSE(mainWindow().empty());

    ::kill(dialer, SIGTERM);
    EXPECT_EQ(waitFor(dialer, 10s), 0);
    const auto saved = savedLogin();
    EXPECT_EQ(saved.userName, u"demo");
    EXPECT_EQ(saved.savePassword, 1) << "Save Password was ticked with the space bar";
}

TEST_F(OnScreen, TypedWrongPasswordKeepsTheLoginWindow) {
    startServices("demo");
    saveLogin(0, u"demo", u"");
    const pid_t dialer = start(home.path() / "dialer.out");
    const std::string found = xdotool({"search", "--sync", "--onlyvisible", "--name", "^Ringlark Login$"});
    const std::string login = found.substr(0, found.find('\n'));
    ASSERT_FALSE(login.empty());

    keys(login, {"Tab", "w", "r", "o", "n", "g", "Return"});
    const fs::path engineLog = data / "Ringlark" / "engine.log";
    EXPECT_TRUE(waitForText([&] { return readText(engineLog); }, "LinphoneRegistrationFailed", 15s))
        << readText(engineLog);
    EXPECT_NE(readText(simulatorLog).find("-> 200 login from "), std::string::npos);
    EXPECT_FALSE(xdotool({"search", "--onlyvisible", "--name", "^Ringlark Login$"}).empty())
        << "the login window stays for another try";

    ::kill(dialer, SIGTERM);
    EXPECT_EQ(waitFor(dialer, 10s), 0);
    EXPECT_EQ(readText(simulatorLog).find("balance of demo"), std::string::npos)
        << "the main window never opened";
    EXPECT_EQ(savedLogin().savePassword, 0);
}
