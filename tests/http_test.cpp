// The transports on real sockets against small servers on 127.0.0.1.
#include "platform/HttpClient.h"
#include "services/Http.h"
#include "support/Fakes.h"
#include "support/Peers.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <fstream>
#include <thread>

using namespace std::chrono_literals;

namespace {

// After the reply, `piece` again and again with `pause` between, until the
// client goes, the server's hold ends or `upTo` bytes went out in all.
struct Stream {
    std::string piece;
    std::chrono::milliseconds pause = 0ms;
    std::size_t upTo = 64 << 20;
};

// Accepts one connection, keeps what the client sent, answers with `reply`,
// then waits `holdOpen` (streaming, if asked) before closing (or closes at once).
class OneShotServer {
  public:
    explicit OneShotServer(std::string reply, std::chrono::milliseconds holdOpen = 0ms, bool answer = true,
                           Stream stream = {})
        : reply_(std::move(reply)), holdOpen_(holdOpen), answer_(answer), stream_(std::move(stream)) {
        listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        int on = 1;
        ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        socklen_t length = sizeof address;
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        ::listen(listener_, 1);
        thread_ = std::thread([this] { serve(); });
    }
    ~OneShotServer() {
        stop_ = true;
        thread_.join();
        ::close(listener_);
    }
    int port() const { return port_; }
    std::string url(const std::string& host = "127.0.0.1") const {
        return "http://" + host + ":" + std::to_string(port_) + "/";
    }
    const std::string& received() const { return received_; }
    bool connected() const { return connected_; }

  private:
    void serve() {
        pollfd waiting{listener_, POLLIN, 0};
        while (!stop_ && ::poll(&waiting, 1, 50) <= 0) {
        }
        if (stop_)
            return;
        const int client = ::accept(listener_, nullptr, nullptr);
        connected_ = true;
        // Take the request: everything until the client has been quiet for a moment.
        char buffer[4096];
        pollfd reading{client, POLLIN, 0};
        while (::poll(&reading, 1, 200) > 0) {
            const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
            if (n <= 0)
                break;
            received_.append(buffer, static_cast<std::size_t>(n));
        }
        if (answer_)
            ::send(client, reply_.data(), reply_.size(), MSG_NOSIGNAL);
        const auto until = std::chrono::steady_clock::now() + holdOpen_;
        std::size_t sent = reply_.size();
        while (!stop_ && std::chrono::steady_clock::now() < until) {
            pollfd writing{client, POLLOUT, 0};
            if (stream_.piece.empty() || sent >= stream_.upTo || ::poll(&writing, 1, 10) <= 0) {
                std::this_thread::sleep_for(10ms);
                continue;
            }
            const ssize_t n =
                ::send(client, stream_.piece.data(), stream_.piece.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n < 0 && errno != EAGAIN)
                break; // the client has gone
            sent += n > 0 ? static_cast<std::size_t>(n) : 0;
            std::this_thread::sleep_for(stream_.pause);
        }
        ::close(client);
    }

    std::string reply_;
    std::chrono::milliseconds holdOpen_;
    bool answer_;
    Stream stream_;
    int listener_ = -1;
    int port_ = 0;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> connected_{false};
    std::string received_;
};

const HttpClient::Limits Quick{500ms, 300ms, 2000ms};

// A TCP port on 127.0.0.1 that was free a moment ago.
int freeTcpPort() {
    const int probe = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(probe);
    return ntohs(address.sin_port);
}

} // namespace

TEST(HttpClient, SendsExactlyTheRequestBytes) {
    OneShotServer server("HTTP/1.0 200 OK\r\nServer: t\r\n\r\nhello");
    HttpClient http(Quick);
    const std::string body = "&qdstsa=00-1A-2B-3C-4D-5E&fjfptm=1.0.7&faazdj=wbapux";
    const std::string address = "http://localhost:" + std::to_string(server.port()) + "/Prov?Key=Value";
    auto exchange = http.exchange(address, &body, "Content-Type: application/x-www-form-urlencoded\r\n");
    ASSERT_TRUE(exchange);
    EXPECT_EQ(server.received(), exchange->requestText);
    EXPECT_EQ(exchange->requestText, BuildRequestText(SplitUrl(address), &body,
                                                      "Content-Type: application/x-www-form-urlencoded\r\n"));
    EXPECT_NE(exchange->requestText.find("\r\nHost: LOCALHOST\r\n"), std::string::npos);
    EXPECT_EQ(exchange->requestText.rfind("POST /Prov?Key=Value HTTP/1.0\r\n", 0), 0u);
    EXPECT_EQ(exchange->headerText, "HTTP/1.0 200 OK\r\nServer: t\r\n\r\n");
    EXPECT_EQ(exchange->bodyBytes, "hello");
}

TEST(HttpClient, RepliesOfEveryShape) {
    struct Case {
        const char* what;
        std::string reply;
        std::string header, body;
    };
    const std::string big(900 * 1024 + 7, 'b'); // under the 1 MB cap
    const Case cases[] = {
        {"no header block", "just bytes", "just bytes", ""},
        {"bare line feeds", "HTTP/1.0 200 OK\nA: b\n\nbody", "HTTP/1.0 200 OK\nA: b\n\n", "body"},
        {"binary body with NUL", std::string("H\r\n\r\n\0\xff\x01", 8), "H\r\n\r\n",
         std::string("\0\xff\x01", 3)},
        {"an error page is a reply like any other", "HTTP/1.0 500 Oops\r\n\r\n<html>500</html>",
         "HTTP/1.0 500 Oops\r\n\r\n", "<html>500</html>"},
        {"large, under the cap", "H\r\n\r\n" + big, "H\r\n\r\n", big},
        {"closed without a byte", "", "", ""},
    };
    for (const auto& c : cases) {
        OneShotServer server(c.reply);
        HttpClient http(HttpClient::Limits{500ms, 1000ms, 10000ms});
        auto exchange = http.exchange(server.url(), nullptr, "");
        ASSERT_TRUE(exchange) << c.what;
        EXPECT_EQ(exchange->headerText, c.header) << c.what;
        EXPECT_EQ(exchange->bodyBytes.size(), c.body.size()) << c.what;
        EXPECT_TRUE(exchange->bodyBytes == c.body) << c.what;
    }
}

TEST(HttpClient, SilentServerGivesAnEmptyReplyInBoundedTime) {
    OneShotServer server("", 5000ms, false); // accepts, reads, never answers
    HttpClient http(Quick);
    const auto start = std::chrono::steady_clock::now();
    std::u16string body = u"x=1", header, reply;
    SendRequest(http, true, server.url(), body, header, reply);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
    EXPECT_EQ(reply, u"");
    EXPECT_EQ(header, u"");
}

TEST(HttpClient, ConnectionHeldOpenIsCutAtTheTotalLimit) {
    OneShotServer server("H\r\n\r\n", 4000ms);
    HttpClient http(HttpClient::Limits{500ms, 3000ms, 1000ms});
    const auto start = std::chrono::steady_clock::now();
    auto exchange = http.exchange(server.url(), nullptr, "");
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2500ms);
    ASSERT_TRUE(exchange);
    EXPECT_EQ(exchange->headerText, "H\r\n\r\n");
}

TEST(HttpClient, FailuresBeforeSending) {
    HttpClient http(Quick);
    OneShotServer server("H\r\n\r\nx");
    const int port = server.port();
    EXPECT_FALSE(http.exchange("https://127.0.0.1:" + std::to_string(port) + "/", nullptr, ""));
    EXPECT_FALSE(http.exchange("ftp://127.0.0.1:" + std::to_string(port) + "/", nullptr, ""));
    EXPECT_FALSE(server.connected()) << "another scheme sends nothing";

    const int unused = freeUdpPort(); // nothing listens there
    EXPECT_FALSE(http.exchange("http://127.0.0.1:" + std::to_string(unused) + "/", nullptr, ""));
}

TEST(HttpClient, FetchTakesTheFirst10000Bytes) {
    const std::string page(12000, 'p');
    OneShotServer server("HTTP/1.0 200 OK\r\nContent-Length: 12000\r\n\r\n" + page);
    HttpClient http(Quick);
    auto text = http.fetch(server.url() + "cdr?user=Ann", FetchLimit);
    ASSERT_TRUE(text);
    EXPECT_EQ(text->size(), FetchLimit);
    EXPECT_EQ(server.received().rfind("GET /cdr?user=Ann HTTP/1.1\r\n", 0), 0u) << server.received();

    OneShotServer missing("HTTP/1.0 404 Not Found\r\n\r\nnot here");
    EXPECT_EQ(http.fetch(missing.url(), FetchLimit), std::optional<std::string>("not here"))
        << "an error page still arrives, as from a browser";

    OneShotServer silent("", 5000ms, false);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(http.fetch(silent.url(), FetchLimit));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
}

TEST(HttpClient, RepliesThatNeverEndAreCutInTimeAndSize) {
    struct Case {
        const char* what;
        std::string reply;
        Stream stream;
        bool headerEnds;
    };
    const std::size_t cap = HttpClient::Limits{}.maxReply;
    const Case cases[] = {
        {"endless header", "HTTP/1.0 200 OK\r\nX-Pad: ", {std::string(4096, 'a')}, false},
        {"endless body, trickled under the silence limit",
         "HTTP/1.0 200 OK\r\n\r\n",
         {std::string(512, 'b'), 10ms},
         true},
        {"huge body", "HTTP/1.0 200 OK\r\n\r\n", {std::string(64 * 1024, 'b')}, true},
    };
    for (const auto& c : cases) {
        const HttpClient::Limits limits{500ms, 1000ms, 2000ms};
        OneShotServer server(c.reply, 6 * limits.total, true, c.stream);
        HttpClient http(limits);
        const auto start = std::chrono::steady_clock::now();
        auto exchange = http.exchange(server.url(), nullptr, "");
        const auto took = std::chrono::steady_clock::now() - start;
        ASSERT_TRUE(exchange) << c.what;
        EXPECT_LT(took, 2 * limits.total) << c.what;
        EXPECT_LE(exchange->headerText.size() + exchange->bodyBytes.size(), cap) << c.what;
        EXPECT_EQ(exchange->headerText.rfind(c.reply, 0), 0u) << c.what;
        if (c.headerEnds)
            EXPECT_FALSE(exchange->bodyBytes.empty()) << c.what;
        else
            EXPECT_TRUE(exchange->bodyBytes.empty()) << c.what;
    }

    // A reply larger than the cap arrives as its first `cap` bytes, header included.
    OneShotServer huge("H\r\n\r\n", 10s, true, {std::string(64 * 1024, 'b'), 0ms, 8 << 20});
    auto exchange = HttpClient(HttpClient::Limits{500ms, 1000ms, 10000ms}).exchange(huge.url(), nullptr, "");
    ASSERT_TRUE(exchange);
    EXPECT_EQ(exchange->bodyBytes.size(), cap - 5);
    EXPECT_TRUE(exchange->bodyBytes == std::string(cap - 5, 'b'));
}

TEST(HttpClient, SilenceEndsTheExchangeAfterOneIdleLimit) {
    struct Case {
        const char* what;
        std::string reply; // then silence
        bool fetch;
    };
    const Case cases[] = {
        {"Request, nothing at all", "", false},
        {"Request, half a header block", "HTTP/1.0 200 OK\r\n", false},
        {"Request, header block, then no body", "HTTP/1.0 200 OK\r\n\r\n", false},
        {"FetchUrl, nothing at all", "", true},
        {"FetchUrl, header block, then no body", "HTTP/1.0 200 OK\r\nContent-Length: 10\r\n\r\nabc", true},
    };
    for (const auto& c : cases) {
        const HttpClient::Limits limits{500ms, 2000ms, 10000ms}; // libcurl checks about once a second
        OneShotServer server(c.reply, 12s);
        HttpClient http(limits);
        const auto start = std::chrono::steady_clock::now();
        if (c.fetch) {
            EXPECT_FALSE(http.fetch(server.url(), FetchLimit)) << c.what;
        } else {
            auto exchange = http.exchange(server.url(), nullptr, "");
            ASSERT_TRUE(exchange) << c.what;
            EXPECT_EQ(exchange->headerText + exchange->bodyBytes, c.reply) << c.what;
        }
        EXPECT_LT(std::chrono::steady_clock::now() - start, 2 * limits.idle) << c.what;
    }
}

TEST(HttpClient, FetchOfAnEndlessBodyGivesItsFirst10000Bytes) {
    const HttpClient::Limits limits{500ms, 1000ms, 2000ms};
    OneShotServer endless("HTTP/1.0 200 OK\r\n\r\n", 12s, true, {std::string(4096, 'p')});
    const auto start = std::chrono::steady_clock::now();
    auto text = HttpClient(limits).fetch(endless.url(), FetchLimit);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2 * limits.total);
    ASSERT_TRUE(text);
    EXPECT_EQ(text->size(), FetchLimit);
    EXPECT_TRUE(*text == std::string(FetchLimit, 'p'));

    // Trickled under the silence limit, it is still ended by the total limit.
    OneShotServer trickle("HTTP/1.0 200 OK\r\n\r\n", 12s, true, {"p", 100ms});
    const auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(HttpClient(limits).fetch(trickle.url(), FetchLimit));
    EXPECT_LT(std::chrono::steady_clock::now() - started, 2 * limits.total);
}

TEST(OperatorSimulator, RestartsAtOnceOnTheSamePort) {
    TempDir home;
    const int provisioningPort = freeTcpPort(), webPort = freeTcpPort();
    const auto config = home.path() / "operator.conf";
    std::ofstream(config) << "[server]\nbind = 127.0.0.1\nprovisioning_port = " << provisioningPort
                          << "\nweb_port = " << webPort << "\n";
    const std::string listening =
        "ringlark-operator: provisioning on 127.0.0.1:" + std::to_string(provisioningPort) +
        ", web pages on 127.0.0.1:" + std::to_string(webPort);
    for (int run = 1; run <= 2; ++run) {
        const auto log = home.path() / ("run" + std::to_string(run) + ".log");
        Process simulator({SIMULATOR, "--config", config.string()}, log);
        ASSERT_TRUE(waitForLine(log, listening, 5s)) << "run " << run << ": " << readText(log);
        // An HTTP/1.0 exchange: the simulator closes first, so its side of the
        // connection stays in TIME-WAIT after it stops.
        HttpClient http(Quick);
        auto exchange =
            http.exchange("http://127.0.0.1:" + std::to_string(provisioningPort) + "/", nullptr, "");
        ASSERT_TRUE(exchange) << "run " << run;
        EXPECT_FALSE(exchange->headerText.empty()) << "run " << run;
        if (run == 1) {
            // Address reuse without port reuse: a second copy cannot share a port that is listened on.
            const auto secondLog = home.path() / "second.log";
            Process second({SIMULATOR, "--config", config.string()}, secondLog);
            EXPECT_EQ(second.wait(5s), 1) << readText(secondLog);
        }
        simulator.terminate();
        EXPECT_EQ(simulator.wait(5s), 0) << "run " << run << ": " << readText(log);
    }
}
