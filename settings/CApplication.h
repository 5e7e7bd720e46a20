#pragma once

#include "core/DialogLogic.h"
#include "resources/ResourceIds.h"
#include "settings/SettingsFiles.h"

#include <string>
#include <vector>

class COptions;

// What the page's Apply found wrong with a calls-per-list text, in the order
// the messages are shown; empty when the number is valid.
std::vector<std::u16string> CallsPerListProblems(std::u16string_view text);

// The settings window, as its pages reach it.
class SettingsPageHost {
  public:
    virtual ~SettingsPageHost() = default;
    virtual void closeWithOk() = 0;
    virtual void closeWithCancel() = 0;
};

// The general options page: always on top, start at log-in, the number of
// calls kept in each recent-calls list. It lives inside the settings window
// and works on that window's controls.
class CApplication : public DialogLogic {
  public:
    CApplication(COptions& options, SettingsPageHost& host) : options_(options), host_(host) {}
    int dialogId() const override { return res::DlgGeneralOptions; }

    // Page values.
    ApplicationSettings values;
    bool valid = false;

    // The page is created: controls off, the main window's texts, Apply disabled.
    void onInitDialog() override;
    // Moved into the page area and shown.
    void showPage();
    void onCommand(int id) override;
    void onEditChanged(int id) override;

    void Apply();

  private:
    void takeControlValues();
    void showValues();
    void applyAutostart();

    COptions& options_;
    SettingsPageHost& host_;
};
