#include "QtDialogHost.h"

#include "QtBitmapSlider.h"
#include "QtMessages.h"
#include "Skin.h"

#include <QAbstractButton>
#include <QApplication>
#include <QBitmap>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QCursor>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTextDocument>
#include <QTimer>
#include <QTreeWidget>
#include <QWindow>

namespace {

QString qs(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<int>(text.size()));
}

std::u16string u16s(const QString& text) {
    return text.toStdU16String();
}

// Tree images: 0 a folder, 1 a call nobody answered, 2 an answered call; others none.
QIcon treeImage(int image) {
    static QIcon images[3];
    if (image < 0 || image > 2)
        return {};
    if (images[image].isNull()) {
        QPixmap pixmap(16, 14);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        if (image == 0) {
            painter.setBrush(QColor(230, 190, 90));
            painter.setPen(QColor(150, 110, 30));
            painter.drawRect(1, 3, 13, 9);
            painter.drawRect(1, 1, 6, 2);
        } else {
            painter.setBrush(image == 1 ? QColor(200, 60, 60) : QColor(60, 160, 80));
            painter.setPen(Qt::NoPen);
            painter.drawEllipse(3, 2, 10, 10);
        }
        images[image] = QIcon(pixmap);
    }
    return images[image];
}

KeyPress translate(const QKeyEvent* event) {
    KeyPress key;
    switch (event->key()) {
    case Qt::Key_Escape:
        key.key = Key::Escape;
        break;
    case Qt::Key_F1:
    case Qt::Key_F2:
    case Qt::Key_F3:
    case Qt::Key_F4:
    case Qt::Key_F5:
    case Qt::Key_F6:
        key.key = Key(int(Key::F1) + event->key() - Qt::Key_F1);
        break;
    case Qt::Key_Tab:
        key.key = Key::Tab;
        break;
    case Qt::Key_Backtab:
        key.key = Key::Backtab;
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        key.key = Key::Enter;
        break;
    case Qt::Key_Backspace:
        key.key = Key::Backspace;
        break;
    case Qt::Key_Delete:
        key.key = Key::Delete;
        break;
    default:
        if ((event->modifiers() & Qt::ControlModifier) &&
            ((event->key() >= Qt::Key_A && event->key() <= Qt::Key_Z) ||
             (event->key() >= Qt::Key_0 && event->key() <= Qt::Key_9))) {
            key.key = Key::Character;
            key.control = true;
            key.character = QChar(event->key()).toLower().unicode();
        } else if (event->text().size() == 1 && event->text().at(0).isPrint()) {
            key.key = Key::Character;
            key.character = event->text().at(0).unicode();
        }
        break;
    }
    return key;
}

} // namespace

QtDialogHost::QtDialogHost(const res::DialogTemplate& dialog, DialogLogic& logic, QWidget* parent)
    : QDialog(parent), dialog_(dialog), logic_(logic) {
    build();
    logic_.attach(this);
}

QtDialogHost::~QtDialogHost() {
    logic_.attach(nullptr);
    removeTrayIcon();
}

void QtDialogHost::build() {
    const bool skinned = !dialog_.shapeImage.empty();
    setWindowTitle(qs(dialog_.title));
    setWindowIcon(skin::appIcon());
    setFixedSize(dialog_.width, dialog_.height);
    setProperty("skinned", skinned);
    setProperty("dialog", dialog_.id);
    if (skinned) {
        setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
        setAttribute(Qt::WA_TranslucentBackground);
        skin_ = skin::image(QString::fromLatin1(dialog_.shapeImage.data(), int(dialog_.shapeImage.size())),
                            QSize(dialog_.width, dialog_.height));
    }
    setStyleSheet(skin::styleSheet());
    for (const auto& control : dialog_.controls) {
        QWidget* widget = makeControl(control);
        widget->setGeometry(control.x, control.y, control.width, control.height);
        widget->setProperty("skin", QString::fromLatin1(control.image.data(), int(control.image.size())));
        widget->setObjectName(QStringLiteral("c%1").arg(control.id));
        widget->installEventFilter(this);
        controls_.insert(control.id, widget);
    }
}

QWidget* QtDialogHost::makeControl(const res::ControlTemplate& control) {
    using K = res::ControlKind;
    const QString text = qs(control.text);
    const int id = control.id;
    switch (control.kind) {
    case K::Button:
    case K::CheckButton: {
        auto* button = new QPushButton(text, this);
        button->setCheckable(control.kind == K::CheckButton);
        button->setAutoDefault(false);
        button->setFocusPolicy(Qt::NoFocus);
        connect(button, &QPushButton::clicked, this, [this, id] { logic_.onCommand(id); });
        return button;
    }
    case K::CheckBox: {
        auto* box = new QCheckBox(text, this);
        connect(box, &QCheckBox::clicked, this, [this, id] { logic_.onCommand(id); });
        return box;
    }
    case K::Edit:
    case K::PasswordEdit: {
        auto* edit = new QLineEdit(text, this);
        if (control.kind == K::PasswordEdit)
            edit->setEchoMode(QLineEdit::Password);
        connect(edit, &QLineEdit::textEdited, this, [this, id] { logic_.onEditChanged(id); });
        return edit;
    }
    case K::Slider: {
        auto* slider = new QtBitmapSlider(Qt::Horizontal, this);
        // Position 0 lies at the right end, so that the loudest, position 0, lies where users look for it.
        slider->setReversed(true);
        slider->onMoving = [this, id](int position) { logic_.onSliderMoving(id, position); };
        slider->onMoved = [this, id](int position) { logic_.onSliderMoved(id, position); };
        return slider;
    }
    case K::Tree: {
        auto* tree = new QTreeWidget(this);
        tree->setHeaderHidden(true);
        tree->setRootIsDecorated(false); // until an item gets children
        tree->setIconSize(QSize(16, 14));
        tree->setExpandsOnDoubleClick(false);
        tree->setStyleSheet(
            QStringLiteral("QToolTip { background-color: rgb(220, 220, 220); color: #1c2430; }"));
        connect(tree, &QTreeWidget::itemDoubleClicked, this, [this, id] { logic_.onTreeActivated(id); });
        connect(tree, &QTreeWidget::itemClicked, this, [this, id] { logic_.onCommand(id); });
        return tree;
    }
    case K::Radio: {
        auto* radio = new QRadioButton(text, this);
        connect(radio, &QRadioButton::clicked, this, [this, id] { logic_.onCommand(id); });
        return radio;
    }
    case K::Group: {
        auto* group = new QGroupBox(text, this);
        group->setAttribute(Qt::WA_TransparentForMouseEvents);
        return group;
    }
    case K::Picture: {
        auto* picture = new QLabel(this);
        picture->setTextFormat(Qt::PlainText);
        const QString image = QString::fromLatin1(control.image.data(), int(control.image.size()));
        picture->setPixmap(skin::image(image, QSize(control.width, control.height)));
        picture->setAttribute(Qt::WA_TransparentForMouseEvents);
        if (image == QLatin1String("busy"))
            animateBusy(picture);
        return picture;
    }
    case K::Label:
    case K::Web:
        break;
    }
    auto* label = new QLabel(this);
    // Labels show operator replies and file contents: never as markup, which could load files.
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    label->setAttribute(Qt::WA_TransparentForMouseEvents); // presses reach the window body
    return label;
}

void QtDialogHost::animateBusy(QLabel* picture) {
    // The dots run round while the picture shows, so a wait is seen to be one.
    const QPixmap dots = picture->pixmap(Qt::ReturnByValue);
    auto* timer = new QTimer(picture);
    connect(timer, &QTimer::timeout, picture, [picture, dots] {
        if (picture->isHidden() || dots.isNull())
            return;
        const int frame = picture->property("busyFrame").toInt() + 1;
        const int shift = (frame * dots.width() / 3) % dots.width();
        QPixmap shown(dots.size());
        shown.setDevicePixelRatio(dots.devicePixelRatio());
        shown.fill(Qt::transparent);
        QPainter painter(&shown);
        painter.drawPixmap(shift, 0, dots);
        painter.drawPixmap(shift - dots.width(), 0, dots);
        painter.end();
        picture->setPixmap(shown);
        picture->setProperty("busyFrame", frame);
    });
    timer->start(150);
}

int QtDialogHost::runModal() {
    if (ended_)
        return result();
    // QDialog::exec() would also end when the window is merely hidden (the
    // tray's click, a login window in front); only endDialog ends this run.
    setWindowModality(Qt::ApplicationModal);
    show();
    QEventLoop loop;
    loop_ = &loop;
    loop.exec(QEventLoop::DialogExec);
    loop_ = nullptr;
    return result();
}

void QtDialogHost::setText(int id, std::u16string_view text) {
    QWidget* widget = control(id);
    if (auto* label = qobject_cast<QLabel*>(widget))
        label->setText(qs(text));
    else if (auto* edit = qobject_cast<QLineEdit*>(widget))
        edit->setText(qs(text));
    else if (auto* button = qobject_cast<QAbstractButton*>(widget))
        button->setText(qs(text));
}

std::u16string QtDialogHost::text(int id) const {
    QWidget* widget = control(id);
    if (auto* label = qobject_cast<QLabel*>(widget))
        return u16s(label->text());
    if (auto* edit = qobject_cast<QLineEdit*>(widget))
        return u16s(edit->text());
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        return u16s(button->text());
    return {};
}

void QtDialogHost::setVisible(int id, bool visible) {
    if (QWidget* widget = control(id))
        widget->setVisible(visible);
}

bool QtDialogHost::isVisible(int id) const {
    QWidget* widget = control(id);
    return widget && !widget->isHidden();
}

void QtDialogHost::setEnabled(int id, bool enabled) {
    if (QWidget* widget = control(id))
        widget->setEnabled(enabled);
}

bool QtDialogHost::isEnabled(int id) const {
    QWidget* widget = control(id);
    return widget && widget->isEnabled();
}

void QtDialogHost::setDown(int id, bool down) {
    if (auto* button = qobject_cast<QAbstractButton*>(control(id))) {
        if (button->isCheckable())
            button->setChecked(down);
        else
            button->setDown(down);
    }
}

bool QtDialogHost::isDown(int id) const {
    auto* button = qobject_cast<QAbstractButton*>(control(id));
    return button && (button->isCheckable() ? button->isChecked() : button->isDown());
}

void QtDialogHost::setTooltip(int id, std::u16string_view tip) {
    // Tooltips guess at markup: what looks like it is spelled out, so it shows as written.
    if (QWidget* widget = control(id)) {
        const QString text = qs(tip);
        widget->setToolTip(Qt::mightBeRichText(text) ? Qt::convertFromPlainText(text, Qt::WhiteSpaceNoWrap)
                                                     : text);
    }
}

void QtDialogHost::setFace(int id, std::string_view face) {
    if (QWidget* widget = control(id)) {
        widget->setProperty("face", QString::fromLatin1(face.data(), int(face.size())));
        widget->style()->unpolish(widget);
        widget->style()->polish(widget);
    }
}

void QtDialogHost::setFocus(int id) {
    if (QWidget* widget = control(id))
        widget->setFocus(Qt::OtherFocusReason);
}

int QtDialogHost::focusedControl() const {
    QWidget* focused = focusWidget();
    for (auto it = controls_.cbegin(); it != controls_.cend(); ++it)
        if (it.value() == focused)
            return it.key();
    return 0;
}

void QtDialogHost::setRange(int id, int minimum, int maximum) {
    if (auto* slider = dynamic_cast<QtBitmapSlider*>(control(id)))
        slider->setRange(minimum, maximum);
}

void QtDialogHost::setPosition(int id, int position) {
    if (auto* slider = dynamic_cast<QtBitmapSlider*>(control(id)))
        slider->setPosition(position); // what the logic sets is no move of the user's: nothing reported
}

void QtDialogHost::setLimit(int id, int maxCharacters) {
    if (auto* edit = qobject_cast<QLineEdit*>(control(id)))
        edit->setMaxLength(maxCharacters);
}

void QtDialogHost::addTreeItem(int id, std::u16string_view text) {
    if (auto* tree = qobject_cast<QTreeWidget*>(control(id))) {
        auto* item = new QTreeWidgetItem(tree, QStringList(qs(text)));
        if (tree->topLevelItemCount() == 1)
            tree->setCurrentItem(item);
    }
}

MessageResult QtDialogHost::messageBox(std::u16string_view text, std::u16string_view title,
                                       MessageButtons buttons) {
    return showMessage(this, text, title, buttons);
}

int QtDialogHost::popupMenu(int menuId, int x, int y) {
    const auto* menuTemplate = res::findMenu(menuId);
    if (!menuTemplate)
        return 0;
    QMenu menu(this);
    for (const auto& item : menuTemplate->items) {
        if (item.command == 0)
            menu.addSeparator();
        else {
            QAction* action = menu.addAction(qs(item.text));
            action->setData(item.command);
            action->setEnabled(!greyedCommands_.value(menuId).contains(item.command));
        }
    }
    QAction* chosen = menu.exec(QPoint(x, y));
    return chosen ? chosen->data().toInt() : 0;
}

int QtDialogHost::popupMenuAtCursor(int menuId) {
    const QPoint at = QCursor::pos();
    return popupMenu(menuId, at.x(), at.y());
}

std::u16string QtDialogHost::chooseOpenFile(std::u16string_view pattern) {
    const QString filter = tr("Sound files (%1)").arg(qs(pattern));
    return u16s(QFileDialog::getOpenFileName(this, tr("Open"), QDir::homePath(), filter));
}

void QtDialogHost::startTimer(int timerId, int intervalMs) {
    QTimer*& timer = timers_[timerId];
    if (!timer) {
        timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, [this, timerId] { logic_.onTimer(timerId); });
    }
    timer->start(intervalMs);
}

void QtDialogHost::stopTimer(int timerId) {
    if (QTimer* timer = timers_.value(timerId))
        timer->stop();
}

void QtDialogHost::showWindow(bool shown) {
    if (shown) {
        show();
        raise();
    } else {
        hide();
    }
}

bool QtDialogHost::isWindowShown() const {
    return QDialog::isVisible();
}

void QtDialogHost::raiseWindow() {
    show();
    raise();
    activateWindow();
}

void QtDialogHost::minimizeWindow() {
    showMinimized();
}

void QtDialogHost::endDialog(int result) {
    ended_ = true;
    done(result);
    if (loop_)
        loop_->quit();
}

WindowRect QtDialogHost::windowRect() const {
    const QRect frame = frameGeometry();
    return {frame.x(), frame.y(), frame.width(), frame.height()};
}

void QtDialogHost::moveWindow(int x, int y) {
    move(x, y);
}

void QtDialogHost::centreOnScreen(int offsetX) {
    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    move(area.x() + (area.width() - width()) / 2 + offsetX, area.y() + (area.height() - height()) / 2);
}

void QtDialogHost::applyShape() {
    if (!skin_.isNull())
        setMask(skin_.mask());
}

void QtDialogHost::setTopmost(bool topmost) {
    const bool wasShown = QDialog::isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, topmost);
    if (wasShown)
        show();
}

void QtDialogHost::startDrag() {
    if (windowHandle() && windowHandle()->startSystemMove())
        return;
    // The window system cannot move it for us: follow the mouse ourselves.
    dragging_ = true;
    dragOffset_ = QCursor::pos() - frameGeometry().topLeft();
}

void QtDialogHost::flash() {
    QApplication::alert(this);
}

void QtDialogHost::setIcon(int) {
    setWindowIcon(skin::appIcon());
}

void QtDialogHost::addSystemMenuItem(int command, std::u16string_view text) {
    systemMenu_.append({command, qs(text)});
}

void QtDialogHost::addContextCommand(std::u16string_view submenu, int id) {
    contextCommands_.append({qs(submenu), id});
}

void QtDialogHost::addTrayIcon(int, std::u16string_view tip) {
    if (tray_ || !QSystemTrayIcon::isSystemTrayAvailable())
        return; // without a tray the menu stays reachable from Settings
    tray_ = new QSystemTrayIcon(skin::appIcon(), this);
    tray_->setToolTip(qs(tip));
    connect(tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        switch (reason) {
        case QSystemTrayIcon::Trigger:
            logic_.onTrayClick(TrayClick::LeftDown);
            break;
        case QSystemTrayIcon::DoubleClick:
            logic_.onTrayClick(TrayClick::LeftDoubleClick);
            break;
        case QSystemTrayIcon::Context:
            logic_.onTrayClick(TrayClick::RightUp);
            break;
        default:
            break;
        }
    });
    tray_->show();
}

QTreeWidget* QtDialogHost::tree(int id) const {
    return qobject_cast<QTreeWidget*>(control(id));
}

int QtDialogHost::handleOf(const QTreeWidgetItem* item) const {
    return item ? item->data(0, Qt::UserRole).toInt() : 0;
}

void QtDialogHost::forgetItems(QTreeWidgetItem* item) {
    for (int i = 0; i < item->childCount(); ++i)
        forgetItems(item->child(i));
    treeItems_.remove(handleOf(item));
}

void QtDialogHost::treeClear(int id) {
    if (auto* t = tree(id)) {
        for (int i = 0; i < t->topLevelItemCount(); ++i)
            forgetItems(t->topLevelItem(i));
        t->clear();
    }
}

int QtDialogHost::treeInsert(int id, int parent, std::u16string_view label, int image, TreeInsert where) {
    auto* t = tree(id);
    if (!t)
        return 0;
    QTreeWidgetItem* under = parent ? treeItems_.value(parent) : t->invisibleRootItem();
    if (!under)
        return 0;
    if (parent)
        t->setRootIsDecorated(true);
    const QString text = qs(label);
    int at = under->childCount();
    if (where == TreeInsert::First)
        at = 0;
    else if (where == TreeInsert::Sorted)
        for (int i = 0; i < under->childCount(); ++i)
            if (QString::compare(under->child(i)->text(0), text, Qt::CaseInsensitive) > 0) {
                at = i;
                break;
            }
    auto* item = new QTreeWidgetItem(QStringList{text});
    item->setIcon(0, treeImage(image));
    const int handle = nextTreeItem_++;
    item->setData(0, Qt::UserRole, handle);
    under->insertChild(at, item);
    treeItems_.insert(handle, item);
    return handle;
}

void QtDialogHost::treeRemove(int /*id*/, int item) {
    if (QTreeWidgetItem* found = treeItems_.value(item)) {
        forgetItems(found);
        delete found;
    }
}

void QtDialogHost::treeSetTooltip(int /*id*/, int item, std::u16string_view tip, std::u16string_view title) {
    // Detail texts line up with spaces and line feeds: keep every one of them.
    if (QTreeWidgetItem* found = treeItems_.value(item))
        found->setToolTip(
            0,
            QStringLiteral("<p style='white-space:pre'><b>\u24d8 %1</b></p>").arg(qs(title).toHtmlEscaped()) +
                Qt::convertFromPlainText(qs(tip), Qt::WhiteSpacePre));
}

std::u16string QtDialogHost::treeLabel(int /*id*/, int item) const {
    const QTreeWidgetItem* found = treeItems_.value(item);
    return found ? u16s(found->text(0)) : std::u16string();
}

std::vector<int> QtDialogHost::treeChildren(int id, int parent) const {
    std::vector<int> children;
    auto* t = tree(id);
    const QTreeWidgetItem* under = !t ? nullptr : parent ? treeItems_.value(parent) : t->invisibleRootItem();
    if (under)
        for (int i = 0; i < under->childCount(); ++i)
            children.push_back(handleOf(under->child(i)));
    return children;
}

int QtDialogHost::treeParent(int /*id*/, int item) const {
    const QTreeWidgetItem* found = treeItems_.value(item);
    return found ? handleOf(found->parent()) : 0;
}

void QtDialogHost::treeSelect(int id, int item) {
    auto* t = tree(id);
    if (!t)
        return;
    t->clearSelection();
    QTreeWidgetItem* found = treeItems_.value(item);
    t->setCurrentItem(found);
    if (found)
        found->setSelected(true);
}

int QtDialogHost::treeSelected(int id) const {
    auto* t = tree(id);
    if (!t)
        return 0;
    const auto selected = t->selectedItems();
    return selected.isEmpty() ? 0 : handleOf(selected.first());
}

void QtDialogHost::treeExpand(int /*id*/, int item) {
    if (QTreeWidgetItem* found = treeItems_.value(item))
        found->setExpanded(true);
}

void QtDialogHost::setMenuItemGreyed(int menuId, int command, bool greyed) {
    if (greyed)
        greyedCommands_[menuId].insert(command);
    else
        greyedCommands_[menuId].remove(command);
}

void QtDialogHost::removeTrayIcon() {
    if (tray_) {
        tray_->hide();
        tray_->deleteLater();
        tray_ = nullptr;
    }
}

bool QtDialogHost::forwardKey(QKeyEvent* event) {
    const KeyPress key = translate(event);
    if (key.key == Key::Other)
        return false;
    return logic_.onKey(key);
}

bool QtDialogHost::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && forwardKey(static_cast<QKeyEvent*>(event)))
        return true;
    return QDialog::eventFilter(watched, event);
}

void QtDialogHost::keyPressEvent(QKeyEvent* event) {
    // Never let the dialog's own Escape and Enter handling close the window.
    forwardKey(event);
    event->accept();
}

bool QtDialogHost::focusNextPrevChild(bool next) {
    KeyPress key;
    key.key = next ? Key::Tab : Key::Backtab;
    if (logic_.onKey(key))
        return true;
    return QDialog::focusNextPrevChild(next);
}

void QtDialogHost::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        logic_.onBodyPressed();
    QDialog::mousePressEvent(event);
}

void QtDialogHost::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_ && (event->buttons() & Qt::LeftButton))
        move(QCursor::pos() - dragOffset_);
    QDialog::mouseMoveEvent(event);
}

void QtDialogHost::mouseReleaseEvent(QMouseEvent* event) {
    dragging_ = false;
    QDialog::mouseReleaseEvent(event);
}

void QtDialogHost::contextMenuEvent(QContextMenuEvent* event) {
    // A borderless window has no system menu of its own; this one stands in.
    if (systemMenu_.isEmpty())
        return;
    QMenu menu(this);
    QAction* minimizeAction = menu.addAction(tr("Minimize"));
    QAction* closeAction = menu.addAction(tr("Close"));
    QHash<QString, QMenu*> submenus;
    for (const auto& [title, id] : contextCommands_) {
        QMenu*& submenu = submenus[title];
        if (!submenu)
            submenu = menu.addMenu(title);
        auto* button = qobject_cast<QAbstractButton*>(control(id));
        QAction* action = submenu->addAction(button ? button->text() : QString::number(id));
        action->setData(id);
        action->setCheckable(button && button->isCheckable());
        action->setChecked(button && button->isChecked());
        action->setEnabled(button && button->isEnabled());
    }
    for (const auto& [command, text] : systemMenu_) {
        if (command == 0)
            menu.addSeparator();
        else
            menu.addAction(text)->setData(command);
    }
    QAction* chosen = menu.exec(event->globalPos());
    if (chosen == minimizeAction)
        showMinimized();
    else if (chosen == closeAction)
        logic_.onCloseRequest();
    else if (chosen)
        logic_.onCommand(chosen->data().toInt());
}

void QtDialogHost::paintEvent(QPaintEvent* event) {
    if (!skin_.isNull()) {
        QPainter painter(this);
        painter.drawPixmap(0, 0, skin_);
    }
    QDialog::paintEvent(event);
}

void QtDialogHost::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!sizedOnce_) {
        sizedOnce_ = true;
        logic_.onFirstSize();
    }
    logic_.onShown();
}

void QtDialogHost::closeEvent(QCloseEvent* event) {
    if (ended_) {
        event->accept();
        return;
    }
    event->ignore();
    logic_.onCloseRequest();
}

void QtDialogHost::reject() {
    if (ended_)
        QDialog::reject();
    else
        logic_.onCloseRequest();
}
