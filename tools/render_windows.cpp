// Renders every dialog of the program into <folder>/<id>-<title>.png, the
// main window as it looks after start-up, so the look can be reviewed
// without a display: QT_QPA_PLATFORM=offscreen render_windows out/
#include "controls/QtDialogHost.h"
#include "resources/ResourceIds.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>

#include <cstdio>

namespace {

class Still : public DialogLogic {
  public:
    explicit Still(int id) : id_(id) {}
    int dialogId() const override { return id_; }

  private:
    int id_;
};

// Sample texts where the running program would fill labels.
void fillSample(QtDialogHost& host) {
    if (host.logic().dialogId() == res::DlgMain) {
        host.setText(res::HeaderLabel, u"Ringlark Telecom");
        host.setText(res::NumberLabel, u"0044 20 7946 0018");
        host.setText(res::StatusLabel, u"Ready : demo");
        host.setText(res::DurationLabel, u"00:01:12");
        host.setText(res::BalanceLabel, u"Balance : 12.40");
        host.setText(res::FooterLabel, u"www.ringlark.example");
    } else if (host.logic().dialogId() == res::DlgLogin) {
        host.setText(res::UserNameEdit, u"demo");
        host.setText(res::PasswordEdit, u"secret");
        host.setText(res::LoginStatus, u"Registering...Please wait");
    } else if (host.logic().dialogId() == res::DlgSettings) {
        host.addTreeItem(res::SettingsTree, u"General");
        for (int id : {res::OptConfirmOnClose, res::OptPromptUpgrade, res::OptLettersToDigits,
                       res::OptSendMessage, res::OptPlaceCall, res::OptRecordingFolder})
            host.setVisible(id, false);
        host.setDown(res::OptAlwaysOnTop, true);
        host.setText(res::OptCallsPerList, u"10");
    } else if (host.logic().dialogId() == res::DlgSipLogin) {
        host.setText(res::SipDomainEdit, u"sip.ringlark.example");
        host.setText(res::SipPhoneIdEdit, u"4420794600");
        host.setText(res::SipPhonePinEdit, u"1234");
    }
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("windows");
    QDir().mkpath(folder);
    int failures = 0;
    for (const auto& dialog : res::allDialogs()) {
        Still logic(dialog.id);
        QtDialogHost host(dialog, logic);
        fillSample(host);
        host.show();
        host.applyShape();
        QApplication::processEvents();
        QString title = QString::fromUtf16(dialog.title.data(), int(dialog.title.size()));
        title.replace(' ', '-');
        const QString file = QStringLiteral("%1/%2-%3.png").arg(folder).arg(dialog.id).arg(title);
        if (!host.grab().save(file)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
            ++failures;
        } else {
            std::printf("%s\n", qPrintable(file));
        }
    }
    return failures == 0 ? 0 : 1;
}
