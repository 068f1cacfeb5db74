// On a screen scaled by two (QT_SCALE_FACTOR=2), every window, outline and cell is twice as large in device
// pixels, the pixel art is scaled without blur, and the settings file keeps its place in twips of logical
// pixels.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <sstream>

#include "kavimo.h"

using namespace e2e;

namespace {

constexpr int scale = 2;
constexpr int deviceCell = cellSize * scale;

Launch scaledByTwo() {
    Launch launch;
    launch.environment["QT_SCALE_FACTOR"] = std::to_string(scale);
    return launch;
}

// The whole 16 x 16 cells of a 64 x 64 piece window's outline.
std::set<Cell> deviceCellsOf(const std::set<Point>& outline, int side) {
    std::set<Cell> cells;
    for (int y = 0; y < side / deviceCell; ++y)
        for (int x = 0; x < side / deviceCell; ++x) {
            bool whole = true;
            for (int py = 0; py < deviceCell && whole; ++py)
                for (int px = 0; px < deviceCell && whole; ++px)
                    whole = outline.count({x * deviceCell + px, y * deviceCell + py}) != 0;
            if (whole) cells.insert({x, y});
        }
    return cells;
}

std::set<Point> devicePixelsOf(const std::set<Cell>& cells) {
    std::set<Point> pixels;
    for (Cell cell : cells)
        for (int py = 0; py < deviceCell; ++py)
            for (int px = 0; px < deviceCell; ++px)
                pixels.insert({cell.x * deviceCell + px, cell.y * deviceCell + py});
    return pixels;
}

// Whether every 2 x 2 block of the picture, from its top-left corner, is one colour: each pixel of the art
// became a block of four, none blended with its neighbours.
testing::AssertionResult inSolidBlocks(const Image& image) {
    for (int y = 0; y + 1 < image.height(); y += scale)
        for (int x = 0; x + 1 < image.width(); x += scale) {
            const std::uint32_t colour = image.at(x, y);
            if (image.at(x + 1, y) != colour || image.at(x, y + 1) != colour ||
                image.at(x + 1, y + 1) != colour)
                return testing::AssertionFailure()
                       << std::hex << "the block at (" << std::dec << x << ", " << y << ") mixes " << std::hex
                       << colour << ", " << image.at(x + 1, y) << ", " << image.at(x, y + 1) << ", "
                       << image.at(x + 1, y + 1);
        }
    return testing::AssertionSuccess();
}

// Whether a piece above the one at `index` covers any pixel of the screen rectangle.
bool hiddenByAPieceAbove(const std::vector<Piece>& pieces, std::size_t index, Rect area) {
    for (std::size_t above = index + 1; above < pieces.size(); ++above)
        for (int y = area.y; y < area.y + area.height; ++y)
            for (int x = area.x; x < area.x + area.width; ++x)
                if (pieces[above].outline.count(Point{x, y} - pieces[above].place.topLeft())) return true;
    return false;
}

// The value of a key of the [Data] section, names compared without case.
std::string dataValue(const std::string& settings, const std::string& key) {
    const auto lowered = [](std::string text) {
        std::transform(text.begin(), text.end(), text.begin(),
                       [](unsigned char c) { return std::tolower(c); });
        return text;
    };
    std::istringstream lines(settings);
    bool inData = false;
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.starts_with('['))
            inData = lowered(line) == "[data]";
        else if (inData && lowered(line.substr(0, line.find('='))) == lowered(key))
            return line.substr(line.find('=') + 1);
    }
    return "";
}

}  // namespace

TEST(HiDpi, TheIconAndThePiecesAreTwiceAsLargeOnTheirOwnGridAndTheirPixelsStaySharp) {
    Kavimo kavimo(scaledByTwo());
    const auto icon = kavimo.waitForIcon();
    ASSERT_TRUE(icon) << kavimo.errors();
    // 32 x 32 logical pixels in the middle of a 512 x 384 logical screen.
    EXPECT_EQ(placeOf(*icon), (Rect{480, 352, 64, 64}));
    EXPECT_TRUE(inSolidBlocks(grabScreen(placeOf(*icon)))) << "the icon";

    click(placeOf(*icon).topLeft() + Point{32, 32});
    const auto pieces = kavimo.waitForPieces(4);
    ASSERT_EQ(pieces.size(), 4u) << "pieces on the screen: " << kavimo.pieces().size();
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        const Piece& piece = pieces[i];
        SCOPED_TRACE(testing::Message() << "piece at " << piece.place.topLeft());
        EXPECT_EQ(piece.place.width, 64);  // a 4 x 4 grid of 16-pixel cells
        EXPECT_EQ(piece.place.height, 64);
        EXPECT_EQ(piece.place.x % deviceCell, 0);
        EXPECT_EQ(piece.place.y % deviceCell, 0);
        const auto cells = deviceCellsOf(piece.outline, piece.place.width);
        EXPECT_EQ(cells.size(), 4u);
        EXPECT_EQ(piece.outline, devicePixelsOf(cells)) << "the outline is not made of whole 16 x 16 cells";
        for (Cell cell : cells) {
            const Rect area{piece.place.x + cell.x * deviceCell, piece.place.y + cell.y * deviceCell,
                            deviceCell, deviceCell};
            if (hiddenByAPieceAbove(pieces, i, area)) continue;
            EXPECT_TRUE(inSolidBlocks(grabScreen(area))) << "cell " << cell;
        }
    }
}

TEST(HiDpi, QuitFromTheMenuSavesTheIconsPlaceInTwipsOfLogicalPixels) {
    Kavimo kavimo(scaledByTwo());
    const auto icon = kavimo.waitForIcon();
    ASSERT_TRUE(icon) << kavimo.errors();
    ASSERT_TRUE(kavimo.openMenuAt(placeOf(*icon).topLeft() + Point{32, 32})) << "no pop-up menu";
    for (const char* key : {"Down", "Down", "Down", "Return"}) tapKey(key);  // 終了
    EXPECT_EQ(kavimo.waitForExit(), 0) << kavimo.errors();
    // The icon stands at (240, 176) logical pixels, 15 twips each, as on an unscaled screen of that size.
    EXPECT_EQ(dataValue(kavimo.settings(), "X"), "3600") << kavimo.settings();
    EXPECT_EQ(dataValue(kavimo.settings(), "Y"), "2640") << kavimo.settings();
}
