#pragma once

// Real SIP peers on 127.0.0.1 for the engine's tests: sipp scenarios, a
// kamailio registrar, and a log of what the engine reported.

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <sys/types.h>
#include <vector>

// A UDP port that was free a moment ago.
int freeUdpPort();

// A child process; killed when it goes out of scope.
class Process {
  public:
    Process(std::vector<std::string> argv, const std::filesystem::path& output,
            std::vector<std::string> extraEnvironment = {});
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    // The exit code; -1 when it did not end within `limit`.
    int wait(std::chrono::milliseconds limit);
    bool running();
    void terminate();
    pid_t pid() const { return pid_; }

  private:
    pid_t pid_ = -1;
    int status_ = -1;
};

// sipp running one call of a scenario on its own ports, tracing every message
// into the temporary folder; stopped, and its files removed, when it goes out of scope.
class Sipp {
  public:
    // `scenario`: a file under `folder` (or an absolute path), or "uas" for sipp's built-in answering side.
    Sipp(const std::filesystem::path& folder, const std::filesystem::path& scenario, int port,
         std::vector<std::string> extra = {});
    ~Sipp();
    Sipp(const Sipp&) = delete;
    Sipp& operator=(const Sipp&) = delete;
    int wait(std::chrono::milliseconds limit) { return process_.wait(limit); }
    std::string messages() const;
    int port() const { return port_; }

  private:
    int port_;
    std::filesystem::path log_, output_;
    Process process_;
};

// What the engine reported, one line an event ("reg 0 200", "call 3 5", ...).
class EventLog {
  public:
    void add(std::string event);
    bool waitFor(const std::string& event, std::chrono::milliseconds limit);
    // The first event that starts with `prefix`, waited for.
    std::string waitForPrefix(const std::string& prefix, std::chrono::milliseconds limit);
    std::vector<std::string> all();
    void clear();

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> events_;
};

std::string readText(const std::filesystem::path& path);

// A number the registrar hands to a peer on 127.0.0.1 that never registers.
struct StaticRoute {
    std::string number;
    int port;
};

// A kamailio registrar and proxy on 127.0.0.1:`port` that asks every REGISTER
// for digest credentials with `password`, and routes calls to registered users
// and to the numbers of `routes`.
std::filesystem::path writeKamailioConfig(const std::filesystem::path& folder, int port,
                                          const std::string& password,
                                          const std::vector<StaticRoute>& routes = {});
// Starts kamailio with that configuration; check running() before use.
std::unique_ptr<Process> startKamailio(const std::filesystem::path& folder, int port,
                                       const std::string& password,
                                       const std::vector<StaticRoute>& routes = {});

// Polls a file until it holds `line` as a whole line.
bool waitForLine(const std::filesystem::path& output, const std::string& line,
                 std::chrono::milliseconds limit);
