#include "QtMessages.h"

#include <QFile>
#include <QMessageBox>

MessageResult showMessage(QWidget* parent, std::u16string_view text, std::u16string_view title,
                          MessageButtons buttons) {
    const QString qtext = QString::fromUtf16(text.data(), int(text.size()));
    const QString qtitle = QString::fromUtf16(title.data(), int(title.size()));
    const QString log = qEnvironmentVariable("RINGLARK_TEST_MESSAGES");
    if (!log.isEmpty()) {
        QFile file(log);
        if (file.open(QIODevice::Append | QIODevice::Text)) {
            QString line = qtitle + '\t' + qtext;
            line.replace('\n', QStringLiteral("\\n"));
            file.write((line + '\n').toUtf8());
        }
        return MessageResult::Ok;
    }
    QMessageBox box(QMessageBox::NoIcon, qtitle, qtext,
                    buttons == MessageButtons::OkCancel ? QMessageBox::Ok | QMessageBox::Cancel
                                                        : QMessageBox::Ok,
                    parent);
    return box.exec() == QMessageBox::Ok ? MessageResult::Ok : MessageResult::Cancel;
}
