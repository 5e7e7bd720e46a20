#include "Archive.h"

#include "core/Text.h"

void ArchiveWriter::put16(std::uint16_t value) {
    bytes_.push_back(static_cast<std::uint8_t>(value));
    bytes_.push_back(static_cast<std::uint8_t>(value >> 8));
}

void ArchiveWriter::put32(std::uint32_t value) {
    put16(static_cast<std::uint16_t>(value));
    put16(static_cast<std::uint16_t>(value >> 16));
}

void ArchiveWriter::writeInt(std::int32_t value) {
    put32(static_cast<std::uint32_t>(value));
}

void ArchiveWriter::writeString(std::u16string_view text) {
    bytes_.insert(bytes_.end(), {0xFF, 0xFE, 0xFF});
    const auto length = text.size();
    if (length < 0xFF) {
        bytes_.push_back(static_cast<std::uint8_t>(length));
    } else if (length < 0xFFFE) {
        bytes_.push_back(0xFF);
        put16(static_cast<std::uint16_t>(length));
    } else {
        bytes_.insert(bytes_.end(), {0xFF, 0xFF, 0xFF});
        put32(static_cast<std::uint32_t>(length));
    }
    for (char16_t unit : text)
        put16(unit);
}

std::optional<std::uint8_t> ArchiveReader::take8() {
    if (failed_ || remaining() < 1)
        return fail<std::uint8_t>();
    return bytes_[pos_++];
}

std::optional<std::uint16_t> ArchiveReader::take16() {
    if (failed_ || remaining() < 2)
        return fail<std::uint16_t>();
    const auto value = static_cast<std::uint16_t>(bytes_[pos_] | (bytes_[pos_ + 1] << 8));
    pos_ += 2;
    return value;
}

std::optional<std::uint32_t> ArchiveReader::take32() {
    auto low = take16();
    auto high = take16();
    if (!low || !high)
        return fail<std::uint32_t>();
    return static_cast<std::uint32_t>(*low) | (static_cast<std::uint32_t>(*high) << 16);
}

std::optional<std::int32_t> ArchiveReader::readInt() {
    auto value = take32();
    if (!value)
        return std::nullopt;
    return static_cast<std::int32_t>(*value);
}

std::optional<std::uint32_t> ArchiveReader::readLength() {
    auto first = take8();
    if (!first)
        return std::nullopt;
    if (*first < 0xFF)
        return *first;
    auto word = take16();
    if (!word)
        return std::nullopt;
    if (*word < 0xFFFF)
        return *word;
    return take32();
}

std::optional<std::u16string> ArchiveReader::readString() {
    auto first = take8();
    if (!first)
        return std::nullopt;
    bool wide = false;
    std::uint32_t length = *first;
    if (*first == 0xFF) {
        auto word = take16();
        if (!word)
            return std::nullopt;
        if (*word == 0xFFFE) {
            wide = true;
            auto again = readLength();
            if (!again)
                return std::nullopt;
            length = *again;
        } else if (*word < 0xFFFF) {
            length = *word;
        } else {
            auto wideLength = take32();
            if (!wideLength)
                return std::nullopt;
            length = *wideLength;
        }
    }
    const std::size_t byteCount = wide ? std::size_t{length} * 2 : length;
    if (byteCount > remaining())
        return fail<std::u16string>();
    const auto* start = bytes_.data() + pos_;
    pos_ += byteCount;
    if (!wide)
        return fromUtf8(std::string_view(reinterpret_cast<const char*>(start), byteCount));
    std::u16string text(length, u'\0');
    for (std::uint32_t i = 0; i < length; ++i)
        text[i] = static_cast<char16_t>(start[2 * i] | (start[2 * i + 1] << 8));
    return text;
}
