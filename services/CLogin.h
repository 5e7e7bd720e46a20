#pragma once

#include "core/DialogLogic.h"
#include "resources/ResourceIds.h"

#include <string>

class COptions;
class Shell;
struct OperatorConfig;

// The SIP account login window: domain, phone id and PIN become the default
// entry of the settings object's account table. It also opens the settings
// window and the operator's sign-up and home pages.
class CLogin : public DialogLogic {
  public:
    CLogin(COptions& options, Shell& shell, const OperatorConfig& operatorConfig)
        : options_(options), shell_(shell), operatorConfig_(operatorConfig) {}
    int dialogId() const override { return res::DlgSipLogin; }

    void onInitDialog() override;
    void onFirstSize() override { view().applyShape(); }
    void onCommand(int id) override;
    void onBodyPressed() override { view().startDrag(); }

    // Writes the three values into the account table; false when the window stays open.
    bool RegisterAccount();

  private:
    void openSettings();

    COptions& options_;
    Shell& shell_;
    const OperatorConfig& operatorConfig_;
};
