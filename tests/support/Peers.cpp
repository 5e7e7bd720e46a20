#include "Peers.h"

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <netinet/in.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;
using namespace std::chrono_literals;

int freeUdpPort() {
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

Process::Process(std::vector<std::string> argv, const std::filesystem::path& output,
                 std::vector<std::string> extraEnvironment) {
    // The extra entries first: they win over the inherited ones of the same name.
    std::vector<std::string> environment = extraEnvironment;
    for (char** entry = environ; *entry; ++entry)
        environment.emplace_back(*entry);
    std::vector<char*> envp, args;
    for (auto& entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);
    for (auto& arg : argv)
        args.push_back(arg.data());
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    // A group of its own, so that servers which fork (kamailio) go down whole.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    if (posix_spawnp(&pid_, args[0], &actions, &attributes, args.data(), envp.data()) != 0)
        pid_ = -1;
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
}

Process::~Process() {
    if (pid_ <= 0)
        return;
    if (running()) {
        ::kill(-pid_, SIGTERM);
        if (wait(3s) == -1) {
            ::kill(-pid_, SIGKILL);
            wait(5s);
        }
    }
    ::kill(-pid_, SIGKILL); // children the leader left behind
}

int Process::wait(std::chrono::milliseconds limit) {
    if (pid_ < 0)
        return -1;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (status_ < 0) {
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            break;
        }
        if (std::chrono::steady_clock::now() >= deadline)
            return -1;
        std::this_thread::sleep_for(20ms);
    }
    return status_;
}

bool Process::running() {
    return pid_ > 0 && status_ < 0 && wait(0ms) == -1;
}

void Process::terminate() {
    if (running())
        ::kill(-pid_, SIGTERM);
}

namespace {

std::vector<std::string> sippArguments(const std::filesystem::path& folder,
                                       const std::filesystem::path& scenario, int port,
                                       const std::filesystem::path& log, std::vector<std::string> extra) {
    std::filesystem::remove(log);
    std::vector<std::string> args{"sipp"};
    if (scenario == "uas")
        args.insert(args.end(), {"-sn", "uas"});
    else
        args.insert(args.end(), {"-sf", (folder / scenario).string()});
    args.insert(args.end(), {"-i", "127.0.0.1", "-mi", "127.0.0.1", "-p", std::to_string(port), "-mp",
                             std::to_string(freeUdpPort()), "-bind_local", "-nostdin", "-timeout", "60s",
                             "-trace_msg", "-message_file", log.string(), "-m", "1"});
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
}

} // namespace

Sipp::Sipp(const std::filesystem::path& folder, const std::filesystem::path& scenario, int port,
           std::vector<std::string> extra)
    : port_(port),
      log_(std::filesystem::temp_directory_path() / ("ringlark-sipp-" + std::to_string(port) + ".log")),
      output_(std::filesystem::temp_directory_path() / ("ringlark-sipp-" + std::to_string(port) + ".out")),
      process_(sippArguments(folder, scenario, port, log_, std::move(extra)), output_) {
    // sipp needs a moment to open its socket.
    std::this_thread::sleep_for(300ms);
}

Sipp::~Sipp() {
    process_.terminate();
    process_.wait(5s);
    std::error_code ignored;
    std::filesystem::remove(log_, ignored);
    std::filesystem::remove(output_, ignored);
}

std::string Sipp::messages() const {
    return readText(log_);
}

void EventLog::add(std::string event) {
    {
        std::lock_guard lock(mutex_);
        events_.push_back(std::move(event));
    }
    changed_.notify_all();
}

bool EventLog::waitFor(const std::string& event, std::chrono::milliseconds limit) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(
        lock, limit, [&] { return std::find(events_.begin(), events_.end(), event) != events_.end(); });
}

std::string EventLog::waitForPrefix(const std::string& prefix, std::chrono::milliseconds limit) {
    std::unique_lock lock(mutex_);
    std::string found;
    changed_.wait_for(lock, limit, [&] {
        for (const auto& event : events_)
            if (event.rfind(prefix, 0) == 0) {
                found = event;
                return true;
            }
        return false;
    });
    return found;
}

std::vector<std::string> EventLog::all() {
    std::lock_guard lock(mutex_);
    return events_;
}

void EventLog::clear() {
    std::lock_guard lock(mutex_);
    events_.clear();
}

std::string readText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::filesystem::path writeKamailioConfig(const std::filesystem::path& folder, int port,
                                          const std::string& password,
                                          const std::vector<StaticRoute>& routes) {
    const std::filesystem::path path = folder / "kamailio.cfg";
    std::string staticRoutes;
    for (const auto& route : routes)
        staticRoutes += "  if ($rU == \"" + route.number +
                        "\") { $du = \"sip:127.0.0.1:" + std::to_string(route.port) +
                        "\"; t_relay(); exit; }\n";
    std::ofstream(path)
        << "#!KAMAILIO\n"
           "listen=udp:127.0.0.1:"
        << port
        << "\n"
           "children=1\ndisable_tcp=yes\nlog_stderror=yes\ndebug=1\n"
           "mpath=\"/usr/lib/x86_64-linux-gnu/kamailio/modules/\"\n"
           "loadmodule \"tm.so\"\nloadmodule \"sl.so\"\nloadmodule \"rr.so\"\nloadmodule \"pv.so\"\n"
           "loadmodule \"maxfwd.so\"\nloadmodule \"usrloc.so\"\nloadmodule \"registrar.so\"\n"
           "loadmodule \"siputils.so\"\nloadmodule \"auth.so\"\nloadmodule \"textops.so\"\n"
           "request_route {\n"
           "  if (!mf_process_maxfwd_header(\"10\")) { sl_send_reply(\"483\", \"Too Many Hops\"); exit; }\n"
           "  if (has_totag()) { if (loose_route() || is_method(\"BYE|ACK|INVITE|REFER|NOTIFY|INFO\")) "
           "{ t_relay(); } exit; }\n"
           "  if (is_method(\"REGISTER\")) {\n"
           "    if (!pv_www_authenticate(\"$td\", \""
        << password
        << "\", \"0\")) { www_challenge(\"$td\", \"0\"); exit; "
           "}\n"
           "    save(\"location\"); exit;\n"
           "  }\n"
           "  if (is_method(\"INVITE\")) { record_route(); }\n"
        << staticRoutes
        << "  if (!lookup(\"location\")) { sl_send_reply(\"404\", \"Not Found\"); exit; }\n"
           "  t_relay();\n"
           "}\n";
    return path;
}

std::unique_ptr<Process> startKamailio(const std::filesystem::path& folder, int port,
                                       const std::string& password, const std::vector<StaticRoute>& routes) {
    auto kamailio = std::make_unique<Process>(
        std::vector<std::string>{"kamailio", "-f",
                                 writeKamailioConfig(folder, port, password, routes).string(), "-DD", "-E",
                                 "-Y", folder.string(), "-P", (folder / "kamailio.pid").string()},
        folder / "kamailio.out");
    std::this_thread::sleep_for(500ms);
    return kamailio;
}

bool waitForLine(const std::filesystem::path& output, const std::string& line,
                 std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        if (readText(output).find(line + "\n") != std::string::npos)
            return true;
        std::this_thread::sleep_for(50ms);
    }
    return false;
}
