#pragma once

#include <functional>

// One volume of the sound card, as the main window's sliders drive it. An
// unavailable volume answers -1 to every query and ignores every set.
class IVolume {
  public:
    // Hears of a new value set elsewhere (another mixer program, the keyboard's volume keys).
    using ChangeCallback = std::function<void(IVolume& volume, long newValue)>;

    virtual ~IVolume() = default;
    virtual bool IsAvailable() const = 0;
    // Makes the line heard (playback) or selects the source for recording (capture).
    virtual void Enable() = 0;
    virtual void Disable() = 0;
    virtual long GetVolumeSteps() const = 0;
    virtual long GetMinimum() const = 0;
    virtual long GetMaximum() const = 0;
    // The first channel's value; -1 when unavailable or unreadable.
    virtual long GetVolume() const = 0;
    // Every channel to `value`; ignored outside minimum..maximum.
    virtual void SetVolume(unsigned long value) = 0;
    // Called on the user-interface thread; an empty callback stops the notices.
    virtual void SetChangeCallback(ChangeCallback callback) = 0;
};
