#include "CVolumeInXXX.h"

CVolumeInXXX::CVolumeInXXX(MixerProbe& probe, UiPoster& poster, int sourceIndex)
    : MixerVolume(probe, poster), sourceIndex_(sourceIndex) {
    if (!mixer())
        return;
    captureLine_ = mixer()->captureLine();
    sources_ = mixer()->captureSources();
    lineFound_ = captureLine_ || !sources_.empty();
    for (std::size_t i = 0; i < sources_.size(); ++i)
        if (sources_[i].microphone) {
            microphoneSource_ = static_cast<int>(i);
            break;
        }
    if (sourceIndex < 0 || static_cast<std::size_t>(sourceIndex) >= sources_.size())
        return;
    takeControl(sources_[sourceIndex]);
}

void CVolumeInXXX::Enable() {
    if (!lineFound_ || sourceIndex_ < 0 || static_cast<std::size_t>(sourceIndex_) >= sources_.size())
        return;
    for (std::size_t i = 0; i < sources_.size(); ++i)
        if (sources_[i].hasSwitch)
            mixer()->setSwitch(sources_[i], static_cast<int>(i) == sourceIndex_);
    // The line's own switch is what lets anything be recorded at all.
    if (captureLine_ && captureLine_->hasSwitch)
        mixer()->setSwitch(*captureLine_, true);
}

bool FindMicrophoneSource(MixerProbe& probe,
                          const std::function<bool(int index, const MixerElement& source)>& visit) {
    const auto mixer = probe.openMixer();
    if (!mixer)
        return false;
    const auto sources = mixer->captureSources();
    if (sources.empty() && !mixer->captureLine())
        return false;
    for (std::size_t i = 0; i < sources.size(); ++i)
        if (!visit(static_cast<int>(i), sources[i]))
            break;
    return true;
}
