#include "Http.h"

#include "core/Text.h"
#include "core/WindowPort.h"

#include <algorithm>
#include <cctype>

namespace {

std::string upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
    return text;
}

bool isHostCharacter(unsigned char c) {
    return std::isalnum(c) || c == '-' || c == '.' || c == ':';
}

// The platform's fixed-size buffers: longer parts are cut, one slot is the terminator.
std::string cut(std::string text, std::size_t capacity) {
    if (text.size() > capacity - 1)
        text.resize(capacity - 1);
    return text;
}

std::u16string untilNul(const std::string& bytes) {
    return fromUtf8(std::string_view(bytes.c_str()));
}

} // namespace

UrlParts SplitUrl(const std::string& address) {
    const std::string upperAddress = upper(address);
    UrlParts url;
    std::size_t position = 0;
    if (const auto colon = upperAddress.find(':'); colon != std::string::npos) {
        url.scheme = upperAddress.substr(0, colon);
        position = colon + 1;
    } else {
        url.scheme = "HTTP";
    }
    if (upperAddress.compare(position, 2, "//") == 0)
        position += 2;
    std::size_t end = position;
    while (end < upperAddress.size() && isHostCharacter(static_cast<unsigned char>(upperAddress[end])))
        ++end;
    std::string host = upperAddress.substr(position, end - position);
    if (const auto colon = host.find(':'); colon != std::string::npos) {
        url.port = std::atoi(host.c_str() + colon + 1);
        host.resize(colon);
    }
    url.scheme = cut(url.scheme, 20);
    url.host = cut(host, 256);
    url.path = cut(address.substr(end), 1024);
    if (url.path.empty())
        url.path = "/";
    return url;
}

void DescrambleReply(std::span<std::uint8_t> bytes) {
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] ^= static_cast<std::uint8_t>(DescrambleKey[i % DescrambleKey.size()]);
}

std::string BuildRequestText(const UrlParts& url, const std::string* body, const std::string& extraHeaders) {
    std::string text = body ? "POST " : "GET ";
    text += url.path;
    text += " HTTP/1.0\r\n";
    text += "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, application/vnd.ms-excel, "
            "application/msword, application/vnd.ms-powerpoint, */*\r\n";
    text += "Accept-Language: en-us\r\n";
    text += "Accept-Encoding: gzip, deflate\r\n";
    text += "User-Agent: Mozilla/4.0\r\n";
    if (body && !body->empty())
        text += "Content-Length: " + std::to_string(body->size()) + "\r\n";
    text += "Host: " + url.host + "\r\n";
    text += extraHeaders;
    text += "\r\n";
    if (body)
        text += *body;
    return text;
}

bool HeaderBlockEnd::feed(char byte) {
    if (byte == '\n') {
        const bool end = count_ == 0;
        count_ = 0;
        return end;
    }
    if (byte != '\r')
        ++count_;
    return false;
}

void SendRequest(Http& http, bool post, const std::string& address, std::u16string& body,
                 std::u16string& header, std::u16string& reply) {
    const std::string bodyBytes = toUtf8(body);
    auto exchange = http.exchange(address, post ? &bodyBytes : nullptr,
                                  post ? "Content-Type: application/x-www-form-urlencoded\r\n" : "");
    if (!exchange)
        return;
    if (post) {
        auto* bytes = reinterpret_cast<std::uint8_t*>(exchange->bodyBytes.data());
        DescrambleReply(std::span(bytes, exchange->bodyBytes.size()));
    }
    body = untilNul(exchange->requestText);
    header = untilNul(exchange->headerText);
    reply = untilNul(exchange->bodyBytes);
}

std::optional<std::u16string> FetchUrl(Http& http, WindowPort& messages, const std::u16string& address,
                                       std::u16string_view errorText) {
    auto text = http.fetch(toUtf8(address), FetchLimit);
    if (!text) {
        messages.messageBox(errorText, u"Ringlark", MessageButtons::Ok);
        messages.messageBox(u"Error in OpenURL", u"Ringlark", MessageButtons::Ok);
        return std::nullopt;
    }
    if (text->size() > FetchLimit)
        text->resize(FetchLimit);
    return untilNul(*text);
}
