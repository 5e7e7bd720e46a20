#include "CZUBSoftPhoneApp.h"

#include "settings/SettingsFiles.h"

int CZUBSoftPhoneApp::run() {
    if (!services_.acquireInstanceLock())
        return 0; // another copy runs; it keeps the stage

    main_ = std::make_unique<CZUBSoftPhoneDlg>(
        MainWindowServices{services_.ui, services_.files, services_.engine, services_.clock, services_.mixer,
                           services_.autostart, services_.program});

    if (!services_.files.ensureFolder())
        return 1;
    AccountSettings account;
    if (auto bytes = services_.files.read(AccountFileName))
        account = AccountSettings::read(*bytes).record; // fields read so far count

    if (!services_.engine.load())
        services_.ui.messageBox(u"Unable to Load DLL", u"Ringlark", MessageButtons::Ok);

    auto& main = *main_;
    if (account.savePassword == 0) {
        login_ = std::make_unique<CMainLogin>();
        login_->userName = account.userName;
        login_->password = account.password;
        login_->savePassword = 0;
        main.setLoginWindow(login_.get());
        running_ = login_.get();
        const int result = services_.ui.runModal(*login_);
        running_ = nullptr;
        if (result != res::IdOk)
            return 0;
        main.savePassword = login_->savePassword;
        main.userName = login_->userName;
        main.password = login_->password;
        main.displayUser = login_->userName;
    } else {
        main.savePassword = account.savePassword;
        main.userName = account.userName;
        main.password = account.password;
        main.autoLogin = true;
    }

    running_ = &main;
    services_.ui.runModal(main);
    running_ = nullptr;
    return 0;
}

void CZUBSoftPhoneApp::endSession() {
    if (running_)
        running_->onSessionEnd();
}
