#include "xclient.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <thread>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/shape.h>

namespace xclient {
namespace {

Display* display() {
    static Display* connection = [] {
        Display* opened = XOpenDisplay(nullptr);
        if (opened == nullptr) {
            std::fprintf(stderr, "xclient: cannot open the X display (is DISPLAY set?)\n");
            std::abort();
        }
        // The program's windows come and go while we look at them: one gone in between is no error.
        XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
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

std::vector<::Window> childrenOf(::Window window, ::Window* parent = nullptr) {
    ::Window rootReturn = 0, parentReturn = 0, *children = nullptr;
    unsigned count = 0;
    if (XQueryTree(display(), window, &rootReturn, &parentReturn, &children, &count) == 0) return {};
    std::vector<::Window> result(children, children + count);
    if (children != nullptr) XFree(children);
    if (parent != nullptr) *parent = parentReturn;
    return result;
}

// The window's ancestor that is a child of the root: the window manager's frame, or the window itself.
::Window topLevelOf(::Window window) {
    for (::Window parent = 0; childrenOf(window, &parent), parent != 0 && parent != root();) window = parent;
    return window;
}

// The window's level, from the bottom, in a look at the root's children.
int levelIn(const std::vector<::Window>& stack, ::Window window) {
    return static_cast<int>(std::ranges::find(stack, topLevelOf(window)) - stack.begin());
}

// A property's 32-bit items, or its text.
std::vector<unsigned long> property(::Window window, Atom name, std::string* text = nullptr) {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::vector<unsigned long> values;
    if (XGetWindowProperty(display(), window, name, 0, 1024, False, AnyPropertyType, &type, &format, &count,
                           &after, &data) != Success ||
        data == nullptr)
        return values;
    if (format == 32)
        values.assign(reinterpret_cast<unsigned long*>(data), reinterpret_cast<unsigned long*>(data) + count);
    if (format == 8 && text != nullptr) text->assign(reinterpret_cast<char*>(data), count);
    XFree(data);
    return values;
}

int pidOf(::Window window) {
    const auto pid = property(window, atom("_NET_WM_PID"));
    return pid.empty() ? -1 : static_cast<int>(pid.front());
}

std::function<void(int)> waiting = [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); };

void button(int number, bool down) {
    XTestFakeButtonEvent(display(), static_cast<unsigned>(number), down, CurrentTime);
    XSync(display(), False);
}

}  // namespace

void setWaiting(std::function<void(int)> wait) {
    waiting = std::move(wait);
}

void pause(int milliseconds) {
    waiting(milliseconds);
}

bool eventually(const std::function<bool()>& condition, int milliseconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    for (; !condition(); pause(10))
        if (std::chrono::steady_clock::now() > deadline) return false;
    return true;
}

bool comesTo(WindowId window, Point place) {
    return eventually([&] { return placeOf(window).topLeft() == place; });
}

std::vector<WindowId> windowsOf(int pid, const std::string& role) {
    XSync(display(), False);
    // The window manager's list of the windows it manages in their stacking order, else the windows on the
    // screen itself.
    std::vector<unsigned long> windows = property(root(), atom("_NET_CLIENT_LIST_STACKING"));
    const bool stacked = !windows.empty();
    if (!stacked) windows = property(root(), atom("_NET_CLIENT_LIST"));  // xfwm4 may give this alone
    if (windows.empty())
        for (::Window w : childrenOf(root())) windows.push_back(w);
    std::vector<WindowId> found;
    for (::Window w : windows) {
        std::string text;
        property(w, atom("WM_WINDOW_ROLE"), &text);
        if (text == role && pidOf(w) == pid) found.push_back(w);
    }
    if (!stacked) {  // by one look at the stack: looked at again in each comparison, a window raised meanwhile
                     // left the sort without an order, and it ran off the end of the list
        const auto stack = childrenOf(root());
        std::map<WindowId, int> level;
        for (WindowId w : found) level[w] = levelIn(stack, w);
        std::ranges::sort(found, {}, [&](WindowId w) { return level[w]; });
    }
    return found;
}

std::optional<WindowId> popupOf(int pid) {
    XSync(display(), False);
    for (::Window w : childrenOf(root())) {
        XWindowAttributes a;
        if (XGetWindowAttributes(display(), w, &a) != 0 && a.override_redirect && a.map_state == IsViewable &&
            pidOf(w) == pid)
            return w;
    }
    return std::nullopt;
}

bool isViewable(WindowId window) {
    XWindowAttributes attributes;
    return XGetWindowAttributes(display(), window, &attributes) != 0 && attributes.map_state == IsViewable;
}

std::string titleOf(WindowId window) {
    std::string title;
    property(window, XA_WM_NAME, &title);
    return title;
}

Rect placeOf(WindowId window) {
    XWindowAttributes attributes;
    int x = 0, y = 0;
    ::Window child = 0;
    if (XGetWindowAttributes(display(), window, &attributes) == 0) return {};
    XTranslateCoordinates(display(), window, root(), 0, 0, &x, &y, &child);
    return {x, y, attributes.width, attributes.height};
}

Rect frameOf(WindowId window) {
    const Rect client = placeOf(window);
    const auto extents = property(window, atom("_NET_FRAME_EXTENTS"));  // left, right, top, bottom
    if (extents.size() != 4) return client;
    return {client.x - int(extents[0]), client.y - int(extents[2]),
            client.width + int(extents[0] + extents[1]), client.height + int(extents[2] + extents[3])};
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

bool hasState(WindowId window, const char* state) {
    const auto states = property(window, atom("_NET_WM_STATE"));
    return std::find(states.begin(), states.end(), atom(state)) != states.end();
}

int stackingLevel(WindowId window) {
    return levelIn(childrenOf(root()), window);
}

WindowId focused() {
    ::Window focus = 0;
    int revert = 0;
    XGetInputFocus(display(), &focus, &revert);
    return focus;
}

std::vector<std::uint32_t> grab(Rect area) {
    std::vector<std::uint32_t> pixels;
    XImage* shot = XGetImage(display(), root(), area.x, area.y, static_cast<unsigned>(area.width),
                             static_cast<unsigned>(area.height), AllPlanes, ZPixmap);
    for (int i = 0; shot != nullptr && i < area.width * area.height; ++i)
        pixels.push_back(XGetPixel(shot, i % area.width, i / area.width) & 0xFFFFFF);  // 24-bit true colour
    if (shot != nullptr) XDestroyImage(shot);
    return pixels;
}

Rect screen() {
    return {0, 0, DisplayWidth(display(), 0), DisplayHeight(display(), 0)};
}

void moveWindow(WindowId window, Point to) {
    XMoveWindow(display(), window, to.x, to.y);
    XSync(display(), False);
}

void minimise(WindowId window) {
    XIconifyWindow(display(), window, DefaultScreen(display()));
    waitForWindowManager();  // it has minimised the window, or refused
}

bool windowManagerRuns() {
    return !property(root(), atom("_NET_SUPPORTING_WM_CHECK")).empty();
}

void waitForWindowManager() {
    // The window manager handles its events in order: once it has moved a window of ours that is never shown
    // (as it does when asked), it is done with everything that came before.
    const ::Window asker = XCreateWindow(display(), root(), 0, 0, 1, 1, 0, 0, InputOnly, nullptr, 0, nullptr);
    XMoveWindow(display(), asker, 1, 1);
    eventually([&] { return placeOf(asker).topLeft() == Point{1, 1}; });
    XDestroyWindow(display(), asker);
}

Point pointer(unsigned* buttons) {
    ::Window rootReturn = 0, child = 0;
    int x = 0, y = 0, windowX = 0, windowY = 0;
    unsigned mask = 0;
    XQueryPointer(display(), root(), &rootReturn, &child, &x, &y, &windowX, &windowY, &mask);
    if (buttons != nullptr) *buttons = mask;
    return {x, y};
}

void movePointer(Point to) {
    XTestFakeMotionEvent(display(), -1, to.x, to.y, CurrentTime);
    XSync(display(), False);
}

void press(int number) {
    button(number, true);
}

void release(int number) {
    button(number, false);
}

void click(Point at, int number) {
    movePointer(at);
    pause(30);
    press(number);
    pause(30);
    release(number);
}

void glide(Point from, Point to, int steps) {
    for (int i = 1; i <= steps; ++i) {
        movePointer(from + Point{(to.x - from.x) * i / steps, (to.y - from.y) * i / steps});
        pause(15);
    }
}

void releaseHeldButtons() {
    unsigned held = 0;
    pointer(&held);
    for (int number = 1; number <= 3; ++number)
        if ((held & (Button1Mask << (number - 1))) != 0) release(number);
}

void tapKey(const char* keysym) {
    const KeyCode code = XKeysymToKeycode(display(), XStringToKeysym(keysym));
    for (const Bool down : {True, False}) {
        XTestFakeKeyEvent(display(), code, down, CurrentTime);
        XSync(display(), False);
        pause(20);
    }
}

}  // namespace xclient
