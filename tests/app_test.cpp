#include "app/CAboutDlg.h"
#include "app/CZUBSoftPhoneApp.h"
#include "core/Text.h"
#include "platform/DataFolder.h"
#include "settings/SettingsFiles.h"
#include "support/Fakes.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace res;
namespace fs = std::filesystem;

namespace {

// The main window on a fake view, with a real data folder in a temp dir.
struct MainWindow : testing::Test {
    TempDir temp;
    DataFolder files{(temp.path() / "Ringlark").string()};
    FakePlatform platform;
    FakeUi& ui = platform.ui;
    FakeEngine& engine = platform.engine;
    ManualClock& clock = platform.clock;
    FakeMixer& mixer = platform.mixer;
    FakeAutostart& autostart = platform.autostart;
    FakeView view;
    CZUBSoftPhoneDlg main{platform.window(files)};

    void SetUp() override { ASSERT_TRUE(files.ensureFolder()); }

    void open(std::u16string user = u"demo", std::u16string pass = u"pw") {
        main.userName = user;
        main.password = pass;
        main.attach(&view);
        main.onInitDialog();
    }

    AccountSettings savedAccount() {
        auto bytes = files.read(AccountFileName);
        EXPECT_TRUE(bytes.has_value());
        return bytes ? AccountSettings::read(*bytes).record : AccountSettings{};
    }

    FakeView& panel(int id) { return ui.viewOf(id); }
    std::vector<std::u16string> messageTexts() const {
        std::vector<std::u16string> texts;
        for (const auto& m : view.messages)
            texts.push_back(m.text);
        return texts;
    }
};

} // namespace

TEST_F(MainWindow, InitialisationLeavesTheWindowReady) {
    // As after a first login: the login window handed its reply over.
    main.replyText = fromUtf8(sampleProvisioningReply());
    platform.http.queueScrambled("prepaid#12.40");
    open();
    EXPECT_TRUE(main.registered);
    EXPECT_TRUE(main.registrationConfirmed);
    EXPECT_EQ(view.textOf(StatusLabel), u"Ready : demo");
    EXPECT_EQ(view.textOf(NumberLabel), u"");
    EXPECT_EQ(view.textOf(BalanceLabel), u"Balance :12.40 USD");
    EXPECT_EQ(view.textOf(HeaderLabel), u"Ringlark Telecom");
    EXPECT_EQ(view.textOf(FooterLabel), u"www.ringlark.example");
    EXPECT_TRUE(view.at(HeaderLabel).visible);
    EXPECT_TRUE(view.at(FooterLabel).visible);
    EXPECT_EQ(view.focus, NumberEdit);
    EXPECT_TRUE(view.at(Line1).down);
    EXPECT_EQ(view.at(SpeakerSlider).maximum, 65535);
    EXPECT_TRUE(view.trayIcon);
    EXPECT_EQ(view.trayTip, u"Ringlark");
    EXPECT_TRUE(view.messages.empty());
    ASSERT_EQ(view.systemMenu.size(), 4u);
    EXPECT_EQ(view.systemMenu[0].first, 0);
    EXPECT_EQ(view.systemMenu[1], std::make_pair(CmdSysAbout, std::u16string(u"&About Ringlark 1.0.7...")));
    // Beside About, the two windows nothing on the skin opens.
    EXPECT_EQ(view.systemMenu[2], std::make_pair(Login, std::u16string(u"SIP Account...")));
    EXPECT_EQ(view.systemMenu[3], std::make_pair(CmdSysOptions, std::u16string(u"Options...")));

    const std::pair<int, std::u16string> tips[] = {
        {Call, u"Dial"},         {End, u"Hang Up"},   {Line1 + 3, u"Line 4"}, {Hold, u"Place call on hold"},
        {Transfer, u"Transfer"}, {MicSlider, u"Mic"}, {Close, u"Close"},      {RecentCalls, u"Recent Calls"}};
    for (const auto& [id, tip] : tips)
        EXPECT_EQ(view.at(id).tooltip, tip) << id;

    EXPECT_FALSE(panel(DlgContacts).shown);
    EXPECT_FALSE(panel(DlgRecentCalls).shown);
    EXPECT_EQ(main.callsPerList, u"10");
    EXPECT_EQ(main.recordingFolder, u"/home/demo");
}

TEST_F(MainWindow, MissingSoundCardIsReportedAndStartGoesOn) {
    mixer.present = false;
    open();
    ASSERT_EQ(messageTexts(), std::vector<std::u16string>{u"Sound Card Not Detected "});
    EXPECT_TRUE(main.registered);
    EXPECT_FALSE(main.modalGuard);
}

TEST_F(MainWindow, ApplicationFileTakesEffectOnlyWhenReadWhole) {
    ApplicationSettings options;
    options.alwaysOnTop = true;
    options.launchAtStartup = true;
    options.callsPerList = u"25";
    options.recordingFolder = u"/rec";
    auto bytes = options.write();

    files.save(ApplicationFileName, bytes, false);
    open();
    EXPECT_TRUE(view.topmost);
    EXPECT_EQ(autostart.registered, "/opt/ringlark/ringlark");
    EXPECT_EQ(main.callsPerList, u"25");
    EXPECT_EQ(main.recordingFolder, u"/rec");

    // Already registered for this program: not written again.
    CZUBSoftPhoneDlg again{platform.window(files)};
    FakeView secondView;
    again.attach(&secondView);
    again.onInitDialog();
    EXPECT_EQ(autostart.writes, 1);

    // One byte short: nothing of the file applies.
    bytes.pop_back();
    files.save(ApplicationFileName, bytes, false);
    CZUBSoftPhoneDlg third{platform.window(files)};
    FakeView thirdView;
    third.attach(&thirdView);
    third.onInitDialog();
    EXPECT_FALSE(thirdView.topmost);
    EXPECT_EQ(third.callsPerList, u"10");
}

TEST_F(MainWindow, SavedLoginThatDoesNotRegisterAsksAgainNextTime) {
    files.save(AccountFileName, AccountSettings{1, u"demo", u"pw"}.write(), true);
    main.savePassword = 1;
    main.autoLogin = true;
    open();
    EXPECT_EQ(clock.waited, 2000);
    EXPECT_TRUE(view.ended);
    EXPECT_FALSE(main.registered);
    const auto saved = savedAccount();
    EXPECT_EQ(saved.savePassword, 0);
    EXPECT_EQ(saved.userName, u"demo");
    EXPECT_EQ(saved.password, u"pw");
}

TEST_F(MainWindow, SavedLoginThatRegistersInTimeStays) {
    main.savePassword = 1;
    main.autoLogin = true;
    clock.duringWait = [&](int) { main.registeredSinceStart = clock.waited >= 300; };
    open();
    EXPECT_FALSE(view.ended);
    EXPECT_TRUE(main.registered);
    EXPECT_EQ(clock.waited, 300) << "no waiting once registered";
    EXPECT_FALSE(files.exists(AccountFileName));
}

TEST_F(MainWindow, QuitSequence) {
    struct Case {
        const char* what;
        bool registered;
        int busyLine; // -1: none
        MessageResult answer;
        std::u16string message;
        bool closes;
        bool shutsDown;
    };
    const Case cases[] = {
        {"call on the current line", true, 0, MessageResult::Ok, u"Please disconnect call first", false,
         false},
        {"call only on another line", true, 2, MessageResult::Ok,
         u"Are you sure you want to close the Application?", true, true},
        {"confirmation cancelled", true, -1, MessageResult::Cancel,
         u"Are you sure you want to close the Application?", false, false},
        {"not registered: no engine to stop", false, 0, MessageResult::Ok,
         u"Are you sure you want to close the Application?", true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeView window;
        FakePlatform fresh;
        FakeEngine& calls = fresh.engine;
        CZUBSoftPhoneDlg dialog{fresh.window(files)};
        dialog.attach(&window);
        dialog.onInitDialog();
        dialog.registered = c.registered;
        dialog.savePassword = 1;
        dialog.userName = u"quitter";
        if (c.busyLine >= 0)
            dialog.lineTable.lines[std::size_t(c.busyLine)].connected = true;
        window.answers.push_back(c.answer);

        dialog.onCommand(Close);

        ASSERT_EQ(window.messages.size(), 1u);
        EXPECT_EQ(window.messages[0].text, c.message);
        if (c.closes) {
            EXPECT_EQ(window.messages[0].title, u"Confirm to Quit");
        }
        EXPECT_EQ(window.ended, c.closes);
        EXPECT_EQ(window.trayIcon, !c.closes);
        EXPECT_EQ(calls.count("shutdown()"), c.shutsDown ? 1 : 0);
        EXPECT_EQ(files.exists(AccountFileName), c.closes);
        if (c.closes) {
            EXPECT_EQ(savedAccount().userName, u"quitter");
        }
        EXPECT_FALSE(dialog.modalGuard);
        fs::remove(files.path(AccountFileName));
    }
}

TEST_F(MainWindow, ExitMenuAndCloseRequestRunTheQuitSequence) {
    open();
    view.menuChoices = {CmdExit};
    main.onCommand(Settings);
    ASSERT_EQ(view.popups.size(), 1u);
    EXPECT_EQ(view.popups[0].menuId, MenuMain);
    EXPECT_EQ(view.popups[0].x, view.rect.x + 30);
    EXPECT_EQ(view.popups[0].y, view.rect.y + 210);
    EXPECT_TRUE(view.ended);

    FakeView second;
    CZUBSoftPhoneDlg other{platform.window(files)};
    other.attach(&second);
    other.onInitDialog();
    second.answers.push_back(MessageResult::Cancel);
    other.onCloseRequest();
    EXPECT_EQ(second.messages.back().title, u"Confirm to Quit");
    EXPECT_FALSE(second.ended);
}

TEST_F(MainWindow, SettingsMenuStaysClosedDuringACall) {
    open();
    main.lineTable.current().calling = true;
    main.onCommand(Settings);
    EXPECT_TRUE(view.popups.empty());
}

TEST_F(MainWindow, ExitKeepsTheWindowWhenTheDataFolderCannotBeMade) {
    open();
    fs::remove_all(files.folder());
    writeFile(files.folder(), {1}); // a file where the folder should be
    testing::internal::CaptureStdout();
    EXPECT_FALSE(main.ExitSequence());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "CreateDirectory failed (20)\n");
    EXPECT_FALSE(view.ended);
    EXPECT_TRUE(view.trayIcon);
}

TEST_F(MainWindow, FailedSaveIsQuietAndTheProgramStillCloses) {
    open();
    fs::create_directory(files.path(AccountFileName)); // nothing can replace a folder
    EXPECT_TRUE(main.ExitSequence());
    EXPECT_TRUE(view.ended);
    EXPECT_TRUE(view.messages.empty());
    EXPECT_TRUE(fs::is_directory(files.path(AccountFileName)));
    for (const auto& entry : fs::directory_iterator(files.folder()))
        EXPECT_NE(entry.path().filename().string().front(), '.') << "no temporary file is left behind";
    EXPECT_TRUE(files.exists("CallLog_Ringlark.bin")) << "the other files are still written";
}

TEST_F(MainWindow, AboutBoxAndTheModalGuard) {
    open();
    int helpPressedInside = 0;
    ui.onModal[DlgAbout] = [&](DialogLogic&, FakeView&) {
        EXPECT_TRUE(main.modalGuard);
        main.onCommand(Help); // pressing Help again does nothing
        main.onCommand(Close);
        ++helpPressedInside;
    };
    main.onCommand(Help);
    EXPECT_EQ(helpPressedInside, 1);
    EXPECT_EQ(ui.modalRuns, std::vector<int>{DlgAbout});
    EXPECT_TRUE(view.messages.empty()) << "the quit question waits until the About box is gone";
    EXPECT_FALSE(main.modalGuard);

    main.onCommand(CmdSysAbout);
    EXPECT_EQ(ui.modalRuns.size(), 2u);

    main.lineTable.current().ringing = true;
    view.menuChoices = {CmdAbout};
    main.onTrayClick(TrayClick::RightUp);
    EXPECT_EQ(messageTexts(), std::vector<std::u16string>{u"Call is in progress"});
    EXPECT_EQ(ui.modalRuns.size(), 2u);
}

TEST_F(MainWindow, SidePanelsCloseBeforeEveryMessage) {
    open();
    main.onCommand(ShowContactsArrow);
    main.onCommand(ShowCallsArrow);
    EXPECT_TRUE(panel(DlgContacts).shown);
    EXPECT_TRUE(panel(DlgRecentCalls).shown);

    main.registered = false;
    view.onMessage = [&](const FakeView::Message&) {
        EXPECT_FALSE(panel(DlgContacts).shown);
        EXPECT_FALSE(panel(DlgRecentCalls).shown);
        EXPECT_TRUE(main.modalGuard);
    };
    for (int id : {Contacts, RecentCalls, MyAccount, CmdAccountLogin})
        main.onCommand(id);
    EXPECT_EQ(messageTexts(), std::vector<std::u16string>(4, u"You are not Registered"));
}

TEST_F(MainWindow, TrayClicks) {
    open();
    main.onCommand(ShowContactsArrow);
    main.onTrayClick(TrayClick::LeftDown);
    EXPECT_FALSE(view.shown);
    EXPECT_FALSE(panel(DlgContacts).shown);
    main.onTrayClick(TrayClick::LeftDown);
    EXPECT_TRUE(view.shown);
    main.onTrayClick(TrayClick::LeftDown);
    EXPECT_FALSE(view.shown);
    main.onTrayClick(TrayClick::LeftDoubleClick);
    EXPECT_TRUE(view.shown);

    main.registrationConfirmed = false;
    main.onTrayClick(TrayClick::LeftDown);
    EXPECT_TRUE(view.shown) << "left clicks act only once registration was confirmed";

    main.onTrayClick(TrayClick::RightUp);
    EXPECT_EQ(view.raised, 1);
    ASSERT_EQ(view.popups.size(), 1u);
    EXPECT_EQ(view.popups[0].menuId, MenuMain);
}

TEST_F(MainWindow, KeysWhileNotRegistered) {
    open();
    main.registered = false;

    view.focus = UserNameEdit;
    EXPECT_TRUE(main.onKey({Key::Tab}));
    EXPECT_EQ(view.focus, PasswordEdit);
    EXPECT_TRUE(main.onKey({Key::Tab}));
    EXPECT_EQ(view.focus, UserNameEdit);

    EXPECT_TRUE(main.onKey({Key::Enter}));
    EXPECT_EQ(view.focus, NumberEdit);

    EXPECT_TRUE(main.onKey({Key::Backtab}));
    view.answers = {MessageResult::Cancel, MessageResult::Ok};
    EXPECT_TRUE(main.onKey({Key::F4}));
    EXPECT_FALSE(view.ended);
    EXPECT_TRUE(main.onKey({Key::Escape}));
    EXPECT_TRUE(view.ended);
    EXPECT_EQ(messageTexts(),
              (std::vector<std::u16string>{u"Shif+Tab is not working on this registration page",
                                           u"Are you sure you want to close the Application?",
                                           u"Are you sure you want to close the Application ?"}));
    EXPECT_EQ(engine.count("shutdown()"), 0);
    EXPECT_TRUE(files.exists(AccountFileName));
}

TEST_F(MainWindow, EscapeWhileRegisteredOnlyReturnsFocus) {
    open();
    view.focus = 0;
    EXPECT_TRUE(main.onKey({Key::Escape}));
    EXPECT_EQ(view.focus, NumberEdit);
    EXPECT_FALSE(view.ended);
    EXPECT_TRUE(view.messages.empty());
}

TEST_F(MainWindow, WindowMechanics) {
    open();
    main.onFirstSize();
    EXPECT_TRUE(main.shaped);
    EXPECT_TRUE(view.shapeApplied);
    EXPECT_EQ(view.centredOffset, 0);
    view.focus = 0;
    main.onBodyPressed();
    EXPECT_EQ(view.drags, 1);
    EXPECT_EQ(view.focus, NumberEdit);
    main.onCommand(Minimize);
    EXPECT_TRUE(view.minimized);
}

TEST_F(MainWindow, SessionEndSavesWithoutAsking) {
    open();
    main.lineTable.current().connected = true; // a call does not hold up a log-out
    main.savePassword = 1;
    main.onSessionEnd();
    EXPECT_TRUE(view.messages.empty());
    EXPECT_TRUE(view.ended);
    EXPECT_EQ(engine.count("shutdown()"), 1);
    EXPECT_EQ(savedAccount().savePassword, 1);
}

TEST_F(MainWindow, AccountLoginHandsOverTheNewIdentity) {
    main.replyText = fromUtf8(sampleProvisioningReply());
    open(u"old", u"oldpw");
    platform.http.queueScrambled(sampleProvisioningReply()); // the login window's request
    platform.http.queueScrambled(sampleProvisioningReply()); // the main window's pass afterwards
    platform.http.queueScrambled("postpaid#3.10");
    engine.registrationAnswer = 200;
    platform.http.pages["http://127.0.0.1:8080/cdr?user=old"] = "";
    platform.http.pages["http://127.0.0.1:8080/cdr?user=new"] =
        "<?xml version=\"1.0\"?><Status>ok</Status><call><number>2001</number></call>";
    ui.onModal[DlgLogin] = [&](DialogLogic& logic, FakeView& login) {
        EXPECT_TRUE(static_cast<CMainLogin&>(logic).relogin);
        EXPECT_EQ(login.textOf(UserNameEdit), u"old");
        EXPECT_TRUE(main.modalGuard);
        EXPECT_FALSE(view.shown) << "the main window hides while the login window is up";
        login.setText(UserNameEdit, u"new");
        login.setText(PasswordEdit, u"newpw");
        login.rect = {320, 240, 300, 260};
        logic.onCommand(LoginButton);
    };
    main.onCommand(CmdAccountLogin);
    EXPECT_EQ(view.rect.x, 320) << "the main window comes back where the login window stood";
    EXPECT_EQ(view.rect.y, 240);
    EXPECT_GE(engine.count("shutdown()"), 1);
    EXPECT_EQ(main.userName, u"new");
    EXPECT_EQ(main.password, u"newpw");
    EXPECT_EQ(view.textOf(StatusLabel), u"Ready : new");
    EXPECT_EQ(view.textOf(BalanceLabel), u"Amount Used :3.10 Euro");
    EXPECT_EQ(platform.http.fetched, (std::vector<std::string>{"http://127.0.0.1:8080/cdr?user=old",
                                                               "http://127.0.0.1:8080/cdr?user=new"}))
        << "the first registration of the run fetches under the identity the window still has";
    EXPECT_EQ(main.serverCalls.count, 1);
    EXPECT_EQ(main.serverCalls.records[0].number, u"2001");
    EXPECT_TRUE(view.shown);
    EXPECT_FALSE(main.modalGuard);
    EXPECT_FALSE(main.reloginPending);

    main.lineTable.current().incoming = true;
    main.onCommand(CmdAccountLogin);
    EXPECT_EQ(messageTexts(), std::vector<std::u16string>{u"Call is in progress"});
    EXPECT_EQ(ui.modalRuns.size(), 1u);
}

TEST_F(MainWindow, OtherButtonsOnlyReturnFocus) {
    open();
    for (int id : {Feedback, Games, VoiceTest, Submit}) {
        view.focus = 0;
        main.onCommand(id);
        EXPECT_EQ(view.focus, NumberEdit) << id;
    }
    EXPECT_TRUE(view.messages.empty());
    EXPECT_TRUE(ui.modalRuns.empty());
}

// The application's start-up.
namespace {

struct Start : testing::Test {
    TempDir temp;
    DataFolder files{(temp.path() / "Ringlark").string()};
    FakePlatform platform;
    FakeUi& ui = platform.ui;
    FakeEngine& engine = platform.engine;
    ManualClock& clock = platform.clock;
    bool lockFree = true;
    CZUBSoftPhoneApp app{AppServices{[this] { return lockFree; }, platform.window(files)}};

    void saveAccount(const AccountSettings& account) {
        ASSERT_TRUE(files.ensureFolder());
        files.save(AccountFileName, account.write(), true);
    }
};

} // namespace

TEST_F(Start, SecondCopyEndsSilently) {
    lockFree = false;
    EXPECT_EQ(app.run(), 0);
    EXPECT_TRUE(ui.modalRuns.empty());
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(engine.calls.empty());
    EXPECT_FALSE(fs::exists(files.folder()));
}

TEST_F(Start, DataFolderThatCannotBeMadeEndsTheProgram) {
    writeFile(temp.path() / "blocker", {1});
    DataFolder blocked((temp.path() / "blocker" / "Ringlark").string());
    CZUBSoftPhoneApp blockedApp{AppServices{[] { return true; }, platform.window(blocked)}};
    testing::internal::CaptureStdout();
    EXPECT_NE(blockedApp.run(), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "CreateDirectory failed (20)\n");
    EXPECT_TRUE(ui.modalRuns.empty());
}

TEST_F(Start, WithoutSavedPasswordTheLoginWindowComesFirst) {
    saveAccount({0, u"ann", u"secret"});
    platform.http.queueScrambled(sampleProvisioningReply());
    engine.registrationAnswer = 200;
    ui.onModal[DlgLogin] = [](DialogLogic& logic, FakeView& login) {
        EXPECT_EQ(login.textOf(UserNameEdit), u"ann");
        EXPECT_EQ(login.textOf(PasswordEdit), u"secret");
        login.setDown(SavePasswordCheck, true);
        logic.onCommand(LoginButton);
    };
    ui.onModal[DlgMain] = [this](DialogLogic&, FakeView& main) {
        EXPECT_EQ(main.textOf(StatusLabel), u"Ready : ann");
        EXPECT_EQ(main.textOf(HeaderLabel), u"Ringlark Telecom");
        EXPECT_FALSE(app.mainWindow()->autoLogin);
        EXPECT_EQ(app.mainWindow()->savePassword, 1);
    };
    EXPECT_EQ(app.run(), 0);
    EXPECT_EQ(ui.modalRuns, (std::vector<int>{DlgLogin, DlgMain}));
    EXPECT_EQ(engine.calls.front(), "load()");
    // One start and one registration: the main window reuses what the login set up.
    EXPECT_EQ(engine.count("init(4,5070)"), 1);
    EXPECT_EQ(platform.http.posts("&faazdj=wbapux"), 1);
}

TEST_F(Start, ClosingTheLoginWindowEndsTheProgram) {
    ui.onModal[DlgLogin] = [](DialogLogic& logic, FakeView& login) {
        EXPECT_EQ(login.textOf(UserNameEdit), u"");
        logic.onCommand(LoginClose);
    };
    EXPECT_EQ(app.run(), 0);
    EXPECT_EQ(ui.modalRuns, std::vector<int>{DlgLogin});
}

TEST_F(Start, BlankLoginIsRefused) {
    ui.onModal[DlgLogin] = [](DialogLogic& logic, FakeView& login) {
        login.setText(UserNameEdit, u"ann");
        logic.onCommand(LoginButton);
        EXPECT_FALSE(login.ended);
        ASSERT_EQ(login.messages.size(), 1u);
        EXPECT_EQ(login.messages[0].text, u"Username/Password must Not be blank");
        logic.onCommand(LoginClose);
    };
    app.run();
}

TEST_F(Start, SavedPasswordGoesStraightToTheMainWindow) {
    saveAccount({1, u"ann", u"secret"});
    clock.duringWait = [this](int) { app.mainWindow()->registeredSinceStart = true; };
    ui.onModal[DlgMain] = [this](DialogLogic&, FakeView&) {
        auto& main = *app.mainWindow();
        EXPECT_TRUE(main.autoLogin);
        EXPECT_EQ(main.userName, u"ann");
        EXPECT_EQ(main.password, u"secret");
    };
    app.run();
    EXPECT_EQ(ui.modalRuns, std::vector<int>{DlgMain});
}

TEST_F(Start, MissingEngineIsReportedAndStartGoesOn) {
    engine.loadable = false;
    ui.onModal[DlgLogin] = [](DialogLogic& logic, FakeView&) { logic.onCommand(LoginClose); };
    app.run();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, u"Unable to Load DLL");
    EXPECT_EQ(ui.modalRuns, std::vector<int>{DlgLogin});
}

TEST_F(Start, TruncatedAccountFileKeepsWhatWasRead) {
    auto bytes = AccountSettings{0, u"ann", u"secret"}.write();
    bytes.resize(bytes.size() - 1);
    ASSERT_TRUE(files.ensureFolder());
    files.save(AccountFileName, bytes, true);
    ui.onModal[DlgLogin] = [](DialogLogic& logic, FakeView& login) {
        EXPECT_EQ(login.textOf(UserNameEdit), u"ann");
        EXPECT_EQ(login.textOf(PasswordEdit), u"");
        logic.onCommand(LoginClose);
    };
    app.run();
}
