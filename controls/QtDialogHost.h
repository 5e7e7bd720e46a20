#pragma once

#include "core/DialogLogic.h"
#include "resources/Dialogs.h"

#include <QDialog>
#include <QHash>
#include <QPointer>
#include <QSet>

class QEventLoop;
class QLabel;
class QSystemTrayIcon;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;

// A window built from its dialog template. It shows what the logic sets and
// forwards clicks, keys, timer ticks and tray clicks to it by control id.
class QtDialogHost : public QDialog, public WindowPort {
  public:
    QtDialogHost(const res::DialogTemplate& dialog, DialogLogic& logic, QWidget* parent = nullptr);
    ~QtDialogHost() override;

    // Runs the window modally; returns at once when the logic ended it while initialising.
    int runModal();
    bool ended() const { return ended_; }
    QWidget* control(int id) const { return controls_.value(id); }
    DialogLogic& logic() const { return logic_; }

    // The widget's own members of the same names stay reachable.
    using QDialog::setVisible;
    using QWidget::isEnabled;
    using QWidget::isVisible;
    using QWidget::setEnabled;
    using QWidget::setFocus;

    // WindowPort
    void setText(int id, std::u16string_view text) override;
    std::u16string text(int id) const override;
    void setVisible(int id, bool visible) override;
    bool isVisible(int id) const override;
    void setEnabled(int id, bool enabled) override;
    bool isEnabled(int id) const override;
    void setDown(int id, bool down) override;
    bool isDown(int id) const override;
    void setTooltip(int id, std::u16string_view tip) override;
    void setFace(int id, std::string_view face) override;
    void setFocus(int id) override;
    int focusedControl() const override;
    void setRange(int id, int minimum, int maximum) override;
    void setPosition(int id, int position) override;
    void setLimit(int id, int maxCharacters) override;
    void addTreeItem(int id, std::u16string_view text) override;
    MessageResult messageBox(std::u16string_view text, std::u16string_view title,
                             MessageButtons buttons) override;
    int popupMenu(int menuId, int x, int y) override;
    int popupMenuAtCursor(int menuId) override;
    std::u16string chooseOpenFile(std::u16string_view pattern) override;
    void startTimer(int timerId, int intervalMs) override;
    void stopTimer(int timerId) override;
    void showWindow(bool shown) override;
    bool isWindowShown() const override;
    void raiseWindow() override;
    void minimizeWindow() override;
    void endDialog(int result) override;
    WindowRect windowRect() const override;
    void moveWindow(int x, int y) override;
    void centreOnScreen(int offsetX) override;
    void applyShape() override;
    void setTopmost(bool topmost) override;
    void startDrag() override;
    void flash() override;
    void setIcon(int iconId) override;
    void addSystemMenuItem(int command, std::u16string_view text) override;
    void addContextCommand(std::u16string_view submenu, int id) override;
    void treeClear(int id) override;
    int treeInsert(int id, int parent, std::u16string_view label, int image, TreeInsert where) override;
    void treeRemove(int id, int item) override;
    void treeSetTooltip(int id, int item, std::u16string_view tip, std::u16string_view title) override;
    std::u16string treeLabel(int id, int item) const override;
    std::vector<int> treeChildren(int id, int parent) const override;
    int treeParent(int id, int item) const override;
    void treeSelect(int id, int item) override;
    int treeSelected(int id) const override;
    void treeExpand(int id, int item) override;
    void setMenuItemGreyed(int menuId, int command, bool greyed) override;
    // The tree item behind a handle, for tests that click it.
    QTreeWidgetItem* treeItem(int item) const { return treeItems_.value(item); }
    void addTrayIcon(int iconId, std::u16string_view tip) override;
    void removeTrayIcon() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void reject() override;

  private:
    void build();
    QWidget* makeControl(const res::ControlTemplate& control);
    void animateBusy(QLabel* picture);
    bool forwardKey(QKeyEvent* event);

    const res::DialogTemplate& dialog_;
    DialogLogic& logic_;
    QHash<int, QWidget*> controls_;
    QHash<int, QTimer*> timers_;
    QList<QPair<int, QString>> systemMenu_;
    QList<QPair<QString, int>> contextCommands_; // submenu, control id
    QTreeWidget* tree(int id) const;
    int handleOf(const QTreeWidgetItem* item) const;
    void forgetItems(QTreeWidgetItem* item);

    QHash<int, QTreeWidgetItem*> treeItems_; // by handle
    int nextTreeItem_ = 1;
    QHash<int, QSet<int>> greyedCommands_; // by menu id
    QPixmap skin_;
    QSystemTrayIcon* tray_ = nullptr;
    QEventLoop* loop_ = nullptr; // the modal run, while it lasts
    bool ended_ = false;
    bool sizedOnce_ = false;
    bool dragging_ = false;
    QPoint dragOffset_;
};
