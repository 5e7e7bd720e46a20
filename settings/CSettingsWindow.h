#pragma once

#include "core/DialogLogic.h"
#include "resources/ResourceIds.h"
#include "settings/CApplication.h"

class COptions;

// The settings window: a tree of sections beside the page area. Its one
// section, "General", is the application options page.
class CSettingsWindow : public DialogLogic, public SettingsPageHost {
  public:
    explicit CSettingsWindow(COptions& options) : options_(options), general_(options, *this) {}
    int dialogId() const override { return res::DlgSettings; }

    CApplication& generalPage() { return general_; }

    void onInitDialog() override;
    void onCommand(int id) override;
    void onEditChanged(int id) override { general_.onEditChanged(id); }
    bool onKey(const KeyPress& key) override;

    void closeWithOk() override { view().endDialog(res::IdOk); }
    void closeWithCancel() override { view().endDialog(res::IdCancel); }

  private:
    COptions& options_;
    CApplication general_;
};
