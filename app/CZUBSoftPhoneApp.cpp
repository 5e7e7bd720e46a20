#include "CZUBSoftPhoneApp.h"

#include "settings/SettingsFiles.h"

int CZUBSoftPhoneApp::run() {
    if (!services_.acquireInstanceLock())
        return 0; // another copy runs; it keeps the stage

    main_ = std::make_unique<CZUBSoftPhoneDlg>(services_.window);

    if (!services_.window.files.ensureFolder())
        return 1;
    AccountSettings account;
    if (auto bytes = services_.window.files.read(AccountFileName))
        account = AccountSettings::read(*bytes).record; // fields read so far count
    if (!account.usable())
        account = {}; // no login window could have saved it: ask afresh

    if (!services_.window.engine.load())
        services_.window.ui.messageBox(u"Unable to Load DLL", u"Ringlark", MessageButtons::Ok);

    auto& main = *main_;
    if (account.savePassword == 0) {
        login_ = std::make_unique<CMainLogin>(main);
        login_->userName = account.userName;
        login_->password = account.password;
        login_->savePassword = 0;
        main.setLoginWindow(login_.get());
        running_ = login_.get();
        const int result = services_.window.ui.runModal(*login_);
        running_ = nullptr;
        if (result != res::IdOk || login_->sessionEnded)
            return 0;
        // The login window hands over what it set up.
        main.savePassword = login_->savePassword;
        main.userName = login_->userName;
        main.password = login_->password;
        main.displayUser = login_->userName;
        main.requestText = login_->requestText;
        main.replyHeader = login_->replyHeader;
        main.replyText = login_->replyText;
        main.accountId = login_->accountId;
    } else {
        main.savePassword = account.savePassword;
        main.userName = account.userName;
        main.password = account.password;
        main.autoLogin = true;
    }

    if (main.closeRequested)
        return 0;
    running_ = &main;
    services_.window.ui.runModal(main);
    running_ = nullptr;
    // Whatever state the window left the engine in, nothing may call back into it now.
    services_.window.engine.shutdown();
    return 0;
}

void CZUBSoftPhoneApp::endSession() {
    if (running_)
        running_->onSessionEnd();
    else if (main_)
        main_->closeRequested = true; // between windows: the next one does not open
}
