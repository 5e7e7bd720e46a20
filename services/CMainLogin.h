#pragma once

#include "core/DialogLogic.h"
#include "resources/ResourceIds.h"
#include "services/Provisioning.h"

#include <string>

struct MainWindowServices;

struct LoginIdentity {
    std::u16string userName, password;
    int savePassword = 0;
};

// The main window, as the login window reaches it.
class LoginOwner {
  public:
    virtual ~LoginOwner() = default;
    virtual MainWindowServices& services() = 0;
    virtual WindowPort* mainView() = 0; // nullptr until the main window is up
    virtual void clearRegistrationConfirmed() = 0;
    virtual void BindRegistrationHandler() = 0;
    virtual void MainProvisioningPass() = 0;
    virtual void CloseMainWindow() = 0;
    // A message on the main window when it is up, else without owner.
    virtual void notify(std::u16string_view text) = 0;
    virtual bool mainEnded() const = 0;
    // The identity the main window is registered with.
    virtual LoginIdentity identity() const = 0;
};

// The login window: user name, password and "Save Password". Its login runs
// the provisioning request, starts and registers the engine and waits for the
// registration's outcome. It ends with OK once registered, Cancel when closed.
class CMainLogin : public DialogLogic {
  public:
    explicit CMainLogin(LoginOwner& main) : main_(main) {}
    int dialogId() const override { return res::DlgLogin; }

    // Set by the opener; read back after the window ends.
    bool relogin = false;
    int savePassword = 0;
    std::u16string userName;
    std::u16string password;

    // Outcome of the attempts, written by the main window's registration handler.
    bool loginStarted = false;
    bool attemptMade = false;
    bool engineReloaded = false;
    bool registered = false;
    bool failed = false;
    bool fail401or408 = false;
    bool fail403 = false;
    bool fail404 = false;
    bool closeAfterFailure = false;
    bool sessionEnded = false; // the program was asked to end while this window was up

    // The last exchange with the provisioning service and what came of it.
    std::u16string requestText, replyHeader, replyText;
    ProvisioningReply reply;
    int accountId = -1;

    void onInitDialog() override;
    void onCommand(int id) override;
    bool onKey(const KeyPress& key) override;
    void onFirstSize() override;
    void onBodyPressed() override;
    void onCloseRequest() override {} // only the Close button closes it
    void onSessionEnd() override;

    void RunLogin();
    // A refused registration: the status text, and the edits open again.
    void showRefusal(std::u16string_view status);

  private:
    void login();
    void loginOnce();
    // Re-login mode: back to the identity the main window had.
    void closeRelogin();
    void setStatus(std::u16string_view text);

    LoginOwner& main_;
    bool loggingIn_ = false; // a login command is running; the window still takes events meanwhile
};
