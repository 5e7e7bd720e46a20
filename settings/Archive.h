#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The field encoding of every data file: 4-byte little-endian integers and
// archived text strings (FF FE FF, a length in UTF-16 code units, then UTF-16LE;
// readers also take the older 8-bit form without the marker).

class ArchiveWriter {
  public:
    void writeInt(std::int32_t value);
    void writeString(std::u16string_view text);
    const std::vector<std::uint8_t>& bytes() const { return bytes_; }

  private:
    void put16(std::uint16_t value);
    void put32(std::uint32_t value);
    std::vector<std::uint8_t> bytes_;
};

// Reads fields in order. A field that does not fit in the remaining bytes fails
// and leaves the reader failed; a length is never trusted beyond what remains.
class ArchiveReader {
  public:
    explicit ArchiveReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::optional<std::int32_t> readInt();
    std::optional<std::u16string> readString();
    bool failed() const { return failed_; }

  private:
    std::optional<std::uint8_t> take8();
    std::optional<std::uint16_t> take16();
    std::optional<std::uint32_t> take32();
    std::optional<std::uint32_t> readLength(); // byte, else word, else 32-bit
    std::size_t remaining() const { return bytes_.size() - pos_; }
    template <typename T> std::optional<T> fail() {
        failed_ = true;
        return std::nullopt;
    }

    std::span<const std::uint8_t> bytes_;
    std::size_t pos_ = 0;
    bool failed_ = false;
};
