#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

class WindowPort;

// The two web transports of the dialer. `Request` speaks plain HTTP/1.0 over a
// socket with exactly the bytes below; `FetchUrl` is a plain GET whose reply is
// cut at 10000 bytes. Both are reached through the Http port, so the logic is
// tested against fakes and the platform against real loopback servers.

// One exchange of `Request`, bytes as sent and received.
struct HttpExchange {
    std::string requestText; // request line, headers, empty line, body
    std::string headerText;  // the reply up to and including the empty line's line feed
    std::string bodyBytes;   // everything after it until the server closed
};

class Http {
  public:
    virtual ~Http() = default;
    // One `Request` exchange: GET without a body, POST with one (empty or not).
    // nullopt when it failed before anything was sent (scheme, name, connection).
    virtual std::optional<HttpExchange> exchange(const std::string& address, const std::string* body,
                                                 const std::string& extraHeaders) = 0;
    // A GET of the whole address; at most `maxBytes` of the body. nullopt when it could not be opened.
    virtual std::optional<std::string> fetch(const std::string& address, std::size_t maxBytes) = 0;
};

struct UrlParts {
    std::string scheme; // upper case
    std::string host;   // upper case, without port
    int port = 80;
    std::string path; // letter case kept, query included
};

UrlParts SplitUrl(const std::string& address);

// XOR with the fixed 30-character key, from key position 0; its own inverse.
void DescrambleReply(std::span<std::uint8_t> bytes);
inline constexpr std::string_view DescrambleKey = "Tb8wQmR2zLc5Hy0nXp4dGs7uJe9kAf";

// The request bytes `Request` sends for this address, body (null: GET) and extra headers.
std::string BuildRequestText(const UrlParts& url, const std::string* body, const std::string& extraHeaders);

// Feeds reply bytes one at a time; true once the byte that ends the header block was fed.
class HeaderBlockEnd {
  public:
    bool feed(char byte);

  private:
    int count_ = 0; // characters other than carriage return since the last line feed
};

// What the dialer's callers use: texts in and out as the program keeps them.
// On failure the three texts stay as they were; callers pass empty texts and
// take an empty reply for a server that did not answer. POST replies are
// descrambled; every text ends at its first NUL byte.
void SendRequest(Http& http, bool post, const std::string& address, std::u16string& body,
                 std::u16string& header, std::u16string& reply);

inline constexpr std::size_t FetchLimit = 10000;
inline constexpr std::u16string_view DefaultFetchError = u"Received Exception from OpenURL()";

// GETs the address; on failure shows `errorText` then "Error in OpenURL" and returns nothing.
std::optional<std::u16string> FetchUrl(Http& http, WindowPort& messages, const std::u16string& address,
                                       std::u16string_view errorText = DefaultFetchError);
