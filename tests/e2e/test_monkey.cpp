// Ten thousand random pointer actions over the icon and the pieces: presses, drags, releases, clicks and the
// menu opened and closed again. Whatever the order, the program stays up, and once it has handled a release
// every piece stands on the screen's 8-pixel grid with its shape whole.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <deque>
#include <random>
#include <sstream>

#include "kavimo.h"

using namespace e2e;

namespace {

// A fixed seed: the same presses, drags, clicks and menus in the same order on every run (the deal is the
// program's own and differs), so that a failure can be followed up; printed with every run.
constexpr std::uint32_t monkeySeed = 20240607;
constexpr int actionCount = 10000;

// What is wrong with the pieces as the X server shows them; empty when nothing is. Before the first deal
// there are none; after it, one puzzle's worth: 4 pieces of a 4 x 4 grid or 9 of a 6 x 6 grid, each window
// on the screen's 8-pixel grid and shaped as exactly four whole cells of its own 8-pixel grid.
std::string faultsOf(const std::vector<Piece>& pieces, bool dealt) {
    std::ostringstream faults;
    if (!dealt) {
        if (!pieces.empty()) faults << pieces.size() << " pieces before the first deal; ";
        return faults.str();
    }
    if (pieces.size() != 4 && pieces.size() != 9) faults << pieces.size() << " pieces; ";
    const int side = pieces.size() == 9 ? 48 : 32;
    for (const Piece& piece : pieces) {
        if (piece.place.x % cellSize != 0 || piece.place.y % cellSize != 0)
            faults << "off the grid: " << describe(piece) << "; ";
        if (piece.place.width != side || piece.place.height != side)
            faults << "a window of " << piece.place << "; ";
        if (piece.cells.size() != 4 || piece.outline != pixelsOf(piece.cells))
            faults << "not four whole cells (" << piece.outline.size() << " pixels): " << describe(piece)
                   << "; ";
    }
    return faults.str();
}

std::string listed(const std::vector<Piece>& pieces) {
    std::string text;
    for (const Piece& piece : pieces) text += "\n  " + describe(piece);
    return text;
}

class Monkey {
  public:
    explicit Monkey(Kavimo& kavimo) : kavimo_(kavimo), random_(monkeySeed), screen_(screenRect()) {
        icon_ = kavimo.waitForIcon();
    }

    bool ready() const { return icon_.has_value(); }
    int checks() const { return checks_; }
    int menus() const { return menus_; }
    int deals() const { return deals_; }

    // One random action; a failure says what went wrong.
    testing::AssertionResult act() {
        if (held_) {
            // With the button held: drag on, or let go.
            if (chance(0.5)) return drag(target());
            releaseButton(1);
            held_ = false;
            note("release at ", pointer());
            return settled("a release");
        }
        const double roll = uniform(0.0, 1.0);
        if (roll < 0.30) {
            movePointer(target());
            pressButton(1);
            held_ = true;
            note("press at ", pointer());
            return testing::AssertionSuccess();
        }
        if (roll < 0.60) {
            movePointer(target());
            pressButton(1);
            releaseButton(1);
            note("click at ", pointer());
            return settled("a click");
        }
        if (roll < 0.97) {
            movePointer(target());
            note("move to ", pointer());
            return testing::AssertionSuccess();
        }
        return menuAndEscape();
    }

    // The last actions, for a failure's message.
    std::string history() const {
        std::string text;
        for (const std::string& line : history_) text += "\n  " + line;
        return text;
    }

    // Waits until the program has handled what came before and checks the pieces; the reads of the last wait
    // when it failed.
    testing::AssertionResult settled(const char* after) {
        ++checks_;
        if (!waitUntilPointerIsFree())
            return testing::AssertionFailure() << "the program still holds the pointer after " << after;
        std::vector<Piece> now = readPieces(), before;
        std::string faults;
        const bool ok = eventually(
            [&] {
                before = std::exchange(now, readPieces());
                dealt_ = dealt_ || !isViewable(*icon_);
                faults = faultsOf(now, dealt_);
                if (!faults.empty()) windows_.clear();  // look again for every window of the program
                return faults.empty() && sameLayout(now, before);
            },
            5000);
        if (!ok) return testing::AssertionFailure() << "after " << after << ": " << faults;
        if (!pieces_.empty() && !now.empty() && !windowOf(pieces_, now.front().window)) ++deals_;
        pieces_ = now;
        return testing::AssertionSuccess();
    }

  private:
    static bool windowOf(const std::vector<Piece>& pieces, WindowId window) {
        return std::any_of(pieces.begin(), pieces.end(), [&](const Piece& p) { return p.window == window; });
    }

    // The piece windows, found again on the whole screen when one of those known has gone, and now and then
    // so that no window that comes in addition goes unseen.
    std::vector<Piece> readPieces() {
        const bool gone = std::any_of(windows_.begin(), windows_.end(),
                                      [](WindowId window) { return !isViewable(window); });
        if (windows_.empty() || gone || checks_ % 32 == 0) {
            windows_.clear();
            for (WindowId window : windowsNamed(kavimo_.pid(), "Form2"))
                if (isViewable(window)) windows_.push_back(window);
            // In the order they were made, not as they are stacked, so that the seed alone picks the targets.
            std::sort(windows_.begin(), windows_.end());
        }
        std::vector<Piece> pieces;
        for (WindowId window : windows_) pieces.push_back(readPiece(window));
        return pieces;
    }

    bool chance(double p) { return uniform(0.0, 1.0) < p; }
    double uniform(double from, double to) {
        return std::uniform_real_distribution<double>(from, to)(random_);
    }
    int between(int from, int to) { return std::uniform_int_distribution<int>(from, to)(random_); }

    Point anywhere() { return {between(0, screen_.width - 1), between(0, screen_.height - 1)}; }

    // Mostly a point on one of the program's windows: the icon while it is shown, else a pixel of some
    // piece's shape (the piece that shows there may be another one above it); sometimes anywhere.
    Point target() {
        if (chance(0.15)) return anywhere();
        return onTheProgram().value_or(anywhere());
    }

    void note(const char* what, Point at) {
        std::ostringstream line;
        line << what << at;
        history_.push_back(line.str());
        if (history_.size() > 12) history_.pop_front();
    }

    std::optional<Point> onTheProgram() {
        if (!dealt_) {
            const Rect icon = placeOf(*icon_);
            return icon.topLeft() + Point{between(0, icon.width - 1), between(0, icon.height - 1)};
        }
        for (int attempt = 0; attempt < 8 && !pieces_.empty(); ++attempt) {
            const Piece& piece = pieces_[std::size_t(between(0, int(pieces_.size()) - 1))];
            if (piece.cells.empty()) continue;
            auto cell = piece.cells.begin();
            std::advance(cell, between(0, int(piece.cells.size()) - 1));
            const Point at = piece.place.topLeft() + Point{cell->x * cellSize + between(0, cellSize - 1),
                                                           cell->y * cellSize + between(0, cellSize - 1)};
            if (screen_.contains(at)) return at;
        }
        return std::nullopt;
    }

    // A few steps of a hand with the button down.
    testing::AssertionResult drag(Point to) {
        const Point from = pointer();
        const int steps = between(1, 4);
        for (int i = 1; i <= steps; ++i) {
            movePointer({from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps});
            pause(2);
        }
        note("drag to ", to);
        return testing::AssertionSuccess();
    }

    std::optional<WindowId> popup() const {
        for (WindowId window : viewableWindowsOf(kavimo_.pid()))
            if (isPopupMenu(window)) return window;
        return std::nullopt;
    }

    // A right click on the program opens its menu; Escape closes it again and nothing else changes.
    testing::AssertionResult menuAndEscape() {
        const auto at = onTheProgram();
        if (!at) return testing::AssertionSuccess();
        ++menus_;
        movePointer(*at);
        note("right click and Escape at ", *at);
        pressButton(3);
        releaseButton(3);
        if (!eventually([&] { return popup().has_value(); }))
            return testing::AssertionFailure() << "no menu after a right click at " << *at;
        tapKey("Escape");
        if (!eventually([&] { return !popup().has_value(); }))
            return testing::AssertionFailure() << "Escape did not close the menu";
        return settled("the menu");
    }

    Kavimo& kavimo_;
    std::mt19937 random_;
    Rect screen_;
    std::optional<WindowId> icon_;
    std::vector<WindowId> windows_;
    std::vector<Piece> pieces_;
    std::deque<std::string> history_;
    bool held_ = false;
    bool dealt_ = false;
    int checks_ = 0, menus_ = 0, deals_ = 0;
};

}  // namespace

TEST(Monkey, TenThousandRandomPointerActionsLeaveEveryPieceWholeOnTheGrid) {
    std::printf("monkey seed: %u\n", monkeySeed);
    Kavimo kavimo;
    Monkey monkey(kavimo);
    ASSERT_TRUE(monkey.ready()) << kavimo.errors();

    const auto start = std::chrono::steady_clock::now();
    int done = 0;
    for (; done < actionCount; ++done) {
        const auto result = monkey.act();
        ASSERT_TRUE(result) << "action " << done + 1 << " of seed " << monkeySeed
                            << "; the last actions:" << monkey.history()
                            << "\nthe pieces now:" << listed(kavimo.pieces());
        ASSERT_TRUE(kavimo.running()) << "the program ended at action " << done + 1 << ", status "
                                      << kavimo.waitForExit(0).value_or(-1) << ": " << kavimo.errors();
    }
    releaseHeldButtons();
    ASSERT_TRUE(monkey.settled("the last action"));
    EXPECT_TRUE(kavimo.running()) << kavimo.errors();

    const auto seconds =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start).count();
    std::printf("monkey: %d actions, %d checked releases, %d menus, %d new deals, %lld s\n", done,
                monkey.checks(), monkey.menus(), monkey.deals(), static_cast<long long>(seconds));
}
