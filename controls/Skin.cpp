#include "Skin.h"

#include <QFile>
#include <QPainter>
#include <QSvgRenderer>

// The artwork sits in a static library, whose resources the linker would
// otherwise drop; registering them once by hand keeps them.
static void registerArtwork() {
    static const bool registered = [] {
        Q_INIT_RESOURCE(skin);
        return true;
    }();
    (void)registered;
}

namespace skin {

QPixmap image(const QString& name, QSize size) {
    registerArtwork();
    const QString path = QStringLiteral(":/skin/%1.svg").arg(name);
    if (name.isEmpty() || !QFile::exists(path))
        return {};
    QSvgRenderer renderer(path);
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    return pixmap;
}

QIcon appIcon() {
    // Rendered once: every window and the tray use it.
    static const QIcon icon = [] {
        QIcon rendered;
        for (int size : {16, 24, 32, 48, 64, 128})
            rendered.addPixmap(image(QStringLiteral("icon"), QSize(size, size)));
        return rendered;
    }();
    return icon;
}

QString styleSheet() {
    return QStringLiteral(R"(
QDialog { background: #f4f6fa; }
QDialog[skinned="true"] { background: transparent; }
QDialog[dialog="319"] QLabel[skin="caption"], QDialog[dialog="319"] QCheckBox { font: bold 15px "Arial Black"; }
QDialog[dialog="319"] QLabel[skin="status-centred"] { font: 14px "Arial Black"; }
QDialog[dialog="225"] QCheckBox { background: #cccccc; color: #1c2430; padding: 0 4px; }
QDialog[dialog="225"] QLineEdit#c1122 { background: #ffffff; }
QDialog[dialog="134"] { background: #ffffff; }
QDialog[dialog="134"] QCheckBox, QDialog[dialog="134"] QLabel { color: #1c2430; font: 13px "DejaVu Sans"; }
QDialog[dialog="134"] QLabel[skin="group"] { font: bold 13px "DejaVu Sans"; }
QLabel { color: #e8eef8; background: transparent; }
QDialog[skinned="false"] QLabel { color: #1c2430; }
QLabel[skin="number"] { font: bold 20px "DejaVu Sans"; color: #ffffff; }
QLabel[skin="status"] { font: 12px "DejaVu Sans"; color: #9fd3ff; }
QLabel[skin="status-centred"] { font: 12px "DejaVu Sans"; color: #9fd3ff; qproperty-alignment: AlignCenter; }
QLabel[skin="caption"] { font: bold 13px "DejaVu Sans"; }
QLabel[skin="group"] { font: bold 12px "DejaVu Sans"; }
QLabel[skin="small"] { font: 11px "DejaVu Sans"; color: #c9d6e8; }
QPushButton {
    color: #ffffff; border: 1px solid #3b4a63; border-radius: 6px;
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #3d4c66, stop:1 #2a3549);
    font: 11px "DejaVu Sans";
}
QPushButton:hover { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #50618a, stop:1 #34425c); }
QPushButton:pressed, QPushButton:checked { background: #1d2636; }
QPushButton:disabled { color: #7d8799; }
QPushButton[skin="key"] { font: bold 18px "DejaVu Sans"; border-radius: 8px; }
QPushButton[skin="call"] {
    font: bold 14px "DejaVu Sans"; border-color: #2f7d46;
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #43b564, stop:1 #2b8a47);
}
QPushButton[skin="end"] {
    font: bold 14px "DejaVu Sans"; border-color: #8a2b2b;
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #d65050, stop:1 #a53434);
}
QPushButton[skin="tool"] { font: 10px "DejaVu Sans"; border-radius: 5px; }
QPushButton[skin="minimize"], QPushButton[skin="close"] {
    border: none; border-radius: 10px; font: bold 12px "DejaVu Sans"; background: #34425c;
}
QPushButton[skin="close"]:hover { background: #c94040; }
QPushButton[skin="dialog"] { color: #1c2430; background: #e3e8f0; border-color: #9aa6b8; }
QPushButton[face="hold"] { background: #b8860b; }
QPushButton[face="incoming"] { background: #2b8a47; }
QPushButton[face="conference"] { background: #5b4a9e; }
QLineEdit { border: 1px solid #9aa6b8; border-radius: 4px; padding: 2px 4px; background: #ffffff; color: #1c2430; }
QCheckBox { color: #e8eef8; }
QSlider::groove:horizontal { height: 4px; background: #1d2636; border-radius: 2px; }
QSlider::handle:horizontal { width: 12px; margin: -5px 0; border-radius: 6px; background: #9fd3ff; }
)");
}

} // namespace skin
