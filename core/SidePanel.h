#pragma once

#include "DialogLogic.h"

// A modeless panel beside the main window (recent calls, contacts). It is
// created hidden and lives as long as the main window.
class SidePanel : public DialogLogic {
  public:
    void show() {
        if (attached())
            view().showWindow(true);
    }
    void hide() {
        if (attached())
            view().showWindow(false);
    }
    void moveTo(int x, int y) {
        if (attached())
            view().moveWindow(x, y);
    }
    bool isShown() const { return attached() && view().isWindowShown(); }
    void onCloseRequest() override { hide(); }
    void onSessionEnd() override { hide(); }
};
