// The volume sliders of the real main window, offscreen: a drag sets the
// volume as it goes, a click or a key sets none.
#include "app/CZUBSoftPhoneDlg.h"
#include "app/ui/QtUi.h"
#include "controls/QtDialogHost.h"
#include "core/Text.h"
#include "platform/DataFolder.h"
#include "support/Fakes.h"

#include <QSlider>
#include <QStyleOptionSlider>
#include <QtTest>

using namespace res;

namespace {

QPoint handleCentre(QSlider* slider) {
    QStyleOptionSlider option;
    option.initFrom(slider);
    option.orientation = slider->orientation();
    option.minimum = slider->minimum();
    option.maximum = slider->maximum();
    option.sliderPosition = option.sliderValue = slider->value();
    option.upsideDown = slider->invertedAppearance();
    option.subControls = QStyle::SC_All;
    return slider->style()
        ->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, slider)
        .center();
}

void sendMouse(QSlider* slider, QEvent::Type type, QPoint at) {
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, at, slider->mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
    QApplication::sendEvent(slider, &event);
}

} // namespace

class AudioWindowsTest : public QObject {
    Q_OBJECT

  private slots:
    void draggingTheSpeakerSliderSetsThePlaybackVolume() {
        TempDir temp;
        DataFolder files((temp.path() / "Ringlark").string());
        QVERIFY(files.ensureFolder());
        FakePlatform platform;
        QtUi ui;
        CZUBSoftPhoneDlg main(platform.window(files, ui));
        main.replyText = fromUtf8(sampleProvisioningReply());
        main.userName = u"demo";
        platform.http.queueScrambled("prepaid#12.40");
        QtDialogHost host(*findDialog(DlgMain), main);
        main.onInitDialog();
        host.show();
        QVERIFY(QTest::qWaitForWindowExposed(&host));

        auto* speaker = qobject_cast<QSlider*>(host.control(SpeakerSlider));
        QVERIFY(speaker);
        QCOMPARE(speaker->value(), 32000);
        const std::string pcm = FakeMixer::key(*platform.mixer.playback);
        QCOMPARE(platform.mixer.volumes[pcm], (std::vector<long>{65535, 65535}));

        // The right end is the loudest: dragging right raises the volume step by step.
        platform.mixer.sets.clear();
        QPoint at = handleCentre(speaker);
        sendMouse(speaker, QEvent::MouseButtonPress, at);
        std::vector<long> heard;
        for (int step = 0; step < 3; ++step) {
            at.rx() += 10;
            sendMouse(speaker, QEvent::MouseMove, at);
            QCOMPARE(platform.mixer.volumes[pcm],
                     (std::vector<long>{65535 - speaker->value(), 65535 - speaker->value()}));
            heard.push_back(platform.mixer.volumes[pcm][0]);
        }
        QVERIFY2(heard[0] > 65535 - 32000 && heard[0] < heard[1] && heard[1] < heard[2],
                 "each step of the drag is heard, louder to the right");
        const auto setsWhileDragging = platform.mixer.sets.size();
        sendMouse(speaker, QEvent::MouseButtonRelease, at);
        QCOMPARE(platform.mixer.sets.size(), setsWhileDragging);

        // A click beside the handle and a key move it, but set no volume.
        const int before = speaker->value();
        sendMouse(speaker, QEvent::MouseButtonPress, QPoint(2, speaker->height() / 2));
        sendMouse(speaker, QEvent::MouseButtonRelease, QPoint(2, speaker->height() / 2));
        QTest::keyClick(speaker, Qt::Key_Home);
        QVERIFY(speaker->value() != before);
        QCOMPARE(platform.mixer.sets.size(), setsWhileDragging);

        // The microphone slider drives the microphone.
        auto* mic = qobject_cast<QSlider*>(host.control(MicSlider));
        platform.mixer.sets.clear();
        at = handleCentre(mic);
        sendMouse(mic, QEvent::MouseButtonPress, at);
        sendMouse(mic, QEvent::MouseMove, at + QPoint(-15, 0));
        sendMouse(mic, QEvent::MouseButtonRelease, at + QPoint(-15, 0));
        QVERIFY(!platform.mixer.sets.empty());
        for (const auto& set : platform.mixer.sets)
            QCOMPARE(set.element, std::string("Mic capture 0"));
        QCOMPARE(platform.mixer.volumes["Mic capture 0"][0], long(65535 - mic->value()));
    }
};

QTEST_MAIN(AudioWindowsTest)
#include "audio_windows_test.moc"
