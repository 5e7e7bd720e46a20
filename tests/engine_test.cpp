// The engine library against real SIP peers on 127.0.0.1: sipp scenarios and
// a kamailio registrar. The engine is bound the way the dialer binds it.
#include "platform/EngineLibrary.h"
#include "support/Fakes.h"
#include "support/Peers.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <dlfcn.h>
#include <fstream>
#include <future>
#include <iostream>
#include <map>
#include <netinet/in.h>
#include <regex>
#include <set>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

const fs::path Scenarios = SIP_SCENARIOS;

std::string uriAt(int port, const std::string& user = "service") {
    return "sip:" + user + "@127.0.0.1:" + std::to_string(port);
}

// Call states of one call id, in the order reported.
std::vector<int> statesOf(const std::vector<std::string>& events, int callId) {
    std::vector<int> states;
    const std::string prefix = "call " + std::to_string(callId) + " ";
    for (const auto& event : events)
        if (event.rfind(prefix, 0) == 0)
            states.push_back(std::stoi(event.substr(prefix.size())));
    return states;
}

int idIn(const std::string& event) {
    std::istringstream in(event);
    std::string kind;
    int id = -1;
    in >> kind >> id;
    return id;
}

struct EnginePeers : testing::Test {
    TempDir temp;
    EngineLibrary engine{ENGINE_DIR};
    EventLog events;
    int sipPort = freeUdpPort();

    void SetUp() override {
        ::setenv("XDG_DATA_HOME", (temp.path() / "data").c_str(), 1);
        fs::create_directories(runtime());
        fs::permissions(runtime(), fs::perms::owner_all);
        ::setenv("XDG_RUNTIME_DIR", runtime().c_str(), 1);
        ::setenv("RINGLARK_ENGINE_BIND", "127.0.0.1", 1);
        ASSERT_TRUE(engine.load());
        engine.onRegState([this](int account, int code) {
            events.add("reg " + std::to_string(account) + " " + std::to_string(code));
        });
        engine.onCallState([this](int call, int state) {
            events.add("call " + std::to_string(call) + " " + std::to_string(state));
        });
        engine.onCallIncoming([this](int call, const std::string& uri) {
            events.add("incoming " + std::to_string(call) + " " + uri);
        });
        engine.onDtmfDigit([this](int digit) { events.add("dtmf " + std::to_string(digit)); });
        engine.onCallHoldConfirm([this](int call) { events.add("held " + std::to_string(call)); });
        ASSERT_EQ(engine.init(0, sipPort), 0);
        enableCodecs();
    }

    // The dialer names its codecs after every start; the peers here speak G.711.
    void enableCodecs() {
        for (const auto& [codec, priority] :
             {std::pair{"G729/8000/1", 255}, {"PCMU/8000/1", 254}, {"PCMA/8000/1", 253}})
            ASSERT_EQ(engine.setCodecPriority(codec, priority), 0) << codec;
    }

    void TearDown() override { EXPECT_EQ(engine.shutdown(), 0); }

    fs::path runtime() const { return temp.path() / "run"; }

    int registerWith(int registrarPort, const std::string& user, const std::string& password) {
        const std::string aor = uriAt(registrarPort, user);
        return engine.registerAccount(aor, aor, "*", user, password, nullptr, 1, 300, 0, 0);
    }

    // Places a call and waits until it is established; returns its id.
    int establishedCallTo(const Sipp& peer) {
        const int id = engine.makeCall(-1, uriAt(peer.port()));
        EXPECT_GE(id, 0);
        EXPECT_TRUE(events.waitFor("call " + std::to_string(id) + " 5", 10s))
            << testing::PrintToString(events.all());
        return id;
    }
};

} // namespace

// sipp checks response codes before it substitutes keywords, so the plain
// registrar gets its reply written into a copy of the scenario.
fs::path registrarAnswering(const fs::path& folder, const std::string& reply) {
    std::string scenario = readText(Scenarios / "registrar.xml");
    scenario.replace(scenario.find("[reply]"), 7, reply);
    const fs::path path = folder / ("registrar-" + reply.substr(0, 3) + ".xml");
    std::ofstream(path) << scenario;
    return path;
}

TEST_F(EnginePeers, RegistrarAnswersReachTheDialerAsCodes) {
    const std::vector<std::string> digest{"-key", "user", "alice", "-key", "password", "secret"};
    struct Case {
        fs::path scenario;
        std::vector<std::string> keys;
        std::string password;
        int code;
    };
    const Case cases[] = {
        {registrarAnswering(temp.path(), "200 OK"), {}, "secret", 200},
        {Scenarios / "registrar-digest.xml", digest, "secret", 200},
        {Scenarios / "registrar-digest.xml", digest, "wrong", 401},
        {registrarAnswering(temp.path(), "403 Forbidden"), {}, "secret", 403},
        {registrarAnswering(temp.path(), "404 Not Found"), {}, "secret", 404},
        {registrarAnswering(temp.path(), "503 Service Unavailable"), {}, "secret", 503},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.scenario.filename().string() + " " + std::to_string(c.code));
        Sipp registrar(Scenarios, c.scenario, freeUdpPort(), c.keys);
        const int account = registerWith(registrar.port(), "alice", c.password);
        ASSERT_GE(account, 0);
        const std::string expected = "reg " + std::to_string(account) + " " + std::to_string(c.code);
        EXPECT_TRUE(events.waitFor(expected, 15s)) << testing::PrintToString(events.all());
        if (c.code == 200) {
            EXPECT_TRUE(registrar.messages().find("REGISTER sip:127.0.0.1:") != std::string::npos);
        }
        // Start over for the next registrar.
        ASSERT_EQ(engine.shutdown(), 0);
        ASSERT_EQ(engine.init(0, freeUdpPort()), 0);
    }
}

TEST_F(EnginePeers, UnreachableRegistrarReportsATimeout) {
    const int account = registerWith(freeUdpPort(), "alice", "secret"); // nothing listens there
    EXPECT_TRUE(events.waitFor("reg " + std::to_string(account) + " 408", 60s))
        << testing::PrintToString(events.all());
}

TEST_F(EnginePeers, OutgoingCallGoesThroughItsStatesOnce) {
    Sipp peer(Scenarios, "uas", freeUdpPort());
    const int id = establishedCallTo(peer);
    EXPECT_EQ(engine.releaseCall(id), 0);
    EXPECT_TRUE(events.waitFor("call " + std::to_string(id) + " 6", 10s));
    EXPECT_EQ(peer.wait(10s), 0) << peer.messages();
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(statesOf(events.all(), id), (std::vector<int>{1, 3, 4, 5, 6}));
}

TEST_F(EnginePeers, CodecPrioritiesOrderTheOffer) {
    EXPECT_EQ(engine.setCodecPriority("PCMA/8000/1", 255), 0);
    EXPECT_EQ(engine.setCodecPriority("pcmu/8000/1", 254), 0) << "names are case-insensitive";
    EXPECT_EQ(engine.setCodecPriority("G729/8000/1", 0), 0);
    EXPECT_EQ(engine.setCodecPriority("G723/8000/1", 0), -1) << "a codec the engine lacks";
    EXPECT_EQ(engine.setCodecPriority("garbage", 10), -1);

    // The codec list, read from this thread, starts with the codecs given priorities.
    void* library = dlopen((std::string(ENGINE_DIR) + "/libRinglark.so").c_str(), RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(library, nullptr);
    auto count = reinterpret_cast<int (*)()>(dlsym(library, "dll_getNumOfCodecs"));
    auto codec = reinterpret_cast<const char* (*)(int)>(dlsym(library, "dll_getCodec"));
    EXPECT_GT(count(), 3);
    ASSERT_NE(codec(0), nullptr);
    EXPECT_EQ(std::string(codec(0)), "PCMA/8000/1");
    EXPECT_EQ(std::string(codec(1)), "PCMU/8000/1");
    EXPECT_EQ(codec(count()), nullptr);
    EXPECT_EQ(codec(-1), nullptr);

    Sipp peer(Scenarios, "uas", freeUdpPort());
    const int id = establishedCallTo(peer);
    engine.releaseCall(id);
    peer.wait(10s);
    std::smatch offer;
    const std::string messages = peer.messages();
    ASSERT_TRUE(std::regex_search(messages, offer, std::regex("m=audio [0-9]+ RTP/AVP ([0-9 ]+)")))
        << messages;
    const std::string payloads = offer[1];
    EXPECT_EQ(payloads.rfind("8 0", 0), 0u) << payloads;
    EXPECT_EQ((" " + payloads + " ").find(" 18 "), std::string::npos) << payloads;
}

// The audio codecs of the first SDP offer in a peer's trace, by name, in offer order.
std::vector<std::string> offeredCodecs(const std::string& messages) {
    std::smatch offer;
    if (!std::regex_search(messages, offer, std::regex("m=audio [0-9]+ RTP/AVP ([0-9 ]+)")))
        return {};
    const std::map<std::string, std::string> fixed{{"0", "PCMU"}, {"8", "PCMA"}, {"18", "G729"}};
    std::vector<std::string> names;
    std::istringstream payloads(offer[1].str());
    for (std::string payload; payloads >> payload;) {
        std::smatch map;
        if (std::regex_search(messages, map, std::regex("a=rtpmap:" + payload + " ([^/\\r\\n]+)")))
            names.push_back(map[1]);
        else
            names.push_back(fixed.count(payload) ? fixed.at(payload) : payload);
    }
    return names;
}

TEST_F(EnginePeers, OfferHoldsOnlyTheCodecsGivenAPriority) {
    using Priorities = std::vector<std::pair<std::string, int>>;
    // What the dialer always sets first after a start.
    const Priorities defaults{
        {"G729/8000/1", 255}, {"G723/8000/1", 0}, {"PCMU/8000/1", 0}, {"PCMA/8000/1", 0}};
    struct Case {
        std::string name;
        Priorities priorities;
        std::vector<std::string> offer;
    };
    const Case cases[] = {
        {"defaults", {}, {"G729", "telephone-event"}},
        {"file with PCMU then G729 enabled",
         {{"PCMU/8000/1", 255}, {"G729/8000/1", 254}, {"G723/8000/1", 0}, {"PCMA/8000/1", 0}},
         {"PCMU", "G729", "telephone-event"}},
        {"PCMA preferred, PCMU last",
         {{"PCMA/8000/1", 255}, {"G729/8000/1", 254}, {"PCMU/8000/1", 1}},
         {"PCMA", "G729", "PCMU", "telephone-event"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(engine.shutdown(), 0);
        ASSERT_EQ(engine.init(0, freeUdpPort()), 0);
        for (const auto& list : {defaults, c.priorities})
            for (const auto& [codec, priority] : list)
                engine.setCodecPriority(codec, priority);
        // The peer answers PCMU whatever is offered; only the offer counts here.
        Sipp peer(Scenarios, "uas", freeUdpPort());
        const int id = engine.makeCall(-1, uriAt(peer.port()));
        ASSERT_GE(id, 0);
        for (int tries = 0; tries < 100 && peer.messages().find("m=audio") == std::string::npos; ++tries)
            std::this_thread::sleep_for(100ms);
        EXPECT_EQ(offeredCodecs(peer.messages()), c.offer) << peer.messages();
        engine.releaseCall(id);
        EXPECT_TRUE(events.waitFor("call " + std::to_string(id) + " 6", 10s));
    }
}

TEST_F(EnginePeers, MediaEncryptionMakesSrtpRequired) {
    EXPECT_EQ(engine.setSipEncryption2(1, "key text"), 0) << "signalling settings are only recorded";
    EXPECT_EQ(engine.setRtpEncryption(1, 202, 101, 1, 45, 78, 12), 0);
    Sipp peer(Scenarios, "uas", freeUdpPort()); // answers with plain RTP
    const int id = engine.makeCall(-1, uriAt(peer.port()));
    ASSERT_GE(id, 0);
    EXPECT_TRUE(events.waitFor("call " + std::to_string(id) + " 6", 15s)) << "no call without SRTP";
    const std::string messages = peer.messages();
    EXPECT_NE(messages.find("RTP/SAVP"), std::string::npos) << messages;
    EXPECT_NE(messages.find("a=crypto:"), std::string::npos);

    EXPECT_EQ(engine.setRtpEncryption(0, 0, 0, 0, 0, 0, 0), 0);
    Sipp plain(Scenarios, "uas", freeUdpPort());
    const int second = establishedCallTo(plain);
    engine.releaseCall(second);
    EXPECT_EQ(plain.messages().find("RTP/SAVP"), std::string::npos);
}

TEST_F(EnginePeers, IncomingCallAnsweredWithDtmfBothWays) {
    Sipp caller(Scenarios, "uac-call.xml", freeUdpPort(),
                {"-s", "ringlark", "127.0.0.1:" + std::to_string(sipPort)});
    const std::string incoming = events.waitForPrefix("incoming ", 10s);
    ASSERT_FALSE(incoming.empty()) << testing::PrintToString(events.all());
    const int id = idIn(incoming);
    EXPECT_NE(incoming.find("sip:5551234@127.0.0.1"), std::string::npos) << incoming;
    EXPECT_EQ(engine.answerCall(id, 200), 0);
    ASSERT_TRUE(events.waitFor("call " + std::to_string(id) + " 5", 10s));
    EXPECT_TRUE(events.waitFor("dtmf " + std::to_string('5'), 10s)) << testing::PrintToString(events.all());
    EXPECT_EQ(engine.dialDtmf(id, "7", 0), 0); // SIP INFO, which the peer checks
    EXPECT_EQ(caller.wait(20s), 0) << caller.messages();
    EXPECT_TRUE(events.waitFor("call " + std::to_string(id) + " 6", 10s));
    EXPECT_EQ(statesOf(events.all(), id), (std::vector<int>{2, 4, 5, 6}));
}

// Two lines at once: a call placed while another one rings, and a second
// incoming call while one is up.
TEST_F(EnginePeers, ASecondCallWhileOneRingsOrIsUp) {
    Sipp caller(Scenarios, "uac-answered.xml", freeUdpPort(),
                {"-s", "ringlark", "127.0.0.1:" + std::to_string(sipPort)});
    const std::string incoming = events.waitForPrefix("incoming ", 10s);
    ASSERT_FALSE(incoming.empty()) << testing::PrintToString(events.all());
    const int ringing = idIn(incoming);

    Sipp peer(Scenarios, "uas", freeUdpPort());
    const int placed = engine.makeCall(-1, uriAt(peer.port()));
    ASSERT_GE(placed, 0) << "placed while the first call rings";
    EXPECT_TRUE(events.waitFor("call " + std::to_string(placed) + " 5", 10s))
        << testing::PrintToString(events.all());

    // The ringing call is answered while the placed one is up.
    EXPECT_EQ(engine.answerCall(ringing, 200), 0);
    EXPECT_TRUE(events.waitFor("call " + std::to_string(ringing) + " 5", 10s))
        << testing::PrintToString(events.all());
    EXPECT_EQ(engine.releaseCall(ringing), 0);
    EXPECT_EQ(engine.releaseCall(placed), 0);
    EXPECT_EQ(caller.wait(15s), 0) << caller.messages();
    EXPECT_EQ(peer.wait(15s), 0) << peer.messages();
}

TEST_F(EnginePeers, HoldAndRetrieveAreReInvites) {
    Sipp peer(Scenarios, "uas-hold.xml", freeUdpPort());
    const int id = establishedCallTo(peer);
    EXPECT_EQ(engine.holdCall(id), 0);
    EXPECT_TRUE(events.waitFor("held " + std::to_string(id), 10s)) << testing::PrintToString(events.all());
    EXPECT_EQ(engine.retrieveCall(id), 0);
    std::this_thread::sleep_for(1s);
    EXPECT_EQ(engine.releaseCall(id), 0);
    EXPECT_EQ(peer.wait(15s), 0) << peer.messages();
    EXPECT_EQ(statesOf(events.all(), id), (std::vector<int>{1, 3, 4, 5, 6}))
        << "resuming reports nothing twice";
}

TEST_F(EnginePeers, BlindTransferSendsReferAndHangsUp) {
    Sipp peer(Scenarios, "uas-refer.xml", freeUdpPort());
    const int id = establishedCallTo(peer);
    const std::string target = uriAt(freeUdpPort(), "2001");
    EXPECT_EQ(engine.xferCall(id, target), 0);
    EXPECT_EQ(peer.wait(20s), 0) << peer.messages();
    EXPECT_TRUE(events.waitFor("call " + std::to_string(id) + " 6", 10s));
    EXPECT_TRUE(std::regex_search(peer.messages(), std::regex("Refer-To: <?" + target))) << peer.messages();
}

TEST_F(EnginePeers, BeingTransferredCallsTheTargetAsANewCall) {
    Sipp target(Scenarios, "uas", freeUdpPort());
    Sipp transferor(
        Scenarios, "uac-transferor.xml", freeUdpPort(),
        {"-s", "ringlark", "-key", "target", uriAt(target.port()), "127.0.0.1:" + std::to_string(sipPort)});
    const std::string incoming = events.waitForPrefix("incoming ", 10s);
    ASSERT_FALSE(incoming.empty());
    const int first = idIn(incoming);
    engine.answerCall(first, 200);
    // The new call to the target is reported under an id of its own.
    const int second = first + 1;
    EXPECT_TRUE(events.waitFor("call " + std::to_string(second) + " 5", 20s))
        << testing::PrintToString(events.all());
    EXPECT_EQ(transferor.wait(20s), 0) << transferor.messages();
    EXPECT_EQ(statesOf(events.all(), second).front(), 1);
    engine.releaseCall(second);
    EXPECT_TRUE(events.waitFor("call " + std::to_string(second) + " 6", 10s));
}

TEST_F(EnginePeers, RecordingHoldsTheRemoteAudio) {
    Sipp peer(Scenarios, "uas-record.xml", freeUdpPort());
    const int id = establishedCallTo(peer);
    const fs::path wav = temp.path() / "call recording.wav";
    EXPECT_EQ(engine.callRecordingStart(id, wav.string()), 0);
    std::this_thread::sleep_for(3s);
    EXPECT_EQ(engine.callRecordingStop(), 0);
    engine.releaseCall(id);
    peer.wait(15s);

    const std::string data = readText(wav);
    ASSERT_GT(data.size(), 44u) << "no recording at " << wav;
    EXPECT_EQ(data.substr(0, 4), "RIFF");
    EXPECT_EQ(data.substr(8, 4), "WAVE");
    // Mono 16-bit samples after the header: the peer's speech is far from silence.
    long loud = 0;
    for (std::size_t i = 44; i + 1 < data.size(); i += 2) {
        const auto sample = static_cast<std::int16_t>(static_cast<unsigned char>(data[i]) |
                                                      (static_cast<unsigned char>(data[i + 1]) << 8));
        if (std::abs(sample) > 1000)
            ++loud;
    }
    EXPECT_GT(loud, 1000) << data.size() << " bytes";
}

TEST_F(EnginePeers, ConferenceWithoutRegisteredAccountIsRefused) {
    Sipp peer(Scenarios, "uas", freeUdpPort());
    const int id = establishedCallTo(peer);
    EXPECT_EQ(engine.callConference(id), -1);
    EXPECT_EQ(engine.releaseCall(id), 0);
    EXPECT_EQ(peer.wait(10s), 0);
}

TEST_F(EnginePeers, UnknownIdsAndOddTextsDoNothing) {
    for (int id : {-1, 0, 7, 1 << 30}) {
        EXPECT_EQ(engine.releaseCall(id), -1);
        EXPECT_EQ(engine.answerCall(id, 200), -1);
        EXPECT_EQ(engine.holdCall(id), -1);
        EXPECT_EQ(engine.retrieveCall(id), -1);
        EXPECT_EQ(engine.xferCall(id, "sip:1@127.0.0.1"), -1);
        EXPECT_EQ(engine.callConference(id), -1);
        EXPECT_EQ(engine.dialDtmf(id, "1", 1), -1);
        EXPECT_EQ(engine.callRecordingStart(id, (temp.path() / "x.wav").string()), -1);
    }
    EXPECT_EQ(engine.callRecordingStop(), -1);
    EXPECT_EQ(engine.makeCall(-1, ""), -1);
    EXPECT_EQ(engine.makeCall(-1, "not a uri at all \x01\x02"), -1);
    const std::string longUri =
        "sip:" + std::string(20000, '7') + "@127.0.0.1:" + std::to_string(freeUdpPort());
    const int id = engine.makeCall(-1, longUri);
    if (id >= 0)
        engine.releaseCall(id);
    const int accented = engine.makeCall(-1, "sip:Jos\xc3\xa9@127.0.0.1:" + std::to_string(freeUdpPort()));
    if (accented >= 0)
        engine.releaseCall(accented);
    EXPECT_EQ(engine.registerAccount("", "", "*", "", "", nullptr, 1, 0, 0, 0), -1);
    EXPECT_GE(engine.init(0, 0), 0) << "a second start keeps the running engine";
}

TEST(SippPeer, LeavesNoFilesBehind) {
    const int port = freeUdpPort();
    const auto leftovers = [port] {
        std::vector<fs::path> found;
        for (const char* kind : {".log", ".out"}) {
            const fs::path path =
                fs::temp_directory_path() / ("ringlark-sipp-" + std::to_string(port) + kind);
            if (fs::exists(path))
                found.push_back(path);
        }
        return found;
    };
    {
        Sipp peer(Scenarios, "uas", port);
        EXPECT_FALSE(leftovers().empty()) << "sipp writes its trace there";
    }
    EXPECT_EQ(leftovers(), std::vector<fs::path>{});
}

TEST(EngineLifecycle, CallsBeforeStartAndAfterShutdownDoNothing) {
    TempDir temp;
    ::setenv("XDG_DATA_HOME", (temp.path() / "data").c_str(), 1);
    EngineLibrary engine{ENGINE_DIR};
    ASSERT_TRUE(engine.load());
    EXPECT_EQ(engine.makeCall(0, "sip:1@127.0.0.1"), -1);
    EXPECT_EQ(engine.shutdown(), -1);
    EXPECT_EQ(engine.setCodecPriority("PCMU/8000/1", 255), -1);
    EXPECT_EQ(engine.setRtpEncryption(1, 1, 2, 1, 3, 4, 5), 0) << "recorded for the next start";
    ASSERT_EQ(engine.init(0, 0), 0);
    EXPECT_EQ(engine.shutdown(), 0);
    EXPECT_EQ(engine.releaseCall(0), -1);
    EXPECT_EQ(engine.shutdown(), -1);
    ASSERT_EQ(engine.init(0, 0), 0) << "starts anew after a shutdown";
    EXPECT_EQ(engine.shutdown(), 0);
    EXPECT_TRUE(fs::exists(temp.path() / "data" / "Ringlark" / "engine.log"));
}

TEST_F(EnginePeers, SurvivesHostileMessages) {
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<std::uint16_t>(sipPort));
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const std::string port = std::to_string(sipPort);
    auto invite = [&](const std::string& from, const std::string& extra, const std::string& length) {
        return "INVITE sip:ringlark@127.0.0.1:" + port +
               " SIP/2.0\r\n"
               "Via: SIP/2.0/UDP 127.0.0.1:9;branch=z9hG4bK" +
               std::to_string(std::rand()) +
               "\r\n"
               "From: " +
               from + ";tag=1\r\nTo: <sip:ringlark@127.0.0.1>\r\nCall-ID: " + std::to_string(std::rand()) +
               "\r\nCSeq: 1 INVITE\r\nContact: <sip:x@127.0.0.1:9>\r\nMax-Forwards: 70\r\n" + extra +
               "Content-Length: " + length + "\r\n\r\n";
    };
    const std::string messages[] = {
        invite("\"</\" <sip:</@127.0.0.1>", "", "0"),
        invite("\"\\\"</\" <sip:a@127.0.0.1>", "", "0"),
        invite("<sip:a@127.0.0.1>", "X-Long: " + std::string(60000, 'A') + "\r\n", "0"),
        invite("<sip:a@127.0.0.1>", "", "-5"),
        invite("<sip:a@127.0.0.1>", "Content-Type: application/sdp\r\n", "400") +
            "v=0\r\nm=audio 0 RTP/AVP 999999",
        "INVITE\r\n\r\n",
        std::string("\x00\xff\x13\x37 garbage", 12),
    };
    for (const auto& message : messages)
        ::sendto(fd, message.data(), message.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
    ::close(fd);
    // Whatever the stack took for a call is declined and gone before the next call
    // (a ringing call holds the sound devices). Slow builds take a while to parse.
    std::set<int> declined;
    for (int quietSeconds = 0; quietSeconds < 2;) {
        std::this_thread::sleep_for(1s);
        ++quietSeconds;
        for (const auto& event : events.all())
            if (event.rfind("incoming ", 0) == 0 && declined.insert(idIn(event)).second) {
                engine.releaseCall(idIn(event));
                EXPECT_TRUE(events.waitFor("call " + std::to_string(idIn(event)) + " 6", 10s));
                quietSeconds = 0;
            }
    }

    // Still a working engine.
    Sipp peer(Scenarios, "uas", freeUdpPort());
    const int id = establishedCallTo(peer);
    engine.releaseCall(id);
    EXPECT_EQ(peer.wait(10s), 0);
}

// Resident memory of this process, engine included, in kB.
long residentKb() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}

TEST_F(EnginePeers, WhileRegisteredOnlyTheRegistrarMayCall) {
    Sipp registrar(Scenarios, registrarAnswering(temp.path(), "200 OK"), freeUdpPort());
    const int account = registerWith(registrar.port(), "alice", "secret");
    ASSERT_TRUE(events.waitFor("reg " + std::to_string(account) + " 200", 15s))
        << testing::PrintToString(events.all());
    const std::string engineAddress = "127.0.0.1:" + std::to_string(sipPort);

    struct Stranger {
        std::string name, viaHost;
    };
    const Stranger strangers[] = {
        {"says where it is", "127.0.0.2"},
        {"claims the registrar's address in its Via", "127.0.0.1"},
        {"names a host in its Via", "localhost"},
    };
    for (const auto& s : strangers) {
        SCOPED_TRACE(s.name);
        Sipp stranger(Scenarios, "uac-refused.xml", freeUdpPort(),
                      {"-i", "127.0.0.2", "-mi", "127.0.0.2", "-key", "via_host", s.viaHost, "-s", "ringlark",
                       engineAddress});
        EXPECT_EQ(stranger.wait(20s), 0) << stranger.messages();
    }
    std::this_thread::sleep_for(500ms);
    for (const auto& event : events.all())
        EXPECT_NE(event.rfind("incoming ", 0), 0u) << "a stranger's call rang: " << event;
    EXPECT_EQ(events.all().size(), 1u) << testing::PrintToString(events.all());

    // The same kind of call through the registrar's address rings and is answered.
    Sipp caller(Scenarios, "uac-answered.xml", freeUdpPort(), {"-s", "ringlark", engineAddress});
    const std::string incoming = events.waitForPrefix("incoming ", 10s);
    ASSERT_FALSE(incoming.empty()) << testing::PrintToString(events.all()) << caller.messages();
    const int id = idIn(incoming);
    EXPECT_EQ(engine.answerCall(id, 200), 0);
    ASSERT_TRUE(events.waitFor("call " + std::to_string(id) + " 5", 10s));
    EXPECT_EQ(engine.releaseCall(id), 0);
    EXPECT_EQ(caller.wait(20s), 0) << caller.messages();
    EXPECT_TRUE(events.waitFor("call " + std::to_string(id) + " 6", 10s));
}

// The engine's private folders in the runtime folder, by the process id in their names.
std::map<std::string, fs::path> privateFolders(const fs::path& runtime) {
    std::map<std::string, fs::path> found;
    for (const auto& entry : fs::directory_iterator(runtime)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("ringlark-engine-", 0) == 0)
            found[name.substr(16, name.find('-', 16) - 16)] = entry.path();
    }
    return found;
}

// Callers that never cancel: their calls ring until the ring time-out ends them,
// and then a real caller gets through.
TEST_F(EnginePeers, FloodOfUnansweredCallsEndsAndFreesTheLines) {
    const long before = residentKb();
    const std::string engineAddress = "127.0.0.1:" + std::to_string(sipPort);
    {
        Sipp flood(Scenarios, "uac-flood.xml", freeUdpPort(),
                   {"-nr", "-r", "500", "-m", "5000", "-s", "ringlark", engineAddress});
        EXPECT_EQ(flood.wait(60s), 0);
    }
    const long flooded = residentKb();
    std::set<int> ringing;
    for (const auto& event : events.all())
        if (event.rfind("incoming ", 0) == 0)
            ringing.insert(idIn(event));
    EXPECT_FALSE(ringing.empty());
    // One generous wait for them all: the ring time-out plus the time to work through the flood.
    const auto deadline = std::chrono::steady_clock::now() + 150s;
    for (int id : ringing) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        EXPECT_TRUE(events.waitFor("call " + std::to_string(id) + " 6", std::max(left, 0ms)))
            << "call " << id << " rings on";
    }
    const long settled = residentKb();
    // The stack keeps no call history of its own, neither in a database nor in its configuration.
    const fs::path folder = privateFolders(runtime()).at(std::to_string(::getpid()));
    for (const auto& entry : fs::directory_iterator(folder))
        EXPECT_EQ(entry.path().filename().string().find("linphone.db"), std::string::npos) << entry.path();
    EXPECT_EQ(readText(folder / "linphonerc").find("[call_log_"), std::string::npos)
        << readText(folder / "linphonerc");
    std::cout << "resident kB: before " << before << ", after the flood " << flooded << ", calls ended "
              << settled << " (" << ringing.size() << " calls rang)\n";

    Sipp caller(Scenarios, "uac-answered.xml", freeUdpPort(), {"-s", "ringlark", engineAddress});
    std::string incoming;
    for (int tries = 0; tries < 100 && incoming.empty(); ++tries) {
        for (const auto& event : events.all())
            if (event.rfind("incoming ", 0) == 0 && !ringing.count(idIn(event)))
                incoming = event;
        std::this_thread::sleep_for(100ms);
    }
    ASSERT_FALSE(incoming.empty()) << caller.messages();
    const int id = idIn(incoming);
    EXPECT_EQ(engine.answerCall(id, 200), 0);
    ASSERT_TRUE(events.waitFor("call " + std::to_string(id) + " 5", 10s));
    EXPECT_EQ(engine.releaseCall(id), 0);
    EXPECT_EQ(caller.wait(20s), 0) << caller.messages();
}

// Datagrams that would stall the SIP stack (a long token costs its parser time
// quadratic in the length) or make it wait for a body that never comes, which
// deafens it to their sender. A caller sends them from its own address first.
TEST_F(EnginePeers, HostileDatagramsNeitherStallNorDeafenTheEngine) {
    const std::string port = std::to_string(sipPort);
    auto request = [&](const std::string& viaHost, const std::string& user, const std::string& length,
                       const std::string& body) {
        return "INVITE sip:ringlark@127.0.0.1:" + port + " SIP/2.0\r\nVia: SIP/2.0/UDP " + viaHost +
               ";branch=z9hG4bK" + std::to_string(std::rand()) + "\r\nFrom: <sip:" + user +
               "@127.0.0.1>;tag=1\r\nTo: <sip:ringlark@127.0.0.1>\r\nCall-ID: " +
               std::to_string(std::rand()) +
               "\r\nCSeq: 1 INVITE\r\nMax-Forwards: 70\r\nContact: <sip:x@127.0.0.1:9>\r\nContent-Length: " +
               length + "\r\n\r\n" + body;
    };
    struct Case {
        std::string name, datagram;
    };
    const Case cases[] = {
        {"a Via host of 6 kB", request(std::string(6000, 'a'), "a", "0", "")},
        {"a Via host of 16 kB", request(std::string(16000, 'a'), "a", "0", "")},
        {"a user name of 3 kB", request("127.0.0.1", std::string(3000, '7'), "0", "")},
        {"a body far shorter than its Content-Length", request("127.0.0.1", "a", "65000", "v=0\r\n")},
        {"a compact l: header claiming too much", "OPTIONS sip:ringlark@127.0.0.1 SIP/2.0\r\nl: 900\r\n\r\n"},
        {"headers that never end", "INVITE sip:ringlark@127.0.0.1 SIP/2.0\r\nVia: SIP/2.0/UDP 127.0.0.1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const int callerPort = freeUdpPort();
        const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in from{}, to{};
        from.sin_family = to.sin_family = AF_INET;
        from.sin_addr.s_addr = to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        from.sin_port = htons(static_cast<std::uint16_t>(callerPort));
        to.sin_port = htons(static_cast<std::uint16_t>(sipPort));
        ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&from), sizeof from), 0);
        ASSERT_EQ(::sendto(fd, c.datagram.data(), c.datagram.size(), 0, reinterpret_cast<sockaddr*>(&to),
                           sizeof to),
                  static_cast<ssize_t>(c.datagram.size()));
        ::close(fd);

        // A real call from the same address rings and goes through.
        Sipp caller(Scenarios, "uac-answered.xml", callerPort, {"-s", "ringlark", "127.0.0.1:" + port});
        const std::string incoming = events.waitForPrefix("incoming ", 10s);
        ASSERT_FALSE(incoming.empty()) << caller.messages();
        const int id = idIn(incoming);
        EXPECT_NE(incoming.find("sip:5551234@"), std::string::npos) << incoming;
        EXPECT_EQ(engine.answerCall(id, 200), 0);
        ASSERT_TRUE(events.waitFor("call " + std::to_string(id) + " 5", 10s));
        EXPECT_EQ(engine.releaseCall(id), 0);
        EXPECT_EQ(caller.wait(20s), 0) << caller.messages();
        EXPECT_TRUE(events.waitFor("call " + std::to_string(id) + " 6", 10s));
        engine.shutdown(); // a clean event log and engine for the next case
        events.clear();
        ASSERT_EQ(engine.init(0, sipPort), 0);
        enableCodecs();
    }
}

TEST_F(EnginePeers, PrivateStateStaysInTheRuntimeFolderAndNotAfterACrash) {
    const std::string self = std::to_string(::getpid());
    auto folders = privateFolders(runtime());
    ASSERT_EQ(folders.count(self), 1u);
    EXPECT_EQ(fs::status(folders[self]).permissions() & fs::perms::all, fs::perms::owner_all);
    EXPECT_TRUE(fs::exists(folders[self] / "linphonerc"));

    // A second engine that registers, then dies without cleaning up.
    Sipp registrar(Scenarios, registrarAnswering(temp.path(), "200 OK"), freeUdpPort());
    const fs::path output = temp.path() / "crashed.out";
    Process crashed(
        {ENGINE_PEER, ENGINE_DIR, std::to_string(freeUdpPort()), "bob", "secret",
         std::to_string(registrar.port())},
        output, {"XDG_RUNTIME_DIR=" + runtime().string(), "XDG_DATA_HOME=" + (temp.path() / "bob").string()});
    ASSERT_TRUE(waitForLine(output, "reg 0 200", 15s)) << readText(output);
    const std::string dead = std::to_string(crashed.pid());
    ASSERT_EQ(privateFolders(runtime()).count(dead), 1u);
    ::kill(crashed.pid(), SIGKILL);
    crashed.wait(10s);
    ASSERT_EQ(privateFolders(runtime()).count(dead), 1u) << "left behind";

    // Folders of live processes and folders not named by the engine stay.
    const std::string live = std::to_string(::getppid());
    fs::create_directory(runtime() / ("ringlark-engine-" + live + "-keep"));
    fs::create_directory(runtime() / "ringlark-engine-notapid");

    ASSERT_EQ(engine.shutdown(), 0);
    EXPECT_EQ(privateFolders(runtime()).count(self), 0u) << "a clean stop removes its own";
    ASSERT_EQ(engine.init(0, sipPort), 0);
    folders = privateFolders(runtime());
    EXPECT_EQ(folders.count(dead), 0u) << "the next start removes the dead engine's folder";
    EXPECT_EQ(folders.count(live), 1u);
    EXPECT_EQ(folders.count("notapid"), 1u);
    EXPECT_EQ(folders.count(self), 1u);
}

TEST_F(EnginePeers, NumbersOutOfRangeAreRefusedOrBounded) {
    for (int port : {-1, 65536, INT_MAX, INT_MIN}) {
        SCOPED_TRACE(port);
        EXPECT_EQ(engine.init(0, port), -1) << "SIP port";
        EXPECT_EQ(engine.registerAccount(uriAt(5060, "alice"), "", "*", "alice", "secret", nullptr, 1, 300,
                                         port, 0),
                  -1)
            << "RTP port";
    }
    // Keep-alive and re-registration periods: none, negative or absurd still register,
    // for a period a registrar can take.
    struct Case {
        int reregister, keepAlive;
    };
    const Case cases[] = {{INT_MAX, INT_MAX}, {INT_MIN, INT_MIN}, {-1, -1}, {0, 0}, {86401, 3601}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.reregister) + " " + std::to_string(c.keepAlive));
        Sipp registrar(Scenarios, registrarAnswering(temp.path(), "200 OK"), freeUdpPort());
        const std::string aor = uriAt(registrar.port(), "alice");
        const int account = engine.registerAccount(aor, aor, "*", "alice", "secret", nullptr, 1, c.reregister,
                                                   0, c.keepAlive);
        ASSERT_GE(account, 0);
        EXPECT_TRUE(events.waitFor("reg " + std::to_string(account) + " 200", 15s));
        std::smatch expires;
        const std::string messages = registrar.messages();
        ASSERT_TRUE(std::regex_search(messages, expires, std::regex("[Ee]xpires[:=] *(-?[0-9]+)")))
            << messages;
        EXPECT_GT(std::stol(expires[1]), 0);
        EXPECT_LE(std::stol(expires[1]), 86400);
        ASSERT_EQ(engine.shutdown(), 0);
        ASSERT_EQ(engine.init(0, sipPort), 0);
    }
    for (int code : {INT_MIN, -1, 0, 100, 180, 199, 201, 700, INT_MAX})
        EXPECT_EQ(engine.answerCall(0, code), -1) << code;
    EXPECT_EQ(engine.setCodecPriority("PCMU/8000/1", INT_MAX), 0);
    EXPECT_EQ(engine.setCodecPriority("PCMU/99999999999999999999/1", INT_MIN), -1);
}

TEST_F(EnginePeers, OverlongTextsAreRefused) {
    const std::string aor = uriAt(freeUdpPort(), "alice");
    const std::string huge(100000, '7');
    const std::string longUri = "sip:" + std::string(600, '7') + "@127.0.0.1";
    EXPECT_EQ(engine.registerAccount(aor, aor, "*", std::string(70000, 'u'), "secret", nullptr, 1, 300, 0, 0),
              -1);
    EXPECT_EQ(engine.registerAccount(aor, aor, "*", "alice", std::string(65, 'p'), nullptr, 1, 300, 0, 0),
              -1);
    EXPECT_EQ(engine.registerAccount(longUri, aor, "*", "alice", "secret", nullptr, 1, 300, 0, 0), -1);
    EXPECT_EQ(engine.registerAccount(aor, longUri, "*", "alice", "secret", nullptr, 1, 300, 0, 0), -1);
    EXPECT_EQ(engine.registerAccount(aor, aor, huge, "alice", "secret", nullptr, 1, 300, 0, 0), -1);
    EXPECT_EQ(engine.registerAccount(aor, aor, "*", "alice", "secret", &longUri, 1, 300, 0, 0), -1);
    EXPECT_EQ(engine.makeCall(-1, huge), -1);
    EXPECT_EQ(engine.makeCall(-1, longUri), -1);
    EXPECT_EQ(engine.setCodecPriority(huge, 255), -1);
    EXPECT_EQ(engine.setSipEncryption2(1, std::string(12000, 'k')), -1);
    EXPECT_EQ(engine.setRtpEncryption2(1, huge), -1);
    // The longest a real value takes is still fine.
    EXPECT_GE(engine.registerAccount(aor, aor, "*", std::string(40, 'u'), std::string(40, 'p'), nullptr, 1,
                                     300, 0, 0),
              0);
    EXPECT_EQ(engine.setSipEncryption2(1, std::string(100, 'k')), 0);
}

// A dialer's callback that does not return keeps the engine thread; the dialer's
// other threads get -1 after a while instead of hanging, and what they asked
// for does not happen later behind their back.
TEST_F(EnginePeers, ExportsGiveUpOnABusyEngine) {
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    engine.onCallIncoming([&, released](int call, const std::string& uri) {
        events.add("incoming " + std::to_string(call) + " " + uri);
        released.wait_for(60s);
    });
    Sipp peer(Scenarios, "uas", freeUdpPort());
    Sipp caller(Scenarios, "uac-answered.xml", freeUdpPort(),
                {"-s", "ringlark", "127.0.0.1:" + std::to_string(sipPort)});
    const std::string incoming = events.waitForPrefix("incoming ", 10s);
    ASSERT_FALSE(incoming.empty()) << caller.messages();

    EXPECT_EQ(engine.makeCall(-1, uriAt(peer.port())), -1) << "the engine thread is held";
    EXPECT_EQ(engine.setCodecPriority("PCMA/8000/1", 0), -1);
    release.set_value();
    EXPECT_EQ(engine.releaseCall(idIn(incoming)), 0);
    EXPECT_TRUE(events.waitFor("call " + std::to_string(idIn(incoming)) + " 6", 10s));

    const int id = establishedCallTo(peer);
    EXPECT_EQ(id, idIn(incoming) + 1) << "the call asked for while the engine was held never started";
    engine.releaseCall(id);
    EXPECT_EQ(peer.wait(10s), 0);
    const auto offer = offeredCodecs(peer.messages());
    EXPECT_NE(std::find(offer.begin(), offer.end(), "PCMA"), offer.end()) << "PCMA stays on";
}

// A stop gives up waiting on a held engine thread; the stack goes down once
// the thread is free, and no new start comes before that.
TEST_F(EnginePeers, ShutdownGivesUpOnAHeldEngine) {
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    engine.onCallIncoming([&, released](int call, const std::string& uri) {
        events.add("incoming " + std::to_string(call) + " " + uri);
        released.wait_for(60s);
    });
    Sipp caller(Scenarios, "uac-answered.xml", freeUdpPort(),
                {"-s", "ringlark", "127.0.0.1:" + std::to_string(sipPort)});
    ASSERT_FALSE(events.waitForPrefix("incoming ", 10s).empty()) << caller.messages();

    EXPECT_EQ(engine.shutdown(), 0) << "returned although the engine thread is held";
    EXPECT_EQ(engine.init(0, freeUdpPort()), -1) << "no second engine beside the held one";
    release.set_value();
    int started = -1;
    for (int attempt = 0; attempt < 100 && started != 0; ++attempt) {
        std::this_thread::sleep_for(100ms);
        started = engine.init(0, freeUdpPort());
    }
    ASSERT_EQ(started, 0) << "starts again once the held thread has stopped its stack";
    enableCodecs();
    Sipp peer(Scenarios, "uas", freeUdpPort());
    const int id = establishedCallTo(peer);
    engine.releaseCall(id);
    EXPECT_EQ(peer.wait(10s), 0) << peer.messages();
}

TEST_F(EnginePeers, TwoEnginesCallEachOtherThroughKamailio) {
    const int proxyPort = freeUdpPort();
    auto kamailio = startKamailio(temp.path(), proxyPort, "secret");
    ASSERT_TRUE(kamailio->running()) << readText(temp.path() / "kamailio.out");

    const fs::path bobOutput = temp.path() / "bob.out";
    Process bob(
        {ENGINE_PEER, ENGINE_DIR, std::to_string(freeUdpPort()), "bob", "secret", std::to_string(proxyPort)},
        bobOutput, {"XDG_DATA_HOME=" + (temp.path() / "bob").string()});
    ASSERT_TRUE(waitForLine(bobOutput, "reg 0 200", 15s)) << readText(bobOutput);

    const int alice = registerWith(proxyPort, "alice", "secret");
    ASSERT_TRUE(events.waitFor("reg " + std::to_string(alice) + " 200", 15s))
        << testing::PrintToString(events.all());
    const int mallory = registerWith(proxyPort, "mallory", "guess");
    EXPECT_TRUE(events.waitFor("reg " + std::to_string(mallory) + " 401", 15s))
        << "the proxy checks passwords";

    const int call = engine.makeCall(alice, uriAt(proxyPort, "bob"));
    ASSERT_GE(call, 0);
    EXPECT_TRUE(events.waitFor("call " + std::to_string(call) + " 5", 15s))
        << testing::PrintToString(events.all());
    EXPECT_TRUE(waitForLine(bobOutput, "call 0 5", 10s)) << readText(bobOutput);
    EXPECT_NE(readText(bobOutput).find("incoming 0 sip:alice@127.0.0.1"), std::string::npos)
        << readText(bobOutput);

    EXPECT_EQ(engine.releaseCall(call), 0);
    EXPECT_TRUE(events.waitFor("call " + std::to_string(call) + " 6", 10s));
    EXPECT_TRUE(waitForLine(bobOutput, "call 0 6", 10s)) << readText(bobOutput);
    bob.terminate();
    EXPECT_EQ(bob.wait(10s), 0);
}
