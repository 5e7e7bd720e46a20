#include "CMainLogin.h"

#include "core/OperatorConfig.h"
#include "core/Services.h"
#include "services/Http.h"
#include "services/TaggedText.h"
#include "settings/CodecPriorities.h"
#include "settings/SettingsFiles.h"
#include "telephony/Engine.h"

#include <iterator>

namespace {

constexpr std::u16string_view ForbiddenInUserName = u"\\><\":][}|{` @^";
constexpr int RegistrationPolls = 5;
constexpr int RegistrationPollMs = 500;
// Tab goes round these, in this order.
constexpr int TabOrder[] = {res::UserNameEdit, res::PasswordEdit, res::SavePasswordCheck};

bool isRefusalText(const std::u16string& status) {
    return status == u"Wrong Username/Password" || status == u"User Not Found" ||
           status == u"Request Timeout";
}

} // namespace

void CMainLogin::onInitDialog() {
    main_.clearRegistrationConfirmed();
    view().setLimit(res::UserNameEdit, int(MaxCredentialLength));
    view().setLimit(res::PasswordEdit, int(MaxCredentialLength));
    view().setText(res::UserNameEdit, userName);
    view().setText(res::PasswordEdit, password);
    view().setDown(res::SavePasswordCheck, savePassword != 0);
    view().setVisible(res::LoginBusyPicture, false);
    view().setFocus(res::UserNameEdit);
    if (WindowPort* mainView = main_.mainView(); relogin && mainView)
        mainView->showWindow(false);
}

void CMainLogin::onFirstSize() {
    view().applyShape();
    view().centreOnScreen(150);
}

void CMainLogin::onCommand(int id) {
    if (id == res::LoginButton)
        login();
    else if (id == res::LoginClose && relogin)
        closeRelogin();
    else if (id == res::LoginClose)
        view().endDialog(res::IdCancel);
    else if (id == res::SavePasswordCheck)
        savePassword = view().isDown(res::SavePasswordCheck) ? 1 : 0;
}

bool CMainLogin::onKey(const KeyPress& key) {
    switch (key.key) {
    case Key::Enter:
        login();
        return true;
    case Key::Tab: {
        const int focused = view().focusedControl();
        std::size_t next = 0;
        for (std::size_t i = 0; i < std::size(TabOrder); ++i)
            if (TabOrder[i] == focused)
                next = (i + 1) % std::size(TabOrder);
        view().setFocus(TabOrder[next]);
        return true;
    }
    case Key::Escape:
        return true; // Escape does not close the window
    default:
        return false;
    }
}

void CMainLogin::onBodyPressed() {
    // Once registered the main window is back: it is what moves.
    if (WindowPort* mainView = main_.mainView(); registered && mainView)
        mainView->startDrag();
    else
        view().startDrag();
}

void CMainLogin::setStatus(std::u16string_view text) {
    if (attached())
        view().setText(res::LoginStatus, text);
}

void CMainLogin::showRefusal(std::u16string_view status) {
    registered = false;
    failed = true;
    setStatus(status);
    if (attached()) {
        view().setEnabled(res::UserNameEdit, true);
        view().setEnabled(res::PasswordEdit, true);
    }
}

void CMainLogin::onSessionEnd() {
    sessionEnded = true;
    view().endDialog(res::IdCancel);
}

void CMainLogin::login() {
    // Clicks and Enter that arrive while a login waits for its outcome belong to it, as
    // if they had been discarded: a second login inside the first would register twice.
    if (loggingIn_)
        return;
    loggingIn_ = true;
    loginOnce();
    loggingIn_ = false;
}

void CMainLogin::loginOnce() {
    auto& v = view();
    auto& s = main_.services();
    if (!s.network.isConnected(SplitUrl(s.operatorConfig.provisioningUrl).host)) {
        v.messageBox(u"Internet is not available!", u"Ringlark", MessageButtons::Ok);
        return;
    }
    const auto user = v.text(res::UserNameEdit);
    const auto pass = v.text(res::PasswordEdit);
    if (user.empty() || pass.empty()) {
        v.messageBox(u"Username/Password must Not be blank", u"Ringlark", MessageButtons::Ok);
        v.setEnabled(res::UserNameEdit, true);
        v.setEnabled(res::PasswordEdit, true);
        return;
    }
    if (user.find_first_of(ForbiddenInUserName) != std::u16string::npos) {
        v.messageBox(u"Invalid Username", u"Ringlark", MessageButtons::Ok);
        return;
    }
    v.setVisible(res::LoginBusyPicture, true);

    // A refused or unanswered attempt leaves an engine behind: start it afresh.
    auto& engine = main_.services().engine;
    if (isRefusalText(v.text(res::LoginStatus)) || attemptMade) {
        engine.shutdown();
        engine.load();
    }
    if (fail401or408 || fail403 || fail404)
        engine.shutdown();

    setStatus(u"");
    loginStarted = true;
    registered = false;
    failed = false;
    v.setEnabled(res::UserNameEdit, false);
    v.setEnabled(res::PasswordEdit, false);
    setStatus(u"Registering...Please wait");

    RunLogin();
    if (!attached() || sessionEnded)
        return;

    for (int poll = 0; poll < RegistrationPolls; ++poll) {
        main_.services().clock.wait(RegistrationPollMs);
        if (sessionEnded || !attached())
            return;
        if (registered) {
            savePassword = v.isDown(res::SavePasswordCheck) ? 1 : 0;
            userName = v.text(res::UserNameEdit);
            password = v.text(res::PasswordEdit);
            if (WindowPort* mainView = main_.mainView(); relogin && mainView) {
                // The main window comes back where this one stands.
                const auto here = v.windowRect();
                mainView->showWindow(true);
                mainView->moveWindow(here.x, here.y);
            }
            v.endDialog(res::IdOk);
            return;
        }
    }
    attemptMade = true;
}

void CMainLogin::RunLogin() {
    auto& s = main_.services();
    std::u16string body = ProvisioningRequestBody(AdapterAddressText(s.network.firstAdapterAddress()));
    std::u16string header, text;
    SendRequest(s.http, true, s.operatorConfig.provisioningUrl, body, header, text);
    requestText = body;
    replyHeader = header;
    replyText = text;
    reply = ProvisioningReply::read(replyText, false);
    if (replyText.empty() || !reply.usable()) {
        view().messageBox(u"Server is not responding", u"Ringlark", MessageButtons::Ok);
        view().endDialog(res::IdCancel);
        main_.CloseMainWindow();
        return;
    }

    if (relogin || !(fail401or408 && fail403 && fail404)) {
        s.engine.load();
        fail401or408 = fail403 = fail404 = false;
    }
    main_.BindRegistrationHandler();
    s.engine.init(reply.sizeValue(), reply.sipPort());
    ConfigureEncryption(s.engine, reply);

    userName = view().text(res::UserNameEdit);
    password = view().text(res::PasswordEdit);
    savePassword = view().isDown(res::SavePasswordCheck) ? 1 : 0;
    accountId = RegisterSubscriber(s.engine, reply, userName, password);
    ApplyCodecPriorities(s.engine, s.files);
}

void CMainLogin::closeRelogin() {
    // Re-login is opened from the running main window, so it is there to show.
    WindowPort& mainWindow = *main_.mainView();
    auto& engine = main_.services().engine;
    const auto status = view().text(res::LoginStatus);
    if (isRefusalText(status) || status == u"Unauthorized") {
        // The new identity was refused: register the previous one again.
        engine.shutdown();
        engine.load();
        engineReloaded = true;
        main_.MainProvisioningPass();
        mainWindow.showWindow(true);
    } else {
        engine.load();
        engineReloaded = true;
        registered = false;
        failed = false;
        setStatus(u" ");
        const LoginIdentity previous = main_.identity();
        view().setText(res::UserNameEdit, previous.userName);
        view().setText(res::PasswordEdit, previous.password);
        savePassword = previous.savePassword;
        RunLogin();
        if (!attached() || sessionEnded)
            return;
        mainWindow.showWindow(true);
        main_.services().clock.wait(3000);
        if (sessionEnded || main_.mainEnded())
            return;
        if (closeAfterFailure) {
            view().endDialog(res::IdCancel);
            main_.notify(u"Wrong Username/Password \nPlease contact support team");
            main_.CloseMainWindow();
            return;
        }
    }
    const auto here = view().windowRect();
    mainWindow.moveWindow(here.x, here.y);
    view().endDialog(res::IdCancel);
}
