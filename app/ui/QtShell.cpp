#include "QtShell.h"

#include <QProcess>
#include <QString>
#include <QStringList>

namespace {

// Whether the desktop has a program registered for the scheme ("mailto" -> a mail program).
bool hasHandler(const QString& scheme) {
    QProcess query;
    query.start(QStringLiteral("xdg-mime"),
                {QStringLiteral("query"), QStringLiteral("default"), "x-scheme-handler/" + scheme});
    if (!query.waitForFinished(5000)) {
        query.kill();
        query.waitForFinished();
        return false;
    }
    return query.exitStatus() == QProcess::NormalExit && query.exitCode() == 0 &&
           !query.readAllStandardOutput().trimmed().isEmpty();
}

} // namespace

bool QtShell::open(const std::string& address) {
    const QString text = QString::fromStdString(address);
    const QString scheme = text.section(QLatin1Char(':'), 0, 0).toLower();
    // xdg-open reports a missing handler only after it has started it or not,
    // which may be long after the click; so ask first. Web pages are left to
    // xdg-open alone: it falls back to $BROWSER and the usual browsers.
    const bool web = scheme == QLatin1String("http") || scheme == QLatin1String("https");
    if (!web && !hasHandler(scheme))
        return false;
    // One argument, as written: a mail subject keeps its blanks.
    return QProcess::startDetached(QStringLiteral("xdg-open"), {text});
}
