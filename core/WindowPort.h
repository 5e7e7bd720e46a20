#pragma once

#include <string>
#include <string_view>
#include <vector>

// What a window's logic may ask of its view. Controls are addressed by their
// resource id; the view owns every widget and reports back by id.

enum class MessageButtons { Ok, OkCancel };
enum class MessageResult { Ok, Cancel };

// Keys the windows react to; printable keys arrive as Character with their text.
enum class Key { Escape, F1, F2, F3, F4, F5, F6, Tab, Backtab, Enter, Backspace, Delete, Character, Other };

struct KeyPress {
    Key key = Key::Other;
    char16_t character = 0; // lower case with `control`
    bool control = false;   // held down with the Ctrl key
};

// How the tray icon was clicked.
enum class TrayClick { LeftDown, LeftDoubleClick, RightUp };

// Where a new tree item goes among its siblings.
enum class TreeInsert { First, Last, Sorted };

struct WindowRect {
    int x = 0, y = 0, width = 0, height = 0;
};

class WindowPort {
  public:
    virtual ~WindowPort() = default;

    // Controls.
    virtual void setText(int id, std::u16string_view text) = 0;
    virtual std::u16string text(int id) const = 0;
    virtual void setVisible(int id, bool visible) = 0;
    virtual bool isVisible(int id) const = 0;
    virtual void setEnabled(int id, bool enabled) = 0;
    virtual bool isEnabled(int id) const = 0;
    virtual void setDown(int id, bool down) = 0; // check state of check buttons and boxes
    virtual bool isDown(int id) const = 0;
    virtual void setTooltip(int id, std::u16string_view tip) = 0;
    virtual void setFace(int id, std::string_view face) = 0; // skin variant, "" for the normal one
    virtual void setFocus(int id) = 0;
    virtual int focusedControl() const = 0; // 0 when no control has the focus
    virtual void setRange(int id, int minimum, int maximum) = 0;
    // Sliders; a view without any ignores it.
    virtual void setPosition(int /*id*/, int /*position*/) {}
    virtual void setLimit(int id, int maxCharacters) = 0; // edits
    virtual void addTreeItem(int id,
                             std::u16string_view text) = 0; // a root item at the end; the first is selected

    // Modal interaction; both return only when the user has answered.
    virtual MessageResult messageBox(std::u16string_view text, std::u16string_view title,
                                     MessageButtons buttons) = 0;
    // Shows menu `menuId` at screen position (x, y); returns the chosen command or 0.
    virtual int popupMenu(int menuId, int x, int y) = 0;
    virtual int popupMenuAtCursor(int menuId) = 0;
    // A file-open window for `pattern` ("*.wav"); empty when cancelled.
    virtual std::u16string chooseOpenFile(std::u16string_view pattern) = 0;

    // Timers tick through DialogLogic::onTimer until stopped.
    virtual void startTimer(int timerId, int intervalMs) = 0;
    virtual void stopTimer(int timerId) = 0;

    // The window itself.
    virtual void showWindow(bool shown) = 0;
    virtual bool isWindowShown() const = 0;
    virtual void raiseWindow() = 0;
    virtual void minimizeWindow() = 0;
    virtual void endDialog(int result) = 0;
    virtual WindowRect windowRect() const = 0;
    virtual void moveWindow(int x, int y) = 0;
    virtual void centreOnScreen(int offsetX) = 0;
    virtual void applyShape() = 0; // cut the window to its skin's outline
    virtual void setTopmost(bool topmost) = 0;
    virtual void startDrag() = 0; // the pressed button moves the window, as on a caption
    virtual void flash() = 0;
    virtual void setIcon(int iconId) = 0;
    virtual void addSystemMenuItem(int command, std::u16string_view text) = 0; // empty text: separator
    // An entry of the window's context menu under `submenu` that runs control `id`'s command. Its
    // label is the control's text and its check mark the control's down state, read as it opens.
    virtual void addContextCommand(std::u16string_view submenu, int id) = 0;

    // Tree controls. Items are handles the view hands out; 0 is no item, and
    // as a parent the top level. Each item has a label, an image index and a
    // tooltip shown while the pointer rests on it; an image below 0 is none.
    virtual void treeClear(int id) = 0;
    virtual int treeInsert(int id, int parent, std::u16string_view label, int image, TreeInsert where) = 0;
    virtual void treeRemove(int id, int item) = 0;
    // The detail text shown while the pointer rests on the item, under a title with an information mark.
    virtual void treeSetTooltip(int id, int item, std::u16string_view tip, std::u16string_view title) = 0;
    virtual std::u16string treeLabel(int id, int item) const = 0;
    virtual std::vector<int> treeChildren(int id, int parent) const = 0; // in the order shown
    virtual int treeParent(int id, int item) const = 0;
    virtual void treeSelect(int id, int item) = 0; // 0 clears the selection
    virtual int treeSelected(int id) const = 0;
    virtual void treeExpand(int id, int item) = 0;
    // Menu commands shown greyed from now on when `greyed`.
    virtual void setMenuItemGreyed(int menuId, int command, bool greyed) = 0;

    // The notification-area icon that belongs to this window.
    virtual void addTrayIcon(int iconId, std::u16string_view tip) = 0;
    virtual void removeTrayIcon() = 0;
};
