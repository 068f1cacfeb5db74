// The X server as another client sees it, shared by the in-process and the end-to-end tests: windows found by
// process and name, their places, outlines, states and pixels, and a real pointer and keyboard through XTest.
// Xlib stays inside xclient.cpp: its macros (None, Bool, Status) would clash with the tests' names.
#pragma once

#include <compare>
#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

namespace xclient {

using WindowId = unsigned long;

struct Point {
    int x = 0;
    int y = 0;
    auto operator<=>(const Point&) const = default;
    Point operator+(Point o) const { return {x + o.x, y + o.y}; }
    Point operator-(Point o) const { return {x - o.x, y - o.y}; }
};

struct Rect {
    int x = 0, y = 0, width = 0, height = 0;
    Point topLeft() const { return {x, y}; }
    bool operator==(const Rect&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, Point p) {
    return out << "(" << p.x << ", " << p.y << ")";
}
inline std::ostream& operator<<(std::ostream& out, const Rect& r) {
    return out << r.width << " x " << r.height << " at " << r.topLeft();
}

// What waiting does between two looks; an in-process test lets its own events through.
void setWaiting(std::function<void(int milliseconds)> wait);
void pause(int milliseconds);
// Looks until the condition holds; false when the time ran out first.
bool eventually(const std::function<bool()>& condition, int milliseconds = 5000);
// Waits until the window stands at the place; false when the time ran out first.
bool comesTo(WindowId window, Point place);

// The top-level windows of the process in that role (WM_WINDOW_ROLE, the form's name) that the window manager
// manages (without one, all of them), from the bottom of the stack up.
std::vector<WindowId> windowsOf(int pid, const std::string& role);
// Its shown pop-up menu: a viewable window of the process that the window manager leaves alone.
std::optional<WindowId> popupOf(int pid);

bool isViewable(WindowId window);
std::string titleOf(WindowId window);
Rect placeOf(WindowId window);
// The window manager's frame around the window, or the window itself when it has none.
Rect frameOf(WindowId window);
// The pixels of the window's bounding shape, relative to the window.
std::set<Point> outlineOf(WindowId window);
// Whether _NET_WM_STATE lists the state ("_NET_WM_STATE_ABOVE").
bool hasState(WindowId window, const char* state);
// Higher is nearer the player.
int stackingLevel(WindowId window);
// The window with the keyboard focus.
WindowId focused();

// The screen's pixels as 0xRRGGBB, row by row.
std::vector<std::uint32_t> grab(Rect area);
Rect screen();
// Asks for the window to be moved, as another program (a pager, a window manager's rule) would.
void moveWindow(WindowId window, Point to);
// Asks the window manager to minimise the window, as a pager would, and waits until it has done so or refused.
void minimise(WindowId window);
bool windowManagerRuns();
// Waits until the window manager has dealt with everything that happened on the screen before. A process
// that ended just now may have had windows numbered as this process's will be; a window manager still taking
// one of those down clears the state (above the others, out of the task bar) of the new window that has its
// number.
void waitForWindowManager();

// A real pointer and keyboard.
Point pointer(unsigned* buttons = nullptr);  // with the buttons held, as X's mask
void movePointer(Point to);
void press(int button);
void release(int button);
void click(Point at, int button = 1);
// Moves the held pointer to the point in a few steps, as a hand would.
void glide(Point from, Point to, int steps = 6);
// Lets go of every button still held, so that no test leaves the next one a pressed pointer.
void releaseHeldButtons();
// Presses and releases the key named as in <X11/keysymdef.h> without the XK_ prefix ("Down", "Return").
void tapKey(const char* keysym);

}  // namespace xclient
