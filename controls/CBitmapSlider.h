#pragma once

#include <optional>

// How a skinned slider answers the mouse and the keys, in pixels along its
// channel; the widget draws it and hands it the pointer's place. No toolkit here.
class CBitmapSlider {
  public:
    enum class Report { Moving, Moved };
    struct Notice {
        Report report;
        int position;
        bool operator==(const Notice&) const = default;
    };
    enum class SliderKey { PageUp, PageDown, Home, End, Left, Up, Right, Down };

    // The channel's length and the thumb's, along the slider; margins at both ends of the channel.
    void setGeometry(int channelLength, int thumbLength, int marginStart = 0, int marginEnd = 0);
    // Position 0 at the far end of the channel (the right, or the bottom).
    void setReversed(bool reversed) { reversed_ = reversed; }
    void setRange(int minimum, int maximum);
    void setPageSize(int pageSize) { pageSize_ = pageSize; }
    void setPosition(int position); // from the program: clamped, reported to nobody
    void setEnabled(bool enabled);

    int position() const { return position_; }
    int minimum() const { return minimum_; }
    int maximum() const { return maximum_; }
    bool dragging() const { return dragging_; }
    int thumbCentre() const; // in pixels from the channel's start

    // The pointer at `at` pixels along the channel.
    std::optional<Notice> press(int at);
    std::optional<Notice> drag(int at);
    std::optional<Notice> release();
    std::optional<Notice> key(SliderKey key);

  private:
    int positionAt(int centre) const;
    int clamp(int position) const;
    std::optional<Notice> follow(int centre);

    int channel_ = 0, thumb_ = 0, marginStart_ = 0, marginEnd_ = 0;
    bool reversed_ = false;
    int minimum_ = 0, maximum_ = 100, position_ = 0, pageSize_ = 10;
    bool enabled_ = true, dragging_ = false;
    int dragOffset_ = 0; // pointer minus thumb centre, kept through a drag
};
