#include "HttpClient.h"

#include <curl/curl.h>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

using Clock = std::chrono::steady_clock;

namespace {

class Socket {
  public:
    explicit Socket(int fd) : fd_(fd) {}
    ~Socket() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    int fd() const { return fd_; }

  private:
    int fd_;
};

int remainingMs(Clock::time_point deadline, std::chrono::milliseconds cap) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return static_cast<int>(std::max<long long>(0, std::min(left, cap).count()));
}

bool waitFor(int fd, short events, int timeoutMs) {
    pollfd entry{fd, events, 0};
    int ready;
    do {
        ready = ::poll(&entry, 1, timeoutMs);
    } while (ready < 0 && errno == EINTR);
    return ready > 0;
}

// Connects without blocking longer than the limit; false when refused or silent.
bool connectWithin(int fd, const addrinfo& address, int timeoutMs) {
    const int flags = ::fcntl(fd, F_GETFL);
    ::fcntl(fd, F_SETFL, flags | O_NONBLOCK);
    if (::connect(fd, address.ai_addr, address.ai_addrlen) != 0) {
        if (errno != EINPROGRESS || !waitFor(fd, POLLOUT, timeoutMs))
            return false;
        int error = 0;
        socklen_t length = sizeof error;
        if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0)
            return false;
    }
    return true;
}

bool sendAll(int fd, const std::string& bytes, Clock::time_point deadline, std::chrono::milliseconds idle) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        if (!waitFor(fd, POLLOUT, remainingMs(deadline, idle)))
            return false;
        const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n <= 0)
            return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

// Receives up to `size` bytes; 0 at the end, an error or a time-out. Past the
// deadline nothing more is taken, even when bytes are waiting.
ssize_t receive(int fd, char* buffer, std::size_t size, Clock::time_point deadline,
                std::chrono::milliseconds idle) {
    for (;;) {
        if (Clock::now() >= deadline || !waitFor(fd, POLLIN, remainingMs(deadline, idle)))
            return 0;
        const ssize_t n = ::recv(fd, buffer, size, 0);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        return n < 0 ? 0 : n;
    }
}

// One FetchUrl transfer: the body so far and when a byte last arrived.
struct Transfer {
    std::string body;
    std::size_t maxBytes;
    std::chrono::milliseconds idle;
    Clock::time_point lastByte = Clock::now();
};

std::size_t collect(char* data, std::size_t size, std::size_t count, void* context) {
    auto* transfer = static_cast<Transfer*>(context);
    transfer->lastByte = Clock::now();
    const std::size_t bytes = size * count;
    const std::size_t room = transfer->maxBytes - std::min(transfer->maxBytes, transfer->body.size());
    transfer->body.append(data, std::min(bytes, room));
    // Once full, stop the transfer instead of reading a long or endless body to its end.
    return transfer->body.size() < transfer->maxBytes ? bytes : 0;
}

std::size_t headerArrived(char*, std::size_t size, std::size_t count, void* context) {
    static_cast<Transfer*>(context)->lastByte = Clock::now();
    return size * count;
}

// Called at least once a second; non-zero ends a transfer that has been silent too long.
int checkSilence(void* context, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    const auto* transfer = static_cast<Transfer*>(context);
    return Clock::now() - transfer->lastByte >= transfer->idle ? 1 : 0;
}

} // namespace

std::optional<HttpExchange> HttpClient::exchange(const std::string& address, const std::string* body,
                                                 const std::string& extraHeaders) {
    const UrlParts url = SplitUrl(address);
    if (url.scheme != "HTTP")
        return std::nullopt;

    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(url.host.c_str(), std::to_string(url.port).c_str(), &hints, &found) != 0 || !found)
        return std::nullopt;
    Socket socket(::socket(found->ai_family, found->ai_socktype | SOCK_CLOEXEC, found->ai_protocol));
    const bool connected =
        socket.fd() >= 0 && connectWithin(socket.fd(), *found, static_cast<int>(limits_.connect.count()));
    ::freeaddrinfo(found);
    if (!connected)
        return std::nullopt;

    HttpExchange result;
    result.requestText = BuildRequestText(url, body, extraHeaders);
    const auto deadline = Clock::now() + limits_.total;
    if (!sendAll(socket.fd(), result.requestText, deadline, limits_.idle))
        return result; // nothing came back: an empty reply

    // A header block that did not end (closed, silent, too long, too late) ends the
    // exchange: waiting again for a body would double the silence limit.
    HeaderBlockEnd end;
    bool headerEnded = false;
    char byte;
    while (!headerEnded && result.headerText.size() < limits_.maxReply &&
           receive(socket.fd(), &byte, 1, deadline, limits_.idle) == 1) {
        result.headerText += byte;
        headerEnded = end.feed(byte);
    }
    if (!headerEnded)
        return result;
    char chunk[511];
    for (std::size_t room;
         (room = limits_.maxReply - result.headerText.size() - result.bodyBytes.size()) > 0;) {
        const ssize_t n = receive(socket.fd(), chunk, std::min(room, sizeof chunk), deadline, limits_.idle);
        if (n <= 0)
            break;
        result.bodyBytes.append(chunk, static_cast<std::size_t>(n));
    }
    return result;
}

std::optional<std::string> HttpClient::fetch(const std::string& address, std::size_t maxBytes) {
    static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == 0;
    if (!initialised)
        return std::nullopt;
    CURL* curl = curl_easy_init();
    if (!curl)
        return std::nullopt;
    Transfer transfer{{}, maxBytes, limits_.idle};
    curl_easy_setopt(curl, CURLOPT_URL, address.c_str());
    curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, collect);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, headerArrived);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, checkSilence);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(limits_.connect.count()));
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(limits_.total.count()));
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    const CURLcode result = curl_easy_perform(curl);
    curl_easy_cleanup(curl);
    const bool full = result == CURLE_WRITE_ERROR && transfer.body.size() >= maxBytes;
    if (result != CURLE_OK && !full)
        return std::nullopt;
    return transfer.body;
}
