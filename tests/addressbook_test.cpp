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

// ---- The panels on the main window ----

namespace {

// The registered main window with both panels on fake views.
struct Panels : DataFiles {
    FakePlatform platform;
    FakeEngine& engine = platform.engine;
    FakeView view;
    std::unique_ptr<CZUBSoftPhoneDlg> mainWindow;
    CZUBSoftPhoneDlg* main = nullptr;

    void SetUp() override {
        DataFiles::SetUp();
        // Every balance query and records fetch after a call gets an answer.
        for (int i = 0; i < 8; ++i)
            platform.http.queueScrambled("prepaid#1.00");
        platform.http.pages["http://127.0.0.1:8080/cdr?user=demo"] = "";
    }
    void open() {
        mainWindow = std::make_unique<CZUBSoftPhoneDlg>(platform.window(files));
        main = mainWindow.get();
        main->replyText = fromUtf8(sampleProvisioningReply());
        main->userName = u"demo";
        main->password = u"pw";
        main->attach(&view);
        main->onInitDialog();
        main->accountId = 0;
        ASSERT_TRUE(main->registered);
        engine.calls.clear();
    }
    CContact& contacts() { return main->contactsPanel(); }
    CCall& calls() { return main->recentCallsPanel(); }
    FakeView& contactsView() { return platform.ui.viewOf(DlgContacts); }
    FakeView& callsView() { return platform.ui.viewOf(DlgRecentCalls); }

    // Fills the details window with `entries` (control id, text) and presses OK;
    // returns the messages it showed.
    std::vector<std::u16string> details(int command, std::vector<std::pair<int, std::u16string>> entries,
                                        bool office = false) {
        std::vector<std::u16string> shown;
        platform.ui.onModal[DlgContactProperties] = [&](DialogLogic& logic, FakeView& form) {
            for (const auto& [id, text] : entries)
                form.setText(id, text);
            if (office)
                logic.onCommand(ContactOfficeRadio);
            logic.onCommand(ContactOk);
            for (const auto& m : form.messages)
                shown.push_back(m.text);
        };
        contacts().onCommand(command);
        return shown;
    }
    void add(std::u16string name, std::u16string mobile, std::u16string phone = u"",
             std::u16string pager = u"") {
        auto shown = details(CmdAddContact, {{ContactNameEdit, name},
                                             {ContactMobileEdit, mobile},
                                             {ContactPhoneEdit, phone},
                                             {ContactPagerEdit, pager}});
        ASSERT_TRUE(shown.empty()) << toUtf8(shown.front());
    }
    int contactItem(std::u16string_view name) { return contactsView().treeFind(ContactsTree, name); }
    std::vector<std::u16string> contactLabels() { return contactsView().treeLabels(ContactsTree); }
    std::u16string contactTip(std::u16string_view name) {
        return contactsView().treeNode(ContactsTree, contactItem(name)).tooltip;
    }
    int folder(std::u16string_view name) { return callsView().treeFind(CallsTree, name); }
    std::vector<std::u16string> entries(std::u16string_view folderName) {
        return callsView().treeLabels(CallsTree, folder(folderName));
    }
};

} // namespace

TEST_F(Panels, AddedContactsAreListedSortedWithTheirNumber) {
    open();
    add(u"bob", u"", u"", u"555");
    add(u"Ann", u"12345");
    add(u"Cy", u"", u"777");
    EXPECT_EQ(contactLabels(), (std::vector<std::u16string>{u"Ann", u"bob", u"Cy"}));
    EXPECT_EQ(contactTip(u"Ann"), u"\n     Mobile           12345    \n\n");
    EXPECT_EQ(contactTip(u"Cy"), u"\n     Phone           777    \n\n");
    EXPECT_EQ(contactsView().treeNode(ContactsTree, contactItem(u"Ann")).tooltipTitle, u"Ann")
        << "titled with the name";
    EXPECT_EQ(contactTip(u"bob"), u"\n     Pager           555    \n\n");
    EXPECT_EQ(names(contacts().store), (std::vector<std::u16string>{u"bob", u"Ann", u"Cy"}));
    EXPECT_EQ(contacts().store.at(1)[FieldAddressType], u"HA");
}

TEST_F(Panels, TheDetailsWindowComplainsInOrder) {
    open();
    const std::u16string n25(25, u'n'), d25(25, u'1'), s50(50, u's');
    struct Case {
        std::vector<std::pair<int, std::u16string>> entries;
        std::u16string complaint; // empty: accepted
    };
    const Case cases[] = {
        {{{ContactMobileEdit, u"1"}}, u"UserName and Contact number can not be left blank"},
        {{{ContactNameEdit, u"A"}}, u"UserName and Contact number can not be left blank"},
        {{{ContactNameEdit, u"A"}, {ContactMobileEdit, u"1a"}, {ContactPhoneEdit, u"x"}},
         u"Mobile number should be numeric"},
        {{{ContactNameEdit, u"A"}, {ContactPhoneEdit, u"+1"}}, u"Phone number should be numeric"},
        {{{ContactNameEdit, u"A"}, {ContactPagerEdit, u"1 2"}}, u"Pager number should be numeric"},
        {{{ContactNameEdit, u"A"}, {ContactMobileEdit, u"1"}, {ContactFaxEdit, u"f"}},
         u"Fax should be numeric"},
        {{{ContactNameEdit, u"A"}, {ContactMobileEdit, u"1"}, {ContactPinCodeEdit, u"AB1"}},
         u"Pincode should be numeric"},
        {{{ContactNameEdit, u"A"}, {ContactMobileEdit, u"1"}, {ContactEmailEdit, u"a@b." + s50}},
         u"Email address should be less than 50 characters"},
        {{{ContactNameEdit, u"A"}, {ContactMobileEdit, u"1"}, {ContactCityEdit, s50 + u"s"}},
         u"City should be less than 50 characters"},
        {{{ContactNameEdit, u"A"}, {ContactMobileEdit, u"1"}, {ContactCountryEdit, s50 + u"s"}},
         u"Country should be less than 50 characters"},
        {{{ContactNameEdit, u"A"}, {ContactMobileEdit, u"1"}, {ContactEmailEdit, u"ann.example.com"}},
         u"Email address not valid"},
        {{{ContactNameEdit, u"A"}, {ContactMobileEdit, u"1"}, {ContactEmailEdit, u"ann.x@example"}},
         u"Email address not valid"},
        {{{ContactNameEdit, n25 + u"n"}, {ContactMobileEdit, u"1"}},
         u"Contact name can take only 25 characters "},
        {{{ContactNameEdit, u"A"}, {ContactPhoneEdit, d25 + u"1"}},
         u"Contact number can take only 25 digits"},
        {{{ContactNameEdit, u"A"}, {ContactMobileEdit, d25 + u"1"}},
         u"Contact number can take only 25 digits"},
        {{{ContactNameEdit, n25}, {ContactPhoneEdit, d25}, {ContactMobileEdit, d25}}, u""},
        {{{ContactNameEdit, u"B"},
          {ContactMobileEdit, u"1"},
          {ContactEmailEdit, u"a@example.com"},
          {ContactCityEdit, s50},
          {ContactCountryEdit, s50},
          {ContactPinCodeEdit, u"0123"}},
         u""},
        {{{ContactNameEdit, u"C"},
          {ContactPagerEdit, u"9"},
          {ContactEmailEdit, std::u16string(44, u'e') + u"@a.com"}},
         u""},
    };
    int accepted = 0;
    for (const auto& c : cases) {
        const auto shown = details(CmdAddContact, c.entries);
        if (c.complaint.empty()) {
            EXPECT_TRUE(shown.empty()) << toUtf8(shown.front());
            ++accepted;
        } else {
            ASSERT_EQ(shown.size(), 1u) << toUtf8(c.complaint);
            EXPECT_EQ(shown.front(), c.complaint);
            EXPECT_EQ(platform.ui.viewOf(DlgContactProperties).focus, ContactNameEdit);
            EXPECT_FALSE(platform.ui.viewOf(DlgContactProperties).ended) << "the window stays open";
        }
    }
    EXPECT_EQ(contacts().store.count(), accepted);
}

TEST_F(Panels, EditingRenamesOrRefreshesTheItem) {
    open();
    add(u"Ann", u"111");
    add(u"Bob", u"222");
    contactsView().treeSelect(ContactsTree, contactItem(u"Ann"));
    std::u16string shownName;
    platform.ui.onModal[DlgContactProperties] = [&](DialogLogic& logic, FakeView& form) {
        shownName = form.textOf(ContactNameEdit);
        EXPECT_TRUE(form.isDown(ContactHomeRadio));
        form.setText(ContactMobileEdit, u"999");
        logic.onCommand(ContactOfficeRadio);
        logic.onCommand(ContactOk);
    };
    const int before = contactItem(u"Ann");
    contacts().onCommand(CmdEditContact);
    EXPECT_EQ(shownName, u"Ann");
    EXPECT_EQ(contactItem(u"Ann"), before) << "the same item, refreshed";
    EXPECT_EQ(contactTip(u"Ann"), u"\n     Mobile           999    \n\n");
    EXPECT_EQ(contacts().store.at(0)[FieldAddressType], u"OA");

    contactsView().treeSelect(ContactsTree, contactItem(u"Ann"));
    auto shown = details(CmdEditContact, {{ContactNameEdit, u"Zed"}});
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(contactLabels(), (std::vector<std::u16string>{u"Bob", u"Zed"}));
    EXPECT_EQ(names(contacts().store), (std::vector<std::u16string>{u"Zed", u"Bob"}));
    EXPECT_EQ(contacts().store.at(0)[FieldMobile], u"999");
    EXPECT_TRUE(platform.ui.viewOf(DlgContactProperties).isDown(ContactOfficeRadio));

    contactsView().treeSelect(ContactsTree, 0);
    contacts().onCommand(CmdEditContact);
    EXPECT_EQ(contactsView().messages.back().text, u"No Item Selected, First Select an Item");
}

TEST_F(Panels, DeleteAsksThenSelectsTheItemAbove) {
    open();
    for (auto name : {u"Ann", u"Bob", u"Cy"})
        add(name, u"1");
    auto& v = contactsView();
    v.treeSelect(ContactsTree, contactItem(u"Bob"));
    v.answers = {MessageResult::Cancel};
    contacts().onCommand(CmdDeleteContact);
    EXPECT_EQ(v.messages.back().text, u"Do you really want to delete 'Bob' from Contact list ?");
    EXPECT_EQ(v.messages.back().buttons, MessageButtons::OkCancel);
    EXPECT_EQ(contacts().store.count(), 3);

    contacts().onKey({Key::Delete});
    EXPECT_EQ(names(contacts().store), (std::vector<std::u16string>{u"Ann", u"Cy"}));
    EXPECT_EQ(contactLabels(), (std::vector<std::u16string>{u"Ann", u"Cy"}));
    EXPECT_EQ(v.treeSelected(ContactsTree), contactItem(u"Ann"));
    EXPECT_EQ(v.focus, ContactsTree);

    contacts().onCommand(CmdDeleteContact); // Ann, the first: nothing above it
    EXPECT_EQ(v.treeSelected(ContactsTree), 0);
    contacts().onCommand(CmdDeleteContact);
    EXPECT_EQ(v.messages.back().text, u"No Item Selected, First Select an Item");
    EXPECT_EQ(contacts().store.count(), 1);
}

TEST_F(Panels, SearchListsEveryNameStartingWithTheText) {
    open();
    for (auto name : {u"Ann", u"andy", u"Anna", u"Bob"})
        add(name, u"1");
    // A contact with no number, possible only from the file, is not listed at first.
    ContactRecord bare;
    bare[FieldName] = u"Annex";
    contacts().store.AddContact(bare);
    for (int i = 0; i < 12; ++i)
        add(u"Ab" + u16(std::to_string(i + 10)), u"2");

    contactsView().setText(ContactSearchEdit, u"An");
    contacts().onEditChanged(ContactSearchEdit);
    EXPECT_EQ(contactLabels(), (std::vector<std::u16string>{u"Ann", u"Anna", u"Annex"}));
    EXPECT_EQ(contactTip(u"Ann"), u"\nNAME        Ann\nMobile       1\nEmail         \nCountry    \n");
    EXPECT_EQ(contactTip(u"Annex"), u"\nNAME        Annex\nPager      \nEmail         \nCountry    \n");

    contactsView().setText(ContactSearchEdit, u"Ab");
    contacts().onEditChanged(ContactSearchEdit);
    EXPECT_EQ(contactLabels().size(), 12u) << "more than ten matches are all listed";

    contactsView().setText(ContactSearchEdit, u"Annexe");
    contacts().onEditChanged(ContactSearchEdit);
    EXPECT_TRUE(contactLabels().empty());

    contactsView().setText(ContactSearchEdit, u"");
    contacts().onEditChanged(ContactSearchEdit);
    EXPECT_EQ(contactLabels().size(), 17u);
}

TEST_F(Panels, CallingAContactDialsItsNumberAndClosesThePanel) {
    open();
    add(u"Sam", u"", u"2001");
    add(u"Sam", u"3003");
    main->onCommand(Contacts);
    EXPECT_TRUE(contactsView().shown);
    EXPECT_FALSE(view.isVisible(ShowContactsArrow));
    EXPECT_EQ(contactsView().rect.x, view.rect.x + view.rect.width) << "docked at the right edge";

    contactsView().treeSelect(ContactsTree, contactItem(u"Sam"));
    contacts().onTreeActivated(ContactsTree);
    EXPECT_EQ(engine.calls, std::vector<std::string>{"makeCall(0,sip:2001@127.0.0.1)"}) << "the first Sam";
    EXPECT_FALSE(contactsView().shown);
    EXPECT_TRUE(view.isVisible(ShowContactsArrow));

    main->OnCallState(1, 1); // calling
    contactsView().treeSelect(ContactsTree, contactItem(u"Sam"));
    contacts().onCommand(CmdCallContact);
    ASSERT_FALSE(view.messages.empty());
    EXPECT_EQ(view.messages.back().text, u"Multiple calls are not allowed in the application");
    EXPECT_EQ(engine.calls.size(), 1u);
}

TEST_F(Panels, CallRefusalsAndTheGreyedMenu) {
    open();
    add(u"Ann", u"1");
    auto& v = contactsView();
    contacts().onCommand(ContactsMenuButton);
    ASSERT_EQ(v.popups.size(), 1u);
    EXPECT_EQ(v.popups.back().menuId, MenuContacts);
    EXPECT_EQ(v.popups.back().greyed, (std::set<int>{CmdCallContact, CmdEditContact, CmdDeleteContact}));

    v.treeSelect(ContactsTree, contactItem(u"Ann"));
    v.menuChoices = {CmdCallContact};
    main->registered = false;
    contacts().onCommand(ContactsMenuButton);
    EXPECT_EQ(v.popups.back().greyed, std::set<int>{CmdAddContact});
    EXPECT_EQ(v.messages.back().text, u"You are not Registered");
    EXPECT_TRUE(engine.calls.empty());

    EXPECT_TRUE(contacts().onKey({Key::Escape}));
    EXPECT_TRUE(contacts().onKey({Key::Enter}));
    contacts().onCommand(Close);
    EXPECT_TRUE(view.isVisible(ShowContactsArrow));
}

TEST_F(Panels, AFullStoreRefusesANewContact) {
    open();
    for (int i = 0; i < ContactStore::Capacity; ++i)
        contacts().store.AddContact(contact(u"c" + u16(std::to_string(i)), u"1"));
    const auto runs = platform.ui.modalRuns.size();
    contacts().onCommand(CmdAddContact);
    EXPECT_EQ(platform.ui.modalRuns.size(), runs) << "the details window does not open";
    EXPECT_EQ(contactsView().messages.back().text,
              u"The contact list is full (1000 contacts). Delete a contact before adding another.");
}

TEST_F(Panels, ContactsAddedBeforeExitAreThereAtTheNextStart) {
    open();
    add(u"Ann", u"12345");
    add(u"Bob", u"", u"", u"77");
    ASSERT_TRUE(main->ExitSequence());
    const auto saved = get(ContactFileName);
    EXPECT_EQ(saved, contacts().store.write());
    EXPECT_EQ(get(CallLogFileName), Bytes8(12, 0));

    open();
    EXPECT_EQ(names(contacts().store), (std::vector<std::u16string>{u"Ann", u"Bob"}));
    EXPECT_EQ(contactLabels(), (std::vector<std::u16string>{u"Ann", u"Bob"}));
}

// ---- Recent calls ----

TEST_F(Panels, FinishedCallsGoToTheirListsAndFolders) {
    open();
    main->callsPerList = u"10";
    struct Case {
        LineRecord line;
        std::vector<std::u16string> dialed, received, missed;
    };
    LineRecord missed;
    missed.incoming = true;
    missed.remoteNumber = u"501";
    LineRecord cancelled;
    cancelled.calling = true;
    cancelled.dialedNumber = u"502";
    LineRecord answeredIn;
    answeredIn.connected = answeredIn.answering = true;
    answeredIn.direction = u'I';
    answeredIn.remoteNumber = u"503";
    answeredIn.durationText = u"00:00:09";
    LineRecord answeredOut;
    answeredOut.connected = answeredOut.answering = answeredOut.calling = true;
    answeredOut.direction = u'C';
    answeredOut.dialedNumber = u"504";
    answeredOut.durationText = u"00:01:00";
    for (const auto* line : {&missed, &cancelled, &answeredIn, &answeredOut}) {
        main->lineTable.lines[2] = *line;
        main->RecordFinishedCall(2);
    }
    const auto& log = calls().log;
    ASSERT_EQ(log.dialed.size(), 2);
    EXPECT_EQ(log.dialed.calls()[0].duration, u"");
    EXPECT_EQ(log.dialed.calls()[1],
              (RecentCall{u"504", u"504", u"Wed Dec 09 09:05:09 2026\n", u"00:01:00"}));
    ASSERT_EQ(log.received.size(), 1);
    EXPECT_EQ(log.received.calls()[0].duration, u"00:00:09");
    ASSERT_EQ(log.missed.size(), 1);

    auto& v = callsView();
    EXPECT_EQ(entries(u"Dialed Calls"), (std::vector<std::u16string>{u"504", u"502"}));
    EXPECT_EQ(entries(u"Received Calls"), std::vector<std::u16string>{u"503"});
    EXPECT_EQ(entries(u"Missed Calls"), std::vector<std::u16string>{u"501"});
    const auto node = [&](std::u16string_view f, int i) {
        return v.treeNode(CallsTree, v.treeChildren(CallsTree, folder(f))[std::size_t(i)]);
    };
    EXPECT_EQ(node(u"Dialed Calls", 0).image, 2);
    EXPECT_EQ(node(u"Dialed Calls", 0).tooltip,
              u"\nName                504\nNumber            504\nDuration            "
              u"00:01:00\nComments       Answered Call\n");
    EXPECT_EQ(node(u"Dialed Calls", 1).image, 1);
    EXPECT_EQ(node(u"Dialed Calls", 1).tooltip,
              u"\nName               502\nNumber            502\nComments       Cancelled Call\n");
    EXPECT_EQ(node(u"Received Calls", 0).image, 2);
    EXPECT_EQ(node(u"Received Calls", 0).tooltip,
              u"\nNAME                503\nNubmer             503\nTime      "
              u"            Wed Dec 09 09:05:09 2026\nDuration            "
              u"00:00:09\n");
    for (const auto& [folderName, title] : {std::pair{u"Dialed Calls", u"Dialed Call"},
                                            {u"Received Calls", u"Answered Call"},
                                            {u"Missed Calls", u"UnAnswered Call"}})
        EXPECT_EQ(node(folderName, 0).tooltipTitle, title);
    EXPECT_EQ(node(u"Missed Calls", 0).image, 1);
    // The time text ends in a line feed of its own.
    EXPECT_EQ(node(u"Missed Calls", 0).tooltip,
              u"\nNAME                501\nNubmer             501\nTime      "
              u"            Wed Dec 09 09:05:09 2026\n\n");
}

TEST_F(Panels, TheLimitKeepsTheNewestCallsAndAdjustReTrims) {
    open();
    main->callsPerList = u"3";
    for (auto n : {u"1", u"2", u"3", u"4"})
        main->AddRecentCall(n, u"", u'D');
    std::vector<std::u16string> listed;
    for (const auto& c : calls().log.dialed.calls())
        listed.push_back(c.number);
    EXPECT_EQ(listed, (std::vector<std::u16string>{u"2", u"3", u"4"}));
    EXPECT_EQ(entries(u"Dialed Calls"), (std::vector<std::u16string>{u"4", u"3", u"2"}));

    main->callsPerList = u"10";
    for (auto n : {u"5", u"6"})
        main->AddRecentCall(n, u"00:00:01", u'R');
    for (auto n : {u"7", u"8", u"9"})
        main->AddRecentCall(n, u"", u'R');
    main->callsPerList = u"2";
    for (char16_t kind : {u'D', u'R', u'M'})
        main->AddRecentCall(u"adjust", u"", kind);
    EXPECT_EQ(calls().log.received.size(), 2);
    EXPECT_EQ(calls().log.received.calls()[0].number, u"8");
    EXPECT_EQ(entries(u"Received Calls"), (std::vector<std::u16string>{u"9", u"8"}));
    EXPECT_EQ(calls().log.dialed.size(), 2);
    main->callsPerList = u"10";
    main->AddRecentCall(u"adjust", u"", u'R');
    EXPECT_EQ(calls().log.received.size(), 2) << "dropped calls do not come back";
    main->AddRecentCall(u"", u"", u'R');
    EXPECT_EQ(calls().log.received.size(), 2) << "an empty number is no call";
}

TEST_F(Panels, TheTreeIsRebuiltFromTheServerRecordsKeepingThisRunsCalls) {
    open();
    main->AddRecentCall(u"777", u"", u'M');
    main->AddRecentCall(u"888", u"", u'D');
    auto& records = main->serverCalls;
    records.count = 3;
    records.records[0] = {u"2001", u"2026-12-01", u"10:00", u"0.20"};
    records.records[1] = {u"2002", u"2026-12-02", u"11:00", u""};
    records.records[2] = {u"", u"2026-12-03", u"12:00", u"0.10"}; // the walk stops at it
    main->BuildRecentCallsTree();
    EXPECT_EQ(callsView().treeLabels(CallsTree),
              (std::vector<std::u16string>{u"Dialed Calls", u"Received Calls", u"Missed Calls"}));
    EXPECT_EQ(entries(u"Dialed Calls"), std::vector<std::u16string>{}) << "stops at the last record";
    records.records[2] = {u"2003", u"2026-12-03", u"12:00", u"0.10"};
    main->BuildRecentCallsTree();
    EXPECT_EQ(entries(u"Dialed Calls"), (std::vector<std::u16string>{u"2001", u"2002", u"2003"}));
    EXPECT_EQ(entries(u"Missed Calls"), std::vector<std::u16string>{u"777"});
    auto& v = callsView();
    const auto dialed = v.treeChildren(CallsTree, folder(u"Dialed Calls"));
    EXPECT_EQ(
        v.treeNode(CallsTree, dialed[0]).tooltip,
        u"\nName              2001\nNumber          2001\nDate                 2026-12-01\nDuration          "
        u"0.20\nComments     Answered Call\n");
    EXPECT_EQ(
        v.treeNode(CallsTree, dialed[1]).tooltip,
        u"\nName              2002\nNumber          2002\nDate                 2026-12-02\nComments        "
        u"Unanswered Call\n");
    EXPECT_EQ(v.treeNode(CallsTree, dialed[1]).image, 1);
    EXPECT_TRUE(v.treeNode(CallsTree, folder(u"Dialed Calls")).expanded);
    EXPECT_EQ(calls().log.dialed.size(), 1) << "the lists are not touched";
}

TEST_F(Panels, CallingBackFromTheTree) {
    open();
    main->AddRecentCall(u"2001", u"", u'M');
    main->onCommand(RecentCalls);
    auto& v = callsView();
    EXPECT_TRUE(v.shown);
    EXPECT_EQ(v.rect.x, view.rect.x - 247) << "docked at the left edge";
    EXPECT_FALSE(view.isVisible(ShowCallsArrow));

    v.treeSelect(CallsTree, folder(u"Missed Calls"));
    calls().onTreeActivated(CallsTree);
    calls().onCommand(CallsMenuButton);
    EXPECT_EQ(v.popups.back().greyed, std::set<int>{CmdCallBack});
    EXPECT_TRUE(engine.calls.empty()) << "a folder is not called";

    v.treeSelect(CallsTree, v.treeChildren(CallsTree, folder(u"Missed Calls"))[0]);
    v.menuChoices = {CmdCallBack};
    calls().onCommand(CallsMenuButton);
    EXPECT_TRUE(v.popups.back().greyed.empty());
    EXPECT_EQ(engine.calls, std::vector<std::string>{"makeCall(0,sip:2001@127.0.0.1)"});
    EXPECT_FALSE(v.shown);
    EXPECT_TRUE(view.isVisible(ShowCallsArrow));

    main->OnCallState(1, 1); // calling
    v.treeSelect(CallsTree, v.treeChildren(CallsTree, folder(u"Missed Calls"))[0]);
    calls().onTreeActivated(CallsTree);
    ASSERT_FALSE(view.messages.empty());
    EXPECT_EQ(view.messages.back().text, u"Multiple calls are not allowed in the application");
    EXPECT_EQ(engine.calls.size(), 1u);
}

TEST_F(Panels, ACallEndingOnTheCurrentLineIsLogged) {
    open();
    main->OnCallState(7, 2);
    main->OnCallIncoming(7, u"sip:5551234@operator.example");
    main->OnCallState(7, 6);
    ASSERT_EQ(calls().log.missed.size(), 1);
    EXPECT_EQ(calls().log.missed.calls()[0].number, u"5551234");
    EXPECT_EQ(entries(u"Missed Calls"), std::vector<std::u16string>{u"5551234"});
    main->onSessionEnd();
    EXPECT_EQ(get(CallLogFileName), calls().log.write());
    EXPECT_EQ(get(CallLogFileName)[8], 1);
}

TEST_F(Panels, TheCallLogIsWrittenEvenWhenTheContactsCannotBe) {
    open();
    add(u"Ann", u"1");
    main->AddRecentCall(u"2001", u"", u'M');
    std::filesystem::create_directory(files.path(ContactFileName)); // nothing can replace a folder
    EXPECT_FALSE(contacts().SaveContacts());
    ASSERT_TRUE(main->ExitSequence());
    EXPECT_EQ(get(CallLogFileName), calls().log.write());
    EXPECT_EQ(calls().log.missed.size(), 1);
}

TEST_F(Panels, TheKeypadPutsThePanelsAway) {
    open();
    main->onCommand(Contacts);
    main->onCommand(RecentCalls);
    ASSERT_TRUE(contactsView().shown && callsView().shown);
    main->onCommand(Key1 + 4);
    EXPECT_FALSE(contactsView().shown);
    EXPECT_FALSE(callsView().shown);
    EXPECT_EQ(view.textOf(NumberLabel), u"5");
}

TEST_F(Panels, CallsAreKeptWhenThePanelHasNoWindow) {
    open();
    platform.ui.destroyModeless(calls());
    main->AddRecentCall(u"2001", u"", u'M');
    EXPECT_EQ(calls().log.missed.size(), 1);
    main->BuildRecentCallsTree();
}
