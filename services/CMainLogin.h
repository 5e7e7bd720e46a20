#pragma once

#include "app/DialogLogic.h"
#include "resources/ResourceIds.h"

#include <string>

// The login window: user name, password and "Save Password". It ends with OK
// once the subscriber has logged in, with Cancel when closed.
class CMainLogin : public DialogLogic {
  public:
    int dialogId() const override { return res::DlgLogin; }

    // Set by the opener before the window runs; read back after it ends.
    bool relogin = false;
    int savePassword = 0;
    std::u16string userName;
    std::u16string password;

    void onInitDialog() override;
    void onCommand(int id) override;
    bool onKey(const KeyPress& key) override;
    void onFirstSize() override;
    void onBodyPressed() override { view().startDrag(); }
    void onCloseRequest() override {} // only the Close button closes it

  private:
    void login();
};
