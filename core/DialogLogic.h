#pragma once

#include "WindowPort.h"

#include <cassert>

// Base of every window's logic. The view calls these handlers on the
// user-interface thread; the logic answers through the window port.
class DialogLogic {
  public:
    virtual ~DialogLogic() = default;

    virtual int dialogId() const = 0;

    void attach(WindowPort* view) { view_ = view; }
    bool attached() const { return view_ != nullptr; }

    virtual void onInitDialog() {}
    virtual void onCommand(int /*id*/) {}
    virtual bool onKey(const KeyPress& /*key*/) { return false; } // true: consumed
    virtual void onTimer(int /*timerId*/) {}
    virtual void onFirstSize() {}
    virtual void onShown() {}
    virtual void onBodyPressed() {}
    // Each step of a slider's drag; the end of a drag, a click or a key come to onSliderMoved.
    virtual void onSliderMoving(int /*id*/, int /*position*/) {}
    virtual void onSliderMoved(int /*id*/, int /*position*/) {}
    virtual void onEditChanged(int /*id*/) {}   // the user changed an edit's text
    virtual void onTreeActivated(int /*id*/) {} // an item was double-clicked
    virtual void onTrayClick(TrayClick /*click*/) {}
    virtual void onCloseRequest() { view().endDialog(2); }
    // The desktop session ends or the process is asked to terminate.
    virtual void onSessionEnd() { view().endDialog(2); }

  protected:
    WindowPort& view() const {
        assert(view_);
        return *view_;
    }

  private:
    WindowPort* view_ = nullptr;
};
