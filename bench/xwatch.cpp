// Watches one program from outside, as a player meets it on the X server: when its first window shows, how
// much memory and processor time it uses, and, for Kavimo, how long a deal and the release of a drag take,
// driven by a real pointer and keyboard (XTest).
//
//   xwatch start SETTLE_MS PROGRAM [ARGS...]
//       Starts the program, waits for its first window to be viewable, waits SETTLE_MS more, then ends it.
//   xwatch play DEALS DRAGS IDLE_S PROGRAM [ARGS...]
//       Starts Kavimo, measures it idle, deals a 6 x 6 puzzle from the menu, then DEALS more deals and DRAGS
//       drags of the top piece, and measures it idle again with the pieces out.
//
// Prints key=value lines on stdout. Times are milliseconds of the monotonic clock; a window counts as shown
// when the X server reports it mapped and it is viewable (its window manager frame mapped too). Processor
// time is read from /proc: utime + stime in clock ticks, and the per-thread run time in nanoseconds.
#include <dirent.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/shape.h>

namespace {

Display* dpy = nullptr;
Window root = 0;
int shapeEventBase = 0;
Atom netWmPid = 0;

double nowMs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

int ignoreXErrors(Display*, XErrorEvent*) {
    return 0;  // windows come and go while we look at them
}

// ---- the process, from /proc ----

// utime and stime, in clock ticks: fields 14 and 15 of the line.
std::pair<long, long> userAndSystemTicks(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto close = text.rfind(')');
    if (close == std::string::npos) return {-1, 0};
    std::istringstream fields(text.substr(close + 2));
    std::vector<std::string> f;
    for (std::string s; fields >> s;) f.push_back(s);
    if (f.size() < 13) return {-1, 0};
    return {std::stol(f[11]), std::stol(f[12])};
}

long cpuTicks(pid_t pid) {
    const auto [user, system] = userAndSystemTicks(pid);
    return user + system;
}

// The run time of all the process's threads, in nanoseconds; from the clock ticks where the kernel keeps no
// schedstat.
long long cpuNs(pid_t pid) {
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    DIR* dir = opendir(tasks.c_str());
    if (dir == nullptr) return -1;
    long long total = 0;
    bool read = false;
    while (dirent* entry = readdir(dir)) {
        if (entry->d_name[0] == '.') continue;
        std::ifstream in(tasks + "/" + entry->d_name + "/schedstat");
        long long ns = 0;
        if (in >> ns) {
            total += ns;
            read = true;
        }
    }
    closedir(dir);
    return read ? total : cpuTicks(pid) * (1000000000LL / sysconf(_SC_CLK_TCK));
}

long rssKb(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(in, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    return -1;
}

pid_t launch(char** argv) {
    const pid_t pid = fork();
    if (pid == 0) {
        setpgid(0, 0);
        execvp(argv[0], argv);
        std::perror(argv[0]);
        _exit(127);
    }
    if (pid > 0) setpgid(pid, pid);
    return pid;
}

bool exited(pid_t pid) {
    int status = 0;
    return waitpid(pid, &status, WNOHANG) == pid;
}

void terminate(pid_t pid) {
    kill(-pid, SIGTERM);
    for (int i = 0; i < 100; ++i) {
        if (exited(pid)) {
            kill(-pid, SIGKILL);  // anything it left in its group
            return;
        }
        usleep(50000);
    }
    kill(-pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

// ---- the windows, from the X server ----

struct Tracked {
    bool overrideRedirect = false;
    bool viewable = false;  // mapped, and its outline shows something
    bool veiled = false;    // its outline shows nothing (a window kept for later)
    double viewableAt = 0;
    long pid = -2;  // -2: not read yet
    Window frame = 0;
    int inFrameX = 0, inFrameY = 0;  // the client's place in its frame
    double lastConfigure = 0;
    int configures = 0;
    int rootX = 0, rootY = 0;  // where the last ConfigureNotify put it, when the event tells
    bool placeKnown = false;
};

std::map<Window, Tracked> windows;  // every window created on the root since we started watching
std::map<Window, Window> clientOfFrame;

long pidOf(Window w) {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    long pid = -1;
    if (XGetWindowProperty(dpy, w, netWmPid, 0, 1, False, XA_CARDINAL, &type, &format, &count, &after,
                           &data) == Success &&
        data != nullptr) {
        if (type == XA_CARDINAL && format == 32 && count == 1)
            pid = static_cast<long>(*reinterpret_cast<long*>(data));
        XFree(data);
    }
    return pid;
}

bool isViewable(Window w) {
    XWindowAttributes a{};
    return XGetWindowAttributes(dpy, w, &a) != 0 && a.map_state == IsViewable;
}

// The client window that the window is, or whose frame it is.
Tracked* clientFor(Window w) {
    if (auto it = clientOfFrame.find(w); it != clientOfFrame.end()) {
        auto c = windows.find(it->second);
        return c == windows.end() ? nullptr : &c->second;
    }
    if (auto it = windows.find(w); it != windows.end()) return &it->second;
    return nullptr;
}

void checkViewable(Window client, double at) {
    auto it = windows.find(client);
    if (it == windows.end() || it->second.viewable || it->second.veiled) return;
    if (isViewable(client)) {
        it->second.viewable = true;
        it->second.viewableAt = at;
        if (it->second.pid == -2) it->second.pid = pidOf(client);
    }
}

// Whether the window's outline shows nothing now: a program may shape a window before we listen to it.
bool showsNothing(Window w) {
    Bool shaped = False, clipShaped = False;
    int x = 0, y = 0, clipX = 0, clipY = 0;
    unsigned width = 0, height = 0, clipWidth = 0, clipHeight = 0;
    return XShapeQueryExtents(dpy, w, &shaped, &x, &y, &width, &height, &clipShaped, &clipX, &clipY,
                              &clipWidth, &clipHeight) != 0 &&
           shaped && (x + int(width) <= 0 || y + int(height) <= 0);
}

void handle(const XEvent& e, double at) {
    switch (e.type) {
        case CreateNotify:
            if (e.xcreatewindow.parent == root) {
                const Window w = e.xcreatewindow.window;
                Tracked t;
                t.overrideRedirect = e.xcreatewindow.override_redirect != 0;
                windows[w] = t;
                XSelectInput(dpy, w, StructureNotifyMask);
                XShapeSelectInput(dpy, w, ShapeNotifyMask);
                windows[w].veiled = showsNothing(w);
                checkViewable(w, at);  // in case it was mapped before we listened
            }
            break;
        case ReparentNotify:
            if (auto it = windows.find(e.xreparent.window); it != windows.end()) {
                it->second.frame = e.xreparent.parent == root ? 0 : e.xreparent.parent;
                it->second.inFrameX = e.xreparent.x;
                it->second.inFrameY = e.xreparent.y;
                if (e.xreparent.parent != root) clientOfFrame[e.xreparent.parent] = e.xreparent.window;
            }
            break;
        case MapNotify:
            if (windows.count(e.xmap.window) != 0) checkViewable(e.xmap.window, at);
            if (auto it = clientOfFrame.find(e.xmap.window); it != clientOfFrame.end())
                checkViewable(it->second, at);
            break;
        case UnmapNotify:
            if (Tracked* t = clientFor(e.xunmap.window)) t->viewable = false;
            break;
        case DestroyNotify:
            clientOfFrame.erase(e.xdestroywindow.window);
            windows.erase(e.xdestroywindow.window);
            break;
        case ConfigureNotify: {
            const Window w = e.xconfigure.window;
            Tracked* t = clientFor(w);
            if (t == nullptr) break;
            t->lastConfigure = at;
            ++t->configures;
            if (clientOfFrame.count(w) != 0) {  // the frame moved, and the client with it
                t->rootX = e.xconfigure.x + t->inFrameX;
                t->rootY = e.xconfigure.y + t->inFrameY;
                t->placeKnown = true;
            } else if (e.xconfigure.send_event || t->frame == 0) {
                // The client's place on the screen, as the window manager reports it or as a child of the
                // root.
                t->rootX = e.xconfigure.x;
                t->rootY = e.xconfigure.y;
                t->placeKnown = true;
            }
            break;
        }
        default:
            if (e.type == shapeEventBase + ShapeNotify) {
                const auto& shape = reinterpret_cast<const XShapeEvent&>(e);
                auto it = windows.find(shape.window);
                if (it == windows.end() || shape.kind != ShapeBounding) break;
                it->second.veiled =
                    shape.shaped && (shape.x + int(shape.width) <= 0 || shape.y + int(shape.height) <= 0);
                if (it->second.veiled) it->second.viewable = false;
                checkViewable(shape.window, at);
            }
            break;
    }
}

void dispatchPending() {
    while (XPending(dpy) > 0) {
        XEvent e;
        XNextEvent(dpy, &e);
        handle(e, nowMs());
    }
}

// Handles events as they come until the condition holds or the time is up.
bool waitFor(const std::function<bool()>& condition, double timeoutMs) {
    const double end = nowMs() + timeoutMs;
    for (;;) {
        dispatchPending();
        if (condition()) return true;
        const double left = end - nowMs();
        if (left <= 0) return false;
        pollfd p{ConnectionNumber(dpy), POLLIN, 0};
        poll(&p, 1, static_cast<int>(std::ceil(std::min(left, 5.0))));
    }
}

void pause(double ms) {
    waitFor([] { return false; }, ms);
}

struct Point {
    int x = 0, y = 0;
};

Point rootPlace(Window w) {
    int x = 0, y = 0;
    Window child = 0;
    XTranslateCoordinates(dpy, w, root, 0, 0, &x, &y, &child);
    return {x, y};
}

// The windows of the process shown now, and last mapped at `shownFrom` or later (a window may be kept hidden
// and shown again).
std::vector<Window> shownWindowsOf(pid_t pid, bool overrideRedirect, double shownFrom = 0) {
    std::vector<Window> found;
    for (auto& [w, t] : windows)
        if (t.pid == pid && t.viewable && t.overrideRedirect == overrideRedirect && t.viewableAt >= shownFrom)
            found.push_back(w);
    return found;
}

// The last time one of the process's windows was shown since `from`, once `count` of them have been;
// nothing when they were not within the time.
std::optional<double> shownSince(pid_t pid, double from, std::size_t count, double timeoutMs) {
    if (!waitFor([&] { return shownWindowsOf(pid, false, from).size() >= count; }, timeoutMs)) return {};
    double last = from;
    for (Window w : shownWindowsOf(pid, false, from)) last = std::max(last, windows[w].viewableAt);
    return last;
}

// The top-most shown window of the process that is not a pop-up (and that `wanted` accepts).
Window topWindowOf(pid_t pid, const std::function<bool(Window)>& wanted = {}) {
    Window rootReturn = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    Window top = 0;
    if (XQueryTree(dpy, root, &rootReturn, &parent, &children, &count) == 0) return 0;
    for (unsigned i = count; i-- > 0 && top == 0;) {
        Window client = children[i];
        if (auto it = clientOfFrame.find(client); it != clientOfFrame.end()) client = it->second;
        auto t = windows.find(client);
        if (t != windows.end() && t->second.pid == pid && t->second.viewable && !t->second.overrideRedirect &&
            (!wanted || wanted(client)))
            top = client;
    }
    if (children != nullptr) XFree(children);
    return top;
}

// A point on the screen inside the window's outline: the middle of its largest rectangle.
Point pointInside(Window w) {
    const Point origin = rootPlace(w);
    int count = 0, ordering = 0;
    XRectangle* rects = XShapeGetRectangles(dpy, w, ShapeBounding, &count, &ordering);
    Point at{origin.x + 4, origin.y + 4};
    int best = -1;
    for (int i = 0; i < count; ++i) {
        const int area = rects[i].width * rects[i].height;
        if (area > best) {
            best = area;
            at = {origin.x + rects[i].x + rects[i].width / 2, origin.y + rects[i].y + rects[i].height / 2};
        }
    }
    if (rects != nullptr) XFree(rects);
    return at;
}

void moveTo(Point p) {
    XTestFakeMotionEvent(dpy, -1, p.x, p.y, CurrentTime);
    XFlush(dpy);
}

// A point of the window's outline where no other window covers it, or nothing.
std::optional<Point> uncoveredPoint(Window w) {
    const Point origin = rootPlace(w);
    int count = 0, ordering = 0;
    XRectangle* rects = XShapeGetRectangles(dpy, w, ShapeBounding, &count, &ordering);
    std::optional<Point> found;
    for (int i = 0; i < count && !found; ++i) {
        const Point p{origin.x + rects[i].x + rects[i].width / 2,
                      origin.y + rects[i].y + rects[i].height / 2};
        moveTo(p);
        Window rootReturn = 0, child = 0;
        int x = 0, y = 0, inX = 0, inY = 0;
        unsigned mask = 0;
        XQueryPointer(dpy, root, &rootReturn, &child, &x, &y, &inX, &inY, &mask);
        if (auto it = clientOfFrame.find(child); it != clientOfFrame.end()) child = it->second;
        if (child == w) found = p;
    }
    if (rects != nullptr) XFree(rects);
    return found;
}
void button(unsigned number, bool down) {
    XTestFakeButtonEvent(dpy, number, down ? True : False, CurrentTime);
    XFlush(dpy);
}
void key(const char* name, bool down) {
    XTestFakeKeyEvent(dpy, XKeysymToKeycode(dpy, XStringToKeysym(name)), down ? True : False, CurrentTime);
    XFlush(dpy);
}
// Presses the left button at `grip` and moves it to `to`, held: a small step first hands the window to the
// program's move loop.
void pressAndDrag(Point grip, Point to) {
    moveTo(grip);
    pause(30);
    button(1, true);
    pause(30);
    moveTo({grip.x + (to.x > grip.x ? 3 : -3), grip.y + (to.y > grip.y ? 2 : -2)});
    pause(30);
    moveTo(to);
}

void tapKey(const char* name) {
    key(name, true);
    pause(20);
    key(name, false);
    pause(20);
}

void print(const char* name, double value) {
    std::printf("%s=%.3f\n", name, value);
    std::fflush(stdout);
}

[[noreturn]] void fail(const char* what, pid_t pid) {
    std::printf("error=%s\n", what);
    std::fflush(stdout);
    if (pid > 0) terminate(pid);
    std::exit(1);
}

// Starts the program and waits for its first shown window; returns its process id.
pid_t startAndWait(char** argv) {
    const double t0 = nowMs();
    const pid_t pid = launch(argv);
    if (pid < 0) fail("fork", -1);
    bool gone = false;
    const bool shown = waitFor(
        [&] {
            gone = gone || exited(pid);
            return gone || !shownWindowsOf(pid, false).empty();
        },
        60000);
    if (gone) fail("the program ended before it showed a window", -1);
    if (!shown) fail("no window within 60 s", pid);
    double first = 1e300;
    for (Window w : shownWindowsOf(pid, false)) first = std::min(first, windows[w].viewableAt);
    print("start_ms", first - t0);
    return pid;
}

// Waits until the process has used no processor time for 100 ms (at most 3 s); returns its run time then.
long long whenIdle(pid_t pid) {
    long long last = cpuNs(pid);
    for (int i = 0; i < 30; ++i) {
        pause(100);
        const long long now = cpuNs(pid);
        if (now == last) break;
        last = now;
    }
    return last;
}

void measureIdle(pid_t pid, int seconds, const char* ticksKey, const char* nsKey) {
    whenIdle(pid);
    const long ticks0 = cpuTicks(pid);
    const long long ns0 = cpuNs(pid);
    pause(seconds * 1000.0);
    print(ticksKey, static_cast<double>(cpuTicks(pid) - ticks0));
    print(nsKey, static_cast<double>(cpuNs(pid) - ns0) / 1e6);
}

// The menu opens on the press of the right button: shownMs is from the press to the menu shown.
bool openMenuAt(pid_t pid, Point at, double* shownMs = nullptr) {
    moveTo(at);
    pause(30);
    const double t0 = nowMs();
    button(3, true);
    pause(30);
    button(3, false);
    if (!waitFor([&] { return !shownWindowsOf(pid, true).empty(); }, 3000)) return false;
    if (shownMs != nullptr) *shownMs = windows[shownWindowsOf(pid, true).front()].viewableAt - t0;
    return true;
}

// タイル数 > 6*6 from the open menu; the deal starts on the press of Return. Returns false when nine new
// pieces did not show.
bool chooseSixBySix(pid_t pid, double& shownMs, double& cpuMs, long& ticks) {
    for (const char* k : {"Down", "Right", "Down", "Down"}) tapKey(k);
    pause(50);
    whenIdle(pid);
    const long ticks0 = cpuTicks(pid);
    const long long ns0 = cpuNs(pid);
    const double t0 = nowMs();
    key("Return", true);
    const bool shown = waitFor([&] { return shownWindowsOf(pid, false, t0).size() >= 9; }, 5000);
    double last = t0;
    for (Window w : shownWindowsOf(pid, false, t0)) last = std::max(last, windows[w].viewableAt);
    key("Return", false);
    const long long ns1 = whenIdle(pid);
    shownMs = last - t0;
    cpuMs = static_cast<double>(ns1 - ns0) / 1e6;
    ticks = cpuTicks(pid) - ticks0;
    return shown;
}

int play(int deals, int drags, int idleSeconds, char** argv) {
    const pid_t pid = startAndWait(argv);
    pause(1000);
    print("rss_kb", static_cast<double>(rssKb(pid)));
    measureIdle(pid, idleSeconds, "idle_ticks_icon", "idle_cpu_ms_icon");

    // The first 6 x 6 deal, from the icon's menu.
    const Window icon = topWindowOf(pid);
    if (icon == 0) fail("no icon", pid);
    const Point iconAt = rootPlace(icon);
    double menuMs = 0;
    if (!openMenuAt(pid, {iconAt.x + 16, iconAt.y + 16}, &menuMs)) fail("no menu on the icon", pid);
    print("first_menu_ms", menuMs);
    double shownMs = 0, cpuMs = 0;
    long ticks = 0;
    if (!chooseSixBySix(pid, shownMs, cpuMs, ticks))
        fail("the first 6 x 6 deal did not show nine pieces", pid);
    print("first_deal_ms", shownMs);
    print("first_deal_cpu_ms", cpuMs);

    // Further deals, from the top piece's menu.
    const auto [user0, system0] = userAndSystemTicks(pid);
    for (int i = 0; i < deals; ++i) {
        const Window top = topWindowOf(pid);
        if (top == 0 || !openMenuAt(pid, pointInside(top), &menuMs)) fail("no menu on a piece", pid);
        print("menu_ms", menuMs);
        if (!chooseSixBySix(pid, shownMs, cpuMs, ticks)) fail("a 6 x 6 deal did not show nine pieces", pid);
        print("deal_ms", shownMs);
        print("deal_cpu_ms", cpuMs);
        print("deal_ticks", static_cast<double>(ticks));
    }
    const auto [user1, system1] = userAndSystemTicks(pid);
    print("deals_user_ticks", static_cast<double>(user1 - user0));
    print("deals_system_ticks", static_cast<double>(system1 - system0));
    print("rss_kb_after_deals", static_cast<double>(rssKb(pid)));

    // Drags of the top piece: pressed inside its outline, moved 21 x 13 pixels off the grid (alternately
    // right-down and left-up), released. Timed from the release to the ConfigureNotify that puts the window
    // at its snapped place; the program snaps, then runs the completion test, before it returns to its event
    // loop and its requests reach the X server.
    for (int i = 0; i < drags; ++i) {
        const Window piece = topWindowOf(pid);
        if (piece == 0) fail("no piece to drag", pid);
        const int sign = i % 2 == 0 ? 1 : -1;
        const Point start = rootPlace(piece), grip = pointInside(piece);
        const Point dragged{start.x + sign * 21, start.y + sign * 13};
        pressAndDrag(grip, {grip.x + sign * 21, grip.y + sign * 13});
        if (!waitFor(
                [&] {
                    const Point p = rootPlace(piece);
                    return p.x == dragged.x && p.y == dragged.y;
                },
                2000))
            fail("the dragged piece did not follow the pointer", pid);
        pause(50);
        const auto snap = [](int v) { return v % 8 < 4 ? v - v % 8 : v + 8 - v % 8; };
        const Point snapped{snap(dragged.x), snap(dragged.y)};
        Tracked& t = windows[piece];
        const long long ns0 = whenIdle(pid);
        const int probeConfigures0 = windows.count(icon) != 0 ? windows[icon].configures : 0;
        t.placeKnown = false;
        double atSnap = 0;
        const double t0 = nowMs();
        button(1, false);
        const bool done = waitFor(
            [&] {
                if (t.placeKnown && t.rootX == snapped.x && t.rootY == snapped.y && atSnap == 0)
                    atSnap = t.lastConfigure;
                return atSnap != 0;
            },
            3000);
        const long long ns1 = whenIdle(pid);
        const Point end = rootPlace(piece);
        if (!done || end.x != snapped.x || end.y != snapped.y)
            fail("the piece did not snap to the grid", pid);
        print("release_ms", atSnap - t0);
        print("release_cpu_ms", static_cast<double>(ns1 - ns0) / 1e6);
        if (windows.count(icon) != 0)
            print("release_probe_configures", windows[icon].configures - probeConfigures0);
    }

    measureIdle(pid, idleSeconds, "idle_ticks_pieces", "idle_cpu_ms_pieces");
    print("rss_kb_end", static_cast<double>(rssKb(pid)));

    // Solved puzzles, three times: 6 x 6 without turning (タイル数 > 6*6（回転なし）), whose pieces,
    // unturned, make the block when they all stand at one place. Each, the top-most first, is dragged there;
    // timed from the release of the last drag to the ninth piece of the next puzzle shown, less the three
    // seconds of Clear.
    const Window top = topWindowOf(pid);
    if (top == 0 || !openMenuAt(pid, pointInside(top))) fail("no menu on a piece", pid);
    for (const char* k : {"Down", "Right", "Down"}) tapKey(k);
    const double chosen = nowMs();
    tapKey("Return");
    if (!shownSince(pid, chosen, 9, 5000)) fail("no 6 x 6 deal without turning", pid);
    const Point block{200, 120};
    const auto atBlock = [&](Window w) {
        const Point p = rootPlace(w);
        return p.x == block.x && p.y == block.y;
    };
    for (int solved = 0; solved < 3; ++solved) {
        pause(300);
        for (int n = 0; n < 9; ++n) {
            // The top-most piece not in the block yet that can be taken somewhere.
            std::set<Window> tried;
            Window piece = 0;
            std::optional<Point> uncovered;
            while (!uncovered) {
                piece = topWindowOf(pid, [&](Window w) { return !atBlock(w) && tried.count(w) == 0; });
                if (piece == 0) fail("no piece left to put in the block", pid);
                tried.insert(piece);
                uncovered = uncoveredPoint(piece);
            }
            const Point start = rootPlace(piece), grip = *uncovered;
            pressAndDrag(grip, {grip.x + block.x - start.x, grip.y + block.y - start.y});
            if (!waitFor([&] { return atBlock(piece); }, 2000))
                fail("a piece did not follow the pointer", pid);
            pause(50);
            whenIdle(pid);
            const double released = nowMs();
            button(1, false);
            if (n < 8) {
                pause(100);
            } else if (const auto shown = shownSince(pid, released + 3000, 9, 8000)) {
                print("restart_ms", *shown - released - 3000);
            } else {
                fail("no new puzzle after the solved one", pid);
            }
        }
    }
    terminate(pid);
    return 0;
}

// With `click`, the first window (Kavimo's icon) is clicked once the process has settled: timed from the
// release to the fourth piece shown.
int start(int settleMs, bool click, char** argv) {
    const pid_t pid = startAndWait(argv);
    const long long ns = cpuNs(pid);
    print("start_cpu_ms", static_cast<double>(ns) / 1e6);
    pause(settleMs);
    print("rss_kb", static_cast<double>(rssKb(pid)));
    if (click) {
        const Point at = pointInside(topWindowOf(pid));
        moveTo(at);
        pause(30);
        button(1, true);
        pause(30);
        whenIdle(pid);
        const double released = nowMs();
        button(1, false);
        if (const auto shown = shownSince(pid, released, 4, 5000))
            print("click_deal_ms", *shown - released);
        else
            print("error=the click on the icon did not deal four pieces", 0);
    }
    terminate(pid);
    return 0;
}

int usage() {
    std::fprintf(stderr,
                 "usage: xwatch start SETTLE_MS [--click] PROGRAM [ARGS...]\n"
                 "       xwatch play DEALS DRAGS IDLE_S PROGRAM [ARGS...]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return usage();
    dpy = XOpenDisplay(nullptr);
    int shapeErrorBase = 0;
    if (dpy != nullptr) XShapeQueryExtension(dpy, &shapeEventBase, &shapeErrorBase);
    if (dpy == nullptr) {
        std::fprintf(stderr, "xwatch: cannot open the display\n");
        return 1;
    }
    XSetErrorHandler(ignoreXErrors);
    root = DefaultRootWindow(dpy);
    netWmPid = XInternAtom(dpy, "_NET_WM_PID", False);
    XSelectInput(dpy, root, SubstructureNotifyMask);
    XSync(dpy, False);

    const std::string mode = argv[1];
    const bool click = argc >= 5 && std::string(argv[3]) == "--click";
    if (mode == "start" && argc >= 4) return start(std::atoi(argv[2]), click, argv + 3 + (click ? 1 : 0));
    if (mode == "play" && argc >= 6)
        return play(std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]), argv + 5);
    return usage();
}
