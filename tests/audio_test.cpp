// The speaker and microphone volumes over a mixer in memory, the main window's
// sliders driving them, and the real ALSA mixer on a machine without a card.
#include "audio/CVolumeInXXX.h"
#include "audio/CVolumeOutWave.h"
#include "core/Text.h"
#include "platform/AlsaMixer.h"
#include "platform/DataFolder.h"
#include "platform/Platform.h"
#include "support/Fakes.h"

#include <gtest/gtest.h>

using namespace res;

namespace {

struct Volumes : testing::Test {
    FakeMixer card;
    QueuePoster poster;
    const std::string pcm = FakeMixer::key(*card.playback);
    const std::string mic = "Mic capture 0";
    const std::string line = "Line capture 0";
    const std::string capture = "Capture capture 0";

    std::vector<FakeMixer::Set> setsOf(const std::string& element) const {
        std::vector<FakeMixer::Set> found;
        for (const auto& set : card.sets)
            if (set.element == element)
                found.push_back(set);
        return found;
    }
};

void expectUnavailable(IVolume& volume) {
    EXPECT_FALSE(volume.IsAvailable());
    EXPECT_EQ(volume.GetVolumeSteps(), -1);
    EXPECT_EQ(volume.GetMinimum(), -1);
    EXPECT_EQ(volume.GetMaximum(), -1);
    EXPECT_EQ(volume.GetVolume(), -1);
    volume.SetVolume(0);
    volume.SetVolume(30000);
    volume.Enable();
    volume.Disable();
}

} // namespace

TEST_F(Volumes, PlaybackVolumeReadsTheFirstChannelAndSetsEveryChannel) {
    CVolumeOutWave speaker(card, poster);
    ASSERT_TRUE(speaker.IsAvailable());
    EXPECT_EQ(speaker.GetMinimum(), 0);
    EXPECT_EQ(speaker.GetMaximum(), 65535);
    EXPECT_EQ(speaker.GetVolumeSteps(), 65536);
    card.volumes[pcm] = {1234, 5678};
    EXPECT_EQ(speaker.GetVolume(), 1234);

    speaker.SetVolume(40000);
    EXPECT_EQ(card.sets, (std::vector<FakeMixer::Set>{{pcm, 0, 40000}, {pcm, 1, 40000}}));
    EXPECT_EQ(speaker.GetVolume(), 40000);
}

TEST_F(Volumes, SetsOutsideTheControlsRangeAreIgnored) {
    card.playback->minimum = 10;
    card.playback->maximum = 100;
    card.playback->steps = 91;
    struct Case {
        unsigned long value;
        bool taken;
    };
    const Case cases[] = {{0, false},  {9, false},   {10, true},     {55, true},
                          {100, true}, {101, false}, {65535, false}, {~0ul, false}};
    CVolumeOutWave speaker(card, poster);
    ASSERT_TRUE(speaker.IsAvailable());
    for (const auto& c : cases) {
        card.sets.clear();
        speaker.SetVolume(c.value);
        EXPECT_EQ(card.sets.size(), c.taken ? 2u : 0u) << c.value;
    }
}

TEST_F(Volumes, NoUsableVolumeLeavesTheObjectsUnavailable) {
    struct Case {
        const char* what;
        std::function<void(FakeMixer&)> arrange;
    };
    const Case cases[] = {
        {"no sound card", [](FakeMixer& c) { c.present = false; }},
        {"no playback line, no capture line",
         [](FakeMixer& c) {
             c.playback.reset();
             c.captureLine.reset();
             c.sources.clear();
         }},
        {"controls without a volume",
         [](FakeMixer& c) {
             c.playback = FakeMixer::element("PCM", false, 0, true);
             c.sources = {FakeMixer::element("Mic", true, 0, true, true)};
         }},
        {"a volume with a single value",
         [](FakeMixer& c) {
             c.playback->maximum = 0;
             c.sources[1].maximum = 0;
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeMixer fresh;
        c.arrange(fresh);
        CVolumeOutWave speaker(fresh, poster);
        CVolumeInXXX microphone(fresh, poster, 1);
        expectUnavailable(speaker);
        expectUnavailable(microphone);
        EXPECT_TRUE(fresh.sets.empty());
    }
}

TEST_F(Volumes, AnUnreadableVolumeReadsMinusOne) {
    CVolumeOutWave speaker(card, poster);
    card.readable = false;
    EXPECT_TRUE(speaker.IsAvailable());
    EXPECT_EQ(speaker.GetVolume(), -1);
}

TEST_F(Volumes, PlaybackEnableSwitchesTheLineOnAndDisableOff) {
    CVolumeOutWave speaker(card, poster);
    speaker.Disable();
    EXPECT_FALSE(card.switches.at(pcm));
    speaker.Enable();
    EXPECT_TRUE(card.switches.at(pcm));
    EXPECT_TRUE(card.sets.empty()) << "the volume stays as it was";

    FakeMixer noSwitch;
    noSwitch.playback->hasSwitch = false;
    CVolumeOutWave plain(noSwitch, poster);
    plain.Disable();
    EXPECT_TRUE(noSwitch.switches.empty());
}

TEST_F(Volumes, CaptureVolumeIsTheChosenSourcesAndEnableSelectsOnlyIt) {
    CVolumeInXXX microphone(card, poster, 1);
    ASSERT_TRUE(microphone.IsAvailable());
    EXPECT_EQ(microphone.microphoneSource(), 1);
    microphone.SetVolume(65535);
    EXPECT_EQ(card.sets, (std::vector<FakeMixer::Set>{{mic, 0, 65535}}));

    card.switches[line] = true;
    microphone.Enable();
    EXPECT_EQ(card.switches, (std::map<std::string, bool>{{capture, true}, {line, false}, {mic, true}}));
    microphone.Disable();
    EXPECT_EQ(card.switches, (std::map<std::string, bool>{{capture, true}, {line, false}, {mic, true}}));

    CVolumeInXXX lineIn(card, poster, 0);
    lineIn.Enable();
    EXPECT_TRUE(card.switches[line]);
    EXPECT_FALSE(card.switches[mic]);
    EXPECT_EQ(lineIn.microphoneSource(), 1) << "the microphone is found whichever source is chosen";
}

TEST_F(Volumes, ASourceTheLineDoesNotHaveIsUnavailableAndSelectsNothing) {
    for (int index : {-1, 2, 1000}) {
        SCOPED_TRACE(index);
        CVolumeInXXX missing(card, poster, index);
        expectUnavailable(missing);
        EXPECT_TRUE(card.switches.empty());
        EXPECT_TRUE(card.sets.empty());
    }
}

TEST_F(Volumes, FindMicrophoneSourceVisitsTheSourcesInOrderUntilTold) {
    card.sources.push_back(FakeMixer::element("Headset Mic", true, 1, true, true));
    std::vector<std::string> visited;
    EXPECT_TRUE(FindMicrophoneSource(card, [&](int index, const MixerElement& source) {
        visited.push_back(std::to_string(index) + " " + source.name);
        return !source.microphone;
    }));
    EXPECT_EQ(visited, (std::vector<std::string>{"0 Line", "1 Mic"}));
    EXPECT_EQ(card.openMixers, 0) << "the mixer it opened is closed again";

    FakeMixer noCard;
    noCard.present = false;
    FakeMixer noCaptureLine;
    noCaptureLine.captureLine.reset();
    noCaptureLine.sources.clear();
    for (FakeMixer* unreachable : {&noCard, &noCaptureLine})
        EXPECT_FALSE(FindMicrophoneSource(*unreachable, [](int, const MixerElement&) { return true; }));
}

TEST_F(Volumes, ChangesMadeElsewhereReachTheCallbackOnTheUserInterfaceThread) {
    CVolumeOutWave speaker(card, poster);
    std::vector<long> heard;
    IVolume* from = nullptr;
    speaker.SetChangeCallback([&](IVolume& volume, long value) {
        from = &volume;
        heard.push_back(value);
    });
    card.changeElsewhere(*card.playback, 12000);
    EXPECT_TRUE(heard.empty()) << "not on the mixer's thread";
    poster.runAll();
    EXPECT_EQ(heard, std::vector<long>{12000});
    EXPECT_EQ(from, &speaker);

    card.changeElsewhere(card.sources[1], 500); // not this object's volume
    poster.runAll();
    card.readable = false;
    card.changeElsewhere(*card.playback, 7); // unreadable: nothing to tell
    poster.runAll();
    EXPECT_EQ(heard, std::vector<long>{12000});
}

TEST_F(Volumes, ANoticeLeftOverFromAGoneObjectIsDropped) {
    int calls = 0;
    {
        CVolumeInXXX microphone(card, poster, 1);
        microphone.SetChangeCallback([&](IVolume&, long) { ++calls; });
        card.changeElsewhere(card.sources[1], 3000);
        ASSERT_EQ(card.watchers.size(), 1u);
    }
    EXPECT_TRUE(card.watchers.empty());
    EXPECT_EQ(card.openMixers, 0);
    poster.runAll();
    EXPECT_EQ(calls, 0);
}

TEST(AlsaVolumes, WithoutASoundCardEverythingIsUnavailableAndNothingCrashes) {
    AlsaMixerProbe alsa;
    if (alsa.canOpenMixer())
        GTEST_SKIP() << "this machine has a sound card; its volumes are not the test's to change";
    EXPECT_EQ(alsa.openMixer(), nullptr);
    QueuePoster poster;
    CVolumeOutWave speaker(alsa, poster);
    CVolumeInXXX microphone(alsa, poster, 0);
    expectUnavailable(speaker);
    expectUnavailable(microphone);
    EXPECT_FALSE(FindMicrophoneSource(alsa, [](int, const MixerElement&) { return true; }));
    EXPECT_TRUE(poster.tasks.empty());
}

TEST(AlsaVolumes, EveryCardsRangeIsShownOn0To65535AndBack) {
    struct Range {
        long minimum, maximum;
    };
    const Range ranges[] = {{0, 87}, {0, 31}, {0, 1}, {-10239, 400}, {0, 65536}, {0, 2147483647}};
    for (const auto& r : ranges) {
        SCOPED_TRACE(std::to_string(r.minimum) + ".." + std::to_string(r.maximum));
        EXPECT_EQ(AlsaMixer::toFullScale(r.minimum, r.minimum, r.maximum), 0);
        EXPECT_EQ(AlsaMixer::toFullScale(r.maximum, r.minimum, r.maximum), 65535);
        EXPECT_EQ(AlsaMixer::toRaw(0, r.minimum, r.maximum), r.minimum);
        EXPECT_EQ(AlsaMixer::toRaw(65535, r.minimum, r.maximum), r.maximum);
        // A value the card reports comes back as itself when set again, as near as 0..65535 can hold it.
        const long span = r.maximum - r.minimum;
        const long slack = span / 65535;
        for (long raw : {r.minimum + span / 3, r.minimum + span / 2, r.maximum - 1}) {
            const long back =
                AlsaMixer::toRaw(AlsaMixer::toFullScale(raw, r.minimum, r.maximum), r.minimum, r.maximum);
            EXPECT_LE(std::abs(back - raw), slack) << raw;
        }
        // A card reporting beyond its own range shows the nearest end.
        EXPECT_EQ(AlsaMixer::toFullScale(r.maximum + 5, r.minimum, r.maximum), 65535);
        EXPECT_EQ(AlsaMixer::toFullScale(r.minimum - 5, r.minimum, r.maximum), 0);
    }
}

namespace {

struct MainWindowVolumes : testing::Test {
    TempDir temp;
    DataFolder files{(temp.path() / "Ringlark").string()};
    FakePlatform platform;
    FakeMixer& card = platform.mixer;
    FakeView view;
    CZUBSoftPhoneDlg main{platform.window(files)};
    const std::string pcm = FakeMixer::key(*card.playback);
    const std::string mic = "Mic capture 0";

    void open() {
        ASSERT_TRUE(files.ensureFolder());
        main.replyText = fromUtf8(sampleProvisioningReply());
        main.userName = u"demo";
        platform.http.queueScrambled("prepaid#12.40");
        main.attach(&view);
        main.onInitDialog();
    }
};

} // namespace

TEST_F(MainWindowVolumes, StartShowsTheSlidersHalfWayWithBothVolumesFull) {
    card.sources.insert(card.sources.begin(), FakeMixer::element("Aux", true, 1, true));
    open();
    for (int id : {MicSlider, SpeakerSlider}) {
        EXPECT_EQ(view.at(id).position, 32000) << id;
        EXPECT_EQ(view.at(id).maximum, 65535) << id;
    }
    EXPECT_EQ(card.volumes[pcm], (std::vector<long>{65535, 65535}));
    EXPECT_EQ(card.volumes[mic], std::vector<long>{65535});
    EXPECT_TRUE(card.switches.at(pcm)) << "the playback line is switched on";
    EXPECT_TRUE(view.messages.empty());
}

TEST_F(MainWindowVolumes, DraggingASliderSetsItsVolumeTopLoudest) {
    open();
    struct Case {
        int slider;
        int position;
        const std::string& element;
        long volume;
    };
    const Case cases[] = {{SpeakerSlider, 0, pcm, 65535},
                          {SpeakerSlider, 65535, pcm, 0},
                          {SpeakerSlider, 32000, pcm, 33535},
                          {MicSlider, 1, mic, 65534},
                          {MicSlider, 65000, mic, 535}};
    for (const auto& c : cases) {
        card.sets.clear();
        main.onSliderMoving(c.slider, c.position);
        ASSERT_FALSE(card.sets.empty()) << c.slider << " at " << c.position;
        for (const auto& set : card.sets) {
            EXPECT_EQ(set.element, c.element);
            EXPECT_EQ(set.value, c.volume);
        }
    }
}

TEST_F(MainWindowVolumes, OnlyADragChangesAVolume) {
    open();
    card.sets.clear();
    main.onSliderMoved(SpeakerSlider, 1000); // released, clicked or keyed
    main.onSliderMoved(MicSlider, 1000);
    main.onSliderMoving(SpeakerSlider, -1); // nothing a slider of 0-65535 reports
    main.onSliderMoving(SpeakerSlider, 70000);
    main.onSliderMoving(Call, 1000);
    EXPECT_TRUE(card.sets.empty());
}

TEST_F(MainWindowVolumes, WithoutAMicrophoneOnlyTheSpeakerFollowsItsSlider) {
    card.sources = {FakeMixer::element("Line", true, 2, true)};
    open();
    ASSERT_NE(main.microphoneVolume(), nullptr);
    EXPECT_FALSE(main.microphoneVolume()->IsAvailable());
    card.sets.clear();
    main.onSliderMoving(MicSlider, 100);
    EXPECT_TRUE(card.sets.empty());
    main.onSliderMoving(SpeakerSlider, 100);
    EXPECT_FALSE(card.sets.empty());
    EXPECT_TRUE(view.messages.empty()) << "nothing is reported beyond the start-up message";
}

TEST_F(MainWindowVolumes, WithoutASoundCardOnlyTheStartUpMessageIsShown) {
    card.present = false;
    open();
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text, u"Sound Card Not Detected ");
    EXPECT_FALSE(main.speakerVolume()->IsAvailable());
    EXPECT_FALSE(main.microphoneVolume()->IsAvailable());
    main.onSliderMoving(SpeakerSlider, 100);
    main.onSliderMoving(MicSlider, 100);
    EXPECT_EQ(view.at(SpeakerSlider).position, 32000);
    EXPECT_EQ(view.messages.size(), 1u);
    EXPECT_TRUE(card.sets.empty());
}
