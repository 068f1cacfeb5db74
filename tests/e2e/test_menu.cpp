// The pop-up menu on a piece: another grid, and the version window.
#include <gtest/gtest.h>

#include <algorithm>

#include "kavimo.h"

using namespace e2e;

namespace {

constexpr std::uint32_t black = 0x000000;

// Right-clicks the top piece and goes through the menu with the keyboard.
testing::AssertionResult chooseOnTheTopPiece(Kavimo& kavimo, std::initializer_list<const char*> keys) {
    const auto pieces = kavimo.pieces();
    if (pieces.empty()) return testing::AssertionFailure() << "no pieces";
    const Piece& top = pieces.back();
    const Point at = top.screenCentreOf(*top.cells.begin());
    const auto menu = kavimo.openMenuAt(at);
    if (!menu) return testing::AssertionFailure() << "no pop-up menu";
    if (placeOf(*menu).topLeft() != at)
        return testing::AssertionFailure() << "the menu does not open at the pointer";
    for (const char* key : keys) tapKey(key);
    return testing::AssertionSuccess();
}

// The origin marker: four 2 x 2 dots at the middles of the sides of the window's cell (0, 0).
std::set<Point> originMarker() {
    std::set<Point> dots;
    for (Point corner : {Point{3, 0}, Point{0, 3}, Point{6, 3}, Point{3, 6}})
        for (Point d : {Point{0, 0}, Point{1, 0}, Point{0, 1}, Point{1, 1}}) dots.insert(corner + d);
    return dots;
}

}  // namespace

TEST(Menu, SixBySixWithoutTurningDealsNineUnturnedPiecesThatAClickLeavesAlone) {
    Launch launch;
    launch.arguments = {"marks"};  // any command-line text: every piece shows its origin marker
    Kavimo kavimo(launch);
    ASSERT_EQ(kavimo.dealFromTheIcon().size(), 4u) << kavimo.errors();
    // タイル数 > 6*6（回転なし）
    ASSERT_TRUE(chooseOnTheTopPiece(kavimo, {"Down", "Right", "Down", "Return"}));

    const auto pieces = kavimo.waitForPieces(9);
    ASSERT_EQ(pieces.size(), 9u) << "pieces on the screen: " << kavimo.pieces().size();
    const auto marked = originMarker();
    std::set<Cell> dealt;
    for (const Piece& piece : pieces) {
        SCOPED_TRACE(testing::Message() << "piece at " << piece.place.topLeft());
        EXPECT_EQ(piece.place.width, 48);
        EXPECT_EQ(piece.place.height, 48);
        EXPECT_TRUE(isAbove(piece.window));
        EXPECT_EQ(piece.place.x % 8, 0);
        EXPECT_EQ(piece.place.y % 8, 0);
        EXPECT_EQ(piece.cells.size(), 4u);
        // The marker stands where it was dealt, on cell (0, 0): the piece has not been turned.
        auto expected = pixelsOf(piece.cells);
        expected.insert(marked.begin(), marked.end());
        EXPECT_EQ(piece.outline, expected);
        for (Cell cell : piece.cells) EXPECT_TRUE(dealt.insert(cell).second) << "two pieces share a cell";
    }
    EXPECT_EQ(dealt.size(), 36u);

    // The dots are black; the top piece hides nothing of its own.
    const Piece top = pieces.back();
    const Image corner = grabScreen({top.place.x, top.place.y, 8, 8});
    for (Point dot : marked) EXPECT_EQ(corner.at(dot.x, dot.y), black) << "dot pixel " << dot;

    // A click does not turn a piece in this grid; dragging still works.
    const Point at = top.screenCentreOf(*top.cells.begin());
    click(at);
    pause(200);  // at a hand's pace
    movePointer(at);
    pressButton(1);
    glide(at, at + Point{16, 16});
    EXPECT_TRUE(eventually([&] {
        return placeOf(top.window).topLeft() == top.place.topLeft() + Point{16, 16};
    }));
    releaseButton(1);
    waitUntilPointerIsFree();
    const Piece after = readPiece(top.window);
    EXPECT_EQ(after.outline, top.outline);
    EXPECT_EQ(after.place.topLeft(), (top.place.topLeft() + Point{16, 16}));
}

TEST(Menu, TheVersionWindowOpensCentredAbovePiecesAndEnterClosesIt) {
    Kavimo kavimo;
    const auto pieces = kavimo.dealFromTheIcon();
    ASSERT_EQ(pieces.size(), 4u) << kavimo.errors();
    ASSERT_TRUE(chooseOnTheTopPiece(kavimo, {"Down", "Down", "Return"}));  // バージョン情報

    std::optional<WindowId> version;
    ASSERT_TRUE(eventually([&] {
        for (WindowId window : viewableWindowsOf(kavimo.pid()))
            if (titleOf(window) == "バージョン情報") version = window;
        return version.has_value();
    })) << "no version window";
    // Centred as a whole, the window manager's frame included, once the window manager has framed it.
    Rect frame;
    EXPECT_TRUE(eventually([&] {
        frame = framePlaceOf(*version);
        return std::abs(frame.x + frame.width / 2 - 512) <= 1 &&
               std::abs(frame.y + frame.height / 2 - 384) <= 1 && frame != placeOf(*version);
    })) << "frame "
        << frame;
    EXPECT_EQ(placeOf(*version).width, 263);  // 3945 x 1125 twips
    EXPECT_EQ(placeOf(*version).height, 75);
    EXPECT_TRUE(isAbove(*version));
    for (const Piece& piece : kavimo.pieces())
        EXPECT_GT(stackingLevel(*version), stackingLevel(piece.window))
            << "a piece stands above the version window";

    // Escape does nothing (there is no cancel button); Enter presses OK.
    tapKey("Escape");
    pause(300);
    EXPECT_TRUE(isViewable(*version));
    tapKey("Return");
    EXPECT_TRUE(eventually([&] { return !isViewable(*version); }))
        << "Enter did not close the version window";

    // The program goes on with the same puzzle.
    pause(200);
    EXPECT_TRUE(kavimo.running());
    const auto after = kavimo.pieces();
    ASSERT_EQ(after.size(), pieces.size());
    for (const Piece& piece : pieces)
        EXPECT_TRUE(std::any_of(after.begin(), after.end(), [&](const Piece& now) {
            return now.window == piece.window && now.place == piece.place;
        })) << describe(piece);
}
