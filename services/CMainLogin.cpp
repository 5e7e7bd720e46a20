#include "CMainLogin.h"

void CMainLogin::onInitDialog() {
    view().setText(res::UserNameEdit, userName);
    view().setText(res::PasswordEdit, password);
    view().setDown(res::SavePasswordCheck, savePassword != 0);
    view().setVisible(res::LoginBusyPicture, false);
    view().setFocus(res::UserNameEdit);
}

void CMainLogin::onFirstSize() {
    view().applyShape();
    view().centreOnScreen(150);
}

void CMainLogin::onCommand(int id) {
    if (id == res::LoginButton)
        login();
    else if (id == res::LoginClose)
        view().endDialog(res::IdCancel);
    else if (id == res::SavePasswordCheck)
        savePassword = view().isDown(res::SavePasswordCheck) ? 1 : 0;
}

bool CMainLogin::onKey(const KeyPress& key) {
    if (key.key == Key::Enter) {
        login();
        return true;
    }
    return key.key == Key::Escape; // Escape does not close the window
}

void CMainLogin::login() {
    const auto user = view().text(res::UserNameEdit);
    const auto pass = view().text(res::PasswordEdit);
    if (user.empty() || pass.empty()) {
        view().messageBox(u"Username/Password must Not be blank", u"Ringlark", MessageButtons::Ok);
        return;
    }
    userName = user;
    password = pass;
    savePassword = view().isDown(res::SavePasswordCheck) ? 1 : 0;
    view().endDialog(res::IdOk);
}
