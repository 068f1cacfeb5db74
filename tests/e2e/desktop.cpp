#include "desktop.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/shape.h>

namespace e2e {
namespace {

// The program's windows come and go while we look at them: a window that vanished between two requests is
// no error of the test.
int ignoreVanishedWindows(Display*, XErrorEvent*) {
    return 0;
}

Display* display() {
    static Display* connection = [] {
        Display* opened = XOpenDisplay(nullptr);
        if (opened == nullptr) {
            std::fprintf(stderr, "e2e: cannot open the X display (is DISPLAY set?)\n");
            std::abort();
        }
        XSetErrorHandler(ignoreVanishedWindows);
        return opened;
    }();
    return connection;
}

::Window root() {
    return DefaultRootWindow(display());
}

Atom atom(const char* name) {
    return XInternAtom(display(), name, False);
}

std::vector<::Window> childrenOf(::Window window) {
    ::Window rootReturn = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    std::vector<::Window> result;
    if (XQueryTree(display(), window, &rootReturn, &parent, &children, &count) != 0 && children != nullptr) {
        result.assign(children, children + count);
        XFree(children);
    }
    return result;
}

::Window parentOf(::Window window) {
    ::Window rootReturn = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (XQueryTree(display(), window, &rootReturn, &parent, &children, &count) == 0) return 0;
    if (children != nullptr) XFree(children);
    return parent;
}

// The window's ancestor that is a child of the root: the window manager's frame, or the window itself.
::Window topLevelOf(::Window window) {
    for (::Window parent = parentOf(window); parent != 0 && parent != root(); parent = parentOf(window))
        window = parent;
    return window;
}

std::vector<unsigned long> cardinalsOf(::Window window, Atom property, Atom type) {
    Atom actualType = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::vector<unsigned long> values;
    if (XGetWindowProperty(display(), window, property, 0, 64, False, type, &actualType, &format, &count,
                           &after, &data) == Success &&
        data != nullptr) {
        if (format == 32) {
            const auto* longs = reinterpret_cast<unsigned long*>(data);
            values.assign(longs, longs + count);
        }
        XFree(data);
    }
    return values;
}

std::optional<std::string> textOf(::Window window, Atom property) {
    Atom actualType = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::optional<std::string> text;
    if (XGetWindowProperty(display(), window, property, 0, 1024, False, AnyPropertyType, &actualType, &format,
                           &count, &after, &data) == Success &&
        data != nullptr) {
        if (format == 8) text = std::string(reinterpret_cast<char*>(data), count);
        XFree(data);
    }
    return text;
}

int pidOf(::Window window) {
    const auto pid = cardinalsOf(window, atom("_NET_WM_PID"), XA_CARDINAL);
    return pid.empty() ? -1 : static_cast<int>(pid.front());
}

// Depth first from the root: children come bottom to top, so the list follows the stacking order.
void collect(::Window window, const std::function<bool(::Window)>& wanted, std::vector<WindowId>& found) {
    for (::Window child : childrenOf(window)) {
        if (wanted(child)) found.push_back(child);
        collect(child, wanted, found);
    }
}

std::uint32_t channel(unsigned long pixel, unsigned long mask) {
    if (mask == 0) return 0;
    int shift = 0;
    while (((mask >> shift) & 1) == 0) ++shift;
    const unsigned long value = (pixel & mask) >> shift, maximum = mask >> shift;
    return static_cast<std::uint32_t>(value * 255 / maximum);
}

}  // namespace

bool eventually(const std::function<bool()>& condition, int milliseconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        pause(10);
    }
    return true;
}

void pause(int milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

std::vector<WindowId> windowsNamed(int pid, const std::string& name) {
    XSync(display(), False);
    std::vector<WindowId> found;
    collect(
        root(), [&](::Window w) { return pidOf(w) == pid && textOf(w, XA_WM_NAME) == name; }, found);
    return found;
}

std::vector<WindowId> viewableWindowsOf(int pid) {
    XSync(display(), False);
    std::vector<WindowId> found;
    collect(
        root(), [&](::Window w) { return pidOf(w) == pid && isViewable(w); }, found);
    return found;
}

bool exists(WindowId window) {
    XWindowAttributes attributes;
    return XGetWindowAttributes(display(), window, &attributes) != 0;
}

bool isViewable(WindowId window) {
    XWindowAttributes attributes;
    return XGetWindowAttributes(display(), window, &attributes) != 0 && attributes.map_state == IsViewable;
}

Rect placeOf(WindowId window) {
    XWindowAttributes attributes;
    if (XGetWindowAttributes(display(), window, &attributes) == 0) return {};
    int x = 0, y = 0;
    ::Window child = 0;
    XTranslateCoordinates(display(), window, root(), 0, 0, &x, &y, &child);
    return {x, y, attributes.width, attributes.height};
}

Rect framePlaceOf(WindowId window) {
    return placeOf(topLevelOf(window));
}

std::set<Point> outlineOf(WindowId window) {
    XSync(display(), False);
    int count = 0, ordering = 0;
    XRectangle* rectangles = XShapeGetRectangles(display(), window, ShapeBounding, &count, &ordering);
    std::set<Point> pixels;
    for (int i = 0; i < count; ++i)
        for (int y = rectangles[i].y; y < rectangles[i].y + rectangles[i].height; ++y)
            for (int x = rectangles[i].x; x < rectangles[i].x + rectangles[i].width; ++x)
                pixels.insert({x, y});
    if (rectangles != nullptr) XFree(rectangles);
    return pixels;
}

bool isAbove(WindowId window) {
    const Atom above = atom("_NET_WM_STATE_ABOVE");
    for (unsigned long state : cardinalsOf(window, atom("_NET_WM_STATE"), XA_ATOM))
        if (state == above) return true;
    return false;
}

int stackingLevel(WindowId window) {
    const ::Window top = topLevelOf(window);
    const auto stack = childrenOf(root());
    for (std::size_t i = 0; i < stack.size(); ++i)
        if (stack[i] == top) return static_cast<int>(i);
    return -1;
}

std::string titleOf(WindowId window) {
    if (auto title = textOf(window, atom("_NET_WM_NAME"))) return *title;
    return textOf(window, XA_WM_NAME).value_or("");
}

bool isPopupMenu(WindowId window) {
    // Qt's pop-up menus bypass the window manager; their window type is not always set.
    XWindowAttributes attributes;
    return XGetWindowAttributes(display(), window, &attributes) != 0 && attributes.override_redirect &&
           attributes.map_state == IsViewable;
}

Image grabScreen(Rect area) {
    XSync(display(), False);
    Image image(area.width, area.height);
    XImage* pixels = XGetImage(display(), root(), area.x, area.y, static_cast<unsigned>(area.width),
                               static_cast<unsigned>(area.height), AllPlanes, ZPixmap);
    if (pixels == nullptr) return image;
    const Visual* visual = DefaultVisual(display(), DefaultScreen(display()));
    for (int y = 0; y < area.height; ++y)
        for (int x = 0; x < area.width; ++x) {
            const unsigned long pixel = XGetPixel(pixels, x, y);
            image.at(x, y) = channel(pixel, visual->red_mask) << 16 |
                             channel(pixel, visual->green_mask) << 8 | channel(pixel, visual->blue_mask);
        }
    XDestroyImage(pixels);
    return image;
}

Rect screenRect() {
    const int screen = DefaultScreen(display());
    return {0, 0, DisplayWidth(display(), screen), DisplayHeight(display(), screen)};
}

Point pointer() {
    ::Window rootReturn = 0, child = 0;
    int x = 0, y = 0, windowX = 0, windowY = 0;
    unsigned mask = 0;
    XQueryPointer(display(), root(), &rootReturn, &child, &x, &y, &windowX, &windowY, &mask);
    return {x, y};
}

void movePointer(Point to) {
    XTestFakeMotionEvent(display(), -1, to.x, to.y, CurrentTime);
    XSync(display(), False);
}

void pressButton(int button) {
    XTestFakeButtonEvent(display(), static_cast<unsigned>(button), True, CurrentTime);
    XSync(display(), False);
}

void releaseButton(int button) {
    XTestFakeButtonEvent(display(), static_cast<unsigned>(button), False, CurrentTime);
    XSync(display(), False);
}

void releaseHeldButtons() {
    ::Window rootReturn = 0, child = 0;
    int x = 0, y = 0, windowX = 0, windowY = 0;
    unsigned mask = 0;
    XQueryPointer(display(), root(), &rootReturn, &child, &x, &y, &windowX, &windowY, &mask);
    const unsigned held[] = {Button1Mask, Button2Mask, Button3Mask};
    for (int button = 1; button <= 3; ++button)
        if ((mask & held[button - 1]) != 0) releaseButton(button);
}

void click(Point at, int button) {
    movePointer(at);
    pause(30);
    pressButton(button);
    pause(30);
    releaseButton(button);
}

bool waitUntilPointerIsFree(int milliseconds) {
    // Only a grab of our own can tell: it fails while another client holds the pointer.
    return eventually(
        [] {
            const int result = XGrabPointer(display(), root(), False, 0, GrabModeAsync, GrabModeAsync, None,
                                            None, CurrentTime);
            if (result != GrabSuccess) return false;
            XUngrabPointer(display(), CurrentTime);
            XSync(display(), False);
            return true;
        },
        milliseconds);
}

void glide(Point from, Point to, int steps) {
    for (int i = 1; i <= steps; ++i) {
        movePointer({from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps});
        pause(15);
    }
}

void tapKey(const char* keysym) {
    const KeyCode code = XKeysymToKeycode(display(), XStringToKeysym(keysym));
    XTestFakeKeyEvent(display(), code, True, CurrentTime);
    XSync(display(), False);
    pause(20);
    XTestFakeKeyEvent(display(), code, False, CurrentTime);
    XSync(display(), False);
    pause(20);
}

}  // namespace e2e
