#include "SettingsFiles.h"

#include "Archive.h"

namespace {

// Flags are written as 0 or 1; only 1 reads as on.
void writeFlag(ArchiveWriter& out, bool flag) {
    out.writeInt(flag ? 1 : 0);
}

bool readFlag(ArchiveReader& in, bool& flag) {
    auto value = in.readInt();
    if (!value)
        return false;
    flag = (*value == 1);
    return true;
}

bool readText(ArchiveReader& in, std::u16string& text) {
    auto value = in.readString();
    if (!value)
        return false;
    text = std::move(*value);
    return true;
}

bool readList(ArchiveReader& in, std::vector<std::u16string>& list) {
    auto count = in.readInt();
    if (!count || *count < 0 || *count > MaxCodecsPerList)
        return false;
    std::vector<std::u16string> values;
    for (int i = 0; i < *count; ++i) {
        auto name = in.readString();
        if (!name)
            return false;
        values.push_back(std::move(*name));
    }
    list = std::move(values);
    return true;
}

} // namespace

ReadResult<AccountSettings> AccountSettings::read(std::span<const std::uint8_t> bytes) {
    ReadResult<AccountSettings> result;
    ArchiveReader in(bytes);
    auto flag = in.readInt();
    if (!flag)
        return result;
    result.record.savePassword = *flag;
    result.complete = readText(in, result.record.userName) && readText(in, result.record.password);
    return result;
}

std::vector<std::uint8_t> AccountSettings::write() const {
    ArchiveWriter out;
    out.writeInt(savePassword);
    out.writeString(userName);
    out.writeString(password);
    return out.bytes();
}

ReadResult<ApplicationSettings> ApplicationSettings::read(std::span<const std::uint8_t> bytes) {
    return read(bytes, ApplicationSettings{});
}

ReadResult<ApplicationSettings> ApplicationSettings::read(std::span<const std::uint8_t> bytes,
                                                          ApplicationSettings start) {
    ReadResult<ApplicationSettings> result{std::move(start)};
    auto& r = result.record;
    ArchiveReader in(bytes);
    result.complete = readFlag(in, r.alwaysOnTop) && readFlag(in, r.confirmOnClose) &&
                      readFlag(in, r.launchAtStartup) && readText(in, r.callsPerList) &&
                      readText(in, r.recordingFolder);
    return result;
}

std::vector<std::uint8_t> ApplicationSettings::write() const {
    ArchiveWriter out;
    writeFlag(out, alwaysOnTop);
    writeFlag(out, confirmOnClose);
    writeFlag(out, launchAtStartup);
    out.writeString(callsPerList);
    out.writeString(recordingFolder);
    return out.bytes();
}

void ApplicationSettings::applyDefaults(const std::u16string& homeFolder) {
    if (callsPerList.empty())
        callsPerList = u"10";
    if (recordingFolder.empty())
        recordingFolder = homeFolder;
}

ReadResult<CodecSettings> CodecSettings::read(std::span<const std::uint8_t> bytes) {
    ReadResult<CodecSettings> result;
    ArchiveReader in(bytes);
    result.complete = readList(in, result.record.enabled) && readList(in, result.record.disabled);
    return result;
}

std::vector<std::uint8_t> CodecSettings::write() const {
    ArchiveWriter out;
    for (const auto* list : {&enabled, &disabled}) {
        out.writeInt(static_cast<std::int32_t>(list->size()));
        for (const auto& name : *list)
            out.writeString(name);
    }
    return out.bytes();
}
