#pragma once

#include "MixerVolume.h"

#include <functional>
#include <vector>

// The volume of one source of the default card's capture line, normally the microphone.
class CVolumeInXXX final : public MixerVolume {
  public:
    // `sourceIndex` counts the capture line's sources; one the line does not have
    // (-1 among them) leaves the object unavailable.
    CVolumeInXXX(MixerProbe& probe, UiPoster& poster, int sourceIndex);
    // Selects this object's source for recording, and only it, and switches the capture line on.
    void Enable() override;
    void Disable() override {} // recording keeps the source it has
    int sourceIndex() const { return sourceIndex_; }
    int microphoneSource() const { return microphoneSource_; } // the first microphone, -1 when none

  private:
    int sourceIndex_;
    int microphoneSource_ = -1;
    bool lineFound_ = false;
    std::optional<MixerElement> captureLine_;
    std::vector<MixerElement> sources_;
};

// Calls `visit(index, source)` for each source of the default card's capture line
// until it returns false; false when the mixer or its capture line cannot be reached.
bool FindMicrophoneSource(MixerProbe& probe,
                          const std::function<bool(int index, const MixerElement& source)>& visit);
