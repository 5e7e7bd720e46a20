// Measures the engine library the way the dialer drives it:
//   engine_bench ENGINE_DIR REGISTRAR_PORT CALLEE_PORT
// prints "start_ms=… init_to_200_ms=… rss_registered_kb=… idle_cpu_percent=… rss_call_kb=…".
#include "platform/EngineLibrary.h"

#include <sys/resource.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>

using Clock = std::chrono::steady_clock;

namespace {

long rssKb() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: engine_bench ENGINE_DIR REGISTRAR_PORT CALLEE_PORT\n");
        return 2;
    }
    std::mutex mutex;
    std::condition_variable changed;
    int registration = 0, callState = 0;

    const auto start = Clock::now();
    EngineLibrary engine(argv[1]);
    if (!engine.load())
        return 1;
    engine.onRegState([&](int, int code) {
        std::lock_guard lock(mutex);
        registration = code;
        changed.notify_all();
    });
    engine.onCallState([&](int, int state) {
        std::lock_guard lock(mutex);
        callState = state;
        changed.notify_all();
    });
    const auto initStart = Clock::now();
    engine.init(0, 0);
    const std::string aor = std::string("sip:bench@127.0.0.1:") + argv[2];
    const int account = engine.registerAccount(aor, aor, "*", "bench", "secret", nullptr, 1, 300, 0, 0);
    {
        std::unique_lock lock(mutex);
        changed.wait_for(lock, std::chrono::seconds(10), [&] { return registration != 0; });
    }
    const double initTo200 = msSince(initStart), startTo200 = msSince(start);
    if (registration != 200)
        return 1;

    std::this_thread::sleep_for(std::chrono::seconds(1));
    const long rssRegistered = rssKb();
    const double cpuBefore = cpuSeconds();
    std::this_thread::sleep_for(std::chrono::seconds(10));
    const double idlePercent = (cpuSeconds() - cpuBefore) / 10.0 * 100.0;

    const int call = engine.makeCall(account, std::string("sip:service@127.0.0.1:") + argv[3]);
    {
        std::unique_lock lock(mutex);
        changed.wait_for(lock, std::chrono::seconds(10), [&] { return callState == 5; });
    }
    std::this_thread::sleep_for(std::chrono::seconds(2));
    const long rssCall = callState == 5 ? rssKb() : -1;
    engine.releaseCall(call);
    engine.shutdown();
    std::printf("start_to_200_ms=%.0f init_to_200_ms=%.0f rss_registered_kb=%ld idle_cpu_percent=%.2f "
                "rss_call_kb=%ld\n",
                startTo200, initTo200, rssRegistered, idlePercent, rssCall);
    return 0;
}
