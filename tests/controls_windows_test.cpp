// The skinned controls of the real main window, offscreen: the volume sliders
// set the volume as they are dragged, and the buttons count every click.
#include "app/CZUBSoftPhoneDlg.h"
#include "app/ui/QtUi.h"
#include "controls/QtBitmapSlider.h"
#include "controls/QtDialogHost.h"
#include "core/Text.h"
#include "platform/DataFolder.h"
#include "support/Fakes.h"
#include "support/RealMainWindow.h"

#include <QtTest>

using namespace res;

namespace {

// Logic that records the commands it is sent.
class Commands : public DialogLogic {
  public:
    int dialogId() const override { return DlgMain; }
    void onCommand(int id) override { received.push_back(id); }
    std::vector<int> received;
};

void sendMouse(QWidget* slider, QEvent::Type type, QPoint at) {
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, at, slider->mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
    QApplication::sendEvent(slider, &event);
}

} // namespace

class ControlsWindowsTest : public QObject {
    Q_OBJECT

  private slots:
    void aDoubleClickOnAButtonIsTwoPresses() {
        // Typing "55" quickly on the keypad is a double click on one key.
        Commands logic;
        QtDialogHost host(*findDialog(DlgMain), logic);
        host.show();
        QWidget* five = host.control(Key1 + 4);
        const QPoint at = five->rect().center();
        for (auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick,
                          QEvent::MouseButtonRelease})
            sendMouse(five, type, at);
        QCOMPARE(logic.received, (std::vector<int>{Key1 + 4, Key1 + 4}));
    }

    void draggingTheSpeakerSliderSetsThePlaybackVolume() {
        RealMainWindow window;
        FakePlatform& platform = window.platform;
        QtDialogHost& host = *window.host;
        QVERIFY(QTest::qWaitForWindowExposed(&host));

        auto* speaker = dynamic_cast<QtBitmapSlider*>(host.control(SpeakerSlider));
        QVERIFY(speaker);
        QCOMPARE(speaker->position(), 32000);
        const std::string pcm = FakeMixer::key(*platform.mixer.playback);
        QCOMPARE(platform.mixer.volumes[pcm], (std::vector<long>{65535, 65535}));

        // The right end is the loudest: dragging right raises the volume step by step.
        platform.mixer.sets.clear();
        QPoint at = speaker->thumbCentre();
        sendMouse(speaker, QEvent::MouseButtonPress, at);
        std::vector<long> heard;
        for (int step = 0; step < 3; ++step) {
            at.rx() += 10;
            sendMouse(speaker, QEvent::MouseMove, at);
            QCOMPARE(platform.mixer.volumes[pcm],
                     (std::vector<long>{65535 - speaker->position(), 65535 - speaker->position()}));
            heard.push_back(platform.mixer.volumes[pcm][0]);
        }
        QVERIFY2(heard[0] > 65535 - 32000 && heard[0] < heard[1] && heard[1] < heard[2],
                 "each step of the drag is heard, louder to the right");
        const auto setsWhileDragging = platform.mixer.sets.size();
        sendMouse(speaker, QEvent::MouseButtonRelease, at);
        QCOMPARE(platform.mixer.sets.size(), setsWhileDragging);

        // A click on the thumb and a key report only where the thumb ends: no volume.
        at = speaker->thumbCentre();
        sendMouse(speaker, QEvent::MouseButtonPress, at);
        sendMouse(speaker, QEvent::MouseButtonRelease, at);
        const int before = speaker->position();
        QTest::keyClick(speaker, Qt::Key_Home);
        QCOMPARE(speaker->position(), 0);
        QVERIFY(before != 0);
        QCOMPARE(platform.mixer.sets.size(), setsWhileDragging);

        // A press away from the thumb takes it there at once, and that is heard.
        const QPoint leftEnd(1, speaker->height() / 2);
        sendMouse(speaker, QEvent::MouseButtonPress, leftEnd);
        sendMouse(speaker, QEvent::MouseButtonRelease, leftEnd);
        QCOMPARE(speaker->position(), 65535);
        QCOMPARE(platform.mixer.volumes[pcm], (std::vector<long>{0, 0}));

        // The microphone slider drives the microphone.
        auto* mic = dynamic_cast<QtBitmapSlider*>(host.control(MicSlider));
        platform.mixer.sets.clear();
        at = mic->thumbCentre();
        sendMouse(mic, QEvent::MouseButtonPress, at);
        sendMouse(mic, QEvent::MouseMove, at + QPoint(-15, 0));
        sendMouse(mic, QEvent::MouseButtonRelease, at + QPoint(-15, 0));
        QVERIFY(!platform.mixer.sets.empty());
        for (const auto& set : platform.mixer.sets)
            QCOMPARE(set.element, std::string("Mic capture 0"));
        QCOMPARE(platform.mixer.volumes["Mic capture 0"][0], long(65535 - mic->position()));
    }
};

QTEST_MAIN(ControlsWindowsTest)
#include "controls_windows_test.moc"
