#pragma once

#include "core/Ports.h"

#include <array>
#include <string>

// One SIP account of the account table; a record without registrar is free.
struct SipAccount {
    std::u16string userName;
    std::u16string password;
    std::u16string registrar;
    int isDefault = 0;
};

// The settings object: the in-memory account table and the exit-time writer of
// the account file. It lives as long as the main window.
class COptions {
  public:
    explicit COptions(Files& files) : files_(files) {}

    std::array<SipAccount, 8> accounts{};
    bool hasDefaultAccount() const;

    // Saves the account file with the main window's identity. A missing file
    // is created, readable by the owner only: it holds the password.
    bool SaveLoginIdentity(int savePassword, const std::u16string& userName, const std::u16string& password);

  private:
    Files& files_;
};
