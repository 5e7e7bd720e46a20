#include "CodecPriorities.h"

#include "Archive.h"
#include "SettingsFiles.h"
#include "core/Text.h"
#include "telephony/Engine.h"

namespace {

void applyDefaults(Engine& engine) {
    engine.setCodecPriority("G729/8000/1", 255);
    engine.setCodecPriority("G723/8000/1", 0);
    engine.setCodecPriority("PCMU/8000/1", 0);
    engine.setCodecPriority("PCMA/8000/1", 0);
}

// Reads one list and hands each name over as it is read; false when the list is cut short.
template <typename Priority> bool applyList(ArchiveReader& in, Engine& engine, Priority priority) {
    auto count = in.readInt();
    if (!count || *count < 0 || *count > MaxCodecsPerList)
        return false;
    for (int i = 0; i < *count; ++i) {
        auto name = in.readString();
        if (!name)
            return false;
        engine.setCodecPriority(toUtf8(*name), priority(i));
    }
    return true;
}

} // namespace

void ApplyCodecPriorities(Engine& engine, const Files& files) {
    applyDefaults(engine);
    auto bytes = files.read(CodecFileName);
    if (!bytes) {
        applyDefaults(engine);
        return;
    }
    ArchiveReader in(*bytes);
    const bool whole =
        applyList(in, engine, [](int i) { return 255 - i; }) && applyList(in, engine, [](int) { return 0; });
    if (!whole)
        applyDefaults(engine);
}
