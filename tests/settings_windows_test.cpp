// The settings window with its options page, and the SIP account login window
// with its account table, on fake views; both opened from the main window.
#include "platform/DataFolder.h"
#include "resources/Dialogs.h"
#include "services/CLogin.h"
#include "settings/CApplication.h"
#include "settings/CSettingsWindow.h"
#include "settings/SettingsFiles.h"
#include "support/Fakes.h"

#include <gtest/gtest.h>

using namespace res;

namespace {

using Texts = std::vector<std::u16string>;

Texts textsOf(const std::vector<FakeView::Message>& messages) {
    Texts texts;
    for (const auto& m : messages)
        texts.push_back(m.text);
    return texts;
}

// The main window on a fake view with a real data folder; its windows open on fake views too.
struct Windows : testing::Test {
    TempDir temp;
    DataFolder files{(temp.path() / "Ringlark").string()};
    FakePlatform platform;
    FakeUi& ui = platform.ui;
    FakeAutostart& autostart = platform.autostart;
    FakeView view;
    CZUBSoftPhoneDlg main{platform.window(files)};

    void SetUp() override {
        ASSERT_TRUE(files.ensureFolder());
        main.userName = u"demo";
        main.password = u"pw";
        main.attach(&view);
        main.onInitDialog();
    }

    std::optional<ApplicationSettings> savedOptions() {
        auto bytes = files.read(ApplicationFileName);
        if (!bytes)
            return std::nullopt;
        return ApplicationSettings::read(*bytes).record;
    }
    void saveOptions(const ApplicationSettings& settings) {
        ASSERT_TRUE(files.save(ApplicationFileName, settings.write(), false));
    }
    // Opens the options from the main window's menu entry and acts in them.
    int openOptions(std::function<void(CSettingsWindow&, FakeView&)> act) {
        int result = -1;
        ui.onModal[DlgSettings] = [&](DialogLogic& logic, FakeView& v) {
            act(static_cast<CSettingsWindow&>(logic), v);
        };
        const auto runs = ui.modalRuns.size();
        main.onCommand(CmdSysOptions);
        if (ui.modalRuns.size() > runs)
            result = ui.viewOf(DlgSettings).ended ? ui.viewOf(DlgSettings).result : 2;
        return result;
    }
    FakeView& settingsView() { return ui.viewOf(DlgSettings); }
};

} // namespace

TEST(CallsPerList, ChecksGiveTheirMessagesInOrder) {
    const std::u16string blank = u"Number of calls field Can not be left blank";
    const std::u16string numeric = u"Number of Calls Should be Numeric";
    const std::u16string zero = u"Number of Calls Should be Greater than zero";
    const std::u16string thousand = u"Number of Calls Should be less than one thousand";
    struct Case {
        std::u16string text;
        Texts messages;
    };
    const Case cases[] = {
        {u"", {blank}},
        {u"0", {zero}},
        {u"000", {zero}},
        {u"5a", {numeric}},
        {u"-5", {numeric}},
        {u"abc", {numeric, zero}},
        {u" 7", {numeric}},
        {u"1", {}},
        {u"10", {}},
        {u"100", {}},
        {u"101", {}},
        {u"999", {}},
        {u"1000", {thousand}},
        {u"999999999999", {thousand}},
        {u"-999999999999", {numeric}},
        {u"\uff15", {numeric, zero}}, // a full-width digit is not a decimal digit here
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.text.begin(), c.text.end()));
        EXPECT_EQ(CallsPerListProblems(c.text), c.messages);
    }
}

TEST_F(Windows, OptionsOpenWithTheGeneralPageAndApplyDisabled) {
    openOptions([](CSettingsWindow&, FakeView& v) {
        EXPECT_EQ(v.treeItems[SettingsTree], Texts{u"General"});
        EXPECT_EQ(v.focus, SettingsTree);
        EXPECT_FALSE(v.isEnabled(OptApply));
        for (int id : {OptConfirmOnClose, OptPromptUpgrade, OptLettersToDigits, OptSendMessage, OptPlaceCall,
                       OptRecordingFolder})
            EXPECT_FALSE(v.isVisible(id)) << id;
        EXPECT_TRUE(v.isVisible(OptAlwaysOnTop));
        EXPECT_EQ(v.textOf(OptCallsPerList), u"10"); // the main window's value without a file
        EXPECT_EQ(v.textOf(OptRecordingFolder), u"/home/demo");
    });
    EXPECT_EQ(ui.modalRuns, std::vector<int>{DlgSettings});
    EXPECT_FALSE(main.modalGuard);
    EXPECT_EQ(view.focus, NumberEdit);
}

TEST_F(Windows, ClicksAndEditsEnableApply) {
    for (int id :
         {OptAlwaysOnTop, OptLaunchAtStartup, OptConfirmOnClose, OptCallsPerList, OptRecordingFolder}) {
        SCOPED_TRACE(id);
        openOptions([id](CSettingsWindow& w, FakeView& v) {
            if (id == OptCallsPerList || id == OptRecordingFolder)
                w.onEditChanged(id);
            else
                w.onCommand(id);
            EXPECT_TRUE(v.isEnabled(OptApply));
            w.onCommand(SettingsTree); // showing the page again disables it
            EXPECT_FALSE(v.isEnabled(OptApply));
        });
    }
}

TEST_F(Windows, ApplyTableOfInputs) {
    struct Case {
        std::u16string calls;
        bool onTop, launch;
        Texts messages;
        bool saved;
    };
    const Case cases[] = {
        {u"", true, false, {u"Number of calls field Can not be left blank"}, false},
        {u"0", false, true, {u"Number of Calls Should be Greater than zero"}, false},
        {u"000", false, false, {u"Number of Calls Should be Greater than zero"}, false},
        {u"5a", true, true, {u"Number of Calls Should be Numeric"}, false},
        {u"-5", false, false, {u"Number of Calls Should be Numeric"}, false},
        {u"100", true, false, {}, true},
        {u"101", false, true, {}, true},
        {u"999999999999", true, true, {u"Number of Calls Should be less than one thousand"}, false},
        {u"25", false, false, {}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.calls.begin(), c.calls.end()));
        std::filesystem::remove(files.path(ApplicationFileName));
        main.callsPerList = u"10";
        view.topmost = !c.onTop;
        autostart.registered = c.launch ? "" : "/usr/bin/someone-else";
        openOptions([&](CSettingsWindow& w, FakeView& v) {
            v.setDown(OptAlwaysOnTop, c.onTop);
            v.setDown(OptLaunchAtStartup, c.launch);
            v.setText(OptCallsPerList, c.calls);
            w.onEditChanged(OptCallsPerList);
            w.onCommand(OptApply);
            EXPECT_EQ(v.isEnabled(OptApply), !c.saved);
            EXPECT_EQ(v.textOf(OptCallsPerList), c.calls); // the typed value stays
            w.onCommand(OptCancel);
        });
        EXPECT_EQ(textsOf(settingsView().messages), c.messages);
        // Always on top and the autostart entry take effect whatever the number.
        EXPECT_EQ(view.topmost, c.onTop);
        EXPECT_EQ(autostart.registered, c.launch ? "/opt/ringlark/ringlark" : "");
        const auto saved = savedOptions();
        EXPECT_EQ(saved.has_value(), c.saved);
        EXPECT_EQ(main.callsPerList, c.saved ? c.calls : u"10");
        if (saved) {
            EXPECT_EQ(saved->callsPerList, c.calls);
            EXPECT_EQ(saved->alwaysOnTop, c.onTop);
            EXPECT_EQ(saved->launchAtStartup, c.launch);
            EXPECT_EQ(saved->recordingFolder, u"/home/demo");
        }
    }
}

TEST_F(Windows, InvalidApplyLeavesAnEarlierFileAsItWas) {
    saveOptions({.callsPerList = u"30", .recordingFolder = u"/tmp/rec"});
    const auto before = files.read(ApplicationFileName);
    openOptions([](CSettingsWindow& w, FakeView& v) {
        v.setDown(OptAlwaysOnTop, true);
        v.setText(OptCallsPerList, u"");
        w.onCommand(OptApply);
    });
    EXPECT_TRUE(view.topmost);
    EXPECT_EQ(files.read(ApplicationFileName), before);
}

TEST_F(Windows, OkAppliesAndClosesEvenWhenTheNumberIsRefused) {
    const int refused = openOptions([](CSettingsWindow& w, FakeView& v) {
        v.setText(OptCallsPerList, u"1000");
        w.onCommand(OptOk);
    });
    EXPECT_EQ(refused, IdOk);
    EXPECT_EQ(textsOf(settingsView().messages), Texts{u"Number of Calls Should be less than one thousand"});
    EXPECT_FALSE(savedOptions());

    const int accepted = openOptions([](CSettingsWindow& w, FakeView& v) {
        v.setText(OptCallsPerList, u"999");
        w.onCommand(OptOk);
    });
    EXPECT_EQ(accepted, IdOk);
    EXPECT_EQ(main.callsPerList, u"999");
    ASSERT_TRUE(savedOptions());
    EXPECT_EQ(savedOptions()->callsPerList, u"999");
}

TEST_F(Windows, CancelSavesNothingAndEnterDoesNothing) {
    const int result = openOptions([](CSettingsWindow& w, FakeView& v) {
        v.setDown(OptAlwaysOnTop, true);
        v.setText(OptCallsPerList, u"50");
        EXPECT_TRUE(w.onKey({Key::Enter}));
        EXPECT_FALSE(v.ended);
        w.onCommand(OptCancel);
    });
    EXPECT_EQ(result, IdCancel);
    EXPECT_TRUE(settingsView().messages.empty());
    EXPECT_FALSE(savedOptions());
    EXPECT_FALSE(view.topmost);
    EXPECT_EQ(main.callsPerList, u"10");
}

TEST_F(Windows, EachOpeningReadsTheApplicationFileAgain) {
    saveOptions(
        {.alwaysOnTop = true, .confirmOnClose = true, .callsPerList = u"25", .recordingFolder = u"/tmp/rec"});
    openOptions([](CSettingsWindow&, FakeView& v) {
        EXPECT_TRUE(v.isDown(OptAlwaysOnTop));
        EXPECT_TRUE(v.isDown(OptConfirmOnClose));
        EXPECT_FALSE(v.isDown(OptLaunchAtStartup));
        EXPECT_EQ(v.textOf(OptCallsPerList), u"25");
        EXPECT_EQ(v.textOf(OptRecordingFolder), u"/tmp/rec");
    });
    saveOptions({.callsPerList = u"40", .recordingFolder = u"/tmp/rec"});
    openOptions([](CSettingsWindow&, FakeView& v) {
        EXPECT_FALSE(v.isDown(OptAlwaysOnTop));
        EXPECT_EQ(v.textOf(OptCallsPerList), u"40");
    });
}

TEST_F(Windows, ShortApplicationFileKeepsThePageValuesItDoesNotHold) {
    const auto whole =
        ApplicationSettings{.alwaysOnTop = true, .callsPerList = u"25", .recordingFolder = u"/tmp/rec"}
            .write();
    ASSERT_TRUE(files.save(ApplicationFileName, std::span(whole).first(12), false)); // the three flags only
    main.callsPerList = u"33";
    openOptions([](CSettingsWindow&, FakeView& v) {
        EXPECT_TRUE(v.isDown(OptAlwaysOnTop));
        EXPECT_EQ(v.textOf(OptCallsPerList), u"33");
        EXPECT_EQ(v.textOf(OptRecordingFolder), u"/home/demo");
    });
}

TEST_F(Windows, AutostartEntryThatCannotBeWrittenIsReported) {
    autostart.writable = false;
    openOptions([](CSettingsWindow& w, FakeView& v) {
        v.setDown(OptLaunchAtStartup, true);
        v.setText(OptCallsPerList, u"10");
        w.onCommand(OptApply);
    });
    EXPECT_EQ(textsOf(settingsView().messages), Texts{u"Ringlark could not be set to start at log-in"});
    ASSERT_TRUE(savedOptions()); // the other options still count
    EXPECT_TRUE(savedOptions()->launchAtStartup);

    autostart.registered = "/usr/bin/someone-else";
    openOptions([](CSettingsWindow& w, FakeView& v) {
        v.setDown(OptLaunchAtStartup, false);
        w.onCommand(OptApply);
    });
    EXPECT_EQ(textsOf(settingsView().messages), Texts{u"Ringlark could not be kept from starting at log-in"});
}

TEST_F(Windows, AutostartEntryNeedsTheProgramsOwnPath) {
    platform.program.path.clear();
    openOptions([](CSettingsWindow& w, FakeView& v) {
        v.setDown(OptLaunchAtStartup, true);
        w.onCommand(OptApply);
    });
    EXPECT_EQ(textsOf(settingsView().messages), Texts{u"Ringlark could not be set to start at log-in"});
    EXPECT_EQ(autostart.writes, 0);
}

TEST_F(Windows, OptionsAreReachableFromTheMenuAndTheKeyboard) {
    const std::pair<int, std::u16string> sipAccount{Login, u"SIP Account..."};
    const std::pair<int, std::u16string> options{CmdSysOptions, u"Options..."};
    EXPECT_NE(std::find(view.systemMenu.begin(), view.systemMenu.end(), sipAccount), view.systemMenu.end());
    EXPECT_NE(std::find(view.systemMenu.begin(), view.systemMenu.end(), options), view.systemMenu.end());

    KeyPress ctrl{Key::Character, u'o', true};
    EXPECT_TRUE(main.onKey(ctrl));
    ctrl.character = u'l';
    EXPECT_TRUE(main.onKey(ctrl));
    EXPECT_EQ(ui.modalRuns, (std::vector<int>{DlgSettings, DlgSipLogin}));
}

TEST_F(Windows, MenuOfTheSettingsButtonStaysAsDesigned) {
    const auto* menu = findMenu(MenuMain);
    ASSERT_TRUE(menu);
    std::vector<int> commands;
    for (const auto& item : menu->items)
        commands.push_back(item.command);
    EXPECT_EQ(commands, (std::vector<int>{CmdAccountLogin, 0, CmdFeedback, 0, CmdAbout, 0, CmdExit}));
}

// The SIP account login window and its account table.
namespace {

struct Entry {
    std::u16string user, pin, domain;
    int isDefault = 0;
};

std::array<SipAccount, 8> table(std::initializer_list<Entry> entries) {
    std::array<SipAccount, 8> accounts{};
    std::size_t i = 0;
    for (const auto& e : entries)
        accounts[i++] = {e.user, e.pin, e.domain, e.isDefault};
    return accounts;
}

std::array<SipAccount, 8> fullTable(int defaultIndex) {
    std::array<SipAccount, 8> accounts{};
    for (int i = 0; i < 8; ++i) {
        const auto n = std::u16string(1, char16_t(u'1' + i));
        accounts[std::size_t(i)] = {u"user" + n, u"pin" + n, u"sip" + n + u".example", i == defaultIndex};
    }
    return accounts;
}

} // namespace

TEST_F(Windows, SipAccountWindowOpensAtItsPlaceWithTheDefaultEntry) {
    struct Case {
        std::array<SipAccount, 8> accounts;
        std::u16string user, pin, domain;
    };
    const Case cases[] = {
        {table({}), u"", u"", u""},
        {table({{u"a", u"1", u"one.example"}, {u"b", u"2", u"two.example", 1}}), u"b", u"2", u"two.example"},
    };
    for (const auto& c : cases) {
        main.options().accounts = c.accounts;
        ui.onModal[DlgSipLogin] = [&](DialogLogic&, FakeView& v) {
            EXPECT_EQ(v.rect.x, 370);
            EXPECT_EQ(v.rect.y, 250);
            EXPECT_EQ(v.textOf(SipPhoneIdEdit), c.user);
            EXPECT_EQ(v.textOf(SipPhonePinEdit), c.pin);
            EXPECT_EQ(v.textOf(SipDomainEdit), c.domain);
        };
        main.onCommand(CheckRate);
    }
}

TEST_F(Windows, RegisterFollowsTheAccountTableRules) {
    const std::u16string full = u"All Accounts are full.Do you want to overwrite default account information";
    struct Case {
        const char* name;
        std::array<SipAccount, 8> before;
        Entry typed;
        MessageResult answer;
        Texts messages;
        int result;
        std::array<SipAccount, 8> after;
    };
    const auto filled = table({{u"a", u"1", u"one.example", 0}, {u"b", u"2", u"two.example", 1}});
    const Case cases[] = {
        {"blank domain",
         table({}),
         {u"u", u"p", u""},
         {},
         {u"SIP IP/Domain must not be blank"},
         IdCancel,
         table({})},
        {"blank id",
         table({}),
         {u"", u"p", u"d"},
         {},
         {u"User Name and Password must Not be blank"},
         IdCancel,
         table({})},
        {"blank pin",
         table({}),
         {u"u", u"", u"d"},
         {},
         {u"User Name and Password must Not be blank"},
         IdCancel,
         table({})},
        {"domain of spaces", table({}), {u"u", u"p", u"  "}, {}, {}, IdOk, table({{u"u", u"p", u"  ", 1}})},
        {"PIN of spaces", table({}), {u"u", u" ", u"d"}, {}, {}, IdOk, table({{u"u", u" ", u"d", 1}})},
        {"no default fills entry 0 though entry 2 is free",
         table({{u"a", u"1", u"one.example"}, {u"b", u"2", u"two.example"}}),
         {u"u", u"p", u"d"},
         {},
         {},
         IdOk,
         table({{u"u", u"p", u"d", 1}, {u"b", u"2", u"two.example"}})},
        {"exact match becomes the default",
         filled,
         {u"a", u"1", u"one.example"},
         {},
         {},
         IdOk,
         table({{u"a", u"1", u"one.example", 1}, {u"b", u"2", u"two.example", 0}})},
        {"match is case-sensitive",
         filled,
         {u"A", u"1", u"one.example"},
         {},
         {},
         IdOk,
         table({{u"a", u"1", u"one.example", 0},
                {u"b", u"2", u"two.example", 0},
                {u"A", u"1", u"one.example", 1}})},
        {"full, overwrite confirmed",
         fullTable(3),
         {u"new", u"pw", u"new.example"},
         MessageResult::Ok,
         {full},
         IdOk,
         [] {
             auto t = fullTable(3);
             t[3] = {u"new", u"pw", u"new.example", 1};
             return t;
         }()},
        {"full, cancelled",
         fullTable(3),
         {u"new", u"pw", u"new.example"},
         MessageResult::Cancel,
         {full},
         IdCancel,
         fullTable(3)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        main.options().accounts = c.before;
        ui.onModal[DlgSipLogin] = [&](DialogLogic& logic, FakeView& v) {
            v.setText(SipPhoneIdEdit, c.typed.user);
            v.setText(SipPhonePinEdit, c.typed.pin);
            v.setText(SipDomainEdit, c.typed.domain);
            v.answers.push_back(c.answer);
            logic.onCommand(SipRegister);
            EXPECT_EQ(v.ended, c.result == IdOk);
            if (!v.ended) { // the window stays with what was typed
                EXPECT_EQ(v.textOf(SipPhoneIdEdit), c.typed.user);
            }
        };
        main.onCommand(Login);
        EXPECT_EQ(textsOf(ui.viewOf(DlgSipLogin).messages), c.messages);
        if (!c.messages.empty() && c.messages.back() == full) {
            EXPECT_EQ(ui.viewOf(DlgSipLogin).messages.back().title, u"Confirm to Register");
        }
        EXPECT_TRUE(main.options().accounts == c.after);
    }
}

TEST_F(Windows, SettingsButtonTakesTheDefaultEntryAfterOk) {
    for (int closeWith : {OptOk, OptCancel}) {
        main.options().accounts = table({{u"a", u"1", u"one.example", 1}});
        ui.onModal[DlgSettings] = [&](DialogLogic& logic, FakeView& v) {
            v.setText(OptCallsPerList, u"10");
            main.options().accounts[0] = {u"z", u"9", u"nine.example", 1}; // as if changed meanwhile
            logic.onCommand(closeWith);
        };
        ui.onModal[DlgSipLogin] = [&](DialogLogic& logic, FakeView& v) {
            v.setText(SipDomainEdit, u"typed.example");
            logic.onCommand(SipSettings);
            EXPECT_EQ(v.textOf(SipPhoneIdEdit), closeWith == OptOk ? u"z" : u"a");
            EXPECT_EQ(v.textOf(SipPhonePinEdit), closeWith == OptOk ? u"9" : u"1");
            EXPECT_EQ(v.textOf(SipDomainEdit), u"typed.example");
        };
        main.onCommand(CheckRate);
    }
}

TEST_F(Windows, SignUpAndHomeOpenTheOperatorsPages) {
    ui.onModal[DlgSipLogin] = [](DialogLogic& logic, FakeView&) {
        logic.onCommand(SipSignUp);
        logic.onCommand(SipHome);
    };
    main.onCommand(Login);
    ASSERT_EQ(platform.shell.opened.size(), 2u);
    EXPECT_NE(platform.shell.opened[0].find("/NewUserSignUp.jsp?groupId=Kestrelcard"), std::string::npos);
    EXPECT_EQ(platform.shell.opened[0].rfind("http://127.0.0.1:8080", 0), 0u);
    EXPECT_EQ(platform.shell.opened[1].rfind("http://127.0.0.1:8080", 0), 0u);
}

TEST_F(Windows, LoginOpensOnlyWhileNoLineIsInUseCheckRateAlways) {
    main.lineTable.lines[2].onHold = true;
    main.onCommand(Login);
    EXPECT_TRUE(ui.modalRuns.empty());

    main.options().accounts = table({{u"a", u"1", u"one.example", 1}});
    view.focus = 0;
    main.onCommand(CheckRate);
    EXPECT_EQ(ui.modalRuns, std::vector<int>{DlgSipLogin});
    EXPECT_EQ(view.focus, NumberEdit);
    // CheckRate does not copy anything into entry 0: what was entered stays.
    EXPECT_TRUE(main.options().accounts == table({{u"a", u"1", u"one.example", 1}}));

    main.lineTable.lines[2].onHold = false;
    main.onCommand(Login);
    EXPECT_EQ(ui.modalRuns, (std::vector<int>{DlgSipLogin, DlgSipLogin}));
}

TEST_F(Windows, WhileAModalIsUpTheWindowsDoNotOpenTwice) {
    ui.onModal[DlgSipLogin] = [&](DialogLogic&, FakeView&) {
        EXPECT_TRUE(main.modalGuard);
        main.onCommand(CmdSysOptions);
        main.onCommand(CheckRate);
    };
    main.onCommand(CheckRate);
    EXPECT_EQ(ui.modalRuns, std::vector<int>{DlgSipLogin});
}

TEST_F(Windows, AccountTableIsNeverWrittenToTheAccountFile) {
    main.options().accounts = table({{u"phone", u"pin", u"sip.example", 1}});
    main.savePassword = 1;
    ASSERT_TRUE(main.ExitSequence());
    const auto saved = AccountSettings::read(*files.read(AccountFileName)).record;
    EXPECT_EQ(saved.userName, u"demo");
    EXPECT_EQ(saved.password, u"pw");
}

TEST_F(Windows, ASmallerCallsPerListTrimsTheRecentCallsAtOnce) {
    auto& calls = main.recentCallsPanel();
    for (const char16_t* number : {u"201", u"202", u"203", u"204"})
        for (char16_t kind : {u'D', u'R', u'M'})
            main.AddRecentCall(number, u"00:00:10", kind);
    ASSERT_EQ(calls.log.received.size(), 4);
    openOptions([&](CSettingsWindow& w, FakeView& v) {
        v.setText(OptCallsPerList, u"2");
        w.onEditChanged(OptCallsPerList);
        w.onCommand(OptApply);
    });
    EXPECT_EQ(calls.log.dialed.size(), 2);
    EXPECT_EQ(calls.log.received.size(), 2);
    EXPECT_EQ(calls.log.missed.size(), 2);
    EXPECT_EQ(calls.log.received.calls().back().number, u"204") << "the newest stay";
}
