#include "QtBitmapSlider.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace {
constexpr int ChannelMargin = 2; // the channel's rounded ends, which the thumb never covers
}

QtBitmapSlider::QtBitmapSlider(Qt::Orientation orientation, QWidget* parent)
    : QWidget(parent), orientation_(orientation) {
    setFocusPolicy(Qt::ClickFocus);
    setAttribute(Qt::WA_Hover);
    logic_.setRange(0, 100);
    layOut();
}

void QtBitmapSlider::setRange(int minimum, int maximum) {
    logic_.setRange(minimum, maximum);
    // Page Up and Page Down move a tenth of the way, as a mouse wheel notch would feel.
    logic_.setPageSize(std::max((maximum - minimum) / 10, 1));
    update();
}

void QtBitmapSlider::setPosition(int position) {
    logic_.setPosition(position);
    update();
}

void QtBitmapSlider::setReversed(bool reversed) {
    logic_.setReversed(reversed);
    update();
}

int QtBitmapSlider::thumbLength() const {
    return orientation_ == Qt::Horizontal ? std::min(height(), 14) : std::min(width(), 14);
}

void QtBitmapSlider::layOut() {
    const int length = orientation_ == Qt::Horizontal ? width() : height();
    logic_.setGeometry(length, thumbLength(), ChannelMargin, ChannelMargin);
}

int QtBitmapSlider::along(const QPoint& at) const {
    return orientation_ == Qt::Horizontal ? at.x() : at.y();
}

QPoint QtBitmapSlider::thumbCentre() const {
    const int centre = logic_.thumbCentre();
    return orientation_ == Qt::Horizontal ? QPoint(centre, height() / 2) : QPoint(width() / 2, centre);
}

void QtBitmapSlider::tell(const std::optional<CBitmapSlider::Notice>& notice) {
    if (!notice)
        return;
    update();
    const auto& report = notice->report == CBitmapSlider::Report::Moving ? onMoving : onMoved;
    if (report)
        report(notice->position);
}

void QtBitmapSlider::resizeEvent(QResizeEvent* event) {
    layOut();
    QWidget::resizeEvent(event);
}

void QtBitmapSlider::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange)
        logic_.setEnabled(isEnabled());
    QWidget::changeEvent(event);
}

void QtBitmapSlider::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    setFocus(Qt::MouseFocusReason);
    tell(logic_.press(along(event->pos())));
    update();
}

void QtBitmapSlider::mouseDoubleClickEvent(QMouseEvent* event) {
    // A second click is a press like the first.
    mousePressEvent(event);
}

void QtBitmapSlider::mouseMoveEvent(QMouseEvent* event) {
    tell(logic_.drag(along(event->pos())));
}

void QtBitmapSlider::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        tell(logic_.release());
}

void QtBitmapSlider::keyPressEvent(QKeyEvent* event) {
    using K = CBitmapSlider::SliderKey;
    std::optional<K> key;
    switch (event->key()) {
    case Qt::Key_PageUp:
        key = K::PageUp;
        break;
    case Qt::Key_PageDown:
        key = K::PageDown;
        break;
    case Qt::Key_Home:
        key = K::Home;
        break;
    case Qt::Key_End:
        key = K::End;
        break;
    case Qt::Key_Left:
        key = K::Left;
        break;
    case Qt::Key_Up:
        key = K::Up;
        break;
    case Qt::Key_Right:
        key = K::Right;
        break;
    case Qt::Key_Down:
        key = K::Down;
        break;
    default:
        return QWidget::keyPressEvent(event);
    }
    tell(logic_.key(*key));
}

void QtBitmapSlider::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const bool horizontal = orientation_ == Qt::Horizontal;
    const QRectF channel = horizontal
                               ? QRectF(ChannelMargin, height() / 2.0 - 2, width() - 2 * ChannelMargin, 4)
                               : QRectF(width() / 2.0 - 2, ChannelMargin, 4, height() - 2 * ChannelMargin);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x1d, 0x26, 0x36));
    painter.drawRoundedRect(channel, 2, 2);

    const QPointF centre = thumbCentre();
    const qreal radius = thumbLength() / 2.0 - 0.5;
    QColor thumb = isEnabled() ? QColor(0x9f, 0xd3, 0xff) : QColor(0x7d, 0x87, 0x99);
    if (isEnabled() && (logic_.dragging() || underMouse()))
        thumb = thumb.lighter(115);
    painter.setBrush(thumb);
    painter.setPen(QPen(QColor(0x3b, 0x4a, 0x63), 1));
    painter.drawEllipse(centre, radius, radius);
}
