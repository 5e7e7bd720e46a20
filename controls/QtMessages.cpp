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
    box.setTextFormat(Qt::PlainText); // texts from the network or the files are never markup
    // A plain look of its own: the skinned windows' colours are made for their artwork.
    box.setStyleSheet(QStringLiteral(
        "QMessageBox { background: #f4f6fa; } QLabel { color: #1c2430; font: 12px \"DejaVu Sans\"; }"
        "QPushButton { color: #1c2430; background: #e3e8f0; border: 1px solid #9aa6b8; border-radius: 4px;"
        " padding: 4px 16px; min-width: 56px; }"
        "QPushButton:hover { background: #d5dce8; }"));
    return box.exec() == QMessageBox::Ok ? MessageResult::Ok : MessageResult::Cancel;
}
