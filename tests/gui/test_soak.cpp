// A thousand puzzles in a row, as a long session deals them: from the menu, after solved puzzles, with turns
// in between. Nothing may pile up: windows, region handles and memory stay where they were after a warm-up.
#include <unistd.h>

#include <QApplication>

#include <cstddef>
#include <fstream>
#include <vector>

#include "game_fixture.h"
#include "platform/gdi.h"

using namespace game;

namespace {

struct Usage {
    std::size_t windows = 0;
    std::size_t forms = 0;
    std::size_t regions = 0;
    long residentBytes = 0;
};

// What the process holds once the windows of thrown-away puzzles are gone, as at the event loop's next turn.
Usage usage() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    Usage now;
    now.windows = static_cast<std::size_t>(QApplication::topLevelWidgets().size());
    now.forms = platform::Forms().size();
    now.regions = platform::LiveGdiObjects();
    long size = 0, resident = 0;
    std::ifstream("/proc/self/statm") >> size >> resident;
    now.residentBytes = resident * sysconf(_SC_PAGESIZE);
    return now;
}

// Freed memory is held back from reuse under AddressSanitizer, so resident memory grows there whatever the
// program does; its leak check at the end covers memory instead.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kResidentMemoryMeansSomething = false;
#else
constexpr bool kResidentMemoryMeansSomething = true;
#endif

class Soak : public Game {
  protected:
    // Gives the pieces cells that, all at one place, fill the block; the completion test finds it solved, as
    // after a drag, and the completion step deals the next puzzle.
    static bool solve() {
        const int n = static_cast<int>(TileCountX);
        for (int p = 0; p < PieceCount; ++p) {
            std::vector<std::pair<int, int>> cells;
            for (int k = 4 * p; k < 4 * p + 4; ++k) cells.push_back({k % n, k / n});
            setCells(p, cells);
            place(p, 400, 296);
        }
        const bool solved = IsPuzzleSolved(piece(0)) == platform::True;
        FinishPuzzle();
        return solved;
    }

    // Puzzle i of the session: a grid chosen from the menu (each of the three items, one with a turn of a
    // piece), or the next puzzle after a solved one.
    // Returns whether it was a solved one.
    static bool play(int i) {
        bool solved = false;
        switch (i % 5) {
            case 0:
                menuForm().tc_Click(0);
                break;
            case 1:
                menuForm().tc_Click(2);
                piece(i % 9).Form_Click();
                break;
            case 2:
                menuForm().tc_Click(1);
                break;
            default:
                solved = solve();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return solved;
    }
};

TEST_F(Soak, AThousandPuzzlesInARowLeaveNothingBehind) {
    platform::TestSeams::RecordSleeps(true);  // the three seconds of Clear pass at once
    start();
    int puzzle = 0, solved = 0;
    for (; puzzle < 100; ++puzzle) solved += play(puzzle);
    const Usage warm = usage();
    for (; puzzle < 1000; ++puzzle) solved += play(puzzle);
    const Usage after = usage();

    EXPECT_EQ(after.windows, warm.windows);
    EXPECT_EQ(after.forms, warm.forms);
    EXPECT_EQ(after.regions, warm.regions);
    if constexpr (kResidentMemoryMeansSomething) {
        EXPECT_LT(after.residentBytes - warm.residentBytes, 2 << 20);
    }
    // Every solved puzzle showed Clear for its three seconds, and nothing else paused.
    EXPECT_EQ(solved, 400);
    EXPECT_EQ(platform::TestSeams::RecordedSleeps(), std::vector<std::int32_t>(400, 3000));
}

}  // namespace
