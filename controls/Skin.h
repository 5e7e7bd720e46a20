#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

// The artwork of the windows: SVG images compiled into the program, and the
// style sheet that gives the buttons and labels their look.
namespace skin {

// The image `name` rendered at `size`; a null pixmap when there is no such image.
QPixmap image(const QString& name, QSize size);
QIcon appIcon();
QString styleSheet();

} // namespace skin
