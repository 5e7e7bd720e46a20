#pragma once

#include "CBitmapSlider.h"

#include <QWidget>

#include <functional>

// The skinned volume slider: a channel and a round thumb, drawn here, with
// CBitmapSlider's rules for the mouse and the keys.
class QtBitmapSlider : public QWidget {
  public:
    explicit QtBitmapSlider(Qt::Orientation orientation, QWidget* parent = nullptr);

    // What the slider tells its window: "moving" at each step of a drag, "moved" at its end or after a key.
    std::function<void(int position)> onMoving, onMoved;

    void setRange(int minimum, int maximum);
    void setPosition(int position);
    void setReversed(bool reversed);
    int position() const { return logic_.position(); }
    // The thumb's centre, in the widget's pixels.
    QPoint thumbCentre() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    int along(const QPoint& at) const;
    int thumbLength() const;
    void layOut();
    void tell(const std::optional<CBitmapSlider::Notice>& notice);

    Qt::Orientation orientation_;
    CBitmapSlider logic_;
};
