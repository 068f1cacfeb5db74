// The built program as a player starts it: a fresh copy in a directory of its own (its settings file lives
// beside it), run as a process of its own, its windows found on the X server, killed at the end if still up.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "desktop.h"

namespace e2e {

inline constexpr int cellSize = 8;

// A cell of a piece window's grid: column x, row y, 8 x 8 pixels each from the window's top-left corner.
using Cell = Point;

// A piece as the X server shows it.
struct Piece;
// Whether two reads show the same windows at the same places with the same outlines.
bool sameLayout(const std::vector<Piece>& a, const std::vector<Piece>& b);

struct Piece {
    WindowId window = 0;
    // On the screen.
    Rect place;
    // The bounding shape, relative to the window.
    std::set<Point> outline;
    // The whole 8 x 8 cells inside the outline.
    std::set<Cell> cells;
    Point screenCentreOf(Cell cell) const {
        return {place.x + cell.x * cellSize + cellSize / 2, place.y + cell.y * cellSize + cellSize / 2};
    }
};

Piece readPiece(WindowId window);
// Where the piece is and which cells it has, for messages.
std::string describe(const Piece& piece);
// The pixels of the cells.
std::set<Point> pixelsOf(const std::set<Cell>& cells);
// The cells turned a quarter turn clockwise within a grid of n x n cells: (x, y) -> (n - 1 - y, x).
std::set<Cell> turned(const std::set<Cell>& cells, int n);

struct Launch {
    std::vector<std::string> arguments;
    std::optional<std::string> settings;                            // kavimo.ini's text, if any
    std::map<std::string, std::optional<std::string>> environment;  // changes: a value, or unset
};

class Kavimo {
  public:
    explicit Kavimo(const Launch& launch = {});
    ~Kavimo();
    Kavimo(const Kavimo&) = delete;
    Kavimo& operator=(const Kavimo&) = delete;

    int pid() const { return pid_; }
    std::filesystem::path settingsFile() const { return directory_ / "kavimo.ini"; }
    // The settings file's text; empty when there is none.
    std::string settings() const;
    // What the program wrote to its standard error.
    std::string errors() const;

    bool running();
    void signal(int number);
    // The exit status once the process has ended, or nothing when it is still running after the time.
    // A process ended by a signal reports 128 + the signal's number.
    std::optional<int> waitForExit(int milliseconds = 5000);

    // The icon window, once it is on the screen.
    std::optional<WindowId> waitForIcon(int milliseconds = 5000);
    std::optional<WindowId> iconWindow() const;
    // The piece windows on the screen, from the bottom of the stack to the top.
    std::vector<Piece> pieces() const;
    // Waits until exactly that many piece windows are on the screen.
    std::vector<Piece> waitForPieces(std::size_t count, int milliseconds = 5000) const;

    // Clicks the icon once it is shown, and waits for the deal.
    std::vector<Piece> dealFromTheIcon(std::size_t count = 4);
    // Right-clicks at the point; the pop-up menu's window once it is shown.
    std::optional<WindowId> openMenuAt(Point at) const;

  private:
    std::filesystem::path directory_;
    int pid_ = -1;
    std::optional<int> status_;
};

}  // namespace e2e
