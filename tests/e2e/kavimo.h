// The built program as a player starts it: a fresh copy in a folder of its own (its settings file lives
// beside it), run as a process of its own, its windows read back from the X server, killed at the end if up.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "../xclient.h"

namespace e2e {

using namespace xclient;
using Cell = Point;  // column and row of a piece window's 8 x 8 cells

// A piece as the X server shows it: its place, its bounding shape, and the whole cells inside that shape.
struct Piece {
    WindowId window = 0;
    Rect place;
    std::set<Point> outline;
    std::set<Cell> cells;
    Point centreOf(Cell cell) const { return place.topLeft() + Point{cell.x * 8 + 4, cell.y * 8 + 4}; }
    bool operator==(const Piece&) const = default;
};

Piece readPiece(WindowId window);
std::ostream& operator<<(std::ostream& out, const Piece& piece);
std::set<Point> pixelsOf(const std::set<Cell>& cells);
// The cells turned a quarter turn clockwise within a grid of n x n cells: (x, y) -> (n - 1 - y, x).
std::set<Cell> turned(const std::set<Cell>& cells, int n);

struct Launch {
    std::vector<std::string> arguments;
    std::optional<std::string> settings;                            // kavimo.ini's text, if any
    std::map<std::string, std::optional<std::string>> environment;  // a value, or unset
};

class Kavimo {
  public:
    explicit Kavimo(const Launch& launch = {});
    ~Kavimo();
    Kavimo(const Kavimo&) = delete;
    Kavimo& operator=(const Kavimo&) = delete;

    int pid() const { return pid_; }
    std::string settings() const;  // the settings file's text, empty when there is none
    std::string errors() const;    // what the program wrote to its standard error
    void replaceBinary() const;    // a new copy of the executable in place of the running one
    bool running() { return !waitForExit(0); }
    // The exit status (128 + the signal's number after a signal), or nothing while it still runs.
    std::optional<int> waitForExit(int milliseconds = 5000);

    std::optional<WindowId> waitForIcon();
    // The pieces on the screen, from the bottom of the stack up.
    std::vector<Piece> pieces() const;
    // Waits until that many pieces are on the screen and have stopped moving.
    std::vector<Piece> waitForPieces(std::size_t count) const;
    // Right-clicks at the point; the pop-up menu once it is shown.
    std::optional<WindowId> openMenuAt(Point at) const;

  private:
    std::filesystem::path folder_;
    int pid_ = -1;
    std::optional<int> status_;
};

}  // namespace e2e
