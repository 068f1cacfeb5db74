#include "x11.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QThread>

// Xlib's macros clash with Qt's names: its headers come last.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/shape.h>

namespace xtest {
namespace {

// A connection of our own, apart from Qt's, as another client would see the windows.
Display* display() {
    static Display* connection = XOpenDisplay(nullptr);
    return connection;
}

void sync() {
    XSync(display(), False);
}

}  // namespace

QRegion shapeOf(QWidget& window) {
    sync();
    int count = 0, ordering = 0;
    XRectangle* rectangles = XShapeGetRectangles(display(), static_cast<::Window>(window.winId()),
                                                 ShapeBounding, &count, &ordering);
    QRegion shape;
    for (int i = 0; i < count; ++i)
        shape += QRect(rectangles[i].x, rectangles[i].y, rectangles[i].width, rectangles[i].height);
    XFree(rectangles);
    return shape;
}

bool isAbove(QWidget& window) {
    sync();
    const Atom state = XInternAtom(display(), "_NET_WM_STATE", False);
    const Atom above = XInternAtom(display(), "_NET_WM_STATE_ABOVE", False);
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    bool found = false;
    if (XGetWindowProperty(display(), static_cast<::Window>(window.winId()), state, 0, 64, False, XA_ATOM,
                           &type, &format, &count, &after, &data) == Success &&
        data != nullptr) {
        const auto* atoms = reinterpret_cast<Atom*>(data);
        for (unsigned long i = 0; i < count; ++i) found = found || atoms[i] == above;
        XFree(data);
    }
    return found;
}

QPoint screenPositionOf(QWidget& window) {
    sync();
    int x = 0, y = 0;
    ::Window child;
    XTranslateCoordinates(display(), static_cast<::Window>(window.winId()), DefaultRootWindow(display()), 0,
                          0, &x, &y, &child);
    return {x, y};
}

void movePointer(int x, int y) {
    XTestFakeMotionEvent(display(), -1, x, y, CurrentTime);
    XFlush(display());
}

void pressButton(int button) {
    XTestFakeButtonEvent(display(), static_cast<unsigned>(button), True, CurrentTime);
    XFlush(display());
}

void releaseButton(int button) {
    XTestFakeButtonEvent(display(), static_cast<unsigned>(button), False, CurrentTime);
    XFlush(display());
}

bool waitFor(const std::function<bool()>& condition, int milliseconds) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > milliseconds) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
    return true;
}

void settle(int milliseconds) {
    sync();
    waitFor([] { return false; }, milliseconds);
}

}  // namespace xtest
