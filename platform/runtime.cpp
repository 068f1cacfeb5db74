#include "runtime.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QApplication>
#include <QEventLoop>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <thread>

#include "forms.h"

namespace platform {
namespace {

std::optional<float> twipsPerPixelOverride;
std::optional<std::uint32_t> randomSeed;
bool recordingSleeps = false;
std::vector<std::int32_t> recordedSleeps;
std::function<void()> onRecordedSleep;
std::int32_t dragFullWindows = 0;
std::mt19937 generator;
std::optional<std::string> executableOverride;
std::string commandLine;

// The program's pixels are Qt's logical pixels, which Qt scales to the screen: 96 to the inch whatever the
// screen or the scaling, so 1440 / 96 = 15 twips each, the whole number the program's conversions assume.
float twipsPerPixel() {
    return twipsPerPixelOverride.value_or(15.0f);
}

QRect screenGeometry(bool available) {
    const QScreen* screen = qGuiApp == nullptr ? nullptr : QGuiApplication::primaryScreen();
    if (screen == nullptr) return QRect(0, 0, 1024, 768);
    return available ? screen->availableGeometry() : screen->geometry();
}

// Taken once, as the program starts: the file may be replaced while it runs (an upgrade, a rebuild), and
// its link then names the old file as deleted.
const std::filesystem::path startedAs = [] {
    std::error_code error;
    const auto path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path("/kavimo") : path;
}();

std::filesystem::path executable() {
    return executableOverride.value_or(startedAs);
}

// The move loop: while it runs, every mouse event of the program comes here. The window follows the pointer,
// keeping the point that was pressed under it; the left button's release ends the loop and is swallowed.
class MoveLoop : public QObject {
  public:
    explicit MoveLoop(Window& window) : window_(&window) {
        if (const auto press = window.takePressPosition()) grabOffset_ = *press - window.placedPosition();
    }

    void run() {
        if (!grabOffset_) return;  // no press on this window started this move
        follow(window_->movePosition());
        if (!window_->leftDown()) return;  // released before the move was handled: that is where it ends
        // The press's own pointer grab brings every move and the release here, wherever the pointer goes.
        qApp->installEventFilter(this);
        loop_.exec();
        qApp->removeEventFilter(this);
    }

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
            case QEvent::MouseMove:
                follow(static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
                return true;
            case QEvent::MouseButtonRelease:
                if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
                    // Whatever the player does next (a press on another piece) is no longer the move's.
                    qApp->removeEventFilter(this);
                    if (window_) window_->leftReleased();
                    loop_.quit();
                }
                return true;
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonDblClick:
                return true;
            default:
                return false;
        }
    }

  private:
    // The point held stays four pixels inside the screen: the cell under it, snapped to the 8-pixel grid
    // after the move, then stays on the screen too, and the window manager never has to pull the window back
    // (which would part the window from the place the program gave it).
    static QPoint held(QPoint pointer) {
        const QScreen* screen = QGuiApplication::screenAt(pointer);
        if (screen == nullptr) screen = QGuiApplication::primaryScreen();
        const QRect inside = screen->geometry().adjusted(4, 4, -4, -4);
        return {std::clamp(pointer.x(), inside.left(), inside.right()),
                std::clamp(pointer.y(), inside.top(), inside.bottom())};
    }

    void follow(QPoint pointer) {
        if (window_) window_->moveTo(held(pointer) - *grabOffset_);
    }

    QPointer<Window> window_;
    std::optional<QPoint> grabOffset_;
    QEventLoop loop_;
};

}  // namespace

namespace Screen {
float TwipsPerPixelX() {
    return twipsPerPixel();
}
float TwipsPerPixelY() {
    return twipsPerPixel();
}
float Width() {
    return static_cast<float>(screenGeometry(false).width() * TwipsPerPixelX());
}
float Height() {
    return static_cast<float>(screenGeometry(false).height() * TwipsPerPixelY());
}
int WorkAreaBottom() {
    const QRect area = screenGeometry(true);
    return area.y() + area.height();
}
Area MonitorAt(float x, float y) {
    const float perX = TwipsPerPixelX(), perY = TwipsPerPixelY();
    const QScreen* screen =
        qGuiApp == nullptr ? nullptr : QGuiApplication::screenAt(QPoint(int(x / perX), int(y / perY)));
    if (screen == nullptr && qGuiApp != nullptr) screen = QGuiApplication::primaryScreen();
    const QRect whole = screen != nullptr ? screen->geometry() : QRect(0, 0, 1024, 768);
    const QRect usable = screen != nullptr ? screen->availableGeometry() : whole;
    return {whole.x() * perX, whole.y() * perY, (whole.x() + whole.width()) * perX,
            (usable.y() + usable.height()) * perY};
}

bool ShowsAny(int x, int y, int width, int height) {
    if (qGuiApp == nullptr) return QRect(0, 0, 1024, 768).intersects(QRect(x, y, width, height));
    const auto screens = QGuiApplication::screens();
    return std::any_of(screens.begin(), screens.end(), [&](const QScreen* screen) {
        return screen->geometry().intersects(QRect(x, y, width, height));
    });
}
}  // namespace Screen

namespace App {
std::string Path() {
    return executable().parent_path().string();
}
std::string EXEName() {
    return executable().stem().string();
}
std::string Title() {
    return "Kavimo";
}
}  // namespace App

std::string ConfigHome() {
    // Only absolute paths count: a relative one would move with the working folder.
    const auto absolute = [](const char* path) { return path != nullptr && path[0] == '/'; };
    const auto withoutTrailingSeparators = [](std::string folder) {
        while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
        return folder;
    };
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); absolute(config))
        return withoutTrailingSeparators(config);
    const char* home = std::getenv("HOME");
    if (!absolute(home)) {
        const passwd* entry = getpwuid(getuid());
        home = entry == nullptr ? nullptr : entry->pw_dir;
    }
    if (!absolute(home)) return {};
    const std::string folder = withoutTrailingSeparators(home);
    return (folder == "/" ? "" : folder) + "/.config";
}

bool CanWriteIn(const std::string& folder) {
    return !folder.empty() && access(folder.c_str(), W_OK | X_OK) == 0;
}

bool MakeFolders(const std::string& folder) {
    std::filesystem::path made;
    for (const auto& part : std::filesystem::path(folder)) {
        made /= part;
        if (mkdir(made.c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
    std::error_code error;
    return std::filesystem::is_directory(folder, error);
}

void KeepCommandLine(int argc, char** argv) {
    commandLine.clear();
    for (int i = 1; i < argc; ++i) {
        if (i > 1) commandLine += ' ';
        commandLine += argv[i];
    }
}

std::string Command() {
    return commandLine;
}

void DoEvents() {
    if (qApp == nullptr) return;
    QCoreApplication::processEvents();
    // Waiting paints belong to the waiting messages, so they are done now, those that came in the meantime too
    // (the Clear banner must be on the screen before the pause that follows); a window with nothing new to
    // show is not painted again.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
}

constexpr std::int32_t kPauseSlept = 10;  // milliseconds

void Sleep(std::int32_t milliseconds) {
    if (recordingSleeps) {
        recordedSleeps.push_back(milliseconds);
        if (onRecordedSleep) onRecordedSleep();
        return;
    }
    // The program waits, but its windows stay painted: the X server asks a window to paint again whatever
    // becomes visible of it (a piece the window manager moves into place after "Clear" was painted), which a
    // program asleep would leave wrong for the whole pause. Input waits until the pause is over.
    // The event loop's timer ends late by up to a few milliseconds: the last of them are slept.
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    if (qApp != nullptr && milliseconds > kPauseSlept) {
        QEventLoop pause;
        QTimer::singleShot(milliseconds - kPauseSlept, Qt::PreciseTimer, &pause, &QEventLoop::quit);
        pause.exec(QEventLoop::ExcludeUserInputEvents);
    }
    std::this_thread::sleep_until(end);
}

void Randomize() {
    generator.seed(
        randomSeed ? *randomSeed
                   : static_cast<std::uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
}

float Rnd() {
    // 24 random bits: m / 2^24 is exact in single precision and at most 1 - 2^-24, so a product with any
    // whole n up to 2^24 rounds to a value below n.
    return static_cast<float>(generator() >> 8) * (1.0f / 16777216.0f);
}

void MsgBoxAndEnd(const std::string& text) {
    std::fprintf(stderr, "%s: %s\n", App::EXEName().c_str(), text.c_str());
    std::fflush(stderr);
    if (qApp != nullptr) {
        QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(App::Title()),
                        QString::fromStdString(text), QMessageBox::Ok);
        box.exec();
    }
    _exit(1);
}

void End() {
    std::fflush(nullptr);
    _exit(0);
}

bool SystemParametersInfoA(unsigned action, unsigned param, void* value, unsigned) {
    if (action == SPI_GETDRAGFULLWINDOWS && value != nullptr) {
        *static_cast<std::int32_t*>(value) = dragFullWindows;
        return true;
    }
    if (action == SPI_SETDRAGFULLWINDOWS) {
        dragFullWindows = static_cast<std::int32_t>(param);
        return true;
    }
    return false;
}

bool ReleaseCapture() {
    if (QWidget* grabber = QWidget::mouseGrabber()) grabber->releaseMouse();
    return true;
}

std::intptr_t SendMessageA(HWND window, unsigned message, std::intptr_t wParam, std::intptr_t) {
    if (window != nullptr && message == WM_NCLBUTTONDOWN && wParam == HTCAPTION) MoveLoop(*window).run();
    return 0;
}

namespace TestSeams {
void SetTwipsPerPixel(std::optional<float> value) {
    twipsPerPixelOverride = value;
}
void SetRandomSeed(std::optional<std::uint32_t> seed) {
    randomSeed = seed;
}
void RecordSleeps(bool record, std::function<void()> onSleep) {
    recordingSleeps = record;
    onRecordedSleep = std::move(onSleep);
    recordedSleeps.clear();
}
const std::vector<std::int32_t>& RecordedSleeps() {
    return recordedSleeps;
}
void SetExecutable(std::optional<std::string> path) {
    executableOverride = std::move(path);
}
}  // namespace TestSeams

}  // namespace platform
