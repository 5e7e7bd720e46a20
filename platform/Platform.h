#pragma once

#include "core/OperatorConfig.h"
#include "core/Ports.h"

#include <string>

// Keeps a second copy of the program from running: an exclusive lock on a
// file, released by the system when the process ends however it ends.
class InstanceLock {
  public:
    explicit InstanceLock(std::string lockFile) : path_(std::move(lockFile)) {}
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // "Ringlark 1.0.6.lock" in $XDG_RUNTIME_DIR, else in `fallbackFolder`.
    static std::string defaultPath(const std::string& fallbackFolder);
    bool acquire(); // false while another process holds it, or when it cannot be opened

  private:
    std::string path_;
    int fd_ = -1;
};

// The autostart entry ZUBSoftPhone.desktop in $XDG_CONFIG_HOME/autostart.
class XdgAutostart final : public Autostart {
  public:
    XdgAutostart();
    explicit XdgAutostart(std::string entryPath) : entry_(std::move(entryPath)) {}
    bool runsProgram(const std::string& programPath) const override;
    bool registerProgram(const std::string& programPath) override;
    bool removeProgram() override;
    // The Exec value that runs `programPath`, quoted as desktop entries want it.
    static std::string execLine(const std::string& programPath);

  private:
    std::string entry_;
};

// The ALSA mixer of the default card.
class AlsaMixerProbe final : public MixerProbe {
  public:
    bool canOpenMixer() override;
    std::unique_ptr<Mixer> openMixer() override;
};

class ProcessInfo final : public ProgramInfo {
  public:
    std::string programPath() const override;
    std::u16string homeFolder() const override;
    static std::string programFolder();
};

// getifaddrs: the first interface other than loopback with a 6-byte hardware address.
class SystemNetwork final : public Network {
  public:
    std::optional<std::array<std::uint8_t, 6>> firstAdapterAddress() override;
    bool isConnected(const std::string& host) override;
};

// $XDG_CONFIG_HOME/ringlark/operator.conf, else operator.conf beside the program, else the defaults.
OperatorConfig loadOperatorConfig(const std::string& programFolder);
