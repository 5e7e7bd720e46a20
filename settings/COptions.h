#pragma once

#include "core/Ports.h"

#include <array>
#include <optional>
#include <string>

// One SIP account of the account table; a record without registrar is free.
struct SipAccount {
    std::u16string userName;
    std::u16string password;
    std::u16string registrar;
    int isDefault = 0;

    bool operator==(const SipAccount&) const = default;
};

// The main window, as the options reach it.
class OptionsOwner {
  public:
    virtual ~OptionsOwner() = default;
    virtual void setAlwaysOnTop(bool on) = 0;
    virtual void setConfirmOnClose(bool on) = 0;
    virtual std::u16string callsPerListText() const = 0;
    virtual std::u16string recordingFolderText() const = 0;
    virtual void takeRecentCallsOptions(const std::u16string& callsPerList,
                                        const std::u16string& recordingFolder) = 0;
    // The recent-calls lists keep at most the new number of calls.
    virtual void RetrimRecentCalls() = 0;
};

// What the settings object needs beyond the main window.
struct OptionsServices {
    Ui& ui;
    Files& files;
    Autostart& autostart;
    ProgramInfo& program;
};

// The settings object: the in-memory account table, the settings window and
// the exit-time writer of the account file. It lives as long as the main window.
class COptions {
  public:
    COptions(OptionsServices services, OptionsOwner& owner) : services_(services), owner_(owner) {}

    // Never written to a file: it lives until the program ends.
    std::array<SipAccount, 8> accounts{};
    bool hasDefaultAccount() const;
    // The first entry marked default.
    std::optional<std::size_t> defaultAccount() const;

    // Runs the settings window modally; IdOk or IdCancel.
    int RunSettings();

    // Saves the account file with the main window's identity. A missing file
    // is created, readable by the owner only: it holds the password.
    bool SaveLoginIdentity(int savePassword, const std::u16string& userName, const std::u16string& password);

    OptionsServices& services() { return services_; }
    OptionsOwner& owner() { return owner_; }

  private:
    OptionsServices services_;
    OptionsOwner& owner_;
};
