#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// The three settings files of the data folder and their records.

inline constexpr const char* AccountFileName = "account_Ringlark.bin";
inline constexpr const char* ApplicationFileName = "application_Ringlark.bin";
inline constexpr const char* CodecFileName = "codec_Ringlark.bin";

// A record read field by field: the fields that could be read hold the file's
// values, the others keep their defaults; `complete` says whether all were read.
template <typename Record> struct ReadResult {
    Record record;
    bool complete = false;
};

// The login window takes at most this many characters for either credential.
inline constexpr std::size_t MaxCredentialLength = 40;

struct AccountSettings {
    std::int32_t savePassword = 0; // on whenever not 0
    std::u16string userName;
    std::u16string password;

    // Longer credentials were never typed into the login window: a damaged or planted file.
    bool usable() const {
        return userName.size() <= MaxCredentialLength && password.size() <= MaxCredentialLength;
    }

    static ReadResult<AccountSettings> read(std::span<const std::uint8_t> bytes);
    std::vector<std::uint8_t> write() const;
};

struct ApplicationSettings {
    bool alwaysOnTop = false;
    bool confirmOnClose = false;
    bool launchAtStartup = false;
    std::u16string callsPerList;    // decimal digits; "10" when empty
    std::u16string recordingFolder; // the home folder when empty

    static ReadResult<ApplicationSettings> read(std::span<const std::uint8_t> bytes);
    // Fields the file does not hold keep their values in `start`.
    static ReadResult<ApplicationSettings> read(std::span<const std::uint8_t> bytes,
                                                ApplicationSettings start);
    std::vector<std::uint8_t> write() const;
    // Fills the two texts that may be empty with their defaults.
    void applyDefaults(const std::u16string& homeFolder);
};

inline constexpr int MaxCodecsPerList = 30;

struct CodecSettings {
    std::vector<std::u16string> enabled; // highest priority first
    std::vector<std::u16string> disabled;

    // A count outside 0-30 makes the read fail.
    static ReadResult<CodecSettings> read(std::span<const std::uint8_t> bytes);
    std::vector<std::uint8_t> write() const;
};
