#include "MixerVolume.h"

MixerVolume::MixerVolume(MixerProbe& probe, UiPoster& poster)
    : mixer_(probe.openMixer()), poster_(poster), self_(std::make_shared<MixerVolume*>(this)) {}

MixerVolume::~MixerVolume() {
    if (mixer_)
        mixer_->watch(nullptr); // returns once no notice can arrive any more
    *self_ = nullptr;
}

void MixerVolume::takeControl(const std::optional<MixerElement>& element) {
    // An element without a volume, or with a single value, is no volume control.
    if (!mixer_ || !element || element->channels <= 0 || element->maximum <= element->minimum)
        return;
    control_ = element;
    mixer_->watch([this](const std::string& name, int index) { changedElsewhere(name, index); });
}

long MixerVolume::GetVolume() const {
    if (!control_)
        return -1;
    const auto values = mixer_->volume(*control_);
    return values.empty() ? -1 : values.front();
}

void MixerVolume::SetVolume(unsigned long value) {
    if (!control_ || value < static_cast<unsigned long>(std::max(control_->minimum, 0L)) ||
        value > static_cast<unsigned long>(control_->maximum))
        return;
    for (int channel = 0; channel < control_->channels; ++channel)
        mixer_->setVolume(*control_, channel, static_cast<long>(value));
}

void MixerVolume::changedElsewhere(const std::string& name, int index) {
    // On the mixer's thread: only the user-interface thread reads the mixer and calls back.
    poster_.post([self = std::weak_ptr<MixerVolume*>(self_), name, index] {
        const auto alive = self.lock();
        MixerVolume* volume = alive ? *alive : nullptr;
        if (!volume || !volume->control_ || volume->control_->name != name ||
            volume->control_->index != index)
            return;
        const long value = volume->GetVolume();
        if (value != -1 && volume->callback_)
            volume->callback_(*volume, value);
    });
}
