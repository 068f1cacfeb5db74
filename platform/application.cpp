#include "application.h"

#include <fcntl.h>
#include <unistd.h>
#include <QApplication>
#include <QSessionManager>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "runtime.h"

namespace platform {
namespace {

int signalPipe[2] = {-1, -1};
bool started = false;  // until the display is open, Qt's own complaints about it are not shown

void onSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const auto written = write(signalPipe[1], &byte, 1);
}

bool set(const char* name) {
    return std::getenv(name) != nullptr && *std::getenv(name) != '\0';
}

// Absolute window positions, outlines and the always-on-top band need X11: on a Wayland session the program
// runs through XWayland, unless the user has chosen a Qt platform.
bool chooseDisplay() {
    if (set("QT_QPA_PLATFORM") && std::strcmp(std::getenv("QT_QPA_PLATFORM"), "xcb") != 0) return true;
    if (!set("DISPLAY")) {
        std::fprintf(stderr,
                     set("WAYLAND_DISPLAY")
                         ? "kavimo: this Wayland session offers no X display (DISPLAY is not set): Kavimo "
                           "needs XWayland, which GNOME and KDE start for it\n"
                         : "kavimo: no X display to open (DISPLAY is not set); Kavimo needs an X11 desktop "
                           "or XWayland\n");
        return false;
    }
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    // The windows are small: their pictures go to the X server inside the requests, which is cheaper than
    // shared memory, with its segment and round trip to the X server for each window, and a wait before
    // each painting until the X server has read the last one.
    if (!set("QT_XCB_NO_MITSHM")) setenv("QT_XCB_NO_MITSHM", "1", 1);
    return true;
}

void onQtMessage(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtFatalMsg) {
        // The platform could not start: most often the X display cannot be opened.
        std::fprintf(stderr, "kavimo: cannot open the X display %s\n",
                     set("DISPLAY") ? std::getenv("DISPLAY") : "");
        _exit(1);
    }
    if (started && type != QtDebugMsg) std::fprintf(stderr, "%s\n", qPrintable(message));
}

// By now the platform, its theme and its input method are loaded; the desktop's style, which may come from a
// plugin too, is made next. Nothing the program does later needs a plugin: its pictures are BMP and PNG,
// which Qt reads itself. Without plugin folders, reading a picture no longer loads every image format plugin
// (GIF, ICO, JPEG with libjpeg) only to ask each whether it would rather read a BMP.
void closePluginFolders() {
    QApplication::style();
    QCoreApplication::setLibraryPaths({});
}

void catchSessionEnd(QApplication& app, const std::function<void()>& orderlyEnd) {
    if (pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) == 0) {
        auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &app);
        QObject::connect(notifier, &QSocketNotifier::activated, &app, [orderlyEnd] { orderlyEnd(); });
        struct sigaction action {};
        action.sa_handler = onSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        for (int signal : {SIGTERM, SIGHUP, SIGINT}) sigaction(signal, &action, nullptr);
    }
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &app,
                     [orderlyEnd](QSessionManager&) { orderlyEnd(); });
}

}  // namespace

int Run(int argc, char** argv, const std::function<void()>& start, const std::function<void()>& orderlyEnd) {
    if (!chooseDisplay()) return 1;
    qInstallMessageHandler(onQtMessage);
    // The command line is the program's own: Qt sees the program's name only, and no option of its own
    // (-reverse, -style, -session) takes anything away from it or changes the windows.
    KeepCommandLine(argc, argv);
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    started = true;
    QApplication::setApplicationName("Kavimo");
    QApplication::setQuitOnLastWindowClosed(false);  // the program ends only through its menu or the session
    closePluginFolders();
    catchSessionEnd(app, orderlyEnd);
    start();
    return QApplication::exec();
}

}  // namespace platform
