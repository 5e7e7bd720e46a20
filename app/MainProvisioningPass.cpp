// The main window's side of login and provisioning: its provisioning pass and
// the handling of registration results, which also drive the login window.
#include "app/CZUBSoftPhoneDlg.h"
#include "core/Text.h"
#include "services/CMainLogin.h"
#include "services/TaggedText.h"
#include "settings/CodecPriorities.h"

using namespace res;

namespace {

constexpr std::u16string_view WrongPassword = u"Wrong Username/Password \nPlease contact support team";
constexpr std::u16string_view TimedOut = u"Request Timedout \nPlease contact support team";

} // namespace

void CZUBSoftPhoneDlg::BindRegistrationHandler() {
    // The engine reports on its own thread; the window's state changes on ours.
    services_.engine.onRegState([this](int first, int code) {
        services_.poster.post([this, first, code] { OnRegistrationState(first, code); });
    });
}

void CZUBSoftPhoneDlg::MainProvisioningPass() {
    auto& s = services_;
    const std::u16string adapter = AdapterAddressText(s.network.firstAdapterAddress());
    const bool relogin = login_ && login_->relogin;
    const bool loginStarted = login_ && login_->loginStarted;
    const bool engineReloaded = login_ && login_->engineReloaded;
    if (!relogin)
        BindRegistrationHandler();

    auto request = [&] {
        std::u16string body = ProvisioningRequestBody(adapter), header, reply;
        SendRequest(s.http, true, s.operatorConfig.provisioningUrl, body, header, reply);
        requestText = body;
        replyHeader = header;
        replyText = reply;
    };
    // Without either, the reply the login window handed over at start-up is used.
    if (!loginStarted && (savePassword != 0 || engineReloaded))
        request();
    if (relogin) {
        request();
        FetchCallRecords();
        BuildRecentCallsTree();
    }

    ProvisioningReply reply = ProvisioningReply::read(replyText, true);
    if (replyText.empty() || !reply.usable()) {
        view().setEnabled(SavePasswordCheck, true);
        view().setVisible(Submit, true);
        return;
    }
    provisioned = std::move(reply);
    view().setText(HeaderLabel, provisioned.header);
    view().setText(FooterLabel, provisioned.footer);

    if ((!loginStarted && (savePassword != 0 || engineReloaded)) || (loginStarted && engineReloaded))
        s.engine.init(provisioned.sizeValue(), provisioned.sipPort());
    ConfigureEncryption(s.engine, provisioned);
    displayUser = userName;
    if ((!loginStarted && savePassword != 0) || (loginStarted && relogin && engineReloaded))
        accountId = RegisterSubscriber(s.engine, provisioned, userName, password);

    s.engine.onCallState([this](int call, int state) {
        services_.poster.post([this, call, state] { OnCallState(call, state); });
    });
    s.engine.onCallIncoming([this](int call, const std::string& uri) {
        services_.poster.post([this, call, remote = fromUtf8(uri)] { OnCallIncoming(call, remote); });
    });
    s.engine.onDtmfDigit([](int) {});
    s.engine.onCallHoldConfirm([](int) {});
    ApplyCodecPriorities(s.engine, s.files);
}

void CZUBSoftPhoneDlg::OnRegistrationState(int, int code) {
    CMainLogin* login = login_;
    switch (code) {
    case 200:
        registrationConfirmed = true;
        if (login)
            login->registered = true;
        if (autoLogin)
            registeredSinceStart = true;
        if (!callRecordsFetched && FetchCallRecords()) {
            if (autoLogin || (login && login->closeAfterFailure))
                BuildRecentCallsTree();
            callRecordsFetched = true;
        }
        break;
    case 401:
        if (login) {
            login->showRefusal(u"Wrong Username/Password");
            login->fail401or408 = true;
        }
        break;
    case 403:
    case 408: {
        const bool forbidden = code == 403;
        const std::u16string_view message = forbidden ? WrongPassword : TimedOut;
        if (registrationConfirmed) {
            notify(message);
            CloseMainWindow();
        } else if (autoLogin) {
            if (!registeredSinceStart)
                notify(message);
        } else if (login && login->engineReloaded) {
            login->closeAfterFailure = true;
        } else if (reloginPending) {
            notify(message);
            reloginAborted = true;
        } else if (login) {
            login->showRefusal(forbidden ? u"Wrong Username/Password" : u"Request Timeout");
            (forbidden ? login->fail403 : login->fail401or408) = true;
        }
        break;
    }
    case 404:
        if (login) {
            login->showRefusal(u"User Not Found");
            login->fail404 = true;
        }
        break;
    default:
        break;
    }
}
