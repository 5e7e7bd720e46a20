#pragma once

#include "core/DialogLogic.h"
#include "resources/ResourceIds.h"

// The About box: the program's name and version, and OK.
class CAboutDlg : public DialogLogic {
  public:
    int dialogId() const override { return res::DlgAbout; }
    void onCommand(int id) override {
        if (id == res::IdOk)
            view().endDialog(res::IdOk);
    }
    bool onKey(const KeyPress& key) override {
        if (key.key == Key::Enter || key.key == Key::Escape) {
            view().endDialog(key.key == Key::Enter ? res::IdOk : res::IdCancel);
            return true;
        }
        return false;
    }
};
