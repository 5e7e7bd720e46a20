// The windows, offscreen: templates become real widgets, the window port
// reaches them, and clicks and keys come back to the logic by id.
#include "app/CZUBSoftPhoneApp.h"
#include "app/ui/QtUi.h"
#include "controls/QtDialogHost.h"
#include "core/Text.h"
#include "platform/DataFolder.h"
#include "settings/SettingsFiles.h"
#include "support/Fakes.h"
#include "support/RealMainWindow.h"

#include <QAbstractButton>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QTextDocument>
#include <QTimer>
#include <QtTest>

#include <functional>

using namespace res;

namespace {

// Logic that records what reaches it.
class Recorder : public DialogLogic {
  public:
    explicit Recorder(int id) : id_(id) {}
    int dialogId() const override { return id_; }
    void onCommand(int id) override { commands.push_back(id); }
    bool onKey(const KeyPress& key) override {
        keys.push_back(key.key);
        return consumeKeys;
    }
    void onCloseRequest() override { ++closeRequests; }
    std::vector<int> commands;
    std::vector<Key> keys;
    bool consumeKeys = true;
    int closeRequests = 0;

  private:
    int id_;
};

QStringList readLines(const QString& path);

QtDialogHost* activeWindow() {
    return dynamic_cast<QtDialogHost*>(QApplication::activeModalWidget());
}

void click(QtDialogHost* host, int id) {
    QTest::mouseClick(qobject_cast<QAbstractButton*>(host->control(id)), Qt::LeftButton);
}

// The program on the real windows with fake services: a saved login that
// registers, every message box answered and logged.
struct RealWindows {
    TempDir temp;
    QString messageLog = QString::fromStdString((temp.path() / "messages").string());
    DataFolder files{(temp.path() / "Ringlark").string()};
    QtUi ui;
    FakePlatform platform;
    CZUBSoftPhoneApp app{AppServices{[] { return true; }, platform.window(files, ui)}};

    explicit RealWindows(const AccountSettings& account = {1, u"ann", u"pw"}) {
        qputenv("RINGLARK_TEST_MESSAGES", messageLog.toUtf8());
        files.ensureFolder();
        files.save(AccountFileName, account.write(), true);
        platform.engine.registrationAnswer = 200;
        for (const char* user : {"ann", "bob"})
            platform.http.pages[std::string("http://127.0.0.1:8080/cdr?user=") + user] = "";
    }
    ~RealWindows() { qunsetenv("RINGLARK_TEST_MESSAGES"); }

    struct Relogin {
        int exitCode = -1;
        bool mainBack = false; // the main window was up again afterwards
        std::u16string status; // its status line then
    };
    // Runs the program, opens Account Login in its main window, lets `inLogin` act in the login
    // window, then ends the session.
    Relogin runRelogin(const std::function<void(QtDialogHost& main, QtDialogHost& login)>& inLogin) {
        Relogin outcome;
        QTimer::singleShot(50, [&] {
            QtDialogHost* main = activeWindow();
            QVERIFY(main);
            QTimer::singleShot(50, [&, main] {
                QtDialogHost* login = activeWindow();
                QVERIFY(login && login != main);
                inLogin(*main, *login);
            });
            main->logic().onCommand(res::CmdAccountLogin);
            outcome.mainBack = main->isVisible();
            outcome.status = main->text(res::StatusLabel);
            QTimer::singleShot(50, main, [&] { app.endSession(); });
        });
        outcome.exitCode = app.run();
        return outcome;
    }

    AccountSettings saved() {
        return AccountSettings::read(files.read(AccountFileName).value_or(Bytes{})).record;
    }
    QStringList messages() { return readLines(messageLog); }
};

QStringList readLines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
}

} // namespace

class WindowsTest : public QObject {
    Q_OBJECT

  private slots:
    void trayClickHidesTheWindowWithoutEndingTheProgram();
    void accountLoginKeepsTheProgramUnderTheNewIdentity();
    void closingAReloginRegistersThePreviousIdentityAgain();
    void loginWindowLimitsAndChecks();
    void firstLoginFetchesTheCallRecordsOnceTheWindowIsUp();
    void terminationEndsTheProgramFromWhereverItArrives();
    void textFromOutsideIsNeverMarkup();
    void callStatesRenderForReview();
    void optionsFromTheContextMenuApplyAlwaysOnTop();
    void sipAccountWindowTakesWhatIsTyped();
    void loginBusyPictureRunsWhileShown();

    void mainWindowControlsLieInsideOrOutsideTheSkin() {
        Recorder logic(DlgMain);
        QtDialogHost host(*findDialog(DlgMain), logic);
        QCOMPARE(host.size(), QSize(247, 486));
        const QRect visibleArea(0, 0, 247, 486);
        const int inside[] = {Key1,         KeyPound,      Call,          End,         Settings,
                              MyAccount,    Contacts,      Back,          RecentCalls, Minimize,
                              Close,        MicSlider,     SpeakerSlider, HeaderLabel, NumberLabel,
                              BalanceLabel, DurationLabel, StatusLabel,   FooterLabel};
        for (int id : inside) {
            QVERIFY2(host.control(id), qPrintable(QString::number(id)));
            QVERIFY2(visibleArea.contains(host.control(id)->geometry()), qPrintable(QString::number(id)));
        }
        const int outside[] = {Line1,
                               Line1 + 3,
                               Line5,
                               Hold,
                               Record,
                               AutoAnswer,
                               DoNotDisturb,
                               Transfer,
                               Conference,
                               Redial,
                               Clear,
                               Play,
                               Help,
                               Login,
                               CheckRate,
                               ShowCallsArrow,
                               ShowContactsArrow,
                               RateLabel,
                               LastCallLabel,
                               RemainingLabel,
                               WebControl,
                               UserNameEdit,
                               PasswordEdit,
                               NumberEdit,
                               Submit};
        for (int id : outside) {
            QVERIFY2(host.control(id), qPrintable(QString::number(id)));
            QVERIFY2(!visibleArea.intersects(host.control(id)->geometry()), qPrintable(QString::number(id)));
        }
    }

    void windowPortReachesTheWidgets() {
        Recorder logic(DlgMain);
        QtDialogHost host(*findDialog(DlgMain), logic);
        WindowPort& port = host;
        port.setText(StatusLabel, u"Ready : \u00e9mile");
        QCOMPARE(port.text(StatusLabel), std::u16string(u"Ready : \u00e9mile"));
        port.setText(UserNameEdit, u"ann");
        QCOMPARE(qobject_cast<QLineEdit*>(host.control(UserNameEdit))->text(), QStringLiteral("ann"));
        port.setDown(Line1 + 1, true);
        QVERIFY(port.isDown(Line1 + 1));
        QVERIFY(!port.isDown(Line1));
        port.setVisible(BalanceLabel, false);
        QVERIFY(!port.isVisible(BalanceLabel));
        port.setEnabled(Call, false);
        QVERIFY(!port.isEnabled(Call));
        port.setTooltip(Call, u"Dial");
        QCOMPARE(host.control(Call)->toolTip(), QStringLiteral("Dial"));
        port.setFace(Line1, "hold");
        QCOMPARE(host.control(Line1)->property("face").toString(), QStringLiteral("hold"));
    }

    void clicksAndKeysReachTheLogic() {
        Recorder logic(DlgMain);
        QtDialogHost host(*findDialog(DlgMain), logic);
        host.show();
        QVERIFY(QTest::qWaitForWindowExposed(&host));
        QTest::mouseClick(qobject_cast<QAbstractButton*>(host.control(Key1 + 4)), Qt::LeftButton);
        QTest::mouseClick(qobject_cast<QAbstractButton*>(host.control(Close)), Qt::LeftButton);
        QCOMPARE(logic.commands, (std::vector<int>{Key1 + 4, Close}));

        host.setFocus(NumberEdit);
        QTest::keyClick(host.control(NumberEdit), Qt::Key_Escape);
        QTest::keyClick(host.control(NumberEdit), Qt::Key_Return);
        QTest::keyClick(host.control(NumberEdit), Qt::Key_Tab);
        QTest::keyClick(host.control(NumberEdit), Qt::Key_7);
        QCOMPARE(logic.keys, (std::vector<Key>{Key::Escape, Key::Enter, Key::Tab, Key::Character}));
        QVERIFY2(host.isVisible(), "Escape and Enter never close the window by themselves");

        host.close();
        QCOMPARE(logic.closeRequests, 1);
        QVERIFY2(host.isVisible(), "closing is the logic's decision");
    }

    void messageBoxesAnswerThroughTheTestSetting() {
        QTemporaryDir temp;
        const QString log = temp.filePath("messages");
        qputenv("RINGLARK_TEST_MESSAGES", log.toUtf8());
        Recorder logic(DlgMain);
        QtDialogHost host(*findDialog(DlgMain), logic);
        QCOMPARE(host.messageBox(u"Wrong Username/Password \nPlease contact support team", u"Ringlark",
                                 MessageButtons::OkCancel),
                 MessageResult::Ok);
        qunsetenv("RINGLARK_TEST_MESSAGES");
        QCOMPARE(readLines(log), QStringList{QStringLiteral(
                                     "Ringlark\tWrong Username/Password \\nPlease contact support team")});
    }

    // The whole start with the real windows: saved login, main window, then
    // the session ends while the window is up.
    void sessionEndSavesTheAccountFile() {
        TempDir temp;
        DataFolder files((temp.path() / "Ringlark").string());
        QVERIFY(files.ensureFolder());
        files.save(AccountFileName, AccountSettings{1, u"ann", u"pw"}.write(), true);
        QtUi ui;
        FakePlatform platform;
        FakeEngine& engine = platform.engine;
        ManualClock& clock = platform.clock;
        CZUBSoftPhoneApp app(AppServices{[] { return true; }, platform.window(files, ui)});
        clock.duringWait = [&](int) { app.mainWindow()->registeredSinceStart = true; };
        bool sawWindow = false;
        QTimer::singleShot(50, [&] {
            auto* window = QApplication::activeModalWidget();
            sawWindow = window && window->isVisible() && window->size() == QSize(247, 486);
            app.endSession();
        });
        QCOMPARE(app.run(), 0);
        QVERIFY(sawWindow);
        QCOMPARE(engine.count("shutdown()"), 2); // the window's, then the program's as it ends
        const auto saved = AccountSettings::read(*files.read(AccountFileName)).record;
        QCOMPARE(saved.savePassword, 1);
        QVERIFY(saved.userName == u"ann");
    }

    void closeButtonAsksAndQuits() {
        TempDir temp;
        const QString log = QString::fromStdString((temp.path() / "messages").string());
        qputenv("RINGLARK_TEST_MESSAGES", log.toUtf8());
        DataFolder files((temp.path() / "Ringlark").string());
        QVERIFY(files.ensureFolder());
        files.save(AccountFileName, AccountSettings{1, u"ann", u"pw"}.write(), true);
        QtUi ui;
        FakePlatform platform;
        FakeEngine& engine = platform.engine;
        ManualClock& clock = platform.clock;
        CZUBSoftPhoneApp app(AppServices{[] { return true; }, platform.window(files, ui)});
        clock.duringWait = [&](int) { app.mainWindow()->registeredSinceStart = true; };
        QTimer::singleShot(50, [&] {
            auto* host = dynamic_cast<QtDialogHost*>(QApplication::activeModalWidget());
            QVERIFY(host);
            QTest::mouseClick(qobject_cast<QAbstractButton*>(host->control(Close)), Qt::LeftButton);
        });
        QCOMPARE(app.run(), 0);
        qunsetenv("RINGLARK_TEST_MESSAGES");
        QCOMPARE(readLines(log), QStringList{QStringLiteral(
                                     "Confirm to Quit\tAre you sure you want to close the Application?")});
        QCOMPARE(engine.count("shutdown()"), 2); // the window's, then the program's as it ends
    }
};

void WindowsTest::trayClickHidesTheWindowWithoutEndingTheProgram() {
    RealWindows program;
    program.platform.http.queueScrambled(sampleProvisioningReply());
    bool hidden = false, stillRunning = false, shownAgain = false;
    QTimer::singleShot(50, [&] {
        QtDialogHost* main = activeWindow();
        QVERIFY(main);
        std::filesystem::remove(program.files.path(AccountFileName)); // the exit must write it again
        main->logic().onTrayClick(TrayClick::LeftDown);
        hidden = !main->isVisible();
        QTimer::singleShot(100, main, [&, main] {
            stillRunning = true;
            main->logic().onTrayClick(TrayClick::LeftDown);
            shownAgain = main->isVisible();
            program.app.endSession();
        });
    });
    QCOMPARE(program.app.run(), 0);
    QVERIFY(hidden);
    QVERIFY2(stillRunning, "hiding the window does not end the program");
    QVERIFY(shownAgain);
    QVERIFY(program.saved().userName == u"ann");
}

void WindowsTest::accountLoginKeepsTheProgramUnderTheNewIdentity() {
    RealWindows program;
    auto& http = program.platform.http;
    http.queueScrambled(sampleProvisioningReply()); // start-up
    http.queueScrambled("postpaid#1.00");
    http.queueScrambled(sampleProvisioningReply()); // the login window
    http.queueScrambled(sampleProvisioningReply()); // the main window's pass after it
    http.queueScrambled("postpaid#2.00");
    bool loginShown = false, mainHidden = false;
    const auto relogin = program.runRelogin([&](QtDialogHost& main, QtDialogHost& login) {
        loginShown = login.logic().dialogId() == DlgLogin;
        mainHidden = !main.isVisible();
        login.setText(UserNameEdit, u"bob");
        login.setText(PasswordEdit, u"bobpw");
        login.setDown(SavePasswordCheck, false);
        click(&login, LoginButton);
    });
    QCOMPARE(relogin.exitCode, 0);
    QCOMPARE(relogin.status, std::u16string(u"Ready : bob"));
    QVERIFY(loginShown);
    QVERIFY(mainHidden);
    QVERIFY2(relogin.mainBack, "the program runs on under the new identity");
    const auto saved = program.saved();
    QVERIFY(saved.userName == u"bob");
    QVERIFY(saved.password == u"bobpw");
    QCOMPARE(saved.savePassword, 1); // the subscriber's earlier choice stays
}

void WindowsTest::closingAReloginRegistersThePreviousIdentityAgain() {
    struct Case {
        const char* name;
        bool refused; // the new identity was refused before Close
    };
    for (const Case& c : {Case{"closed at once", false}, Case{"closed after a refusal", true}}) {
        RealWindows program;
        auto& http = program.platform.http;
        auto& engine = program.platform.engine;
        for (int i = 0; i < 4; ++i)
            http.queueScrambled(sampleProvisioningReply());
        const auto relogin = program.runRelogin([&](QtDialogHost&, QtDialogHost& login) {
            if (c.refused) {
                engine.registrationAnswer = 401;
                login.setText(UserNameEdit, u"bob");
                login.setText(PasswordEdit, u"wrong");
                click(&login, LoginButton);
                QCOMPARE(login.text(LoginStatus), std::u16string(u"Wrong Username/Password"));
                engine.registrationAnswer = 200;
            }
            click(&login, LoginClose);
        });
        QCOMPARE(relogin.exitCode, 0);
        QVERIFY2(relogin.mainBack, c.name);
        QVERIFY2(engine.count(
                     "registerAccount(sip:ann@127.0.0.1,sip:ann@127.0.0.1,*,ann,pw,null,1,300,7078,30)") == 2,
                 c.name);
        QVERIFY2(program.saved().userName == u"ann", c.name);
    }
}

void WindowsTest::loginWindowLimitsAndChecks() {
    RealWindows program({0, u"", u""});
    program.platform.network.connected = false;
    QString typed;
    QTimer::singleShot(50, [&] {
        QtDialogHost* login = activeWindow();
        QVERIFY(login);
        QTest::keyClicks(login->control(UserNameEdit), QString(50, QLatin1Char('a')));
        typed = QString::fromStdU16String(login->text(UserNameEdit));
        login->setText(PasswordEdit, u"pw");
        click(login, LoginButton);
        click(login, LoginClose);
    });
    QCOMPARE(program.app.run(), 0);
    QCOMPARE(typed.size(), 40);
    QCOMPARE(program.messages(), QStringList{QStringLiteral("Ringlark\tInternet is not available!")});
    QVERIFY(program.platform.http.sent.empty());
}

void WindowsTest::firstLoginFetchesTheCallRecordsOnceTheWindowIsUp() {
    RealWindows program({0, u"ann", u"pw"});
    program.platform.http.queueScrambled(sampleProvisioningReply());
    QTimer::singleShot(50, [&] {
        QtDialogHost* login = activeWindow();
        QVERIFY(login);
        QTimer::singleShot(50, [&] {
            QCOMPARE(program.platform.http.fetched,
                     std::vector<std::string>{"http://127.0.0.1:8080/cdr?user=ann"});
            program.app.endSession();
        });
        click(login, LoginButton);
    });
    QCOMPARE(program.app.run(), 0);
    QCOMPARE(program.platform.http.fetched.size(), size_t(1));
}

void WindowsTest::terminationEndsTheProgramFromWhereverItArrives() {
    // While the login window waits for the registration.
    {
        RealWindows program({0, u"ann", u"pw"});
        program.platform.http.queueScrambled(sampleProvisioningReply());
        program.platform.clock.duringWait = [&](int) {
            program.app.endSession();
            program.platform.poster.runAll(); // and the 200 arrives too
        };
        QTimer::singleShot(50, [&] { click(activeWindow(), LoginButton); });
        QCOMPARE(program.app.run(), 0);
        QCOMPARE(program.platform.engine.count("init(4,5070)"), 1);
        QVERIFY2(program.platform.http.posts("&faazdj=kgbyku") == 0, "the main window never opened");
    }
    // While the start-up's message box is up.
    {
        RealWindows program;
        qunsetenv("RINGLARK_TEST_MESSAGES"); // a real box this time
        program.platform.mixer.present = false;
        QTimer::singleShot(100, [&] {
            QVERIFY(qobject_cast<QMessageBox*>(QApplication::activeModalWidget()));
            QtUi::dismissNestedModals();
            program.app.endSession();
        });
        QCOMPARE(program.app.run(), 0);
        QVERIFY2(program.platform.http.sent.empty(), "nothing provisioned after the request to end");
        QCOMPARE(program.platform.engine.count("init(4,5070)"), 0);
        QCOMPARE(program.saved().savePassword, 1);
    }
}

void WindowsTest::textFromOutsideIsNeverMarkup() {
    Recorder logic(DlgMain);
    QtDialogHost host(*findDialog(DlgMain), logic);
    const std::u16string hostile = u"<img src=\"/dev/zero\"><b>12.40</b>";
    for (int id : {BalanceLabel, HeaderLabel, FooterLabel, StatusLabel}) {
        host.setText(id, hostile);
        auto* label = qobject_cast<QLabel*>(host.control(id));
        QCOMPARE(label->textFormat(), Qt::PlainText);
        QVERIFY(host.text(id) == hostile);
    }
    host.setTooltip(Call, hostile);
    QTextDocument shown;
    shown.setHtml(host.control(Call)->toolTip());
    QCOMPARE(shown.toPlainText(), QString::fromStdU16String(hostile));

    QTimer::singleShot(50, [] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        QCOMPARE(box->textFormat(), Qt::PlainText);
        box->accept();
    });
    host.messageBox(hostile, u"Ringlark", MessageButtons::Ok);
}

// The main window during a connected call, an incoming call on line 2 and a
// conference, as PNG files beside the other windows' for review.
void WindowsTest::callStatesRenderForReview() {
    RealMainWindow window;
    CZUBSoftPhoneDlg& main = window.main;
    QtDialogHost& host = *window.host;
    QVERIFY(main.registered);
    const QString folder = QStringLiteral(WINDOWS_FOLDER);
    QDir().mkpath(folder);
    auto render = [&](const char* name) {
        QApplication::processEvents();
        QVERIFY(host.grab().save(folder + "/102-Ringlark-" + name + ".png"));
    };

    for (int id : {Key1 + 1, Key0, Key0, Key1})
        main.onCommand(id);
    main.onCommand(Call);
    for (int state : {1, 3, 4, 5})
        main.OnCallState(1, state);
    for (int tick = 0; tick < 73; ++tick)
        main.onTimer(LineTimerBase);
    QCOMPARE(host.text(StatusLabel), std::u16string(u"Connected..."));
    render("connected");

    main.OnCallState(2, 2);
    main.OnCallIncoming(2, u"sip:5551234@127.0.0.1");
    main.onCommand(Line1 + 1);
    QCOMPARE(host.text(StatusLabel), std::u16string(u"Incoming..."));
    render("incoming");

    main.onCommand(Call);
    main.OnCallState(2, 4);
    main.OnCallState(2, 5);
    main.onCommand(Conference);
    QCOMPARE(host.text(StatusLabel), std::u16string(u"Conference Line (1:2)"));
    render("conference");
}

namespace {

// Chooses the entry `text` of the popup menu that is open.
bool chooseFromPopup(const QString& text) {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!menu)
        return false;
    for (QAction* action : menu->actions())
        if (action->text() == text) {
            menu->setActiveAction(action);
            QTest::keyClick(menu, Qt::Key_Return);
            return true;
        }
    return false;
}

void renderForReview(QtDialogHost* host, const QString& name) {
    const QString folder = QStringLiteral(WINDOWS_FOLDER);
    QDir().mkpath(folder);
    QApplication::processEvents();
    QVERIFY(host->grab().save(folder + "/" + name + ".png"));
}

} // namespace

void WindowsTest::optionsFromTheContextMenuApplyAlwaysOnTop() {
    RealWindows program;
    program.platform.http.queueScrambled(sampleProvisioningReply());
    bool menuChosen = false, settingsShown = false, onTopAtApply = false, closed = false;
    QTimer::singleShot(50, [&] {
        QtDialogHost* main = activeWindow();
        QVERIFY(main);
        QVERIFY(!(main->windowFlags() & Qt::WindowStaysOnTopHint));
        QTimer::singleShot(50, [&, main] {
            QTimer::singleShot(50, [&, main] {
                QtDialogHost* settings = activeWindow();
                QVERIFY(settings && settings != main);
                settingsShown = settings->logic().dialogId() == DlgSettings;
                QVERIFY(!settings->isEnabled(OptApply));
                QVERIFY(settings->text(OptCallsPerList) == u"10");
                click(settings, OptAlwaysOnTop);
                QVERIFY(settings->isEnabled(OptApply));
                renderForReview(settings, QStringLiteral("134-Settings-open"));
                click(settings, OptApply);
                onTopAtApply = main->windowFlags() & Qt::WindowStaysOnTopHint;
                // Enter in the number edit neither applies nor closes the window.
                settings->setText(OptCallsPerList, u"");
                QTest::keyClick(settings->control(OptCallsPerList), Qt::Key_Return);
                QVERIFY(settings->isVisible());
                settings->setText(OptCallsPerList, u"20");
                click(settings, OptOk);
                closed = !settings->isVisible();
            });
            menuChosen = chooseFromPopup(QStringLiteral("Options..."));
        });
        const QPoint at(20, 20);
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, main->mapToGlobal(at));
        QApplication::sendEvent(main, &event);
        QTimer::singleShot(50, main, [&] { program.app.endSession(); });
    });
    QCOMPARE(program.app.run(), 0);
    QVERIFY(menuChosen);
    QVERIFY(settingsShown);
    QVERIFY2(onTopAtApply, "Apply makes the main window stay on top at once");
    QVERIFY(closed);
    QVERIFY(program.messages().isEmpty());
    const auto saved = ApplicationSettings::read(program.files.read(ApplicationFileName).value_or(Bytes{}));
    QVERIFY(saved.complete);
    QVERIFY(saved.record.alwaysOnTop);
    QVERIFY(saved.record.callsPerList == u"20");
}

void WindowsTest::sipAccountWindowTakesWhatIsTyped() {
    RealWindows program;
    program.platform.http.queueScrambled(sampleProvisioningReply());
    CZUBSoftPhoneDlg* dialer = nullptr;
    SipAccount account;
    bool ended = false;
    QPoint shownAt;
    QTimer::singleShot(50, [&] {
        QtDialogHost* main = activeWindow();
        QVERIFY(main);
        dialer = dynamic_cast<CZUBSoftPhoneDlg*>(&main->logic());
        QTimer::singleShot(50, [&, main] {
            QtDialogHost* sip = activeWindow();
            QVERIFY(sip && sip != main);
            QCOMPARE(sip->logic().dialogId(), DlgSipLogin);
            shownAt = sip->pos();
            click(sip, SipRegister); // everything blank
            QTest::keyClicks(sip->control(SipDomainEdit), QStringLiteral("sip.example"));
            QTest::keyClicks(sip->control(SipPhoneIdEdit), QStringLiteral("4420"));
            QTest::keyClicks(sip->control(SipPhonePinEdit), QStringLiteral("1234"));
            renderForReview(sip, QStringLiteral("225-SIP-Account-typed"));
            click(sip, SipRegister);
            ended = !sip->isVisible();
            account = dialer->options().accounts[0];
        });
        QTest::keyClick(main, Qt::Key_L, Qt::ControlModifier);
        QCOMPARE(main->focusedControl(), NumberEdit);
        QTimer::singleShot(50, main, [&] { program.app.endSession(); });
    });
    QCOMPARE(program.app.run(), 0);
    QVERIFY(dialer);
    QVERIFY(ended);
    QCOMPARE(shownAt, QPoint(370, 250));
    QCOMPARE(program.messages(), QStringList{QStringLiteral("Ringlark\tSIP IP/Domain must not be blank")});
    QVERIFY(account.registrar == u"sip.example");
    QVERIFY(account.userName == u"4420");
    QVERIFY(account.password == u"1234");
    QCOMPARE(account.isDefault, 1);
}

void WindowsTest::loginBusyPictureRunsWhileShown() {
    Recorder logic(DlgLogin);
    QtDialogHost host(*findDialog(DlgLogin), logic);
    host.show();
    QWidget* busy = host.control(LoginBusyPicture);
    const QImage still = qobject_cast<QLabel*>(busy)->pixmap(Qt::ReturnByValue).toImage();
    QTRY_VERIFY(busy->property("busyFrame").toInt() >= 1);
    QVERIFY(qobject_cast<QLabel*>(busy)->pixmap(Qt::ReturnByValue).toImage() != still);
}

QTEST_MAIN(WindowsTest)
#include "windows_test.moc"
