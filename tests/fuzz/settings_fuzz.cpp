// libFuzzer target for the data-file readers: any bytes, no crash, no huge
// allocation, and what was read whole writes back to the same record.
#include "settings/SettingsFiles.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    if (auto account = AccountSettings::read(bytes); account.complete) {
        const auto again = AccountSettings::read(account.record.write());
        if (!again.complete || again.record.userName != account.record.userName ||
            again.record.password != account.record.password)
            std::abort();
    }
    if (auto application = ApplicationSettings::read(bytes); application.complete) {
        if (!ApplicationSettings::read(application.record.write()).complete)
            std::abort();
    }
    if (auto codecs = CodecSettings::read(bytes); codecs.complete) {
        if (CodecSettings::read(codecs.record.write()).record.enabled != codecs.record.enabled)
            std::abort();
    }
    return 0;
}
