// Playing a 4 x 4 puzzle: the deal, turning and dragging pieces, solving it and the next deal.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <sstream>

#include "kavimo.h"

using namespace e2e;

namespace {

constexpr std::uint32_t black = 0x000000, magenta = 0xFF00FF;

std::size_t indexOf(const std::vector<Piece>& pieces, WindowId window) {
    return static_cast<std::size_t>(
        std::find_if(pieces.begin(), pieces.end(), [&](const Piece& p) { return p.window == window; }) -
        pieces.begin());
}

// The cells of pieces[index] that no piece above it hides (pieces go from the bottom of the stack up).
std::vector<Cell> visibleCells(const std::vector<Piece>& pieces, std::size_t index) {
    const Piece& piece = pieces.at(index);
    std::vector<Cell> visible;
    for (Cell cell : piece.cells) {
        bool hidden = false;
        for (Point pixel : pixelsOf({cell}))
            for (std::size_t above = index + 1; above < pieces.size() && !hidden; ++above)
                hidden = pieces[above].outline.count(piece.place.topLeft() + pixel -
                                                     pieces[above].place.topLeft());
        if (!hidden) visible.push_back(cell);
    }
    return visible;
}

Rect cellOnScreen(const Piece& piece, Cell cell) {
    return {piece.place.x + cell.x * cellSize, piece.place.y + cell.y * cellSize, cellSize, cellSize};
}

// Picks the piece up by the cell and lets it go where its window's top-left corner is at the point.
void dragPiece(const Piece& piece, Cell cell, Point to) {
    const Point from = piece.screenCentreOf(cell);
    movePointer(from);
    pause(30);
    pressButton(1);
    glide(from, from + (to - piece.place.topLeft()), 8);
    eventually([&] { return placeOf(piece.window).topLeft() == to; }, 2000);
    releaseButton(1);
    waitUntilPointerIsFree();
}

// Lays that many pieces out apart in a row low on the screen, the top one first, so that each can be turned
// and picked up on its own; their windows, in the row's order.
std::vector<WindowId> layOutApart(Kavimo& kavimo, std::size_t count) {
    std::vector<WindowId> laidOut;
    for (std::size_t slot = 0; slot < count; ++slot) {
        const auto pieces = kavimo.pieces();
        std::size_t index = pieces.size();
        for (std::size_t i = 0; i < pieces.size(); ++i)
            if (std::find(laidOut.begin(), laidOut.end(), pieces[i].window) == laidOut.end()) index = i;
        if (index == pieces.size()) break;
        const auto visible = visibleCells(pieces, index);
        if (visible.empty()) break;
        const Point place{64 + 128 * static_cast<int>(slot), 600};
        dragPiece(pieces[index], visible.front(), place);
        if (!eventually([&] { return placeOf(pieces[index].window).topLeft() == place; })) break;
        laidOut.push_back(pieces[index].window);
    }
    return laidOut;
}

std::set<Cell> turnedTimes(std::set<Cell> cells, int turns, int n) {
    for (int i = 0; i < turns; ++i) cells = turned(cells, n);
    return cells;
}

// Whether turning each piece within its own grid can give back one n x n block: the pieces of a deal are
// cut from such a block and then turned about the grid's middle.
bool cutFromOneBlock(const std::vector<std::set<Cell>>& shapes, int n, std::size_t next = 0,
                     std::set<Cell> covered = {}) {
    if (next == shapes.size()) return covered.size() == std::size_t(n * n);
    for (int turns = 0; turns < 4; ++turns) {
        const auto shape = turnedTimes(shapes[next], turns, n);
        std::set<Cell> together = covered;
        together.insert(shape.begin(), shape.end());
        if (together.size() == covered.size() + shape.size() &&
            cutFromOneBlock(shapes, n, next + 1, together))
            return true;
    }
    return false;
}

// Where a piece goes in the finished block: turned so many quarter turns, with its window's cell (0, 0) on
// the block's cell `offset`.
struct Placement {
    int turns = 0;
    Point offset;
};

// A small search for an arrangement of all pieces, turned and moved, that fills an n x n block exactly: the
// first empty cell of the block (row by row) is filled by some cell of some unused piece in some turn.
bool pack(const std::vector<std::set<Cell>>& shapes, int n, std::vector<bool>& used, std::set<Cell>& covered,
          std::vector<Placement>& placements) {
    std::optional<Cell> empty;
    for (int y = 0; y < n && !empty; ++y)
        for (int x = 0; x < n && !empty; ++x)
            if (!covered.count({x, y})) empty = Cell{x, y};
    if (!empty) return true;
    for (std::size_t i = 0; i < shapes.size(); ++i) {
        if (used[i]) continue;
        for (int turns = 0; turns < 4; ++turns) {
            const auto shape = turnedTimes(shapes[i], turns, n);
            for (Cell anchor : shape) {
                const Point offset = *empty - anchor;
                std::set<Cell> placed;
                for (Cell cell : shape) {
                    const Cell at = cell + offset;
                    if (at.x < 0 || at.y < 0 || at.x >= n || at.y >= n || covered.count(at)) break;
                    placed.insert(at);
                }
                if (placed.size() != shape.size()) continue;
                used[i] = true;
                covered.insert(placed.begin(), placed.end());
                placements[i] = {turns, offset};
                if (pack(shapes, n, used, covered, placements)) return true;
                used[i] = false;
                for (Cell cell : placed) covered.erase(cell);
            }
        }
    }
    return false;
}

std::optional<std::vector<Placement>> arrangement(const std::vector<std::set<Cell>>& shapes, int n) {
    std::vector<bool> used(shapes.size());
    std::set<Cell> covered;
    std::vector<Placement> placements(shapes.size());
    if (!pack(shapes, n, used, covered, placements)) return std::nullopt;
    return placements;
}

// Collects the pixels that are not as expected, for one readable failure.
class Mismatches {
  public:
    void check(bool ok, int x, int y, const char* what) {
        if (ok) return;
        if (++count_ <= 10) text_ << " (" << x << ", " << y << ") " << what << ";";
    }
    bool none() const { return count_ == 0; }
    std::string text() const {
        return text_.str() + (count_ > 10 ? " and more: " + std::to_string(count_) : "");
    }

  private:
    int count_ = 0;
    std::ostringstream text_;
};

std::uint32_t brightness(std::uint32_t rgb) {
    return (rgb >> 16 & 0xFF) + (rgb >> 8 & 0xFF) + (rgb & 0xFF);
}

// An 8 x 8 block lit from the top left: a light top and left edge, a dark bottom and right edge, a flat face.
testing::AssertionResult bevelled(const Image& cell) {
    const std::uint32_t light = cell.at(0, 0), dark = cell.at(7, 7), face = cell.at(3, 3);
    for (int i = 0; i < 7; ++i)
        if (cell.at(i, 0) != light || cell.at(0, i) != light)
            return testing::AssertionFailure() << "the top and left edges are not one colour";
    for (int i = 1; i < 8; ++i)
        if (cell.at(i, 7) != dark || cell.at(7, i) != dark)
            return testing::AssertionFailure() << "the bottom and right edges are not one colour";
    for (int y = 1; y < 7; ++y)
        for (int x = 1; x < 7; ++x)
            if (cell.at(x, y) != face) return testing::AssertionFailure() << "the face is not flat";
    if (!(brightness(light) > brightness(face) && brightness(face) > brightness(dark)))
        return testing::AssertionFailure()
               << std::hex << "edges " << light << " and " << dark << ", face " << face;
    return testing::AssertionSuccess();
}

}  // namespace

TEST(Play, AClickOnTheIconDealsFourTopmostPiecesCutFromOneBlockAroundIt) {
    Kavimo kavimo;
    const auto icon = kavimo.waitForIcon();
    ASSERT_TRUE(icon) << kavimo.errors();
    click({512, 384});
    const auto pieces = kavimo.waitForPieces(4);
    ASSERT_EQ(pieces.size(), 4u) << "pieces on the screen: " << kavimo.pieces().size();
    EXPECT_FALSE(isViewable(*icon));

    std::vector<std::set<Cell>> shapes;
    for (const Piece& piece : pieces) {
        SCOPED_TRACE(describe(piece));
        EXPECT_EQ(piece.place.width, 32);
        EXPECT_EQ(piece.place.height, 32);
        EXPECT_TRUE(isAbove(piece.window));
        EXPECT_EQ(piece.place.x % 8, 0);
        EXPECT_EQ(piece.place.y % 8, 0);
        // Scattered around the icon's place (496, 368): up to 128 pixels left, 120 right, 64 up, 56 down.
        EXPECT_TRUE(piece.place.x >= 368 && piece.place.x <= 616);
        EXPECT_TRUE(piece.place.y >= 304 && piece.place.y <= 424);
        EXPECT_EQ(piece.cells.size(), 4u);
        EXPECT_EQ(piece.outline, pixelsOf(piece.cells)) << "the outline is not made of whole cells only";
        shapes.push_back(piece.cells);
    }
    EXPECT_TRUE(cutFromOneBlock(shapes, 4));

    // Every cell is a bevelled block in its piece's own colour.
    std::set<std::uint32_t> faces;
    std::size_t seen = 0;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        const auto visible = visibleCells(pieces, i);
        if (visible.empty()) continue;
        const Image cell = grabScreen(cellOnScreen(pieces[i], visible.front()));
        EXPECT_TRUE(bevelled(cell)) << describe(pieces[i]);
        faces.insert(cell.at(3, 3));
        ++seen;
    }
    EXPECT_GE(seen, 1u);
    EXPECT_EQ(faces.size(), seen) << "two pieces share a colour";
}

TEST(Play, AClickTurnsAPieceClockwiseAboutTheClickedCellAndADragSnapsItToTheGrid) {
    Kavimo kavimo;
    auto pieces = kavimo.dealFromTheIcon();
    ASSERT_EQ(pieces.size(), 4u) << kavimo.errors();
    const WindowId window = pieces.back().window;
    // The piece as it stands now, and those of its cells that no other piece covers (none when it is gone).
    const auto standing = [&] {
        pieces = kavimo.pieces();
        const std::size_t index = indexOf(pieces, window);
        if (index >= pieces.size()) return std::pair<Piece, std::vector<Cell>>{};
        return std::pair{pieces[index], visibleCells(pieces, index)};
    };

    for (std::size_t turn = 0; turn < 3; ++turn) {
        const auto [before, visible] = standing();
        ASSERT_FALSE(visible.empty()) << describe(before);
        const Cell grab = visible[turn % visible.size()];
        SCOPED_TRACE(testing::Message() << describe(before) << ", clicked in " << grab);

        click(before.place.topLeft() + Point{grab.x * cellSize + 2, grab.y * cellSize + 5});
        // A quarter turn clockwise within the grid takes the clicked cell to (3 - y, x); the window moves by
        // whole cells so that the clicked cell stays under the pointer.
        const Cell moved{3 - grab.y, grab.x};
        const Point expectedPlace =
            before.place.topLeft() - Point{cellSize * (moved.x - grab.x), cellSize * (moved.y - grab.y)};
        const auto expectedCells = turned(before.cells, 4);
        Piece after;
        EXPECT_TRUE(eventually(
            [&] {
                after = readPiece(window);
                return after.place.topLeft() == expectedPlace && after.cells == expectedCells;
            },
            3000))
            << "now " << describe(after);
        EXPECT_EQ(after.outline, pixelsOf(after.cells));
    }

    // A drag lands on the nearest line of the screen's 8-pixel grid (half way goes on); it does not turn.
    const struct { Point by, snapped; } drags[] = {{{3, -5}, {0, -8}}, {{20, 12}, {24, 16}}};
    for (const auto& drag : drags) {
        const auto [before, visible] = standing();
        ASSERT_FALSE(visible.empty()) << describe(before);
        SCOPED_TRACE(testing::Message() << describe(before) << ", dragged by " << drag.by);

        const Point from = before.screenCentreOf(visible.front());
        movePointer(from);
        pause(30);
        pressButton(1);
        glide(from, from + drag.by);
        EXPECT_TRUE(eventually([&] { return placeOf(window).topLeft() == before.place.topLeft() + drag.by; }))
            << "the piece does not follow the pointer";
        releaseButton(1);
        waitUntilPointerIsFree();
        EXPECT_TRUE(eventually([&] {
            return placeOf(window).topLeft() == before.place.topLeft() + drag.snapped;
        })) << "it is "
            << placeOf(window);
        EXPECT_EQ(readPiece(window).cells, before.cells);
    }
}

TEST(Play, APressRightAfterADropPicksUpThePieceUnderThePointer) {
    Kavimo kavimo;
    ASSERT_EQ(kavimo.dealFromTheIcon().size(), 4u) << kavimo.errors();
    const auto laidOut = layOutApart(kavimo, 2);
    ASSERT_EQ(laidOut.size(), 2u) << "the pieces could not be laid out apart";

    // A quick hand lets one piece go and at once picks up the next.
    for (int round = 0; round < 8; ++round) {
        SCOPED_TRACE(round);
        const Piece first = readPiece(laidOut[0]), second = readPiece(laidOut[1]);
        const Point from = first.screenCentreOf(*first.cells.begin());
        const Point next = second.screenCentreOf(*second.cells.begin());
        movePointer(from);
        pause(30);
        pressButton(1);
        glide(from, from + Point{0, 8}, 3);
        if (!eventually([&] {
                return placeOf(first.window).topLeft() == first.place.topLeft() + Point{0, 8};
            })) {
            releaseButton(1);
            FAIL() << "the first piece did not follow the pointer";
        }
        releaseButton(1);
        movePointer(next);
        pressButton(1);
        glide(next, next + Point{8, 0}, 3);
        const bool followed = eventually(
            [&] {
                return placeOf(second.window).topLeft() == second.place.topLeft() + Point{8, 0};
            },
            2000);
        releaseButton(1);
        waitUntilPointerIsFree();
        EXPECT_TRUE(followed) << "the second piece did not follow the pointer";
        EXPECT_TRUE(eventually(
            [&] {
                return placeOf(first.window).topLeft() == first.place.topLeft() + Point{0, 8};
            },
            1000))
            << "the first piece moved on to " << placeOf(first.window);
        if (testing::Test::HasFailure()) break;
    }
}

TEST(Play, SolvingThePuzzleShowsClearAcrossTheBlockThenDealsTheNextAroundIt) {
    Kavimo kavimo;
    auto pieces = kavimo.dealFromTheIcon();
    ASSERT_EQ(pieces.size(), 4u) << kavimo.errors();
    std::vector<WindowId> dealt;
    for (const Piece& piece : pieces) dealt.push_back(piece.window);

    const auto laidOut = layOutApart(kavimo, 4);
    ASSERT_EQ(laidOut.size(), 4u) << "the pieces could not be laid out apart";

    std::vector<std::set<Cell>> shapes;
    for (WindowId window : laidOut) shapes.push_back(readPiece(window).cells);
    const auto placements = arrangement(shapes, 4);
    ASSERT_TRUE(placements) << "the pieces cannot fill a 4 x 4 block";

    // Turn each piece as the arrangement needs: every click is a quarter turn about the clicked cell. Keep
    // one cell's picture of each piece to know what the block shows.
    std::vector<Image> looks;
    for (std::size_t k = 0; k < laidOut.size(); ++k) {
        Piece piece = readPiece(laidOut[k]);
        const Point at = piece.screenCentreOf(*piece.cells.begin());
        for (int turn = 0; turn < (*placements)[k].turns; ++turn) {
            const auto wanted = turned(piece.cells, 4);
            click(at);
            ASSERT_TRUE(eventually([&] {
                const Piece now = readPiece(laidOut[k]);
                return now.cells == wanted && now.place != piece.place;
            })) << describe(readPiece(laidOut[k]));
            piece = readPiece(laidOut[k]);
        }
        looks.push_back(grabScreen(cellOnScreen(piece, *piece.cells.begin())));
    }

    // Bring them together into a block on a free part of the screen; the last one finishes the puzzle.
    const Point block{200, 120};
    const Rect area{block.x - 4, block.y - 4, 40, 40};
    const Image empty = grabScreen(area);
    std::map<Cell, std::size_t> pieceOnCell;
    auto dropped = std::chrono::steady_clock::now();
    for (std::size_t k = 0; k < laidOut.size(); ++k) {
        const Piece piece = readPiece(laidOut[k]);
        const Point offset = (*placements)[k].offset;
        for (Cell cell : piece.cells) pieceOnCell[cell + offset] = k;
        const Point place = block + Point{cellSize * offset.x, cellSize * offset.y};
        dragPiece(piece, *piece.cells.begin(), place);
        dropped = std::chrono::steady_clock::now();
        ASSERT_TRUE(eventually([&] { return placeOf(piece.window).topLeft() == place; }))
            << "dragged to " << place << " from " << describe(piece) << ", now "
            << describe(readPiece(piece.window));
    }

    // "Clear": a black band in a grey frame across the block, seen only on the pieces, the word cut out of
    // it. Rows are counted from the block's top (band rows 7 to 19), columns from its left.
    const auto at = [&](const Image& image, int x, int y) { return image.at(x + 4, y + 4); };
    const auto pieceShows = [&](int x, int y) {
        return looks[pieceOnCell.at({x / 8, y / 8})].at(x % 8, y % 8);
    };
    Image shown = grabScreen(area);
    const bool bannerShown = eventually(
        [&] {
            shown = grabScreen(area);
            for (int x = 0; x < 31; ++x)
                if (at(shown, x, 8) != black) return false;
            return true;
        },
        2500);
    EXPECT_TRUE(bannerShown) << "no Clear banner over the block";
    if (bannerShown) {
        pause(200);  // every piece has painted its part by now
        shown = grabScreen(area);
        const std::uint32_t frame = at(shown, 0, 7);
        EXPECT_NE(frame, black);
        EXPECT_NE(frame, magenta);
        Mismatches wrong;
        int holes = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                const std::uint32_t pixel = at(shown, x, y);
                if (y < 7 || y > 19) {
                    wrong.check(pixel == pieceShows(x, y), x, y, "beyond the band, not the piece");
                } else if (y == 7 || y == 19 || x == 31) {
                    wrong.check(pixel == frame, x, y, "not the frame");
                } else if (pixel != black) {
                    // A hole of the word: the piece underneath shows through it.
                    wrong.check(pixel == pieceShows(x, y), x, y, "a hole that does not show the piece");
                    wrong.check(y >= 10 && y <= 17, x, y, "a hole outside the word's rows");
                    ++holes;
                }
            }
        EXPECT_TRUE(wrong.none()) << "block pixels:" << wrong.text();
        EXPECT_GT(holes, 40) << "the word is missing";
        // Around the block nothing changed: the banner shows on the pieces only.
        Mismatches outside;
        for (int y = 0; y < area.height; ++y)
            for (int x = 0; x < area.width; ++x)
                if (!Rect{4, 4, 32, 32}.contains({x, y}))
                    outside.check(shown.at(x, y) == empty.at(x, y), x - 4, y - 4, "changed");
        EXPECT_TRUE(outside.none()) << "around the block:" << outside.text();
    }

    // A while later the solved pieces are gone and a new puzzle of the same size is dealt around the block.
    std::vector<Piece> next;
    ASSERT_TRUE(eventually(
        [&] {
            next = kavimo.pieces();
            return next.size() == 4 && std::none_of(next.begin(), next.end(), [&](const Piece& p) {
                       return std::find(dealt.begin(), dealt.end(), p.window) != dealt.end();
                   });
        },
        10000))
        << "no new deal";
    EXPECT_GE(std::chrono::steady_clock::now() - dropped, std::chrono::seconds(2))
        << "the solved puzzle was not left on the screen for a while";
    next = kavimo.waitForPieces(4);
    ASSERT_EQ(next.size(), 4u);
    for (const Piece& piece : next) {
        SCOPED_TRACE(describe(piece));
        EXPECT_EQ(piece.place.width, 32);
        EXPECT_EQ(piece.cells.size(), 4u);
        EXPECT_TRUE(isAbove(piece.window));
        EXPECT_EQ(piece.place.x % 8, 0);
        EXPECT_EQ(piece.place.y % 8, 0);
        // Around one pixel left of and above the block's corner, snapped to the grid.
        EXPECT_TRUE(piece.place.x >= block.x - 128 && piece.place.x <= block.x + 120);
        EXPECT_TRUE(piece.place.y >= block.y - 64 && piece.place.y <= block.y + 56);
    }
    for (WindowId old : dealt) EXPECT_FALSE(exists(old)) << "a window of the solved puzzle is still there";
}
