#include "platform/DataFolder.h"
#include "platform/EngineLibrary.h"
#include "platform/Platform.h"
#include "support/Fakes.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <future>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

unsigned modeOf(const std::string& path) {
    struct stat info {};
    ::stat(path.c_str(), &info);
    return info.st_mode & 0777;
}

} // namespace

TEST(DataFolder, CreatesItselfAndItsParents) {
    TempDir temp;
    DataFolder folder((temp.path() / "share" / "deep" / "Ringlark").string());
    EXPECT_TRUE(folder.ensureFolder());
    EXPECT_TRUE(fs::is_directory(folder.folder()));
    EXPECT_TRUE(folder.ensureFolder()) << "an existing folder is fine";
}

TEST(DataFolder, SaveCreatesMissingFilesAndReplacesWhole) {
    TempDir temp;
    DataFolder folder(temp.str());
    const std::vector<std::uint8_t> longer(100, 0xAB), shorter{1, 2, 3};

    EXPECT_FALSE(folder.read("account_Ringlark.bin"));
    ASSERT_TRUE(folder.save("account_Ringlark.bin", longer, true));
    EXPECT_EQ(modeOf(folder.path("account_Ringlark.bin")), 0600u);
    ASSERT_TRUE(folder.save("account_Ringlark.bin", shorter, true));
    EXPECT_EQ(folder.read("account_Ringlark.bin"), shorter);

    ASSERT_TRUE(folder.save("application_Ringlark.bin", shorter, false));
    EXPECT_EQ(modeOf(folder.path("application_Ringlark.bin")), 0644u);

    // Only the two files: temporary files never stay behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(temp.path()), fs::directory_iterator()), 2);
}

TEST(DataFolder, HugeFileIsReadOnlyUpToTheCap) {
    TempDir temp;
    DataFolder folder(temp.str());
    {
        std::ofstream out(folder.path("big.bin"), std::ios::binary);
        out.seekp(DataFolder::MaxReadBytes + 4096);
        out.put('x');
    }
    auto bytes = folder.read("big.bin");
    ASSERT_TRUE(bytes);
    EXPECT_EQ(bytes->size(), DataFolder::MaxReadBytes);
}

TEST(SystemNetwork, ServicesOnLoopbackAreAlwaysReachable) {
    SystemNetwork network;
    for (const char* host : {"127.0.0.1", "127.9.8.7", "LOCALHOST", "::1", "[::1]"})
        EXPECT_TRUE(network.isConnected(host)) << host;
}

TEST(DataFolder, OnlyRegularFilesAreRead) {
    struct Case {
        const char* what;
        void (*make)(const fs::path&);
    };
    const Case cases[] = {
        {"FIFO", [](const fs::path& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); }},
        {"folder", [](const fs::path& p) { fs::create_directory(p); }},
        {"link to a device", [](const fs::path& p) { fs::create_symlink("/dev/zero", p); }},
    };
    for (const auto& c : cases) {
        TempDir temp;
        DataFolder folder(temp.str());
        const fs::path account = folder.path("account_Ringlark.bin");
        c.make(account);
        auto reading = std::async(std::launch::async, [&] { return folder.read("account_Ringlark.bin"); });
        const bool ended = reading.wait_for(5s) == std::future_status::ready;
        if (!ended) { // a blocked open of the FIFO: give it a writer so the test can end
            const int writer = ::open(account.c_str(), O_WRONLY | O_NONBLOCK);
            if (writer >= 0)
                ::close(writer);
        }
        EXPECT_TRUE(ended) << c.what;
        EXPECT_FALSE(reading.get()) << c.what;
    }
}

TEST(DataFolder, StartRemovesTemporariesAKilledSaveLeft) {
    TempDir temp;
    const std::vector<std::uint8_t> secret{'p', 'w'};
    const char* stale[] = {".account_Ringlark.bin.Ab3xZ9", ".contact_Ringlark.bin.000000"};
    const char* kept[] = {"account_Ringlark.bin",         ".other.conf.Ab3xZ9",
                          "account_Ringlark.bin.Ab3xZ9",  ".account_Ringlark.bin.Ab3xZ",
                          ".account_Ringlark.bin.Ab3x-9", "notes.txt"};
    for (const char* name : stale)
        writeFile(temp.path() / name, secret);
    for (const char* name : kept)
        writeFile(temp.path() / name, secret);

    DataFolder folder(temp.str());
    ASSERT_TRUE(folder.ensureFolder());
    for (const char* name : stale)
        EXPECT_FALSE(fs::exists(temp.path() / name)) << name;
    for (const char* name : kept)
        EXPECT_TRUE(fs::exists(temp.path() / name)) << name << " is not a temporary of ours";
}

TEST(InstanceLock, OnlyOneHolderAtATime) {
    TempDir temp;
    const std::string path = InstanceLock::defaultPath(temp.str());
    {
        InstanceLock first(path), second(path);
        EXPECT_TRUE(first.acquire());
        EXPECT_FALSE(second.acquire());
    }
    InstanceLock afterwards(path);
    EXPECT_TRUE(afterwards.acquire()) << "the lock goes with its holder";
}

TEST(InstanceLock, UnopenableLockFileCountsAsTaken) {
    TempDir temp;
    fs::create_directory(temp.path() / "Ringlark 1.0.6.lock"); // a folder cannot be opened for writing
    InstanceLock lock((temp.path() / "Ringlark 1.0.6.lock").string());
    EXPECT_FALSE(lock.acquire());
}

TEST(XdgAutostart, EntryRunsTheProgramByItsAbsolutePath) {
    TempDir temp;
    XdgAutostart autostart((temp.path() / "autostart" / "ZUBSoftPhone.desktop").string());
    const std::string program = "/opt/ring lark/\"x\"$/ringlark";
    EXPECT_FALSE(autostart.runsProgram(program));
    ASSERT_TRUE(autostart.registerProgram(program));
    EXPECT_TRUE(autostart.runsProgram(program));
    EXPECT_FALSE(autostart.runsProgram("/usr/bin/ringlark"));
    std::ifstream in(temp.path() / "autostart" / "ZUBSoftPhone.desktop");
    const std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(content.find("Exec=\"/opt/ring lark/\\\"x\\\"\\$/ringlark\"\n"), std::string::npos) << content;
}

TEST(XdgAutostart, TurningOffRemovesTheEntryWhoeverWroteIt) {
    TempDir temp;
    const auto entry = temp.path() / "autostart" / "ZUBSoftPhone.desktop";
    XdgAutostart autostart(entry.string());
    EXPECT_TRUE(autostart.removeProgram()) << "no entry is no entry left";
    fs::create_directories(entry.parent_path());
    writeFile(entry, {'E', 'x', 'e', 'c', '=', 'x'});
    EXPECT_TRUE(autostart.removeProgram());
    EXPECT_FALSE(fs::exists(entry));
}

TEST(XdgAutostart, FolderThatCannotBeWrittenFailsWithoutHarm) {
    TempDir temp;
    writeFile(temp.path() / "autostart", {'x'}); // a file where the folder should be
    XdgAutostart blocked((temp.path() / "autostart" / "ZUBSoftPhone.desktop").string());
    EXPECT_FALSE(blocked.registerProgram("/opt/ringlark/ringlark"));
    EXPECT_FALSE(blocked.runsProgram("/opt/ringlark/ringlark"));

    const auto entry = temp.path() / "other" / "ZUBSoftPhone.desktop";
    fs::create_directories(entry / "inside"); // an entry that cannot be removed
    XdgAutostart stuck(entry.string());
    EXPECT_FALSE(stuck.removeProgram());
}

TEST(EngineLibrary, BindsEveryExportByName) {
    EngineLibrary engine(TEST_ENGINE_DIR);
    ASSERT_TRUE(engine.load());
    EXPECT_TRUE(engine.isLoaded());
    EXPECT_EQ(engine.missingExports(), "");
    EXPECT_TRUE(engine.load()) << "loading again keeps the library";

    void* library =
        dlopen((std::string(TEST_ENGINE_DIR) + "/libRinglark.so").c_str(), RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(library, nullptr);
    auto lastCall = reinterpret_cast<const char* (*)()>(dlsym(library, "test_lastCall"));
    auto raiseRegState = reinterpret_cast<int (*)(int, int)>(dlsym(library, "test_raiseRegState"));
    auto raiseCallState = reinterpret_cast<int (*)(int, int)>(dlsym(library, "test_raiseCallState"));
    auto raiseIncoming = reinterpret_cast<int (*)(int, const char*)>(dlsym(library, "test_raiseIncoming"));

    const std::string proxy = "sip:10.0.0.1";
    struct Case {
        std::function<int()> call;
        const char* seen; // what the library saw
    };
    const Case cases[] = {
        {[&] { return engine.init(3, 5070); }, "dll_init:305070"},
        {[&] {
             return engine.registerAccount("sip:u@r", "sip:u@r", "*", "u", "p", &proxy, 1, 300, 4000, 15);
         },
         "dll_registerAccount:300:sip:u@r|*|u|sip:10.0.0.1"},
        {[&] {
             return engine.registerAccount("sip:u@r", "sip:u@r", "*", "u", "p", nullptr, 1, 60, 4000, 15);
         },
         "dll_registerAccount:60:sip:u@r|*|u|null"},
        {[&] { return engine.makeCall(7, "sip:100@r"); }, "dll_makeCall:1007:sip:100@r"},
        {[&] { return engine.answerCall(2, 200); }, "dll_answerCall:2200"},
        {[&] { return engine.releaseCall(5); }, "dll_releaseCall:5"},
        {[&] { return engine.holdCall(6); }, "dll_holdCall:6"},
        {[&] { return engine.retrieveCall(8); }, "dll_retrieveCall:8"},
        {[&] { return engine.xferCall(9, "sip:200@r"); }, "dll_xferCall:9:sip:200@r"},
        {[&] { return engine.callConference(4); }, "dll_callConference:4"},
        {[&] { return engine.dialDtmf(3, "#", 1); }, "dll_dialDtmf:31:#"},
        {[&] { return engine.callRecordingStart(3, "/tmp/a.wav"); }, "dll_callRecording_start:3:/tmp/a.wav"},
        {[&] { return engine.callRecordingStop(); }, "dll_callRecording_stop:0"},
        {[&] { return engine.setCodecPriority("PCMU/8000/1", 255); }, "dll_setCodecPriority:255:PCMU/8000/1"},
        {[&] { return engine.setSipEncryption(1, 202, 101); }, "sip1:1202101"},
        {[&] { return engine.setRtpEncryption(1, 2, 3, 1, 4, 5, 6); }, "rtp1:22"},
        {[&] { return engine.setSipEncryption2(1, "key"); }, "sip2:1:key"},
        {[&] { return engine.setRtpEncryption2(1, "key"); }, "rtp2:1:key"},
        {[&] { return engine.newSetSipEncryption(1, 2, 3, 4); }, "sip3:10"},
        {[&] { return engine.setNewRtpEncryption(1, 2, 3, 4, 1, 5, 6, 7); }, "rtp3:29"},
        {[&] { return engine.shutdown(); }, "dll_shutdown:0"},
    };
    for (const auto& c : cases) {
        c.call();
        EXPECT_EQ(lastCall(), std::string(c.seen));
    }

    // Handlers set through the dialer's side receive what the engine raises.
    std::vector<std::string> events;
    engine.onRegState([&](int account, int code) {
        events.push_back("reg " + std::to_string(account) + " " + std::to_string(code));
    });
    engine.onCallState([&](int call, int state) {
        events.push_back("call " + std::to_string(call) + " " + std::to_string(state));
    });
    engine.onCallIncoming([&](int call, const std::string& uri) {
        events.push_back("in " + std::to_string(call) + " " + uri);
    });
    EXPECT_EQ(raiseRegState(0, 401), 1);
    EXPECT_EQ(raiseCallState(4, 2), 1);
    EXPECT_EQ(raiseIncoming(4, "sip:555@r"), 1);
    EXPECT_EQ(raiseIncoming(4, nullptr), 1);
    engine.onCallState(nullptr);
    EXPECT_EQ(raiseCallState(4, 6), 0) << "an event nobody takes is reported as dropped";
    EXPECT_EQ(events, (std::vector<std::string>{"reg 0 401", "call 4 2", "in 4 sip:555@r", "in 4 "}));
}

TEST(EngineLibrary, MissingLibraryMakesEveryCallANoOp) {
    TempDir empty;
    EngineLibrary engine(empty.str());
    EXPECT_FALSE(engine.load());
    EXPECT_FALSE(engine.isLoaded());
    EXPECT_EQ(engine.init(1, 5060), -1);
    EXPECT_EQ(engine.registerAccount("a", "a", "*", "u", "p", nullptr, 1, 0, 0, 0), -1);
    EXPECT_EQ(engine.makeCall(0, "sip:1@x"), -1);
    EXPECT_EQ(engine.releaseCall(-1), -1);
    EXPECT_EQ(engine.shutdown(), -1);
    engine.onCallState([](int, int) {});
}

TEST(EngineLibrary, NeverLoadsFromTheWorkingDirectory) {
    // A planted library in the working directory is not picked up.
    TempDir empty;
    const fs::path before = fs::current_path();
    fs::current_path(TEST_ENGINE_DIR);
    EngineLibrary engine(empty.str());
    EXPECT_FALSE(engine.load());
    fs::current_path(before);
}
