#include "QtUi.h"

#include "controls/QtDialogHost.h"
#include "controls/QtMessages.h"

#include <QApplication>
#include <QDateTime>
#include <QEventLoop>
#include <QMenu>
#include <QMessageBox>
#include <QTimer>

#include <memory>

namespace {

const res::DialogTemplate& templateFor(const DialogLogic& logic) {
    static const res::DialogTemplate empty{0, u"", 200, 100, "", {}};
    const auto* found = res::findDialog(logic.dialogId());
    return found ? *found : empty;
}

} // namespace

QtUi::~QtUi() {
    qDeleteAll(modeless_);
}

int QtUi::runModal(DialogLogic& logic) {
    QWidget* parent = QApplication::activeModalWidget();
    auto host = std::make_unique<QtDialogHost>(templateFor(logic), logic, parent);
    logic.onInitDialog();
    return host->runModal();
}

void QtUi::createModeless(DialogLogic& logic) {
    auto* host = new QtDialogHost(templateFor(logic), logic);
    modeless_.insert(&logic, host);
    logic.onInitDialog();
}

void QtUi::destroyModeless(DialogLogic& logic) {
    delete modeless_.take(&logic);
}

MessageResult QtUi::messageBox(std::u16string_view text, std::u16string_view title, MessageButtons buttons) {
    return showMessage(QApplication::activeModalWidget(), text, title, buttons);
}

void QtUi::dismissNestedModals() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible())
            box->reject();
        else if (auto* menu = qobject_cast<QMenu*>(widget); menu && menu->isVisible())
            menu->close();
    }
}

void QtClock::wait(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

LocalTime QtClock::now() const {
    const QDateTime at = QDateTime::currentDateTime();
    const QDate date = at.date();
    const QTime time = at.time();
    return {date.year(), date.month(), date.day(), time.hour(), time.minute(), time.second()};
}

void QtPoster::post(std::function<void()> task) {
    QMetaObject::invokeMethod(qApp, std::move(task), Qt::QueuedConnection);
}
