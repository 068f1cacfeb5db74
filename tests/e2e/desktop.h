// The X server as a player meets it: windows found by process and name, their places, outlines, stacking and
// pixels read back, and a real pointer and keyboard through XTest. Xlib stays inside desktop.cpp: its macros
// (None, Bool, Status) would clash with the tests' names.
#pragma once

#include <compare>
#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

namespace e2e {

using WindowId = unsigned long;

struct Point {
    int x = 0;
    int y = 0;
    auto operator<=>(const Point&) const = default;
    Point operator+(Point other) const { return {x + other.x, y + other.y}; }
    Point operator-(Point other) const { return {x - other.x, y - other.y}; }
};

struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    Point topLeft() const { return {x, y}; }
    bool contains(Point p) const { return p.x >= x && p.y >= y && p.x < x + width && p.y < y + height; }
    bool operator==(const Rect&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, Point p) {
    return out << "(" << p.x << ", " << p.y << ")";
}
inline std::ostream& operator<<(std::ostream& out, const Rect& r) {
    return out << r.width << " x " << r.height << " at (" << r.x << ", " << r.y << ")";
}

// Pixels as 0xRRGGBB.
class Image {
  public:
    Image(int width, int height) : width_(width), height_(height), pixels_(std::size_t(width) * height) {}
    int width() const { return width_; }
    int height() const { return height_; }
    std::uint32_t at(int x, int y) const { return pixels_.at(std::size_t(y) * width_ + x); }
    std::uint32_t& at(int x, int y) { return pixels_.at(std::size_t(y) * width_ + x); }

  private:
    int width_, height_;
    std::vector<std::uint32_t> pixels_;
};

// Polls until the condition holds; false when the time ran out first.
bool eventually(const std::function<bool()>& condition, int milliseconds = 5000);
void pause(int milliseconds);

// Every client window of the process with that WM_NAME, mapped or not, from the bottom of the stack to the
// top.
std::vector<WindowId> windowsNamed(int pid, const std::string& name);
// Every client window of the process that is viewable, from the bottom of the stack to the top.
std::vector<WindowId> viewableWindowsOf(int pid);

bool exists(WindowId window);
bool isViewable(WindowId window);
// The window's place on the screen and its size, in pixels.
Rect placeOf(WindowId window);
// The window manager's frame around the window (the window itself when it is not framed), on the screen.
Rect framePlaceOf(WindowId window);
// The pixels of the window's bounding shape, relative to the window.
std::set<Point> outlineOf(WindowId window);
bool isAbove(WindowId window);
// Where the window stands in the stacking order of the screen: higher is nearer the player.
int stackingLevel(WindowId window);
// The title as the window manager shows it (_NET_WM_NAME, else WM_NAME).
std::string titleOf(WindowId window);
// Whether the window is a shown pop-up: a window that the window manager does not frame.
bool isPopupMenu(WindowId window);

// The screen's pixels in the rectangle.
Image grabScreen(Rect area);
Rect screenRect();

// A real pointer and keyboard.
Point pointer();
void movePointer(Point to);
void pressButton(int button);
void releaseButton(int button);
// Lets go of every button still held, so that no test leaves the next one a pressed pointer.
void releaseHeldButtons();
// Press and release where the pointer is moved to, without moving in between.
void click(Point at, int button = 1);
// Waits until no program holds the pointer, as a program that moves a window with the pointer does until it
// has handled the button's release: a hand does not press again that quickly.
bool waitUntilPointerIsFree(int milliseconds = 3000);
// Moves the held pointer from where it is to the point in a few steps, as a hand would.
void glide(Point from, Point to, int steps = 6);
// Presses and releases the key named as in <X11/keysymdef.h> without the XK_ prefix ("Down", "Return").
void tapKey(const char* keysym);

}  // namespace e2e
