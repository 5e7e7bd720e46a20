// A second engine in its own process, for tests that need two: it registers
// with a registrar, answers every incoming call, and prints each event on a
// line of its own until it is terminated.
//   engine_peer ENGINE_DIR SIP_PORT USER PASSWORD REGISTRAR_PORT
#include "platform/EngineLibrary.h"

#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <deque>
#include <mutex>
#include <string>

namespace {

std::mutex mutex;
std::condition_variable wake;
std::deque<int> toAnswer;
volatile std::sig_atomic_t stop = 0;

void say(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 6) {
        std::fprintf(stderr, "usage: engine_peer ENGINE_DIR SIP_PORT USER PASSWORD REGISTRAR_PORT\n");
        return 2;
    }
    std::signal(SIGTERM, [](int) { stop = 1; });
    EngineLibrary engine(argv[1]);
    if (!engine.load())
        return 1;
    engine.onRegState(
        [](int account, int code) { say("reg " + std::to_string(account) + " " + std::to_string(code)); });
    engine.onCallState(
        [](int call, int state) { say("call " + std::to_string(call) + " " + std::to_string(state)); });
    engine.onCallIncoming([](int call, const std::string& uri) {
        say("incoming " + std::to_string(call) + " " + uri);
        std::lock_guard lock(mutex);
        toAnswer.push_back(call);
        wake.notify_one();
    });
    if (engine.init(0, std::stoi(argv[2])) != 0)
        return 1;
    for (const char* codec : {"PCMU/8000/1", "PCMA/8000/1"})
        engine.setCodecPriority(codec, 255);
    const std::string aor = std::string("sip:") + argv[3] + "@127.0.0.1:" + argv[5];
    engine.registerAccount(aor, aor, "*", argv[3], argv[4], nullptr, 1, 300, 0, 0);
    while (!stop) {
        std::unique_lock lock(mutex);
        wake.wait_for(lock, std::chrono::milliseconds(50), [] { return !toAnswer.empty(); });
        while (!toAnswer.empty()) {
            const int call = toAnswer.front();
            toAnswer.pop_front();
            lock.unlock();
            engine.answerCall(call, 200);
            lock.lock();
        }
    }
    engine.shutdown();
    say("stopped");
    return 0;
}
