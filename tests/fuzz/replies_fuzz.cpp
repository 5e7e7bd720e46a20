// libFuzzer target for what the web services and the operator file send us:
// any bytes through the provisioning, balance and call-record readers, the
// address splitter and the operator configuration. No crash, no hang.
#include "core/OperatorConfig.h"
#include "core/Text.h"
#include "services/AccountServices.h"
#include "services/Http.h"
#include "services/Provisioning.h"
#include "services/TaggedText.h"

#include <cstdlib>

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
