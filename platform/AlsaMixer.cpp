#include "AlsaMixer.h"

#include <algorithm>
#include <alsa/asoundlib.h>
#include <cctype>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#include <vector>

namespace {

snd_mixer_t* openDefault() {
    snd_mixer_t* mixer = nullptr;
    if (snd_mixer_open(&mixer, 0) < 0)
        return nullptr;
    if (snd_mixer_attach(mixer, "default") < 0 || snd_mixer_selem_register(mixer, nullptr, nullptr) < 0 ||
        snd_mixer_load(mixer) < 0) {
        snd_mixer_close(mixer);
        return nullptr;
    }
    return mixer;
}

std::string nameOf(snd_mixer_elem_t* elem) {
    const char* name = snd_mixer_selem_get_name(elem);
    return name ? name : "";
}

bool isMicrophone(const std::string& name) {
    std::string lower;
    for (char c : name)
        lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower.find("mic") != std::string::npos;
}

// The channels a side of an element has, in ALSA's order.
std::vector<snd_mixer_selem_channel_id_t> channelsOf(snd_mixer_elem_t* elem, bool capture) {
    std::vector<snd_mixer_selem_channel_id_t> channels;
    const bool mono =
        capture ? snd_mixer_selem_is_capture_mono(elem) : snd_mixer_selem_is_playback_mono(elem);
    if (mono)
        return {SND_MIXER_SCHN_MONO};
    for (int c = 0; c <= SND_MIXER_SCHN_LAST; ++c) {
        const auto channel = static_cast<snd_mixer_selem_channel_id_t>(c);
        if (capture ? snd_mixer_selem_has_capture_channel(elem, channel)
                    : snd_mixer_selem_has_playback_channel(elem, channel))
            channels.push_back(channel);
    }
    return channels;
}

bool rawRange(snd_mixer_elem_t* elem, bool capture, long& minimum, long& maximum) {
    const int result = capture ? snd_mixer_selem_get_capture_volume_range(elem, &minimum, &maximum)
                               : snd_mixer_selem_get_playback_volume_range(elem, &minimum, &maximum);
    return result >= 0 && maximum > minimum;
}

MixerElement describe(snd_mixer_elem_t* elem, bool capture) {
    MixerElement element;
    element.name = nameOf(elem);
    element.index = static_cast<int>(snd_mixer_selem_get_index(elem));
    element.capture = capture;
    element.microphone = capture && isMicrophone(element.name);
    element.hasSwitch =
        capture ? snd_mixer_selem_has_capture_switch(elem) : snd_mixer_selem_has_playback_switch(elem);
    long minimum = 0, maximum = 0;
    const bool hasVolume =
        capture ? snd_mixer_selem_has_capture_volume(elem) : snd_mixer_selem_has_playback_volume(elem);
    if (hasVolume && rawRange(elem, capture, minimum, maximum)) {
        element.channels = static_cast<int>(channelsOf(elem, capture).size());
        element.minimum = 0;
        element.maximum = AlsaMixer::FullScale;
        element.steps = maximum - minimum + 1;
    }
    return element;
}

snd_mixer_elem_t* find(snd_mixer_t* mixer, const MixerElement& element) {
    snd_mixer_selem_id_t* id = nullptr;
    snd_mixer_selem_id_alloca(&id);
    snd_mixer_selem_id_set_name(id, element.name.c_str());
    snd_mixer_selem_id_set_index(id, static_cast<unsigned>(element.index));
    return snd_mixer_find_selem(mixer, id);
}

int noticeElement(snd_mixer_elem_t* elem, unsigned int mask) {
    if (mask == SND_CTL_EVENT_MASK_REMOVE || !(mask & SND_CTL_EVENT_MASK_VALUE))
        return 0;
    auto* changed =
        static_cast<std::function<void(const std::string&, int)>*>(snd_mixer_elem_get_callback_private(elem));
    if (changed && *changed)
        (*changed)(nameOf(elem), static_cast<int>(snd_mixer_selem_get_index(elem)));
    return 0;
}

} // namespace

long AlsaMixer::toFullScale(long raw, long minimum, long maximum) {
    const long long span = static_cast<long long>(maximum) - minimum;
    const long long along = std::clamp<long long>(static_cast<long long>(raw) - minimum, 0, span);
    return static_cast<long>((along * FullScale + span / 2) / span);
}

long AlsaMixer::toRaw(long value, long minimum, long maximum) {
    const long long span = static_cast<long long>(maximum) - minimum;
    const long long along = std::clamp<long long>(value, 0, FullScale);
    return static_cast<long>(minimum + (along * span + FullScale / 2) / FullScale);
}

std::unique_ptr<AlsaMixer> AlsaMixer::open() {
    snd_mixer_t* handle = openDefault();
    return handle ? std::unique_ptr<AlsaMixer>(new AlsaMixer(handle)) : nullptr;
}

AlsaMixer::~AlsaMixer() {
    stopWatching();
    snd_mixer_close(handle_);
}

std::optional<MixerElement> AlsaMixer::playbackLine() {
    // The program's own sound goes through PCM where the card has it; Master stands in otherwise.
    std::optional<MixerElement> first, master;
    for (auto* elem = snd_mixer_first_elem(handle_); elem; elem = snd_mixer_elem_next(elem)) {
        if (!snd_mixer_selem_is_active(elem) || !snd_mixer_selem_has_playback_volume(elem))
            continue;
        const std::string name = nameOf(elem);
        if (name == "PCM")
            return describe(elem, false);
        if (name == "Master" && !master)
            master = describe(elem, false);
        if (!first)
            first = describe(elem, false);
    }
    return master ? master : first;
}

std::optional<MixerElement> AlsaMixer::captureLine() {
    for (auto* elem = snd_mixer_first_elem(handle_); elem; elem = snd_mixer_elem_next(elem))
        if (snd_mixer_selem_is_active(elem) && nameOf(elem) == "Capture" &&
            (snd_mixer_selem_has_capture_volume(elem) || snd_mixer_selem_has_capture_switch(elem)))
            return describe(elem, true);
    return std::nullopt;
}

std::vector<MixerElement> AlsaMixer::captureSources() {
    std::vector<MixerElement> sources;
    for (auto* elem = snd_mixer_first_elem(handle_); elem; elem = snd_mixer_elem_next(elem))
        if (snd_mixer_selem_is_active(elem) && nameOf(elem) != "Capture" &&
            (snd_mixer_selem_has_capture_volume(elem) || snd_mixer_selem_has_capture_switch(elem)))
            sources.push_back(describe(elem, true));
    return sources;
}

std::vector<long> AlsaMixer::volume(const MixerElement& element) {
    snd_mixer_handle_events(handle_); // the values ALSA keeps are only as fresh as the events read
    snd_mixer_elem_t* elem = find(handle_, element);
    long minimum = 0, maximum = 0;
    if (!elem || !rawRange(elem, element.capture, minimum, maximum))
        return {};
    std::vector<long> values;
    for (auto channel : channelsOf(elem, element.capture)) {
        long raw = 0;
        const int result = element.capture ? snd_mixer_selem_get_capture_volume(elem, channel, &raw)
                                           : snd_mixer_selem_get_playback_volume(elem, channel, &raw);
        if (result < 0)
            return {};
        values.push_back(toFullScale(raw, minimum, maximum));
    }
    return values;
}

bool AlsaMixer::setVolume(const MixerElement& element, int channel, long value) {
    snd_mixer_elem_t* elem = find(handle_, element);
    long minimum = 0, maximum = 0;
    if (!elem || !rawRange(elem, element.capture, minimum, maximum) || value < 0 || value > FullScale)
        return false;
    const auto channels = channelsOf(elem, element.capture);
    if (channel < 0 || static_cast<std::size_t>(channel) >= channels.size())
        return false;
    const long raw = toRaw(value, minimum, maximum);
    const auto id = channels[static_cast<std::size_t>(channel)];
    return (element.capture ? snd_mixer_selem_set_capture_volume(elem, id, raw)
                            : snd_mixer_selem_set_playback_volume(elem, id, raw)) >= 0;
}

bool AlsaMixer::setSwitch(const MixerElement& element, bool on) {
    snd_mixer_elem_t* elem = find(handle_, element);
    if (!elem)
        return false;
    if (element.capture)
        return snd_mixer_selem_has_capture_switch(elem) &&
               snd_mixer_selem_set_capture_switch_all(elem, on) >= 0;
    return snd_mixer_selem_has_playback_switch(elem) &&
           snd_mixer_selem_set_playback_switch_all(elem, on) >= 0;
}

void AlsaMixer::watch(std::function<void(const std::string& name, int index)> changed) {
    stopWatching();
    if (!changed)
        return;
    // A handle of its own: ALSA handles are not to be shared between threads.
    snd_mixer_t* watched = openDefault();
    if (!watched || ::pipe2(wakeFds_, O_CLOEXEC) < 0) {
        if (watched)
            snd_mixer_close(watched);
        return;
    }
    changed_ = std::move(changed);
    watcher_ = std::thread([this, watched] { watchLoop(watched); });
}

void AlsaMixer::watchLoop(snd_mixer_t* watched) {
    for (auto* elem = snd_mixer_first_elem(watched); elem; elem = snd_mixer_elem_next(elem)) {
        snd_mixer_elem_set_callback_private(elem, &changed_);
        snd_mixer_elem_set_callback(elem, noticeElement);
    }
    const int count = snd_mixer_poll_descriptors_count(watched);
    std::vector<pollfd> fds(static_cast<std::size_t>(std::max(count, 0)) + 1);
    fds[0] = {wakeFds_[0], POLLIN, 0};
    if (count > 0)
        snd_mixer_poll_descriptors(watched, fds.data() + 1, static_cast<unsigned>(count));
    while (::poll(fds.data(), fds.size(), -1) >= 0 || errno == EINTR) {
        if (fds[0].revents)
            break;
        unsigned short events = 0;
        if (count > 0 &&
            snd_mixer_poll_descriptors_revents(watched, fds.data() + 1, static_cast<unsigned>(count),
                                               &events) >= 0 &&
            events) {
            if (events & (POLLERR | POLLHUP | POLLNVAL))
                break; // the card went away
            snd_mixer_handle_events(watched);
        } else if (count <= 0)
            break;
    }
    snd_mixer_close(watched);
}

void AlsaMixer::stopWatching() {
    if (watcher_.joinable()) {
        const char stop = 1;
        [[maybe_unused]] const auto written = ::write(wakeFds_[1], &stop, 1);
        watcher_.join();
    }
    for (int& fd : wakeFds_)
        if (fd >= 0) {
            ::close(fd);
            fd = -1;
        }
    changed_ = nullptr;
}
