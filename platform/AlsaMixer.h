#pragma once

#include "core/Ports.h"

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>

struct _snd_mixer;

// The ALSA simple mixer of the default card. Volumes are shown on 0..65535
// whatever the card's own range, so a slider means the same on every card.
class AlsaMixer final : public Mixer {
  public:
    // nullptr when the default card has no mixer.
    static std::unique_ptr<AlsaMixer> open();
    ~AlsaMixer() override;
    AlsaMixer(const AlsaMixer&) = delete;
    AlsaMixer& operator=(const AlsaMixer&) = delete;

    std::optional<MixerElement> playbackLine() override;
    std::optional<MixerElement> captureLine() override;
    std::vector<MixerElement> captureSources() override;
    std::vector<long> volume(const MixerElement& element) override;
    bool setVolume(const MixerElement& element, int channel, long value) override;
    bool setSwitch(const MixerElement& element, bool on) override;
    void watch(std::function<void(const std::string& name, int index)> changed) override;

    static constexpr long FullScale = 65535;
    // A card's raw value within minimum..maximum (maximum above minimum) on 0..FullScale, and back.
    static long toFullScale(long raw, long minimum, long maximum);
    static long toRaw(long value, long minimum, long maximum);

  private:
    explicit AlsaMixer(_snd_mixer* handle) : handle_(handle) {}
    void stopWatching();
    void watchLoop(_snd_mixer* watched);

    _snd_mixer* handle_;
    std::function<void(const std::string&, int)> changed_;
    std::thread watcher_;
    int wakeFds_[2] = {-1, -1}; // ends the watcher's poll
};
