#pragma once

#include "services/Http.h"

#include <chrono>

// The Http port on POSIX sockets (Request) and libcurl (FetchUrl). Every wait
// is bounded and so is the size of a reply: a server that never answers, or
// never stops answering, costs at most the total limit and `maxReply` bytes.
class HttpClient final : public Http {
  public:
    struct Limits {
        std::chrono::milliseconds connect{5000};
        std::chrono::milliseconds idle{5000};   // silence between two received bytes
        std::chrono::milliseconds total{15000}; // the whole exchange
        std::size_t maxReply = 1 << 20;         // header and body of a Request reply; real ones are a few kB
    };

    HttpClient() = default;
    explicit HttpClient(Limits limits) : limits_(limits) {}

    std::optional<HttpExchange> exchange(const std::string& address, const std::string* body,
                                         const std::string& extraHeaders) override;
    std::optional<std::string> fetch(const std::string& address, std::size_t maxBytes) override;

  private:
    Limits limits_;
};
