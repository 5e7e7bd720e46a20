#include "CBitmapSlider.h"

#include <algorithm>
#include <cstdlib>

void CBitmapSlider::setGeometry(int channelLength, int thumbLength, int marginStart, int marginEnd) {
    channel_ = std::max(channelLength, 0);
    thumb_ = std::max(thumbLength, 0);
    marginStart_ = std::max(marginStart, 0);
    marginEnd_ = std::max(marginEnd, 0);
}

void CBitmapSlider::setRange(int minimum, int maximum) {
    minimum_ = minimum;
    maximum_ = std::max(minimum, maximum);
    position_ = clamp(position_);
}

void CBitmapSlider::setPosition(int position) {
    position_ = clamp(position);
}

void CBitmapSlider::setEnabled(bool enabled) {
    enabled_ = enabled;
    if (!enabled)
        dragging_ = false;
}

int CBitmapSlider::clamp(int position) const {
    return std::clamp(position, minimum_, maximum_);
}

int CBitmapSlider::thumbCentre() const {
    const int travel = std::max(channel_ - marginStart_ - marginEnd_ - thumb_, 0);
    const long long span = static_cast<long long>(maximum_) - minimum_;
    const int offset =
        span == 0 ? 0 : static_cast<int>((position_ - minimum_) * static_cast<long long>(travel) / span);
    const int fromStart = marginStart_ + thumb_ / 2 + offset;
    return reversed_ ? channel_ - fromStart : fromStart;
}

int CBitmapSlider::positionAt(int centre) const {
    const int travel = channel_ - marginStart_ - marginEnd_ - thumb_;
    if (travel <= 0)
        return position_;
    const int fromStart = reversed_ ? channel_ - centre : centre;
    const long long along = std::clamp(fromStart - marginStart_ - thumb_ / 2, 0, travel);
    const long long span = static_cast<long long>(maximum_) - minimum_;
    return clamp(minimum_ + static_cast<int>((along * span + travel / 2) / travel));
}

std::optional<CBitmapSlider::Notice> CBitmapSlider::follow(int centre) {
    const int moved = positionAt(centre);
    if (moved == position_)
        return std::nullopt;
    position_ = moved;
    return Notice{Report::Moving, position_};
}

std::optional<CBitmapSlider::Notice> CBitmapSlider::press(int at) {
    if (!enabled_)
        return std::nullopt;
    dragging_ = true;
    const int centre = thumbCentre();
    // Near the thumb the pointer keeps its hold where it took it; elsewhere the thumb jumps to it.
    if (2 * std::abs(at - centre) <= thumb_) {
        dragOffset_ = at - centre;
        return std::nullopt;
    }
    dragOffset_ = 0;
    return follow(at);
}

std::optional<CBitmapSlider::Notice> CBitmapSlider::drag(int at) {
    if (!enabled_ || !dragging_)
        return std::nullopt;
    return follow(at - dragOffset_);
}

std::optional<CBitmapSlider::Notice> CBitmapSlider::release() {
    if (!dragging_)
        return std::nullopt;
    dragging_ = false;
    return Notice{Report::Moved, position_};
}

std::optional<CBitmapSlider::Notice> CBitmapSlider::key(SliderKey key) {
    if (!enabled_)
        return std::nullopt;
    long long target = position_;
    switch (key) {
    case SliderKey::PageUp:
        target -= pageSize_;
        break;
    case SliderKey::PageDown:
        target += pageSize_;
        break;
    case SliderKey::Home:
        target = minimum_;
        break;
    case SliderKey::End:
        target = maximum_;
        break;
    case SliderKey::Left:
    case SliderKey::Up:
        target -= 1;
        break;
    case SliderKey::Right:
    case SliderKey::Down:
        target += 1;
        break;
    }
    position_ = static_cast<int>(std::clamp<long long>(target, minimum_, maximum_));
    return Notice{Report::Moved, position_};
}
