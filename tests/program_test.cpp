// The real program, started as a user would start it (offscreen, with its
// own data, config and runtime folders).
#include "platform/DataFolder.h"
#include "settings/SettingsFiles.h"
#include "support/Fakes.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
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

    void SetUp() override { fs::create_directories(runtime); }

    pid_t start(const fs::path& output) {
        std::vector<std::string> env = {
            "QT_QPA_PLATFORM=offscreen",           "HOME=" + home.str(),
            "XDG_DATA_HOME=" + data.string(),      "XDG_CONFIG_HOME=" + (home.path() / "config").string(),
            "XDG_RUNTIME_DIR=" + runtime.string(), "RINGLARK_TEST_MESSAGES=" + messages.string(),
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
        return pid;
    }

    // The exit status, or -1 when the process did not end in time.
    static int waitFor(pid_t pid, std::chrono::milliseconds limit) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < deadline) {
            int status = 0;
            if (::waitpid(pid, &status, WNOHANG) == pid)
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
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
