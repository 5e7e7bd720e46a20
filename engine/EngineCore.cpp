// The engine library: a SIP user agent on liblinphone behind the C exports of
// RinglarkEngine.h. The SIP stack is not thread-safe, so one engine thread
// owns it: every export hands its work to that thread and waits for it, and
// every callback to the dialer is made from it.
#include "EngineCore.h"

#include <alsa/asoundlib.h>
#include <arpa/inet.h>
#include <climits>
#include <csignal>
#include <mediastreamer2/mssndcard.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string_view>

namespace fs = std::filesystem;

namespace ringlark {
namespace {

constexpr auto IterateEvery = std::chrono::milliseconds(20);
// With no call up and no registration under way the stack needs no short period:
// what it waits for then (an incoming call, a refresh) is late by this at most.
constexpr auto IdlePeriod = std::chrono::milliseconds(100);
// How long an export waits for the engine thread, which the stack or a dialer's
// callback may keep busy, before it gives up with -1.
constexpr auto AnswerWithin = std::chrono::milliseconds(5000);
// Starting takes a fraction of a second and stopping a little over 2 s (the
// un-REGISTER is given 2 s); a thread held longer than this, in a callback say,
// is left to stop the stack when it is free.
constexpr auto StopWithin = std::chrono::milliseconds(8000);
constexpr int LongTimeoutSeconds = 24 * 3600; // silent calls are never dropped by the stack
// An unanswered incoming call ends after this long: longer than anyone lets a phone ring and than the
// no-answer forwarding of networks (20-60 s), so those act first; short enough that calls whose caller
// never cancels (lost CANCEL, a flood) free the lines within a couple of minutes.
constexpr int RingSeconds = 90;

// A UDP port free on `address` a moment ago; the stack's own random choice would
// leave its contact address without a port.
int freeUdpPort(const char* address) {
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = address && *address ? ::inet_addr(address) : htonl(INADDR_ANY);
    int port = 0;
    socklen_t length = sizeof local;
    if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length) == 0)
        port = ntohs(local.sin_port);
    if (fd >= 0)
        ::close(fd);
    return port;
}

// The local port of a UDP socket; 0 for anything else.
int udpPortOf(int fd) {
    int type = 0;
    socklen_t typeLength = sizeof type;
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (::getsockopt(fd, SOL_SOCKET, SO_TYPE, &type, &typeLength) != 0 || type != SOCK_DGRAM ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return 0;
    if (address.ss_family == AF_INET)
        return ntohs(reinterpret_cast<sockaddr_in*>(&address)->sin_port);
    if (address.ss_family == AF_INET6)
        return ntohs(reinterpret_cast<sockaddr_in6*>(&address)->sin6_port);
    return 0;
}

bool hasSoundCard() {
    int card = -1;
    return snd_card_next(&card) == 0 && card >= 0;
}

// "127.0.0.1", "::1" in one spelling each; empty when `text` is no numeric address.
std::string numericAddress(const std::string& text) {
    unsigned char bytes[sizeof(in6_addr)];
    char out[INET6_ADDRSTRLEN] = {};
    for (int family : {AF_INET, AF_INET6})
        if (::inet_pton(family, text.c_str(), bytes) == 1 && ::inet_ntop(family, bytes, out, sizeof out))
            return out;
    return {};
}

// Every address a server's host name resolves to.
void addAddressesOf(const LinphoneAddress* server, std::set<std::string>& into) {
    const char* host = server ? linphone_address_get_domain(server) : nullptr;
    addrinfo hints{};
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    if (!host || ::getaddrinfo(host, nullptr, &hints, &found) != 0)
        return;
    for (addrinfo* it = found; it; it = it->ai_next) {
        char text[NI_MAXHOST];
        if (::getnameinfo(it->ai_addr, it->ai_addrlen, text, sizeof text, nullptr, 0, NI_NUMERICHOST) == 0 &&
            !numericAddress(text).empty())
            into.insert(numericAddress(text));
    }
    ::freeaddrinfo(found);
}

// Where a request came from, by its top Via: the stack adds "received" with the
// source address whenever the sent-by host differs from it.
std::string sourceOf(const char* via) {
    if (!via)
        return {};
    const std::string text(via);
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return std::tolower(c); });
    auto field = [&](std::size_t from, const char* stops) {
        return text.substr(from, text.find_first_of(stops, from) - from);
    };
    if (const auto at = lower.find(";received="); at != std::string::npos)
        return numericAddress(field(at + 10, ";, \t"));
    auto host = text.find_first_not_of(" \t", text.find_first_of(" \t"));
    if (host == std::string::npos)
        return {};
    if (text[host] == '[')
        return numericAddress(field(host + 1, "]"));
    return numericAddress(field(host, ":;, \t"));
}

// What one datagram may cost the stack: its parser takes time quadratic in the
// length of a token (seconds for a host name of 2 kB), and a message whose
// Content-Length exceeds the datagram makes it wait for the rest, ignoring its
// sender meanwhile. Real messages over UDP stay near the path MTU, with tokens
// of some dozens of characters.
constexpr std::size_t MaxDatagram = 8192;
constexpr std::size_t MaxToken = 256;

bool sameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// `data` is the start of a datagram of `size` bytes.
bool acceptableDatagram(std::string_view data, std::size_t size) {
    if (size > MaxDatagram)
        return false;
    if (data.find_first_not_of(" \t\r\n") == std::string_view::npos)
        return true; // a keep-alive
    std::size_t run = 0;
    for (char c : data) {
        run = std::string_view(" \t\r\n,;<>\"", 10).find(c) == std::string_view::npos ? run + 1 : 0;
        if (run > MaxToken)
            return false;
    }
    auto end = data.find("\r\n\r\n");
    std::size_t body = end + 4;
    if (end == std::string_view::npos) {
        end = data.find("\n\n");
        body = end + 2;
    }
    if (end == std::string_view::npos)
        return false; // no end of headers: the stack would wait for more
    std::string_view headers = data.substr(0, end);
    while (!headers.empty()) {
        const auto eol = headers.find('\n');
        const std::string_view line = headers.substr(0, eol);
        headers = eol == std::string_view::npos ? std::string_view() : headers.substr(eol + 1);
        const auto colon = line.find(':');
        if (colon == std::string_view::npos)
            continue;
        const std::string_view name = trimmed(line.substr(0, colon));
        if (!sameName(name, "Content-Length") && !sameName(name, "l"))
            continue;
        const std::string_view value = trimmed(line.substr(colon + 1));
        if (value.empty() || value.size() > 5 ||
            value.find_first_not_of("0123456789") != std::string_view::npos ||
            std::stoul(std::string(value)) > data.size() - body)
            return false;
    }
    return true;
}

constexpr const char* PrivatePrefix = "ringlark-engine-";

// Where the engine's private folders go: the user's runtime folder (private to
// the user, emptied at log-out), else the temporary folder.
std::string privateBase() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    return runtime && *runtime == '/' ? runtime : "/tmp";
}

// Private folders are named after the process that made them; those of processes
// that are gone (crashed, killed) hold credentials and nothing else needs them.
void removeStaleFolders(const std::string& base) {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(base, error)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(PrivatePrefix, 0) != 0)
            continue;
        char* end = nullptr;
        const long pid = std::strtol(name.c_str() + std::strlen(PrivatePrefix), &end, 10);
        struct stat info {};
        if (pid <= 0 || pid > INT_MAX || *end != '-' || ::lstat(entry.path().c_str(), &info) != 0 ||
            !S_ISDIR(info.st_mode) || info.st_uid != ::geteuid())
            continue;
        if (pid != ::getpid() && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
            fs::remove_all(entry.path(), error);
    }
}

std::string dataFolder() {
    const char* data = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    std::string base =
        data && *data == '/' ? data : std::string(home && *home ? home : "/tmp") + "/.local/share";
    return base + "/Ringlark";
}

// "PCMU/8000/1" → {"PCMU", 8000, 1}.
struct CodecName {
    std::string mime;
    int rate = 0;
    int channels = 1;
};

std::optional<CodecName> parseCodec(const char* name) {
    if (!name)
        return std::nullopt;
    std::string text(name);
    CodecName codec;
    std::stringstream in(text);
    std::string rate, channels;
    if (!std::getline(in, codec.mime, '/') || !std::getline(in, rate, '/') || codec.mime.empty())
        return std::nullopt;
    std::getline(in, channels, '/');
    codec.rate = static_cast<int>(std::clamp(std::strtol(rate.c_str(), nullptr, 10), 0L, 1000000L));
    codec.channels = channels.empty()
                         ? 1
                         : static_cast<int>(std::clamp(std::strtol(channels.c_str(), nullptr, 10), 0L, 64L));
    return codec;
}

bool sameCodec(LinphonePayloadType* payload, const CodecName& codec) {
    return strcasecmp(linphone_payload_type_get_mime_type(payload), codec.mime.c_str()) == 0 &&
           linphone_payload_type_get_clock_rate(payload) == codec.rate &&
           linphone_payload_type_get_channels(payload) == codec.channels;
}

std::string codecText(LinphonePayloadType* payload) {
    return std::string(linphone_payload_type_get_mime_type(payload)) + "/" +
           std::to_string(linphone_payload_type_get_clock_rate(payload)) + "/" +
           std::to_string(linphone_payload_type_get_channels(payload));
}

// The stack's audio codecs in its order; the list holds a reference to each.
class AudioPayloads {
  public:
    explicit AudioPayloads(LinphoneCore* core) : list_(linphone_core_get_audio_payload_types(core)) {
        for (bctbx_list_t* it = list_; it; it = bctbx_list_next(it))
            items_.push_back(static_cast<LinphonePayloadType*>(bctbx_list_get_data(it)));
    }
    ~AudioPayloads() {
        bctbx_list_free_with_data(list_, reinterpret_cast<bctbx_list_free_func>(linphone_payload_type_unref));
    }
    AudioPayloads(const AudioPayloads&) = delete;
    AudioPayloads& operator=(const AudioPayloads&) = delete;
    const std::vector<LinphonePayloadType*>& items() const { return items_; }

  private:
    bctbx_list_t* list_;
    std::vector<LinphonePayloadType*> items_;
};

void moveFile(const std::string& from, const std::string& to) {
    std::error_code error;
    fs::rename(from, to, error);
    if (error) { // another file system: copy, then remove
        fs::copy_file(from, to, fs::copy_options::overwrite_existing, error);
        fs::remove(from, error);
    }
}

} // namespace

EngineCore& EngineCore::instance() {
    static EngineCore core;
    return core;
}

// ---- the engine thread -----------------------------------------------------

void EngineCore::loop() {
    engineThread_ = std::this_thread::get_id();
    for (;;) {
        std::deque<std::function<void()>> batch;
        {
            std::unique_lock lock(mutex_);
            wake_.wait_for(lock, busy() ? IterateEvery : IdlePeriod,
                           [this] { return !tasks_.empty() || quit_; });
            batch.swap(tasks_);
            if (quit_ && batch.empty())
                break;
        }
        for (auto& task : batch)
            task();
        if (core_)
            iterate();
    }
    // The stack goes down on its own thread, however long whoever stopped it waited.
    if (core_)
        stopCore();
    {
        std::lock_guard lock(mutex_);
        loopRunning_ = false;
    }
    loopEnded_.notify_all();
}

bool EngineCore::busy() const {
    if (!core_)
        return true;
    if (linphone_core_get_calls_nb(core_) > 0)
        return true;
    return std::any_of(accounts_.begin(), accounts_.end(), [](const auto& entry) {
        return linphone_account_get_state(entry.second) == LinphoneRegistrationProgress;
    });
}

void EngineCore::iterate() {
    screenSipSockets();
    linphone_core_iterate(core_);
}

// The stack reads one datagram from its socket per iteration; before it does,
// whatever it would choke on is taken off the socket unread.
void EngineCore::screenSipSockets() {
    const bool moved = std::any_of(sipSockets_.begin(), sipSockets_.end(),
                                   [&](int fd) { return udpPortOf(fd) != sipPort_; });
    if (sipSockets_.empty() || moved || ++roundsSinceFound_ > 100)
        findSipSockets();
    datagram_.resize(MaxDatagram + 1);
    for (int fd : sipSockets_) {
        for (int dropped = 0; dropped < 256; ++dropped) {
            const ssize_t size =
                ::recv(fd, datagram_.data(), datagram_.size(), MSG_PEEK | MSG_DONTWAIT | MSG_TRUNC);
            if (size < 0 ||
                acceptableDatagram({datagram_.data(), std::min(std::size_t(size), datagram_.size())},
                                   std::size_t(size)))
                break;
            ::recv(fd, datagram_.data(), 0, MSG_DONTWAIT);
        }
    }
}

void EngineCore::findSipSockets() {
    roundsSinceFound_ = 0;
    sipSockets_.clear();
    LinphoneTransports* used = linphone_core_get_transports_used(core_);
    sipPort_ = linphone_transports_get_udp_port(used);
    linphone_transports_unref(used);
    std::error_code error;
    for (const auto& entry : fs::directory_iterator("/proc/self/fd", error)) {
        const int fd = std::atoi(entry.path().filename().c_str());
        if (sipPort_ > 0 && udpPortOf(fd) == sipPort_)
            sipSockets_.push_back(fd);
    }
}

int EngineCore::run(std::function<int()> work) {
    return onEngineThread([this, work = std::move(work)] { return core_ ? work() : -1; }, AnswerWithin);
}

int EngineCore::onEngineThread(std::function<int()> work, std::optional<std::chrono::milliseconds> limit) {
    std::unique_lock lock(mutex_);
    if (!running_)
        return -1;
    if (std::this_thread::get_id() == engineThread_) {
        lock.unlock();
        return work();
    }
    // Shared with the task, which may outlive this wait: the work owns whatever it uses.
    struct Pending {
        std::mutex mutex;
        std::condition_variable done;
        enum { Queued, Running, Done, Abandoned } state = Queued;
        int result = -1;
    };
    auto pending = std::make_shared<Pending>();
    tasks_.emplace_back([pending, work = std::move(work)] {
        {
            std::lock_guard guard(pending->mutex);
            if (pending->state == Pending::Abandoned)
                return;
            pending->state = Pending::Running;
        }
        const int result = work();
        {
            std::lock_guard guard(pending->mutex);
            pending->state = Pending::Done;
            pending->result = result;
        }
        pending->done.notify_all();
    });
    lock.unlock();
    wake_.notify_one();
    std::unique_lock wait(pending->mutex);
    const auto finished = [&] { return pending->state == Pending::Done; };
    if (!limit)
        pending->done.wait(wait, finished);
    else if (!pending->done.wait_for(wait, *limit, finished)) {
        if (pending->state == Pending::Queued)
            pending->state = Pending::Abandoned; // never runs: the caller was told it failed
        return -1;
    }
    return pending->result;
}

// ---- start and stop ----------------------------------------------------------

int EngineCore::init(int sipPort) {
    std::lock_guard lifecycle(lifecycle_);
    {
        std::lock_guard lock(mutex_);
        if (running_)
            return 0; // already started: a second start keeps the running engine and its accounts
        if (loopRunning_)
            return -1; // the last engine thread is still held and has not stopped its stack
        running_ = true;
        quit_ = false;
        loopRunning_ = true;
    }
    thread_ = std::thread([this] { loop(); });
    const int started = onEngineThread([this, sipPort] { return startCore(sipPort); }, StopWithin);
    if (started != 0) {
        stopThread();
        return -1;
    }
    return 0;
}

int EngineCore::startCore(int sipPort) {
    {
        // mkdtemp makes the folder readable by its owner only.
        std::string pattern;
        for (const std::string& base : {privateBase(), std::string("/tmp")}) {
            removeStaleFolders(base);
            pattern = base + "/" + PrivatePrefix + std::to_string(::getpid()) + "-XXXXXX";
            if (::mkdtemp(pattern.data()))
                break;
            pattern.clear();
        }
        if (pattern.empty())
            return -1;
        folder_ = pattern + "/"; // the stack appends file names without a separator
        fs::create_directories(folder_ + "plugins");

        const char* bind = std::getenv("RINGLARK_ENGINE_BIND"); // tests keep everything on loopback
        if (sipPort <= 0)
            sipPort = freeUdpPort(bind);
        {
            std::ofstream rc(folder_ + "linphonerc");
            rc << "[sip]\nsip_port=" << (sipPort > 0 ? sipPort : -1) << "\nsip_tcp_port=0\nsip_tls_port=0\n";
            if (bind && *bind)
                rc << "bind_address=" << bind << "\n[rtp]\nbind_address=" << bind << "\n";
            rc << "[misc]\nmax_calls=16\n";
            // The dialer keeps its own call history: the stack keeps none, neither in memory nor on disk.
            rc << "history_max_size=0\n[storage]\nuri=null\ncall_logs_db_uri=null\n";
        }

        const std::string data = dataFolder();
        std::error_code ignored;
        fs::create_directories(data, ignored);
        LinphoneLoggingService* logging = linphone_logging_service_get();
        // The log goes to a file in the data folder, never to the console.
        static LinphoneLoggingServiceCbs* quiet = [] {
            LinphoneLoggingServiceCbs* callbacks =
                linphone_factory_create_logging_service_cbs(linphone_factory_get());
            linphone_logging_service_cbs_set_log_message_written(
                callbacks, [](LinphoneLoggingService*, const char*, LinphoneLogLevel, const char*) {});
            return callbacks;
        }();
        linphone_logging_service_add_callbacks(logging, quiet);
        bctbx_set_log_handler([](const char*, BctbxLogLevel, const char*, va_list) {});
        linphone_logging_service_set_log_file(logging, data.c_str(), "engine.log", 8 * 1024 * 1024);
        linphone_logging_service_set_log_level(logging, LinphoneLogLevelMessage);

        LinphoneFactory* factory = linphone_factory_get();
        linphone_factory_set_config_dir(factory, folder_.c_str());
        linphone_factory_set_data_dir(factory, folder_.c_str());
        linphone_factory_set_msplugins_dir(factory, (folder_ + "plugins").c_str());
        const bool soundCard = hasSoundCard();
        ms_snd_card_manager_bypass_soundcard_detection(soundCard ? FALSE : TRUE);

        core_ = linphone_factory_create_core_3(factory, (folder_ + "linphonerc").c_str(), nullptr, nullptr);
        if (!core_)
            return -1;
        if (!soundCard) { // no devices: calls still connect, with silence
            linphone_core_set_use_files(core_, TRUE);
            linphone_core_set_play_file(core_, nullptr);
            linphone_core_set_record_file(core_, nullptr);
        }
        linphone_core_set_ring(core_, nullptr);
        linphone_core_set_ringback(core_, nullptr);
        // Media on a port the system picks, unless an account names one: a fixed default
        // would be shared with any other program, or engine, that also uses it.
        linphone_core_set_audio_port(core_, -1);
        linphone_core_enable_video_capture(core_, FALSE);
        linphone_core_enable_video_display(core_, FALSE);
        linphone_core_set_user_agent(core_, "Ringlark", "1.0.7");
        // A GRUU contact carries no port; proxies that do not know GRUU then route
        // in-dialog requests such as BYE to port 5060.
        linphone_core_remove_supported_tag(core_, "gruu");
        linphone_core_set_inc_timeout(core_, RingSeconds);
        linphone_core_set_nortp_timeout(core_, LongTimeoutSeconds);
        // Four lines: a call may be placed or taken while another rings or is up. Which
        // call has the sound is the dialer's affair; it holds the lines it leaves.
        linphone_core_set_media_resource_mode(core_, LinphoneSharedMediaResources);

        LinphoneTransports* transports = linphone_factory_create_transports(factory);
        linphone_transports_set_udp_port(transports, sipPort > 0 ? sipPort : LC_SIP_TRANSPORT_RANDOM);
        linphone_transports_set_tcp_port(transports, LC_SIP_TRANSPORT_DISABLED);
        linphone_transports_set_tls_port(transports, LC_SIP_TRANSPORT_DISABLED);
        linphone_core_set_transports(core_, transports);
        linphone_transports_unref(transports);

        LinphoneCoreCbs* callbacks = linphone_factory_create_core_cbs(factory);
        linphone_core_cbs_set_call_state_changed(callbacks, &EngineCore::onCallStateChanged);
        linphone_core_cbs_set_account_registration_state_changed(callbacks,
                                                                 &EngineCore::onRegistrationChanged);
        linphone_core_cbs_set_dtmf_received(callbacks, &EngineCore::onDtmfReceived);
        linphone_core_add_callbacks(core_, callbacks);
        linphone_core_cbs_unref(callbacks);

        if (linphone_core_start(core_) != 0) {
            linphone_core_unref(core_);
            core_ = nullptr;
            return -1;
        }
        applyEncryption();
        // Only the codecs the dialer names with a priority are offered; until it does, none but
        // telephone events (RFC 2833 DTMF, which the stack adds to every offer by itself).
        priorities_.clear();
        AudioPayloads payloads(core_);
        for (LinphonePayloadType* payload : payloads.items())
            linphone_payload_type_enable(
                payload, strcasecmp(linphone_payload_type_get_mime_type(payload), "telephone-event") == 0);
        return 0;
    }
}

EngineCore::~EngineCore() {
    shutdown();
}

int EngineCore::shutdown() {
    std::lock_guard lifecycle(lifecycle_);
    {
        std::lock_guard lock(mutex_);
        if (!running_)
            return -1;
    }
    stopThread(); // the loop stops the stack as it ends
    return 0;
}

void EngineCore::stopCore() {
    linphone_core_terminate_all_calls(core_);
    for (auto& [id, account] : accounts_) {
        LinphoneAccountParams* params = linphone_account_params_clone(linphone_account_get_params(account));
        linphone_account_params_set_register_enabled(params, FALSE);
        linphone_account_set_params(account, params);
        linphone_account_params_unref(params);
    }
    // Let the un-REGISTER and the BYEs go out, but do not hang on a silent server.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    auto settled = [this] {
        for (auto& [id, account] : accounts_) {
            const auto state = linphone_account_get_state(account);
            if (state == LinphoneRegistrationOk || state == LinphoneRegistrationProgress)
                return false;
        }
        return calls_.empty();
    };
    while (!settled() && std::chrono::steady_clock::now() < deadline) {
        iterate();
        std::this_thread::sleep_for(IterateEvery);
    }
    linphone_core_stop(core_);
    for (auto& [id, call] : calls_)
        linphone_call_unref(call.call);
    calls_.clear();
    accounts_.clear();
    serverAddresses_.clear();
    sipSockets_.clear();
    linphone_core_unref(core_);
    core_ = nullptr;
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
    folder_.clear();
}

void EngineCore::stopThread() {
    {
        std::lock_guard lock(mutex_);
        running_ = false;
        quit_ = true;
    }
    wake_.notify_one();
    if (thread_.joinable()) {
        if (std::this_thread::get_id() == thread_.get_id()) {
            thread_.detach(); // shut down from one of our own callbacks: the loop ends by itself
        } else {
            std::unique_lock lock(mutex_);
            const bool ended = loopEnded_.wait_for(lock, StopWithin, [this] { return !loopRunning_; });
            lock.unlock();
            if (ended)
                thread_.join();
            else
                thread_.detach(); // held: it stops the stack when free, and no new start comes before
        }
    }
    engineThread_ = std::thread::id();
}

// ---- accounts --------------------------------------------------------------

int EngineCore::registerAccount(const AccountRequest& request) {
    return run([=, this] {
        LinphoneFactory* factory = linphone_factory_get();
        LinphoneAddress* identity = linphone_factory_create_address(factory, request.accountUri.c_str());
        if (!identity)
            return -1;
        // REGISTER ignores routes, so a given proxy becomes the server and the route for calls.
        const std::string server = request.proxyUri.empty() ? request.registrarUri : request.proxyUri;
        LinphoneAccountParams* params = linphone_core_create_account_params(core_);
        linphone_account_params_set_identity_address(params, identity);
        linphone_address_unref(identity);
        if (linphone_account_params_set_server_addr(params, server.c_str()) != 0) {
            linphone_account_params_unref(params);
            return -1;
        }
        if (!request.proxyUri.empty()) {
            if (LinphoneAddress* route = linphone_factory_create_address(factory, request.proxyUri.c_str())) {
                bctbx_list_t* routes = bctbx_list_append(nullptr, route);
                linphone_account_params_set_routes_addresses(params, routes);
                bctbx_list_free(routes);
                linphone_address_unref(route);
            }
        }
        if (request.reregisterSeconds > 0)
            linphone_account_params_set_expires(params, request.reregisterSeconds);
        linphone_account_params_set_register_enabled(params, TRUE);

        const char* realm = request.realm == "*" || request.realm.empty() ? nullptr : request.realm.c_str();
        LinphoneAuthInfo* auth = linphone_factory_create_auth_info(
            factory, request.userName.c_str(), nullptr, request.password.c_str(), nullptr, realm, nullptr);
        linphone_core_add_auth_info(core_, auth);
        linphone_auth_info_unref(auth);

        if (request.rtpPort > 0)
            linphone_core_set_audio_port(core_, request.rtpPort);
        if (request.keepAliveSeconds > 0) {
            linphone_config_set_int(linphone_core_get_config(core_), "sip", "keepalive_period",
                                    request.keepAliveSeconds * 1000);
            linphone_core_enable_keep_alive(core_, TRUE);
        }

        LinphoneAccount* account = linphone_core_create_account(core_, params);
        linphone_account_params_unref(params);
        if (!account)
            return -1;
        const int id = nextAccountId_++;
        accounts_[id] = account;
        linphone_core_add_account(core_, account);
        if (request.isDefault || !linphone_core_get_default_account(core_))
            linphone_core_set_default_account(core_, account);
        linphone_account_unref(account); // the core holds it
        return id;
    });
}

// Once an account is registered, calls come through its registrar or proxy only.
// An account counts as registered from its first success until it fails or is
// removed, refreshes included.
bool EngineCore::fromOwnServer(LinphoneCall* call) const {
    if (serverAddresses_.empty())
        return true;
    const LinphoneCallParams* remote = linphone_call_get_remote_params(call);
    const std::string source =
        sourceOf(remote ? linphone_call_params_get_custom_header(remote, "Via") : nullptr);
    return std::any_of(serverAddresses_.begin(), serverAddresses_.end(),
                       [&](const auto& servers) { return servers.second.count(source) > 0; });
}

bool EngineCore::anyAccountRegistered() const {
    for (const auto& [id, account] : accounts_)
        if (linphone_account_get_state(account) == LinphoneRegistrationOk)
            return true;
    return false;
}

void EngineCore::onRegistrationChanged(LinphoneCore*, LinphoneAccount* account,
                                       LinphoneRegistrationState state, const char*) {
    auto& self = instance();
    int id = -1;
    for (const auto& [accountId, known] : self.accounts_)
        if (known == account)
            id = accountId;
    int code = 0;
    if (state == LinphoneRegistrationOk) {
        code = 200;
        const LinphoneAccountParams* params = linphone_account_get_params(account);
        std::set<std::string>& addresses = self.serverAddresses_[id];
        addresses.clear();
        addAddressesOf(linphone_account_params_get_server_address(params), addresses);
        for (const bctbx_list_t* it = linphone_account_params_get_routes_addresses(params); it;
             it = bctbx_list_next(it))
            addAddressesOf(static_cast<const LinphoneAddress*>(bctbx_list_get_data(it)), addresses);
    } else if (state == LinphoneRegistrationFailed) {
        self.serverAddresses_.erase(id);
        const LinphoneErrorInfo* error = linphone_account_get_error_info(account);
        code = error ? linphone_error_info_get_protocol_code(error) : 0;
        // No answer, or nothing listening: the stack makes up a 503 "io error" of its own,
        // which the dialer knows as a time-out. A 503 from the server stays 503.
        const char* phrase = error ? linphone_error_info_get_phrase(error) : nullptr;
        if (code == 0 || (code == 503 && phrase && strcasecmp(phrase, "io error") == 0))
            code = 408;
    } else {
        if (state == LinphoneRegistrationCleared)
            self.serverAddresses_.erase(id);
        return;
    }
    if (auto handler = self.handlers_.regState.load())
        handler(id, code);
}

// ---- calls -----------------------------------------------------------------

EngineCore::Call* EngineCore::find(int callId) {
    auto it = calls_.find(callId);
    return it == calls_.end() ? nullptr : &it->second;
}

int EngineCore::idOf(LinphoneCall* call) {
    for (auto& [id, known] : calls_)
        if (known.call == call)
            return id;
    const int id = nextCallId_++;
    calls_[id].call = linphone_call_ref(call);
    return id;
}

std::string EngineCore::newRecordingPlaceholder() {
    return folder_ + "recording-" + std::to_string(nextRecording_++) + ".wav";
}

// The calls of an account go out under its identity, through its server.
LinphoneProxyConfig* EngineCore::proxyConfigOf(int accountId) {
    auto account = accounts_.find(accountId);
    if (account == accounts_.end())
        return nullptr;
    const LinphoneAddress* identity =
        linphone_account_params_get_identity_address(linphone_account_get_params(account->second));
    for (const bctbx_list_t* it = linphone_core_get_proxy_config_list(core_); it; it = bctbx_list_next(it)) {
        auto* config = static_cast<LinphoneProxyConfig*>(bctbx_list_get_data(it));
        const LinphoneAddress* candidate = linphone_proxy_config_get_identity_address(config);
        if (identity && candidate && linphone_address_weak_equal(identity, candidate))
            return config;
    }
    return nullptr;
}

int EngineCore::makeCall(int accountId, const std::string& destination) {
    return run([=, this] {
        LinphoneAddress* address = linphone_core_interpret_url(core_, destination.c_str());
        if (!address)
            return -1;
        // The recorder must be in the parameters before media starts.
        LinphoneCallParams* params = linphone_core_create_call_params(core_, nullptr);
        linphone_call_params_set_record_file(params, newRecordingPlaceholder().c_str());
        if (LinphoneProxyConfig* from = proxyConfigOf(accountId))
            linphone_call_params_set_proxy_config(params, from);
        LinphoneCall* call = linphone_core_invite_address_with_params(core_, address, params);
        linphone_call_params_unref(params);
        linphone_address_unref(address);
        return call ? idOf(call) : -1;
    });
}

int EngineCore::answerCall(int callId, int statusCode) {
    return run([=, this] {
        Call* call = find(callId);
        if (!call)
            return -1;
        if (statusCode == 200) {
            LinphoneCallParams* params = linphone_core_create_call_params(core_, call->call);
            linphone_call_params_set_record_file(params, newRecordingPlaceholder().c_str());
            const int result = linphone_call_accept_with_params(call->call, params);
            linphone_call_params_unref(params);
            return result;
        }
        return decline(call->call, statusCode);
    });
}

int EngineCore::decline(LinphoneCall* call, int statusCode) {
    LinphoneErrorInfo* error = linphone_factory_create_error_info(linphone_factory_get());
    linphone_error_info_set(error, "SIP", linphone_error_code_to_reason(statusCode), statusCode, nullptr,
                            nullptr);
    const int result = linphone_call_decline_with_error_info(call, error);
    linphone_error_info_unref(error);
    return result;
}

int EngineCore::releaseCall(int callId) {
    return run([=, this] {
        Call* call = find(callId);
        if (!call)
            return -1;
        const auto state = linphone_call_get_state(call->call);
        if (state == LinphoneCallIncomingReceived || state == LinphoneCallIncomingEarlyMedia)
            return linphone_call_decline(call->call, LinphoneReasonDeclined); // unanswered: 603
        return linphone_call_terminate(call->call);
    });
}

int EngineCore::holdCall(int callId) {
    return run([=, this] {
        Call* call = find(callId);
        return call ? linphone_call_pause(call->call) : -1;
    });
}

int EngineCore::retrieveCall(int callId) {
    return run([=, this] {
        Call* call = find(callId);
        return call ? linphone_call_resume(call->call) : -1;
    });
}

int EngineCore::transferCall(int callId, const std::string& destination) {
    return run([=, this] {
        Call* call = find(callId);
        if (!call)
            return -1;
        LinphoneAddress* address = linphone_core_interpret_url(core_, destination.c_str());
        if (!address)
            return -1;
        const int result = linphone_call_transfer_to(call->call, address);
        linphone_address_unref(address);
        return result;
    });
}

int EngineCore::conference(int callId) {
    return run([=, this] {
        if (!find(callId))
            return -1;
        // The stack crashes when a conference call ends without a registered account.
        if (!anyAccountRegistered())
            return -1;
        LinphoneConference* conference = linphone_core_get_conference(core_);
        if (!conference) {
            LinphoneConferenceParams* params = linphone_core_create_conference_params(core_);
            linphone_conference_params_set_audio_enabled(params, TRUE);
            linphone_conference_params_set_local_participant_enabled(params, TRUE);
            conference = linphone_core_create_conference_with_params(core_, params);
            linphone_conference_params_unref(params);
            if (!conference)
                return -1;
        }
        int result = 0;
        for (auto& [id, call] : calls_) {
            const auto state = linphone_call_get_state(call.call);
            const bool live = state == LinphoneCallStreamsRunning || state == LinphoneCallPaused ||
                              state == LinphoneCallPausedByRemote;
            if (live && !linphone_call_get_conference(call.call))
                result |= linphone_conference_add_participant(conference, call.call);
        }
        return result;
    });
}

int EngineCore::dialDtmf(int callId, const std::string& digits, int mode) {
    return run([=, this] {
        Call* call = find(callId);
        if (!call || digits.empty())
            return -1;
        linphone_core_set_use_rfc2833_for_dtmf(core_, mode == 1);
        linphone_core_set_use_info_for_dtmf(core_, mode != 1);
        if (digits.size() == 1)
            return linphone_call_send_dtmf(call->call, digits[0]);
        return linphone_call_send_dtmfs(call->call, digits.c_str());
    });
}

int EngineCore::startRecording(int callId, const std::string& path) {
    return run([=, this] {
        Call* call = find(callId);
        if (!call || path.empty())
            return -1;
        if (recordingCall_ >= 0 && recordingCall_ != callId)
            finishRecording(recordingCall_);
        call->recordTarget = path;
        linphone_call_start_recording(call->call);
        recordingCall_ = callId;
        return 0;
    });
}

int EngineCore::stopRecording() {
    return run([=, this] {
        if (recordingCall_ < 0)
            return -1;
        finishRecording(recordingCall_);
        return 0;
    });
}

// Closes the recorder and puts its file where the dialer asked for it.
void EngineCore::finishRecording(int callId) {
    if (recordingCall_ == callId)
        recordingCall_ = -1;
    Call* call = find(callId);
    if (!call || call->recordTarget.empty())
        return;
    linphone_call_stop_recording(call->call);
    const char* placeholder = linphone_call_params_get_record_file(linphone_call_get_params(call->call));
    if (placeholder && fs::exists(placeholder))
        moveFile(placeholder, call->recordTarget);
    call->recordTarget.clear();
}

void EngineCore::report(int callId, int state) {
    Call* call = find(callId);
    if (!call || call->refused || state <= call->lastReported)
        return; // each state once, forward only
    call->lastReported = state;
    if (auto handler = handlers_.callState.load())
        handler(callId, state);
}

void EngineCore::onCallStateChanged(LinphoneCore*, LinphoneCall* linphoneCall, LinphoneCallState state,
                                    const char*) {
    auto& self = instance();
    const int id = self.idOf(linphoneCall);
    switch (state) {
    case LinphoneCallOutgoingInit:
    case LinphoneCallOutgoingProgress:
        self.report(id, RINGLARK_CALL_CALLING);
        break;
    case LinphoneCallIncomingReceived: {
        if (!self.fromOwnServer(linphoneCall)) {
            self.calls_[id].refused = true;
            decline(linphoneCall, 403);
            break;
        }
        self.report(id, RINGLARK_CALL_INCOMING);
        char* remote = linphone_address_as_string(linphone_call_get_remote_address(linphoneCall));
        if (auto handler = self.handlers_.incoming.load())
            handler(id, remote ? remote : "");
        bctbx_free(remote);
        break;
    }
    case LinphoneCallOutgoingRinging:
    case LinphoneCallOutgoingEarlyMedia:
    case LinphoneCallIncomingEarlyMedia:
        self.report(id, RINGLARK_CALL_EARLY);
        break;
    case LinphoneCallConnected:
        self.report(id, RINGLARK_CALL_CONNECTING);
        break;
    case LinphoneCallStreamsRunning:
        self.report(id, RINGLARK_CALL_CONFIRMED);
        break;
    case LinphoneCallPaused:
        if (auto handler = self.handlers_.holdConfirm.load())
            handler(id);
        break;
    case LinphoneCallError:
    case LinphoneCallEnd:
        self.report(id, RINGLARK_CALL_DISCONNECTED);
        break;
    case LinphoneCallReleased:
        self.report(id, RINGLARK_CALL_DISCONNECTED);
        self.finishRecording(id);
        if (Call* call = self.find(id)) {
            linphone_call_unref(call->call);
            self.calls_.erase(id);
        }
        break;
    default:
        break;
    }
}

void EngineCore::onDtmfReceived(LinphoneCore*, LinphoneCall*, int dtmf) {
    if (auto handler = instance().handlers_.dtmf.load())
        handler(dtmf);
}

// ---- codecs ----------------------------------------------------------------

int EngineCore::setCodecPriority(const char* name, int priority) {
    auto codec = parseCodec(name);
    if (!codec)
        return -1;
    return run([=, this] {
        AudioPayloads payloads(core_);
        auto match = std::find_if(payloads.items().begin(), payloads.items().end(),
                                  [&](LinphonePayloadType* payload) { return sameCodec(payload, *codec); });
        if (match == payloads.items().end())
            return -1;
        linphone_payload_type_enable(*match, priority > 0);
        priorities_[codecText(*match)] = std::clamp(priority, 0, 255);
        // Enabled codecs with a priority first, highest first; the rest keep their order.
        auto rank = [this](LinphonePayloadType* payload) {
            auto it = priorities_.find(codecText(payload));
            return it == priorities_.end() ? 0 : it->second;
        };
        std::vector<LinphonePayloadType*> ordered = payloads.items();
        std::stable_sort(ordered.begin(), ordered.end(),
                         [&](LinphonePayloadType* a, LinphonePayloadType* b) { return rank(a) > rank(b); });
        bctbx_list_t* list = nullptr;
        for (auto* payload : ordered)
            list = bctbx_list_append(list, payload);
        linphone_core_set_audio_payload_types(core_, list);
        bctbx_list_free(list);
        return 0;
    });
}

int EngineCore::codecCount() {
    return run([=, this] { return static_cast<int>(AudioPayloads(core_).items().size()); });
}

const char* EngineCore::codecName(int index) {
    // The name is read on the engine thread and kept for the thread that asked.
    auto found = std::make_shared<std::string>();
    const int result = run([this, index, found] {
        AudioPayloads payloads(core_);
        if (index < 0 || index >= static_cast<int>(payloads.items().size()))
            return -1;
        *found = codecText(payloads.items()[static_cast<std::size_t>(index)]);
        return 0;
    });
    thread_local std::string name;
    name = *found;
    return result == 0 ? name.c_str() : nullptr;
}

// ---- encryption ------------------------------------------------------------

int EngineCore::updateEncryption(const std::function<void(Encryption&)>& change) {
    {
        std::lock_guard lock(mutex_);
        change(encryption_);
        if (!running_)
            return 0; // recorded; applied when the engine starts
    }
    return run([this] {
        applyEncryption();
        return 0;
    });
}

void EngineCore::applyEncryption() {
    Encryption encryption;
    {
        std::lock_guard lock(mutex_);
        encryption = encryption_;
    }
    const bool srtp = encryption.mediaEnabled;
    linphone_core_set_media_encryption(core_,
                                       srtp ? LinphoneMediaEncryptionSRTP : LinphoneMediaEncryptionNone);
    linphone_core_set_media_encryption_mandatory(core_, srtp);
}

} // namespace ringlark
