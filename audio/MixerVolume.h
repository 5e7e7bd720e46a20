#pragma once

#include "IVolume.h"
#include "core/Ports.h"

#include <memory>
#include <optional>

// What the playback and the capture volume share: one mixer of their own, one
// volume element, and the notices of changes made elsewhere.
class MixerVolume : public IVolume {
  public:
    ~MixerVolume() override;
    MixerVolume(const MixerVolume&) = delete;
    MixerVolume& operator=(const MixerVolume&) = delete;

    bool IsAvailable() const override { return control_.has_value(); }
    long GetVolumeSteps() const override { return control_ ? control_->steps : -1; }
    long GetMinimum() const override { return control_ ? control_->minimum : -1; }
    long GetMaximum() const override { return control_ ? control_->maximum : -1; }
    long GetVolume() const override;
    void SetVolume(unsigned long value) override;
    void SetChangeCallback(ChangeCallback callback) override { callback_ = std::move(callback); }

  protected:
    MixerVolume(MixerProbe& probe, UiPoster& poster);
    Mixer* mixer() const { return mixer_.get(); }
    // Takes `element` as this object's volume when it has one, and starts the notices.
    void takeControl(const std::optional<MixerElement>& element);

  private:
    void changedElsewhere(const std::string& name, int index);

    std::unique_ptr<Mixer> mixer_;
    UiPoster& poster_;
    std::optional<MixerElement> control_;
    ChangeCallback callback_;
    // Notices already posted when this object goes must find it gone.
    std::shared_ptr<MixerVolume*> self_;
};
