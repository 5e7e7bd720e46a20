#include "COptions.h"

#include "CSettingsWindow.h"
#include "SettingsFiles.h"

bool COptions::hasDefaultAccount() const {
    return defaultAccount().has_value();
}

std::optional<std::size_t> COptions::defaultAccount() const {
    for (std::size_t i = 0; i < accounts.size(); ++i)
        if (accounts[i].isDefault == 1)
            return i;
    return std::nullopt;
}

int COptions::RunSettings() {
    CSettingsWindow window(*this);
    return services_.ui.runModal(window);
}

bool COptions::SaveLoginIdentity(int savePassword, const std::u16string& userName,
                                 const std::u16string& password) {
    const AccountSettings identity{savePassword, userName, password};
    return services_.files.save(AccountFileName, identity.write(), true);
}
