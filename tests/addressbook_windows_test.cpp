// The contacts and recent-calls panels in real windows, offscreen: a contact
// added through the details window, found by the search and called; a missed
// call called back from the tree; and the three windows as PNGs for review.
#include "addressbook/CallLog.h"
#include "app/CZUBSoftPhoneDlg.h"
#include "app/ui/QtUi.h"
#include "controls/QtDialogHost.h"
#include "core/Text.h"
#include "platform/DataFolder.h"
#include "support/Fakes.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QMenu>
#include <QTextDocument>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

#include <algorithm>

using namespace res;

namespace {

QtDialogHost* windowOf(int dialogId) {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* host = dynamic_cast<QtDialogHost*>(widget); host && host->logic().dialogId() == dialogId)
            return host;
    return nullptr;
}

void click(QtDialogHost* host, int id) {
    QTest::mouseClick(qobject_cast<QAbstractButton*>(host->control(id)), Qt::LeftButton);
}

QTreeWidget* treeOf(QtDialogHost* host, int id) {
    return qobject_cast<QTreeWidget*>(host->control(id));
}

QStringList labels(const QTreeWidgetItem* parent) {
    QStringList out;
    for (int i = 0; i < parent->childCount(); ++i)
        out << parent->child(i)->text(0);
    return out;
}

void doubleClick(QTreeWidget* tree, QTreeWidgetItem* item) {
    tree->scrollToItem(item);
    const QPoint at = tree->visualItemRect(item).center();
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, at);
}

// Chooses `command` from the popup menu that opens next.
void chooseFromNextMenu(int command) {
    QTimer::singleShot(50, [command] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QVERIFY(menu);
        for (QAction* action : menu->actions())
            if (action->data().toInt() == command) {
                QVERIFY(action->isEnabled());
                menu->setActiveAction(action);
            }
        QTest::keyClick(menu, Qt::Key_Return);
    });
}

// The registered main window on real windows, fake services behind it.
struct RealMain {
    TempDir temp;
    QString messageLog = QString::fromStdString((temp.path() / "messages").string());
    DataFolder files{(temp.path() / "Ringlark").string()};
    FakePlatform platform;
    QtUi ui;
    std::unique_ptr<CZUBSoftPhoneDlg> main;
    std::unique_ptr<QtDialogHost> host;

    RealMain() {
        qputenv("RINGLARK_TEST_MESSAGES", messageLog.toUtf8());
        files.ensureFolder();
    }
    ~RealMain() {
        host.reset();
        main.reset();
        qunsetenv("RINGLARK_TEST_MESSAGES");
    }
    void open() {
        main = std::make_unique<CZUBSoftPhoneDlg>(platform.window(files, ui));
        main->replyText = fromUtf8(sampleProvisioningReply());
        main->userName = u"demo";
        for (int i = 0; i < 8; ++i)
            platform.http.queueScrambled("prepaid#12.40");
        platform.http.pages["http://127.0.0.1:8080/cdr?user=demo"] = "";
        host = std::make_unique<QtDialogHost>(*findDialog(DlgMain), *main);
        main->onInitDialog();
        main->accountId = 0;
        host->show();
        QVERIFY(main->registered);
        platform.engine.calls.clear();
    }
    std::vector<std::string> dialed() {
        std::vector<std::string> out;
        for (const auto& call : platform.engine.calls)
            if (call.rfind("makeCall", 0) == 0)
                out.push_back(call);
        return out;
    }
};

} // namespace

class AddressBookWindowsTest : public QObject {
    Q_OBJECT

  private slots:
    void contactIsAddedFoundAndCalled();
    void missedCallIsCalledBack();
    void windowsRenderForReview();
};

void AddressBookWindowsTest::contactIsAddedFoundAndCalled() {
    RealMain program;
    program.open();
    click(program.host.get(), Contacts);
    QtDialogHost* panel = windowOf(DlgContacts);
    QVERIFY(panel && panel->isVisible());
    QCOMPARE(panel->pos().x(), program.host->pos().x() + 247);

    bool detailsShown = false;
    chooseFromNextMenu(CmdAddContact);
    QTimer::singleShot(150, [&] {
        QtDialogHost* details = windowOf(DlgContactProperties);
        QVERIFY(details && details->isVisible());
        detailsShown = true;
        QTest::keyClicks(details->control(ContactNameEdit), "Anna Lee");
        QTest::keyClicks(details->control(ContactMobileEdit), "12345");
        QTest::keyClicks(details->control(ContactEmailEdit), "anna@example.org");
        click(details, ContactOk);
    });
    click(panel, ContactsMenuButton);
    QVERIFY(detailsShown);
    QTreeWidget* tree = treeOf(panel, ContactsTree);
    QCOMPARE(labels(tree->invisibleRootItem()), QStringList{"Anna Lee"});
    QTextDocument tip;
    tip.setHtml(tree->topLevelItem(0)->toolTip(0));
    QVERIFY2(tip.toPlainText().contains("     Mobile           12345    "), "the spaces are kept");
    QVERIFY2(tip.toPlainText().startsWith(QStringLiteral("\u24d8 Anna Lee")), "titled with the name");

    // A second contact, then the search narrows the list to the first.
    chooseFromNextMenu(CmdAddContact);
    QTimer::singleShot(150, [&] {
        QtDialogHost* details = windowOf(DlgContactProperties);
        QVERIFY(details);
        QTest::keyClicks(details->control(ContactNameEdit), "Bob");
        QTest::keyClicks(details->control(ContactPagerEdit), "777");
        QTest::keyClick(details->control(ContactPagerEdit), Qt::Key_Return); // Enter is OK
    });
    click(panel, ContactsMenuButton);
    QCOMPARE(labels(tree->invisibleRootItem()), (QStringList{"Anna Lee", "Bob"}));
    QTest::keyClicks(panel->control(ContactSearchEdit), "An");
    QCOMPARE(labels(tree->invisibleRootItem()), QStringList{"Anna Lee"});

    doubleClick(tree, tree->topLevelItem(0));
    QCOMPARE(program.dialed(), std::vector<std::string>{"makeCall(0,sip:12345@127.0.0.1)"});
    QVERIFY(!panel->isVisible());
    QVERIFY(program.host->isVisible(ShowContactsArrow));

    // What was added is in the file at exit.
    QVERIFY(program.main->ExitSequence());
    const auto saved = program.files.read(ContactFileName);
    QVERIFY(saved && *saved == program.main->contactsPanel().store.write());
    QCOMPARE(program.main->contactsPanel().store.count(), 2);
}

void AddressBookWindowsTest::missedCallIsCalledBack() {
    RealMain program;
    program.open();
    auto& main = *program.main;
    main.OnCallState(7, 2);
    main.OnCallIncoming(7, u"sip:5551234@127.0.0.1");
    main.OnCallState(7, 6);

    click(program.host.get(), RecentCalls);
    QtDialogHost* panel = windowOf(DlgRecentCalls);
    QVERIFY(panel && panel->isVisible());
    QCOMPARE(panel->pos().x() + 247, program.host->pos().x());
    QTreeWidget* tree = treeOf(panel, CallsTree);
    QCOMPARE(labels(tree->invisibleRootItem()),
             (QStringList{"Dialed Calls", "Received Calls", "Missed Calls"}));
    QTreeWidgetItem* missed = tree->topLevelItem(2);
    QCOMPARE(labels(missed), QStringList{"5551234"});

    doubleClick(tree, tree->topLevelItem(0)); // a folder calls nobody
    QVERIFY(program.dialed().empty());
    doubleClick(tree, missed->child(0));
    QCOMPARE(program.dialed(), std::vector<std::string>{"makeCall(0,sip:5551234@127.0.0.1)"});
    QVERIFY(!panel->isVisible());
}

// A dozen contacts, a few calls of each kind, and the details window.
void AddressBookWindowsTest::windowsRenderForReview() {
    RealMain program;
    ContactStore store;
    const char16_t* names[] = {u"Ann Baker", u"andy Cole", u"Anna Diaz", u"Bob Evans",
                               u"Carla Fox", u"Dev Gupta", u"Eve Hart",  u"Femi Ito",
                               u"Gus Jones", u"Hana Kim",  u"Ivan Lund", u"Jo Moss"};
    int n = 0;
    for (const char16_t* name : names) {
        ContactRecord c;
        c[FieldName] = name;
        c[FieldAddressType] = u"HA";
        (n % 3 == 0   ? c[FieldMobile]
         : n % 3 == 1 ? c[FieldPhone]
                      : c[FieldPager]) = u16(std::to_string(5550100 + n));
        store.AddContact(c);
        ++n;
    }
    program.files.save(ContactFileName, store.write(), false);
    program.open();
    auto& main = *program.main;
    auto& records = main.serverCalls;
    records.records[0] = {u"2001", u"2026-12-10", u"09:12", u"00:02:10"};
    records.records[1] = {u"2002", u"2026-12-10", u"11:40", u""};
    records.records[2] = {u"2003", u"2026-12-11", u"08:05", u"00:00:45"};
    records.count = 3;
    for (auto number : {u"5550111", u"5550112"})
        main.AddRecentCall(number, u"00:03:21", u'R');
    for (auto number : {u"5550121", u"5550122", u"5550123"})
        main.AddRecentCall(number, u"", u'M');
    main.BuildRecentCallsTree();

    const QString folder = QStringLiteral(WINDOWS_FOLDER);
    QDir().mkpath(folder);
    click(program.host.get(), Contacts);
    click(program.host.get(), RecentCalls);
    QtDialogHost* contacts = windowOf(DlgContacts);
    QtDialogHost* calls = windowOf(DlgRecentCalls);
    QVERIFY(contacts && calls);
    QCOMPARE(treeOf(contacts, ContactsTree)->topLevelItemCount(), 12);
    treeOf(contacts, ContactsTree)->setCurrentItem(treeOf(contacts, ContactsTree)->topLevelItem(2));
    treeOf(calls, CallsTree)->setCurrentItem(treeOf(calls, CallsTree)->topLevelItem(1)->child(0));
    QApplication::processEvents();
    QVERIFY(contacts->grab().save(folder + "/186-Contacts-a-dozen.png"));
    QVERIFY(calls->grab().save(folder + "/181-Recent-Calls-each-kind.png"));

    bool rendered = false;
    treeOf(contacts, ContactsTree)->topLevelItem(2)->setSelected(true);
    QTimer::singleShot(100, [&] {
        QtDialogHost* details = windowOf(DlgContactProperties);
        QVERIFY(details);
        QApplication::processEvents();
        rendered = details->grab().save(folder + "/187-Contact-edit.png");
        click(details, ContactCancel);
    });
    main.contactsPanel().onCommand(CmdEditContact);
    QVERIFY(rendered);
}

QTEST_MAIN(AddressBookWindowsTest)
#include "addressbook_windows_test.moc"
