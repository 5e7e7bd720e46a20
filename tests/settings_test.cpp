#include "core/Text.h"
#include "settings/Archive.h"
#include "settings/SettingsFiles.h"

#include <gtest/gtest.h>

using ByteList = std::vector<std::uint8_t>;

namespace {

ByteList written(std::u16string_view text) {
    ArchiveWriter out;
    out.writeString(text);
    return out.bytes();
}

ByteList concat(std::initializer_list<ByteList> parts) {
    ByteList all;
    for (const auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

ByteList int32(std::int32_t value) {
    ArchiveWriter out;
    out.writeInt(value);
    return out.bytes();
}

} // namespace

TEST(ArchiveString, LengthFormsAtTheirBoundaries) {
    struct Case {
        std::size_t length;
        ByteList prefix; // what follows the FF FE FF marker
    };
    const Case cases[] = {
        {0, {0x00}},
        {3, {0x03}},
        {254, {0xFE}},
        {255, {0xFF, 0xFF, 0x00}},
        {0xFFFD, {0xFF, 0xFD, 0xFF}},
        {0xFFFE, {0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}},
        {70000, {0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length);
        const std::u16string text(c.length, u'\u00e9');
        const ByteList bytes = written(text);
        ASSERT_EQ(bytes.size(), 3 + c.prefix.size() + 2 * c.length);
        EXPECT_EQ(ByteList(bytes.begin(), bytes.begin() + 3), (ByteList{0xFF, 0xFE, 0xFF}));
        EXPECT_EQ(ByteList(bytes.begin() + 3, bytes.begin() + 3 + long(c.prefix.size())), c.prefix);
        ArchiveReader in(bytes);
        EXPECT_EQ(in.readString(), text);
        EXPECT_FALSE(in.failed());
    }
}

TEST(ArchiveString, WrittenBytesOfShortStrings) {
    EXPECT_EQ(written(u""), (ByteList{0xFF, 0xFE, 0xFF, 0x00}));
    EXPECT_EQ(written(u"abc"), (ByteList{0xFF, 0xFE, 0xFF, 0x03, 0x61, 0x00, 0x62, 0x00, 0x63, 0x00}));
}

TEST(ArchiveString, ReadsTheEightBitFormInEveryLengthForm) {
    const std::string word(300, 'w');
    ByteList sixteen{0xFF, 0x2C, 0x01};
    sixteen.insert(sixteen.end(), word.begin(), word.end());
    ByteList thirtyTwo{0xFF, 0xFF, 0xFF, 0x2C, 0x01, 0x00, 0x00};
    thirtyTwo.insert(thirtyTwo.end(), word.begin(), word.end());

    struct Case {
        ByteList bytes;
        std::u16string expected;
    };
    const Case cases[] = {
        {{0x03, 'a', 'b', 'c'}, u"abc"}, {{0x00}, u""},
        {{0x02, 0xC3, 0xA9}, u"\u00e9"}, // the locale's charset, UTF-8
        {{0x01, 0xE9}, u"\u00e9"},       // a byte that is no UTF-8 is kept as Latin-1
        {sixteen, fromUtf8(word)},       {thirtyTwo, fromUtf8(word)},
    };
    for (const auto& c : cases) {
        ArchiveReader in(c.bytes);
        EXPECT_EQ(in.readString(), c.expected);
    }
}

TEST(ArchiveString, RefusesLengthsBeyondTheBytesThatRemain) {
    const ByteList cases[] = {
        {},
        {0x05, 'a'},
        {0xFF, 0xFE, 0xFF, 0x02, 0x61, 0x00, 0x62},                   // half a code unit short
        {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}, // 2 GiB claimed, nothing there
        {0xFF, 0xFE},
        {0xFF, 0xFF, 0xFF, 0x01},
    };
    for (const auto& bytes : cases) {
        ArchiveReader in(bytes);
        EXPECT_EQ(in.readString(), std::nullopt);
        EXPECT_TRUE(in.failed());
        EXPECT_EQ(in.readInt(), std::nullopt) << "a failed reader stays failed";
    }
}

TEST(ApplicationFile, WorkedExampleByteForByte) {
    ApplicationSettings settings;
    settings.alwaysOnTop = true;
    settings.callsPerList = u"10";
    settings.recordingFolder = u"C:\\x";
    const ByteList expected{0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                            0x00, 0xFF, 0xFE, 0xFF, 0x02, 0x31, 0x00, 0x30, 0x00, 0xFF, 0xFE,
                            0xFF, 0x04, 0x43, 0x00, 0x3A, 0x00, 0x5C, 0x00, 0x78, 0x00};
    EXPECT_EQ(settings.write(), expected);

    const auto read = ApplicationSettings::read(expected);
    EXPECT_TRUE(read.complete);
    EXPECT_TRUE(read.record.alwaysOnTop);
    EXPECT_FALSE(read.record.confirmOnClose);
    EXPECT_EQ(read.record.recordingFolder, u"C:\\x");
}

TEST(ApplicationFile, OnlyOneIsOnAndEmptyTextsTakeDefaults) {
    const auto read =
        ApplicationSettings::read(concat({int32(2), int32(1), int32(-1), written(u""), written(u"")}));
    ASSERT_TRUE(read.complete);
    EXPECT_FALSE(read.record.alwaysOnTop);
    EXPECT_TRUE(read.record.confirmOnClose);
    EXPECT_FALSE(read.record.launchAtStartup);
    auto settings = read.record;
    settings.applyDefaults(u"/home/demo");
    EXPECT_EQ(settings.callsPerList, u"10");
    EXPECT_EQ(settings.recordingFolder, u"/home/demo");
}

TEST(ApplicationFile, ShortFileKeepsTheFieldsReadSoFar) {
    // Two flags and half a string: the settings page uses what was read.
    const auto read =
        ApplicationSettings::read(concat({int32(1), int32(1), int32(1), written(u"25"), {0xFF, 0xFE}}));
    EXPECT_FALSE(read.complete);
    EXPECT_TRUE(read.record.alwaysOnTop);
    EXPECT_EQ(read.record.callsPerList, u"25");
    EXPECT_EQ(read.record.recordingFolder, u"");
}

TEST(AccountFile, RoundTripAndPartialRead) {
    const AccountSettings saved{1, u"jan\u00e9", u"p\u00e4ss"};
    const auto back = AccountSettings::read(saved.write());
    EXPECT_TRUE(back.complete);
    EXPECT_EQ(back.record.savePassword, 1);
    EXPECT_EQ(back.record.userName, u"jan\u00e9");
    EXPECT_EQ(back.record.password, u"p\u00e4ss");

    // A file cut inside the password: flag and user name count, the password stays empty.
    auto bytes = saved.write();
    bytes.resize(bytes.size() - 3);
    const auto cut = AccountSettings::read(bytes);
    EXPECT_FALSE(cut.complete);
    EXPECT_EQ(cut.record.savePassword, 1);
    EXPECT_EQ(cut.record.userName, u"jan\u00e9");
    EXPECT_EQ(cut.record.password, u"");

    // Any value but 0 means "use the saved password".
    EXPECT_EQ(AccountSettings::read(int32(7)).record.savePassword, 7);
    EXPECT_EQ(AccountSettings::read(ByteList{0x01, 0x00}).record.savePassword, 0);
}

TEST(AccountFile, TrailingBytesOfAnOlderFileAreIgnored) {
    auto bytes = AccountSettings{1, u"ann", u"short"}.write();
    const auto older = AccountSettings{1, u"ann", u"a much longer password"}.write();
    bytes.insert(bytes.end(), older.begin() + long(bytes.size()), older.end());
    const auto read = AccountSettings::read(bytes);
    EXPECT_EQ(read.record.password, u"short");
}

TEST(CodecFile, ListsAndTheirLimits) {
    const CodecSettings codecs{{u"PCMU/8000/1", u"G729/8000/1"}, {u"PCMA/8000/1"}};
    const auto back = CodecSettings::read(codecs.write());
    ASSERT_TRUE(back.complete);
    EXPECT_EQ(back.record.enabled, codecs.enabled);
    EXPECT_EQ(back.record.disabled, codecs.disabled);

    EXPECT_TRUE(CodecSettings::read(concat({int32(0), int32(0)})).complete);

    struct Case {
        const char* what;
        ByteList bytes;
    };
    const Case failing[] = {
        {"empty", {}},
        {"no disabled count", concat({int32(1), written(u"PCMU/8000/1")})},
        {"31 entries", int32(31)},
        {"negative count", int32(-1)},
        {"count larger than the names there", concat({int32(3), written(u"PCMU/8000/1")})},
    };
    for (const auto& c : failing)
        EXPECT_FALSE(CodecSettings::read(c.bytes).complete) << c.what;
}

TEST(SettingsReaders, SurviveGarbage) {
    // Every prefix of a valid file and some noise: defaults, never a crash.
    const auto valid =
        concat({int32(1), int32(0), int32(1), written(u"10"), written(std::u16string(300, u'x'))});
    for (std::size_t size = 0; size <= valid.size(); ++size) {
        const ByteList prefix(valid.begin(), valid.begin() + long(size));
        EXPECT_EQ(ApplicationSettings::read(prefix).complete, size == valid.size());
        AccountSettings::read(prefix);
        CodecSettings::read(prefix);
    }
    ByteList noise(4096);
    for (std::size_t i = 0; i < noise.size(); ++i)
        noise[i] = static_cast<std::uint8_t>((i * 7919 + 13) ^ (i >> 3));
    AccountSettings::read(noise);
    ApplicationSettings::read(noise);
    CodecSettings::read(noise);
}
