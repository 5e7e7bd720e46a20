#include "QtShell.h"

#include <QDesktopServices>
#include <QUrl>

bool QtShell::open(const std::string& address) {
    // The address goes as written (a mail subject keeps its blanks); QUrl encodes it for the handler.
    return QDesktopServices::openUrl(QUrl(QString::fromStdString(address), QUrl::TolerantMode));
}
