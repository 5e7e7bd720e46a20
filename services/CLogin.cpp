#include "CLogin.h"

#include "core/OperatorConfig.h"
#include "services/AccountServices.h"
#include "settings/COptions.h"

using namespace res;

void CLogin::onInitDialog() {
    auto& v = view();
    v.moveWindow(370, 250);
    SipAccount shown;
    if (auto index = options_.defaultAccount())
        shown = options_.accounts[*index];
    v.setText(SipPhoneIdEdit, shown.userName);
    v.setText(SipPhonePinEdit, shown.password);
    v.setText(SipDomainEdit, shown.registrar);
}

void CLogin::onCommand(int id) {
    switch (id) {
    case SipRegister:
        if (RegisterAccount())
            view().endDialog(IdOk);
        break;
    case SipCancel:
        view().endDialog(IdCancel);
        break;
    case SipSettings:
        openSettings();
        break;
    case SipSignUp:
        shell_.open(SignUpPageAddress(operatorConfig_.subscriberHost));
        break;
    case SipHome:
        shell_.open(HomePageAddress(operatorConfig_.subscriberHost));
        break;
    default:
        break;
    }
}

bool CLogin::RegisterAccount() {
    auto& v = view();
    const auto registrar = v.text(SipDomainEdit);
    const auto user = v.text(SipPhoneIdEdit);
    const auto pin = v.text(SipPhonePinEdit);
    if (registrar.empty()) {
        v.messageBox(u"SIP IP/Domain must not be blank", u"Ringlark", MessageButtons::Ok);
        return false;
    }
    if (user.empty() || pin.empty()) {
        v.messageBox(u"User Name and Password must Not be blank", u"Ringlark", MessageButtons::Ok);
        return false;
    }
    auto& accounts = options_.accounts;
    const auto current = options_.defaultAccount();
    const auto makeDefault = [&](std::size_t index) {
        if (current)
            accounts[*current].isDefault = 0;
        accounts[index].isDefault = 1;
    };
    const SipAccount entered{user, pin, registrar, 1};

    if (!current) {
        accounts[0] = entered;
        return true;
    }
    for (std::size_t i = 0; i < accounts.size(); ++i)
        if (accounts[i].registrar == registrar && accounts[i].userName == user &&
            accounts[i].password == pin) {
            makeDefault(i);
            return true;
        }
    for (std::size_t i = 0; i < accounts.size(); ++i)
        if (accounts[i].registrar.empty()) {
            makeDefault(i);
            accounts[i] = entered;
            return true;
        }
    if (v.messageBox(u"All Accounts are full.Do you want to overwrite default account information",
                     u"Confirm to Register", MessageButtons::OkCancel) != MessageResult::Ok)
        return false;
    accounts[*current] = entered;
    return true;
}

void CLogin::openSettings() {
    if (options_.RunSettings() != IdOk)
        return;
    if (auto index = options_.defaultAccount()) {
        view().setText(SipPhoneIdEdit, options_.accounts[*index].userName);
        view().setText(SipPhonePinEdit, options_.accounts[*index].password);
    }
}
