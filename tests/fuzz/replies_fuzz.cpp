// libFuzzer target for what the web services and the operator file send us:
// any bytes through the provisioning, balance and call-record readers, the
// address splitter, the feedback mail address and the operator configuration.
// No crash, no hang.
#include "core/OperatorConfig.h"
#include "core/Text.h"
#include "services/AccountServices.h"
#include "services/Http.h"
#include "services/Provisioning.h"
#include "services/TaggedText.h"

#include <cctype>
#include <cstdlib>
#include <string_view>

namespace {

// The feedback address is "mailto:" + the provisioned address part, each byte
// plain or percent-encoded, + the one fixed subject: nothing else gets in.
void checkFeedbackAddress(const std::u16string& email) {
    const std::string address = FeedbackMailAddress(email);
    const std::string head = "mailto:", tail = "?subject=PC Ringlark Feedback";
    if (address.size() < head.size() + tail.size() || address.rfind(head, 0) != 0 ||
        address.compare(address.size() - tail.size(), tail.size(), tail) != 0)
        std::abort();
    const std::string part = address.substr(head.size(), address.size() - head.size() - tail.size());
    std::string decoded;
    for (std::size_t i = 0; i < part.size(); ++i) {
        const char c = part[i];
        if (c == '%') {
            if (i + 2 >= part.size() || !std::isxdigit(static_cast<unsigned char>(part[i + 1])) ||
                !std::isxdigit(static_cast<unsigned char>(part[i + 2])))
                std::abort();
            decoded += static_cast<char>(std::stoi(part.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else if (std::isalnum(static_cast<unsigned char>(c)) ||
                   std::string_view("@._+-").find(c) != std::string_view::npos) {
            decoded += c;
        } else {
            std::abort();
        }
    }
    if (decoded != toUtf8(email.substr(0, email.find_first_of(u"?#"))))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::u16string text = fromUtf8(bytes);
    for (bool mainPass : {false, true}) {
        const auto reply = ProvisioningReply::read(text, mainPass);
        (void)(reply.key1() + reply.key2() + reply.key3() + reply.prefix1() + reply.prefix2() +
               reply.prefix3());
        (void)reply.keyText();
    }
    (void)BalanceText(text);
    ServerCallRecords table;
    if (ReadCallRecords(text, table) > MaxServerCallRecords)
        std::abort();
    (void)OperatorConfig::parse(bytes);
    checkFeedbackAddress(text);
    const auto url = SplitUrl(bytes);
    if (url.host.size() > 255 || url.path.size() > 1023 || url.scheme.size() > 19)
        std::abort();
    HeaderBlockEnd end;
    for (char c : bytes)
        end.feed(c);
    if (toUtf8(fromUtf8(toUtf8(text))) != toUtf8(text))
        std::abort();
    return 0;
}
