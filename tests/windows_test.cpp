// The windows, offscreen: templates become real widgets, the window port
// reaches them, and clicks and keys come back to the logic by id.
#include "app/CZUBSoftPhoneApp.h"
#include "app/ui/QtUi.h"
#include "controls/QtDialogHost.h"
#include "platform/DataFolder.h"
#include "settings/SettingsFiles.h"
#include "support/Fakes.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QTimer>
#include <QtTest>

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

QTEST_MAIN(WindowsTest)
#include "windows_test.moc"
