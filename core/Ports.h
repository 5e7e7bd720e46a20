#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "WindowPort.h"

class DialogLogic;

using Bytes = std::vector<std::uint8_t>;

// Runs windows: modal dialogs, modeless panels and message boxes without owner.
class Ui {
  public:
    virtual ~Ui() = default;
    // Builds the window for logic.dialogId(), initialises it and runs it until endDialog.
    virtual int runModal(DialogLogic& logic) = 0;
    // Builds a window that lives until destroyModeless; it starts hidden.
    virtual void createModeless(DialogLogic& logic) = 0;
    virtual void destroyModeless(DialogLogic& logic) = 0;
    virtual MessageResult messageBox(std::u16string_view text, std::u16string_view title,
                                     MessageButtons buttons) = 0;
};

// The data folder and its files.
class Files {
  public:
    virtual ~Files() = default;
    // Makes sure the folder exists. On failure prints "CreateDirectory failed (%d)\n".
    virtual bool ensureFolder() = 0;
    virtual std::optional<Bytes> read(std::string_view name) const = 0;
    // Replaces the file whole; `secret` files are readable by the owner only.
    virtual bool save(std::string_view name, std::span<const std::uint8_t> content, bool secret) = 0;
    virtual bool exists(std::string_view name) const = 0;
    virtual std::string path(std::string_view name) const = 0;
};

// Time and blocking waits. A wait keeps handling posted events, so results that
// arrive meanwhile are seen when it returns.
struct LocalTime {
    int year = 2000, month = 1, day = 1; // month 1-12
    int hour = 0, minute = 0, second = 0;
};

class Clock {
  public:
    virtual ~Clock() = default;
    virtual void wait(int milliseconds) = 0;
    virtual LocalTime now() const = 0;
};

// Sound files played asynchronously; each one replaces the one playing.
class Sound {
  public:
    virtual ~Sound() = default;
    // A tone file installed beside the program ("Ring.wav"), or an absolute path.
    virtual void play(const std::string& file, bool loop) = 0;
    virtual void stop() = 0;
};

// Hands work from any thread to the user-interface thread, in order.
class UiPoster {
  public:
    virtual ~UiPoster() = default;
    virtual void post(std::function<void()> task) = 0;
};

// One control of the sound card's mixer: the playback line, the capture line
// itself, or one source of the capture line.
struct MixerElement {
    std::string name;     // as the mixer calls it: "PCM", "Capture", "Mic"
    int index = 0;        // tells apart elements of the same name
    bool capture = false; // its capture side, not its playback side
    int channels = 0;     // of its volume; 0 when it has no volume
    long minimum = 0, maximum = 0;
    long steps = 0;         // distinct volume values
    bool hasSwitch = false; // playback: on is audible; capture: on records from it
    bool microphone = false;
};

// A mixer of the default card, opened for one volume control.
class Mixer {
  public:
    virtual ~Mixer() = default;
    // The line that carries the program's own playback.
    virtual std::optional<MixerElement> playbackLine() = 0;
    // The capture line's own control (master volume and switch), if the card has one.
    virtual std::optional<MixerElement> captureLine() = 0;
    // The capture line's sources, in the mixer's order.
    virtual std::vector<MixerElement> captureSources() = 0;
    // Every channel's value; empty when it cannot be read.
    virtual std::vector<long> volume(const MixerElement& element) = 0;
    virtual bool setVolume(const MixerElement& element, int channel, long value) = 0;
    virtual bool setSwitch(const MixerElement& element, bool on) = 0;
    // `changed` hears of changes made elsewhere, with the changed element's name
    // and index, on a thread of the mixer's own; empty stops it.
    virtual void watch(std::function<void(const std::string& name, int index)> changed) = 0;
};

// The sound card's mixer: the start-up check and the volume controls' access.
class MixerProbe {
  public:
    virtual ~MixerProbe() = default;
    virtual bool canOpenMixer() = 0;
    // nullptr when there is no mixer to open.
    virtual std::unique_ptr<Mixer> openMixer() { return nullptr; }
};

// Starting the program at log-in.
class Autostart {
  public:
    virtual ~Autostart() = default;
    virtual bool runsProgram(const std::string& programPath) const = 0;
    virtual bool registerProgram(const std::string& programPath) = 0;
    // Removes the entry whoever wrote it; true when none is left.
    virtual bool removeProgram() = 0;
};

// Facts about the running program.
class ProgramInfo {
  public:
    virtual ~ProgramInfo() = default;
    virtual std::string programPath() const = 0;
    virtual std::u16string homeFolder() const = 0;
};

// The computer's network, as the web services need it.
class Network {
  public:
    virtual ~Network() = default;
    // Hardware address of the first adapter other than loopback.
    virtual std::optional<std::array<std::uint8_t, 6>> firstAdapterAddress() = 0;
    // Whether the service on `host` can be reached at all: an interface other
    // than loopback is up, or the service itself is on loopback.
    virtual bool isConnected(const std::string& host) = 0;
};

// Hands an address to the desktop (mail program, web browser) without waiting.
class Shell {
  public:
    virtual ~Shell() = default;
    // false when no program takes the address.
    virtual bool open(const std::string& address) = 0;
};
