#include "CVolumeOutWave.h"

CVolumeOutWave::CVolumeOutWave(MixerProbe& probe, UiPoster& poster) : MixerVolume(probe, poster) {
    if (mixer())
        line_ = mixer()->playbackLine();
    takeControl(line_);
}

void CVolumeOutWave::setAudible(bool audible) {
    // The line's switch is its mute control, on meaning heard; its volume is left alone.
    if (line_ && line_->hasSwitch)
        mixer()->setSwitch(*line_, audible);
}
