// Random pointer actions over the icon and the pieces: presses, drags, releases, clicks, and the menu opened
// and closed again. Whatever the order, the program stays up and, once it has handled a release, every piece
// stands on the screen's 8-pixel grid shaped as four whole cells. KAVIMO_MONKEY_ACTIONS sets how many.
#include <gtest/gtest.h>

#include <cstdlib>
#include <deque>
#include <random>
#include <sstream>

#include "kavimo.h"

using namespace e2e;

namespace {

// What is wrong with the pieces on the screen: a puzzle's worth of windows, each on the screen's grid and
// shaped as exactly four whole cells.
std::string faultsOf(const std::vector<Piece>& pieces) {
    std::ostringstream faults;
    if (pieces.size() != 4 && pieces.size() != 9) faults << pieces.size() << " pieces; ";
    for (const Piece& piece : pieces)
        if (piece.place.x % 8 != 0 || piece.place.y % 8 != 0 || piece.cells.size() != 4 ||
            piece.outline != pixelsOf(piece.cells) || piece.place.width != (pieces.size() == 9 ? 48 : 32))
            faults << piece << " of " << piece.place << " (" << piece.outline.size() << " pixels); ";
    return faults.str();
}

}  // namespace

TEST(Monkey, RandomPointerActionsLeaveEveryPieceWholeOnTheGrid) {
    const int actions =
        std::getenv("KAVIMO_MONKEY_ACTIONS") ? std::atoi(std::getenv("KAVIMO_MONKEY_ACTIONS")) : 2000;
    std::mt19937 random(20240607);  // the same actions on every run; the deal is the program's own
    const auto between = [&](int from, int to) {
        return std::uniform_int_distribution<int>(from, to)(random);
    };
    Kavimo kavimo;
    const auto icon = kavimo.waitForIcon();
    ASSERT_TRUE(icon) << kavimo.errors();

    std::vector<Piece> pieces;  // as the last check saw them
    // Mostly a point on the program: the icon while it shows, else a cell of some piece; sometimes anywhere.
    const auto target = [&]() -> Point {
        const Rect all = screen();
        if (between(0, 99) < 15 || (pieces.empty() && !isViewable(*icon)))
            return {between(0, all.width - 1), between(0, all.height - 1)};
        if (pieces.empty()) return placeOf(*icon).topLeft() + Point{between(0, 31), between(0, 31)};
        const Piece& piece = pieces[std::size_t(between(0, int(pieces.size()) - 1))];
        Cell cell = *std::next(piece.cells.begin(), between(0, int(piece.cells.size()) - 1));
        return piece.place.topLeft() + Point{cell.x * 8 + between(0, 7), cell.y * 8 + between(0, 7)};
    };
    // The faults left once the program has handled what came before: none, or those that stay.
    const auto settled = [&] {
        std::string faults;
        std::vector<Piece> before;
        eventually([&] {
            before = std::exchange(pieces, kavimo.pieces());
            if (isViewable(*icon)) return pieces.empty();
            faults = faultsOf(pieces);
            return faults.empty() && before.size() == pieces.size() &&
                   std::equal(before.begin(), before.end(), pieces.begin(),
                              [](const Piece& a, const Piece& b) { return a.place == b.place; });
        });
        return faults;
    };

    std::deque<std::string> history;
    bool held = false;
    for (int done = 0; done < actions; ++done) {
        std::ostringstream action;
        std::string faults;
        const Point at = target();
        const int roll = between(0, 99);
        if (held && roll < 50) {
            glide(pointer(), at, between(1, 4));
            action << "drag to " << at;
        } else if (held || roll < 30) {
            if (!held) movePointer(at);
            held ? release(1) : press(1);
            action << (held ? "release at " : "press at ") << pointer();
            held = !held;
            if (!held) faults = settled();
        } else if (roll < 60) {
            movePointer(at);
            press(1);
            release(1);
            action << "click at " << at;
            faults = settled();
        } else if (roll < 97) {
            movePointer(at);
            action << "move to " << at;
        } else {
            movePointer(at);
            press(3);
            release(3);
            action << "right click and Escape at " << at;
            // No menu is no fault by itself: a piece turned since the last look may have left the point. A
            // piece that a missed release left moving with the pointer shows at the next check.
            if (eventually([&] { return popupOf(kavimo.pid()).has_value(); }, 1000)) {
                tapKey("Escape");
                if (!eventually([&] { return !popupOf(kavimo.pid()); })) faults = "Escape left the menu open";
            }
        }
        history.push_back(action.str());
        if (history.size() > 12) history.pop_front();
        std::string last;
        for (const std::string& line : history) last += "\n  " + line;
        ASSERT_EQ(faults, "") << "at action " << done + 1 << "; the last actions:" << last;
        ASSERT_TRUE(kavimo.running()) << "the program ended: " << kavimo.errors() << last;
    }
}
