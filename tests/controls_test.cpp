// The skinned slider's rules for the mouse and the keys, in pixels along its channel.
#include "controls/CBitmapSlider.h"

#include <gtest/gtest.h>

namespace {

using Notice = CBitmapSlider::Notice;
using Report = CBitmapSlider::Report;
using SliderKey = CBitmapSlider::SliderKey;

// A channel of 110 pixels with margins of 5 and a thumb of 10: positions 0-90
// are one pixel each, and position p has its thumb centred at 10 + p.
CBitmapSlider slider(int position = 40) {
    CBitmapSlider s;
    s.setGeometry(110, 10, 5, 5);
    s.setRange(0, 90);
    s.setPageSize(20);
    s.setPosition(position);
    return s;
}

} // namespace

TEST(BitmapSlider, APressNearTheThumbKeepsItsHoldAndAFarOneMakesTheThumbJump) {
    struct Case {
        int pressAt;
        std::optional<Notice> onPress;
        int dragTo;
        std::optional<Notice> onDrag;
    };
    const Case cases[] = {
        {50, std::nullopt, 60, Notice{Report::Moving, 50}}, // on the centre
        {53, std::nullopt, 63, Notice{Report::Moving, 50}}, // 3 right of it: the hold stays 3 right
        {45, std::nullopt, 45, std::nullopt},               // half a thumb away is still near
        {56, Notice{Report::Moving, 46}, 66,
         Notice{Report::Moving, 56}}, // further: the centre jumps to the pointer
        {20, Notice{Report::Moving, 10}, 15, Notice{Report::Moving, 5}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pressAt);
        auto s = slider(40);
        EXPECT_EQ(s.press(c.pressAt), c.onPress);
        EXPECT_TRUE(s.dragging());
        EXPECT_EQ(s.drag(c.dragTo), c.onDrag);
        EXPECT_EQ(s.release(), (Notice{Report::Moved, s.position()}));
    }
}

TEST(BitmapSlider, DraggingKeepsTheThumbBetweenTheMargins) {
    auto s = slider(40);
    s.press(50);
    EXPECT_EQ(s.drag(-1000), (Notice{Report::Moving, 0}));
    EXPECT_EQ(s.thumbCentre(), 10);
    EXPECT_EQ(s.drag(3), std::nullopt) << "no change, no notice";
    EXPECT_EQ(s.drag(1000), (Notice{Report::Moving, 90}));
    EXPECT_EQ(s.thumbCentre(), 100);
    EXPECT_EQ(s.release(), (Notice{Report::Moved, 90}));
    EXPECT_EQ(s.release(), std::nullopt);
    EXPECT_EQ(s.drag(50), std::nullopt) << "the pointer moves the thumb only while pressed";
}

TEST(BitmapSlider, KeysMoveByOneOrAPageOrToAnEndWithinTheRange) {
    struct Case {
        int from;
        SliderKey key;
        int to;
    };
    const Case cases[] = {
        {40, SliderKey::PageUp, 20},   {40, SliderKey::PageDown, 60}, {40, SliderKey::Home, 0},
        {40, SliderKey::End, 90},      {40, SliderKey::Left, 39},     {40, SliderKey::Up, 39},
        {40, SliderKey::Right, 41},    {40, SliderKey::Down, 41},     {5, SliderKey::PageUp, 0},
        {80, SliderKey::PageDown, 90}, {0, SliderKey::Left, 0},       {90, SliderKey::Down, 90}};
    for (const auto& c : cases) {
        auto s = slider(c.from);
        EXPECT_EQ(s.key(c.key), (Notice{Report::Moved, c.to})) << c.from << " key " << int(c.key);
    }
}

TEST(BitmapSlider, ADisabledSliderTakesNoInputAndDisablingEndsADrag) {
    auto s = slider(40);
    s.setEnabled(false);
    EXPECT_EQ(s.press(80), std::nullopt);
    EXPECT_EQ(s.key(SliderKey::End), std::nullopt);
    EXPECT_EQ(s.position(), 40);

    s.setEnabled(true);
    s.press(50);
    s.setEnabled(false);
    EXPECT_FALSE(s.dragging());
    EXPECT_EQ(s.drag(90), std::nullopt);
    EXPECT_EQ(s.release(), std::nullopt);
}

TEST(BitmapSlider, AReversedSliderStartsAtTheFarEnd) {
    auto s = slider(0);
    s.setReversed(true);
    EXPECT_EQ(s.thumbCentre(), 100);
    EXPECT_EQ(s.press(20), (Notice{Report::Moving, 80}));
    EXPECT_EQ(s.drag(200), (Notice{Report::Moving, 0}));
}

TEST(BitmapSlider, AWideRangeOnAShortChannelReachesBothEndsAndAProgramSetIsClamped) {
    CBitmapSlider s;
    s.setGeometry(100, 14, 2, 2);
    s.setRange(0, 65535);
    s.setPosition(70000);
    EXPECT_EQ(s.position(), 65535);
    s.setPosition(-5);
    EXPECT_EQ(s.position(), 0);
    s.press(s.thumbCentre());
    EXPECT_EQ(s.drag(1000), (Notice{Report::Moving, 65535}));
    EXPECT_EQ(s.drag(-1000), (Notice{Report::Moving, 0}));
    int last = 0;
    for (int at = 0; at < 100; ++at) { // the pointer going right never moves the thumb back
        if (auto moved = s.drag(at)) {
            EXPECT_GT(moved->position, last) << at;
            last = moved->position;
        }
    }
    EXPECT_EQ(last, 65535);
}

TEST(BitmapSlider, AChannelNoLongerThanItsThumbNeverMoves) {
    CBitmapSlider s;
    s.setGeometry(10, 14);
    s.setRange(0, 100);
    s.setPosition(30);
    EXPECT_EQ(s.press(0), std::nullopt);
    EXPECT_EQ(s.drag(50), std::nullopt);
    EXPECT_EQ(s.release(), (Notice{Report::Moved, 30}));
}
