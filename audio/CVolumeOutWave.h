#pragma once

#include "MixerVolume.h"

// The playback volume of the default card: what the calls and the tones are heard at.
class CVolumeOutWave final : public MixerVolume {
  public:
    CVolumeOutWave(MixerProbe& probe, UiPoster& poster);
    // Switches the line on (audible) or off.
    void Enable() override { setAudible(true); }
    void Disable() override { setAudible(false); }

  private:
    void setAudible(bool audible);
    std::optional<MixerElement> line_;
};
