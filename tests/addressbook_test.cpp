// The contact store and its file, the recent-call lists and the call-log file,
// and the contacts and recent-calls panels on the fake view.
#include "addressbook/CallLog.h"
#include "addressbook/ContactStore.h"
#include "core/Text.h"
#include "platform/DataFolder.h"
#include "settings/Archive.h"
#include "support/Fakes.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace res;
using Bytes8 = std::vector<std::uint8_t>;

namespace {

ContactRecord contact(std::u16string name, std::u16string mobile, std::u16string phone = u"",
                      std::u16string pager = u"") {
    ContactRecord r;
    r[FieldName] = std::move(name);
    r[FieldAddressType] = u"HA";
    r[FieldMobile] = std::move(mobile);
    r[FieldPhone] = std::move(phone);
    r[FieldPager] = std::move(pager);
    return r;
}

Bytes8 wide(std::u16string_view text) {
    Bytes8 out{0xFF, 0xFE, 0xFF, static_cast<std::uint8_t>(text.size())};
    for (char16_t c : text) {
        out.push_back(static_cast<std::uint8_t>(c));
        out.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    return out;
}

Bytes8 join(std::initializer_list<Bytes8> parts) {
    Bytes8 out;
    for (const auto& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

std::vector<std::u16string> names(const ContactStore& store) {
    std::vector<std::u16string> out;
    for (const auto& c : store.contacts())
        out.push_back(c.name());
    return out;
}

struct DataFiles : testing::Test {
    TempDir temp;
    DataFolder files{(temp.path() / "Ringlark").string()};
    void SetUp() override { ASSERT_TRUE(files.ensureFolder()); }
    void put(std::string_view name, const Bytes8& bytes) { ASSERT_TRUE(files.save(name, bytes, false)); }
    Bytes8 get(std::string_view name) { return files.read(name).value_or(Bytes8{}); }
};

} // namespace

// ---- Contact file ----

TEST(ContactFile, AnnWithAMobileIsWrittenByteForByte) {
    ContactStore store;
    ASSERT_TRUE(store.AddContact(contact(u"Ann", u"12345")));
    const Bytes8 e{0xFF, 0xFE, 0xFF, 0x00};
    const Bytes8 expected =
        join({{0x01, 0x00, 0x00, 0x00},
              {0xFF, 0xFE, 0xFF, 0x03, 0x41, 0x00, 0x6E, 0x00, 0x6E, 0x00},
              e,
              e,
              {0xFF, 0xFE, 0xFF, 0x02, 0x48, 0x00, 0x41, 0x00},
              e,
              e,
              e,
              e,
              e,
              e,
              {0xFF, 0xFE, 0xFF, 0x05, 0x31, 0x00, 0x32, 0x00, 0x33, 0x00, 0x34, 0x00, 0x35, 0x00},
              e,
              e});
    EXPECT_EQ(store.write(), expected);
    ContactStore back;
    EXPECT_TRUE(back.read(expected));
    EXPECT_EQ(back.contacts(), store.contacts());
}

TEST(ContactFile, EveryFieldSurvivesARoundTrip) {
    ContactStore store;
    ContactRecord full;
    for (int f = 0; f < ContactFieldCount; ++f)
        full.fields[std::size_t(f)] = u"field " + std::u16string(1, char16_t(u'a' + f));
    full[FieldAddress] = std::u16string(300, u'x'); // past the one-byte length
    full[FieldCity] = u"Zürich €";
    ASSERT_TRUE(store.AddContact(full));
    ASSERT_TRUE(store.AddContact(contact(u"Bob", u"", u"", u"77")));
    ContactStore back;
    EXPECT_TRUE(back.read(store.write()));
    EXPECT_EQ(back.contacts(), store.contacts());
}

TEST(ContactFile, DamagedFilesLoadWhatCameBeforeTheDamage) {
    ContactStore three;
    for (auto name : {u"Ann", u"Bob", u"Cy"})
        three.AddContact(contact(name, u"1"));
    const Bytes8 whole = three.write();
    const std::size_t recordSize = (whole.size() - 4) / 3;
    // The third record stops inside its fifth field (the city).
    Bytes8 shortThird(whole.begin(), whole.begin() + 4 + 2 * recordSize + 10 + 4 + 4 + 8 + 2);
    Bytes8 countTooHigh = whole;
    countTooHigh[0] = 5;
    Bytes8 negative = whole;
    negative[3] = 0x80;
    Bytes8 emptyName = join({{0x02, 0, 0, 0}});
    for (int f = 0; f < ContactFieldCount; ++f)
        emptyName = join({emptyName, wide(f == FieldMobile ? u"1" : u"")});
    emptyName = join({emptyName, Bytes8(whole.begin() + 4, whole.begin() + 4 + recordSize)});

    struct Case {
        const char* what;
        Bytes8 bytes;
        std::vector<std::u16string> names;
        bool whole;
    };
    const Case cases[] = {
        {"count 0", {0, 0, 0, 0}, {}, true},
        {"count 0 with bytes after it", join({{0, 0, 0, 0}, whole}), {}, true},
        {"no bytes", {}, {}, false},
        {"half a count", {3, 0}, {}, false},
        {"three records, whole", whole, {u"Ann", u"Bob", u"Cy"}, true},
        {"third record cut short", shortThird, {u"Ann", u"Bob", u"Cy"}, false},
        {"count above the records", countTooHigh, {u"Ann", u"Bob", u"Cy"}, false},
        {"negative count", negative, {}, false},
        {"garbage", {0x02, 0, 0, 0, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}, {}, false},
        {"a record without a name", emptyName, {}, false},
    };
    for (const auto& c : cases) {
        ContactStore store;
        EXPECT_EQ(store.read(c.bytes), c.whole) << c.what;
        EXPECT_EQ(names(store), c.names) << c.what;
    }
    // The record being read keeps the fields read before the end.
    ContactStore partial;
    partial.read(shortThird);
    EXPECT_EQ(partial.at(2)[FieldAddressType], u"HA");
    EXPECT_EQ(partial.at(2)[FieldMobile], u"");
}

TEST(ContactFile, ACountAboveTheStoreLoadsTheFirstThousand) {
    ArchiveWriter out;
    out.writeInt(1001);
    for (int i = 0; i < 1001; ++i)
        for (int f = 0; f < ContactFieldCount; ++f)
            out.writeString(f == FieldName ? u"c" + u16(std::to_string(i)) : u"");
    ContactStore store;
    EXPECT_FALSE(store.read(out.bytes()));
    ASSERT_EQ(store.count(), ContactStore::Capacity);
    EXPECT_EQ(store.at(999).name(), u"c999");
    EXPECT_TRUE(store.full());
    EXPECT_FALSE(store.AddContact(contact(u"one more", u"1")));
}

// ---- Contact store ----

TEST(ContactStoreTest, NamesStoredTwiceAlwaysActOnTheFirst) {
    ContactStore store;
    store.AddContact(contact(u"Sam", u"111"));
    store.AddContact(contact(u"Sam", u"222"));
    EXPECT_EQ(store.FindContact(u"Sam"), 0);
    EXPECT_EQ(store.FindContact(u"sam"), -1);
    ASSERT_TRUE(store.UpdateContact(u"Sam", contact(u"Sam", u"333")));
    EXPECT_EQ(store.at(0)[FieldMobile], u"333");
    EXPECT_EQ(store.at(1)[FieldMobile], u"222");
    ASSERT_TRUE(store.DeleteContact(u"Sam"));
    ASSERT_EQ(store.count(), 1);
    EXPECT_EQ(store.at(0)[FieldMobile], u"222");
}

TEST(ContactStoreTest, DeletingInTheMiddleMovesTheRestUp) {
    ContactStore store;
    for (auto name : {u"A", u"B", u"C"})
        store.AddContact(contact(name, u"1"));
    ASSERT_TRUE(store.DeleteContact(u"B"));
    EXPECT_EQ(names(store), (std::vector<std::u16string>{u"A", u"C"}));
    EXPECT_FALSE(store.DeleteContact(u"B"));
    EXPECT_FALSE(store.UpdateContact(u"B", contact(u"B", u"1")));
    EXPECT_FALSE(store.AddContact(contact(u"", u"1")));
}

TEST(ContactStoreTest, TheNumberIsMobileThenPhoneThenPager) {
    EXPECT_EQ(contact(u"a", u"1", u"2", u"3").number(), u"1");
    EXPECT_EQ(contact(u"a", u"", u"2", u"3").number(), u"2");
    EXPECT_EQ(contact(u"a", u"", u"", u"3").number(), u"3");
    EXPECT_EQ(contact(u"a", u"", u"", u"").number(), u"");
}

// ---- Saving the contact file ----

TEST_F(DataFiles, ContactsAreSavedWhenNoFileExistsYet) {
    ContactStore store;
    store.LoadContacts(files);
    store.AddContact(contact(u"Ann", u"12345"));
    ASSERT_TRUE(store.SaveContacts(files));
    EXPECT_EQ(get(ContactFileName), store.write());
    ContactStore next;
    next.LoadContacts(files);
    EXPECT_EQ(next.contacts(), store.contacts());
}

TEST_F(DataFiles, AnEmptyStoreLeavesTheFileUnlessContactsWereDeleted) {
    ContactStore two;
    two.AddContact(contact(u"Ann", u"1"));
    two.AddContact(contact(u"Bob", u"2"));
    put(ContactFileName, two.write());

    ContactStore untouched; // nothing loaded, nothing deleted
    ASSERT_TRUE(untouched.SaveContacts(files));
    EXPECT_EQ(get(ContactFileName), two.write());

    ContactStore emptied;
    emptied.LoadContacts(files);
    emptied.DeleteContact(u"Ann");
    emptied.DeleteContact(u"Bob");
    ASSERT_TRUE(emptied.SaveContacts(files));
    EXPECT_EQ(get(ContactFileName), (Bytes8{0, 0, 0, 0}));
}

TEST_F(DataFiles, FewerContactsReplaceALongerFileWhole) {
    ContactStore five;
    for (auto name : {u"A", u"B", u"C", u"D", u"E"})
        five.AddContact(contact(name, u"1"));
    put(ContactFileName, five.write());
    ContactStore store;
    store.LoadContacts(files);
    store.DeleteContact(u"B");
    store.DeleteContact(u"C");
    store.DeleteContact(u"D");
    ASSERT_TRUE(store.SaveContacts(files));
    EXPECT_EQ(get(ContactFileName), store.write());
    EXPECT_FALSE(files.exists(ContactBackupName));
}

TEST_F(DataFiles, AFileThatDidNotLoadWholeIsKeptBesideTheNewOne) {
    ContactStore three;
    for (auto name : {u"A", u"B", u"C"})
        three.AddContact(contact(name, u"1"));
    Bytes8 damaged = three.write();
    damaged.resize(damaged.size() - 3);
    put(ContactFileName, damaged);

    ContactStore store;
    store.LoadContacts(files);
    EXPECT_FALSE(store.loadedWhole());
    store.AddContact(contact(u"D", u"4"));
    ASSERT_TRUE(store.SaveContacts(files));
    EXPECT_EQ(get(ContactBackupName), damaged);
    EXPECT_EQ(get(ContactFileName), store.write());
    // A second save keeps the first backup.
    store.AddContact(contact(u"E", u"5"));
    ASSERT_TRUE(store.SaveContacts(files));
    EXPECT_EQ(get(ContactBackupName), damaged);
}

// ---- Recent-call lists and the call-log file ----

TEST(CallLogFile, OneDialedCallIsWrittenByteForByte) {
    CallLog log;
    const auto time = CallLog::TimeText({2024, 3, 5, 10, 2, 3});
    ASSERT_EQ(time, u"Tue Mar 05 10:02:03 2024\n");
    log.dialed.add({u"123", u"123", time, u"00:00:07"}, 10);
    const Bytes8 expected = join({{1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
                                  {0xFF, 0xFE, 0xFF, 0x03, 0x31, 0x00, 0x32, 0x00, 0x33, 0x00},
                                  {0xFF, 0xFE, 0xFF, 0x03, 0x31, 0x00, 0x32, 0x00, 0x33, 0x00},
                                  wide(time),
                                  wide(u"00:00:07")});
    EXPECT_EQ(log.write(), expected);
    EXPECT_EQ(wide(time)[3], 0x19);
}

TEST(CallLogFile, MissedCallsAreThreeStringsTheOthersFour) {
    CallLog log;
    log.missed.add({u"9", u"9", u"t", u"ignored"}, 10);
    log.received.add({u"8", u"8", u"t", u"00:01:00"}, 10);
    const Bytes8 expected = join({{0, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0},
                                  wide(u"8"),
                                  wide(u"8"),
                                  wide(u"t"),
                                  wide(u"00:01:00"),
                                  wide(u"9"),
                                  wide(u"9"),
                                  wide(u"t")});
    EXPECT_EQ(log.write(), expected);
}

TEST(CallLogFile, TimeTexts) {
    const std::pair<LocalTime, std::u16string> cases[] = {
        {{2024, 3, 5, 10, 2, 3}, u"Tue Mar 05 10:02:03 2024\n"},
        {{2026, 12, 31, 23, 59, 59}, u"Thu Dec 31 23:59:59 2026\n"},
        {{2000, 1, 1, 0, 0, 0}, u"Sat Jan 01 00:00:00 2000\n"},
        {{2024, 2, 29, 12, 0, 0}, u"Thu Feb 29 12:00:00 2024\n"},
    };
    for (const auto& [at, text] : cases) {
        EXPECT_EQ(CallLog::TimeText(at), text);
        EXPECT_EQ(CallLog::TimeText(at).size(), 25u);
    }
}

TEST(CallLogFile, CallsPerListLimits) {
    const std::pair<std::u16string, int> cases[] = {
        {u"", 10},     {u"0", 10},     {u"3", 3},   {u"100", 100}, {u"101", 100},
        {u"999", 100}, {u"12abc", 12}, {u"-5", 10}, {u"abc", 10},  {u"99999999999999999999", 100},
    };
    for (const auto& [text, limit] : cases)
        EXPECT_EQ(CallLog::LimitOf(text), limit) << toUtf8(text);
}

TEST(RecentCallListTest, KeepsTheNewestCallsOldestFirst) {
    RecentCallList list;
    for (auto n : {u"1", u"2", u"3", u"4"})
        list.add({n, n, u"", u""}, 3);
    ASSERT_EQ(list.size(), 3);
    EXPECT_EQ(list.calls().front().number, u"2");
    EXPECT_EQ(list.calls().back().number, u"4");
    for (int i = 0; i < 150; ++i)
        list.add({u"x", u"x", u"", u""}, 100);
    EXPECT_EQ(list.size(), RecentCallList::Slots);
}

TEST_F(DataFiles, TheCallLogIsCreatedAndReplacedWhole) {
    CallLog log;
    ASSERT_TRUE(log.SaveCallLog(files));
    EXPECT_EQ(get(CallLogFileName), Bytes8(12, 0));
    put(CallLogFileName, Bytes8(200, 0x55));
    log.missed.add({u"5", u"5", u"t", u""}, 10);
    ASSERT_TRUE(log.SaveCallLog(files));
    EXPECT_EQ(get(CallLogFileName), log.write());
}
