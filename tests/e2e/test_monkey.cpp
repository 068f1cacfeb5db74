// Random pointer actions over the icon and the pieces: presses, drags, releases, clicks, and the menu opened
// and closed again. Whatever the order, the program stays up and, once it has handled a release, every piece
// stands on the screen's 8-pixel grid shaped as four whole cells. KAVIMO_MONKEY_ACTIONS sets how many.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <sstream>

#include "kavimo.h"

using namespace e2e;

TEST(Monkey, RandomPointerActionsLeaveEveryPieceWholeOnTheGrid) {
    const char* count = std::getenv("KAVIMO_MONKEY_ACTIONS");
    const int actions = count ? std::atoi(count) : 2000;
    std::mt19937 random(20240607);  // the same actions on every run; the deal is the program's own
    const auto below = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
    Kavimo kavimo;
    const auto icon = kavimo.waitForIcon();
    ASSERT_TRUE(icon) << kavimo.errors();

    std::vector<Piece> pieces;  // as the last look saw them
    // What is wrong once the program has handled what came before: a puzzle's worth of pieces, each on the
    // grid and shaped as exactly four whole cells, and standing still.
    const auto settled = [&] {
        std::ostringstream faults;
        eventually([&] {
            const std::vector<Piece> before = std::exchange(pieces, kavimo.pieces());
            faults.str("");
            if (isViewable(*icon)) return pieces.empty();
            if (pieces.size() != 4 && pieces.size() != 9) faults << pieces.size() << " pieces; ";
            for (const Piece& p : pieces)
                if (p.place.x % 8 != 0 || p.place.y % 8 != 0 || p.cells.size() != 4 ||
                    p.outline != pixelsOf(p.cells))
                    faults << p << "; ";
            return faults.str().empty() &&
                   std::ranges::equal(before, pieces, [](auto& a, auto& b) { return a.place == b.place; });
        });
        return faults.str();
    };

    // Whether the point is on the screen and on the icon or a piece as they stand now (a click since the last
    // look may have turned a piece away from it).
    const auto onTheProgram = [&](Point at) {
        if (at.x < 0 || at.y < 0 || at.x >= screen().width || at.y >= screen().height) return false;
        if (isViewable(*icon)) return outlineOf(*icon).contains(at - placeOf(*icon).topLeft());
        return std::ranges::any_of(kavimo.pieces(),
                                   [&](const Piece& p) { return p.outline.contains(at - p.place.topLeft()); });
    };

    std::string last;  // the actions so far, for the report
    bool held = false;
    for (int done = 0; done < actions; ++done) {
        // Mostly a point on the program: the icon while it shows, else a cell of some piece; sometimes
        // anywhere.
        Point at{below(screen().width), below(screen().height)};
        if (below(100) >= 15 && isViewable(*icon))
            at = placeOf(*icon).topLeft() + Point{below(32), below(32)};
        if (below(100) >= 15 && !pieces.empty()) {
            const Piece& p = pieces[std::size_t(below(int(pieces.size())))];
            const Cell cell = *std::next(p.cells.begin(), below(int(p.cells.size())));
            at = p.centreOf(cell) + Point{below(8) - 4, below(8) - 4};
        }
        const int roll = below(100);
        std::ostringstream action;
        std::string faults;
        if (held && roll < 50) {
            glide(pointer(), at, 1 + below(4));
            action << "drag to " << at;
        } else if (held || roll < 30) {
            if (!held) movePointer(at);
            held ? release(1) : press(1);
            action << (held ? "release at " : "press at ") << pointer();
            if (!(held = !held)) faults = settled();
        } else if (roll < 60) {
            click(at);
            action << "click at " << at;
            faults = settled();
        } else if (roll < 97) {
            movePointer(at);
            action << "move to " << at;
        } else if (!onTheProgram(at)) {
            action << "no right click at " << at << ": nothing of the program there";
        } else {
            action << "right click and Escape at " << at;
            // No menu is no fault by itself: after a press on the bare desktop Mutter may hold the pointer,
            // and its next press goes to Mutter. A piece that a missed release left moving with the pointer
            // shows at the next look.
            if (kavimo.openMenuAt(at)) {
                tapKey("Escape");
                if (!eventually([&] { return !popupOf(kavimo.pid()); })) faults = "Escape left the menu open";
            }
        }
        last = (last.size() > 600 ? last.substr(last.size() - 600) : last) + "\n  " + action.str();
        ASSERT_EQ(faults, "") << "at action " << done + 1 << "; the last actions:" << last;
        ASSERT_TRUE(kavimo.running()) << "the program ended: " << kavimo.errors() << last;
    }
}
