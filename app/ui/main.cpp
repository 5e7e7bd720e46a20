#include "QtShell.h"
#include "QtSound.h"
#include "QtUi.h"
#include "app/CZUBSoftPhoneApp.h"
#include "platform/DataFolder.h"
#include "platform/EngineLibrary.h"
#include "platform/HttpClient.h"
#include "platform/Platform.h"

#include <QApplication>
#include <QSessionManager>
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

void onTerminate(int) {
    const char byte = 1;
    [[maybe_unused]] auto written = ::write(signalPipe[1], &byte, 1);
}

} // namespace

int main(int argc, char** argv) {
    // Nothing here draws with OpenGL; its integration would load Mesa and LLVM for nothing.
    if (!qEnvironmentVariableIsSet("QT_XCB_GL_INTEGRATION"))
        qputenv("QT_XCB_GL_INTEGRATION", "none");
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ringlark"));
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setFallbackSessionManagementEnabled(false);

    DataFolder dataFolder(DataFolder::defaultPath());
    InstanceLock lock(InstanceLock::defaultPath(dataFolder.folder()));
    EngineLibrary engine(ProcessInfo::programFolder());
    QtUi ui;
    QtClock clock;
    AlsaMixerProbe mixer;
    XdgAutostart autostart;
    ProcessInfo program;
    HttpClient http;
    SystemNetwork network;
    QtShell shell;
    QtPoster poster;
    QtSound sound(ProcessInfo::programFolder());
    const OperatorConfig operatorConfig = loadOperatorConfig(ProcessInfo::programFolder());

    CZUBSoftPhoneApp app({[&] { return lock.acquire(); },
                          {ui, dataFolder, engine, clock, mixer, autostart, program, http, network, shell,
                           poster, operatorConfig, sound}});

    // SIGTERM, SIGINT and SIGHUP (log-out, shutdown, Ctrl+C, the terminal closing): save and leave
    // without asking.
    auto endSession = [&] {
        QtUi::dismissNestedModals();
        app.endSession();
    };
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) == 0) {
        auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &application);
        QObject::connect(notifier, &QSocketNotifier::activated, [&] {
            char byte;
            [[maybe_unused]] auto got = ::read(signalPipe[0], &byte, 1);
            endSession();
        });
        struct sigaction action {};
        action.sa_handler = onTerminate;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        sigaction(SIGTERM, &action, nullptr);
        sigaction(SIGINT, &action, nullptr);
        sigaction(SIGHUP, &action, nullptr);
    }
    QObject::connect(&application, &QGuiApplication::commitDataRequest,
                     [&](QSessionManager&) { endSession(); });

    return app.run();
}
