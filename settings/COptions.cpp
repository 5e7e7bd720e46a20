#include "COptions.h"

#include "SettingsFiles.h"

bool COptions::hasDefaultAccount() const {
    for (const auto& account : accounts)
        if (account.isDefault == 1)
            return true;
    return false;
}

bool COptions::SaveLoginIdentity(int savePassword, const std::u16string& userName,
                                 const std::u16string& password) {
    const AccountSettings identity{savePassword, userName, password};
    return files_.save(AccountFileName, identity.write(), true);
}
