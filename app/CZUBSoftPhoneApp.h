#pragma once

#include "CZUBSoftPhoneDlg.h"
#include "core/Ports.h"
#include "services/CMainLogin.h"

#include <functional>
#include <memory>

// What the program needs from its platform to start.
struct AppServices {
    std::function<bool()> acquireInstanceLock;
    MainWindowServices window;
};

// The application: one running copy, the data folder, the saved login, the
// engine, the login window when needed, then the main window until it closes.
class CZUBSoftPhoneApp {
  public:
    explicit CZUBSoftPhoneApp(AppServices services) : services_(std::move(services)) {}

    // Returns the process exit code.
    int run();
    // The desktop session ends or the process is asked to terminate.
    void endSession();

    CZUBSoftPhoneDlg* mainWindow() { return main_.get(); }

  private:
    AppServices services_;
    std::unique_ptr<CZUBSoftPhoneDlg> main_;
    std::unique_ptr<CMainLogin> login_;
    DialogLogic* running_ = nullptr; // the window now running modally, if any
};
