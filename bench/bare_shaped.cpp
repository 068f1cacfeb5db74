// The floor with Qt, for bench/measure.
//
//   bare_shaped             shows one frameless 32 x 32 window with an outline, as the icon is shown, and
//                           nothing else: the floor for a start.
//   bare_shaped --deals N   replaces nine shaped 48 x 48 windows by nine new ones N times, as a 6 x 6 deal
//                           replaces its pieces, and prints the median processor time of one replacement
//                           (all threads, until the program is idle again): the floor for a deal.
#include <sys/resource.h>

#include <QApplication>
#include <QEventLoop>
#include <QPainter>
#include <QRegion>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

namespace {

class ShapedWindow : public QWidget {
  public:
    ShapedWindow(int size, const QRegion& outline, bool onTop) {
        setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | (onTop ? Qt::WindowStaysOnTopHint : Qt::Widget));
        resize(size, size);
        setMask(outline);
    }

  protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), QColor(0x40, 0x40, 0x40)); }
};

double processorMs() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

void settle() {
    QEventLoop loop;
    QTimer::singleShot(150, &loop, &QEventLoop::quit);
    loop.exec();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

int deals(int count) {
    std::mt19937 random(1);
    std::vector<ShapedWindow*> windows;
    std::vector<double> times;
    for (int n = 0; n <= count; ++n) {  // the first round has no windows to replace and is not counted
        settle();
        const double before = processorMs();
        for (ShapedWindow* window : windows) {
            window->hide();
            window->deleteLater();
        }
        windows.clear();
        for (int i = 0; i < 9; ++i) {
            QRegion outline;
            for (int cell = 0; cell < 4; ++cell)
                outline +=
                    QRect(8 * static_cast<int>(random() % 6), 8 * static_cast<int>(random() % 6), 8, 8);
            auto* window = new ShapedWindow(48, outline, true);
            window->move(300 + 8 * static_cast<int>(random() % 32),
                         200 + 8 * static_cast<int>(random() % 16));
            window->show();
            window->raise();
            windows.push_back(window);
            QCoreApplication::processEvents();
        }
        settle();
        if (n > 0) times.push_back(processorMs() - before);
    }
    std::sort(times.begin(), times.end());
    std::printf("deal_cpu_ms=%.3f\n", times[times.size() / 2]);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc == 3 && std::strcmp(argv[1], "--deals") == 0) return deals(std::max(1, std::atoi(argv[2])));
    ShapedWindow window(32, QRegion(0, 0, 32, 32, QRegion::Ellipse), false);
    window.move(496, 368);
    window.show();
    return QApplication::exec();
}
