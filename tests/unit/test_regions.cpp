#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/gdi.h"

using namespace platform;

namespace {

// A region-data record of the given rectangles.
std::vector<std::int32_t> record(std::initializer_list<std::array<std::int32_t, 4>> rectangles) {
    std::vector<std::int32_t> words = {32,
                                       1,
                                       static_cast<std::int32_t>(rectangles.size()),
                                       static_cast<std::int32_t>(16 * rectangles.size()),
                                       0,
                                       0,
                                       0,
                                       0};
    for (const auto& r : rectangles) words.insert(words.end(), r.begin(), r.end());
    return words;
}

HRGN create(const std::vector<std::int32_t>& words) {
    return ExtCreateRegion(nullptr, static_cast<std::uint32_t>(words.size() * 4), words.data());
}

}  // namespace

TEST(Regions, RecordsBecomeRegionsAndBadRecordsAreRefused) {
    const std::size_t before = LiveGdiObjects();
    const HRGN two = create(record({{0, 0, 4, 2}, {0, 2, 2, 4}}));
    ASSERT_NE(two, 0);
    EXPECT_EQ(RegionOf(two)->rectCount(), 2);
    EXPECT_EQ(RegionOf(two)->boundingRect(), QRect(0, 0, 4, 4));

    const std::vector<std::int32_t> zero(216, 0);
    EXPECT_EQ(create(zero), 0);  // an all-zero record
    auto lying = record({{0, 0, 4, 4}});
    lying[2] = 40;  // claims more rectangles than the bytes hold
    EXPECT_EQ(create(lying), 0);
    const XFORM scaled{2, 0, 0, 2, 0, 0};
    const auto one = record({{0, 0, 1, 1}});
    EXPECT_EQ(ExtCreateRegion(&scaled, 48, one.data()), 0);

    EXPECT_TRUE(DeleteObject(two));
    EXPECT_FALSE(DeleteObject(two));  // a handle is gone once deleted
    EXPECT_EQ(LiveGdiObjects(), before);
}

TEST(Regions, CombineReportsTheKindOfItsResult) {
    const HRGN a = CreateRectRgn(0, 0, 8, 8);
    const HRGN b = CreateRectRgn(4, 4, 12, 12);
    const HRGN far = CreateRectRgn(20, 20, 30, 30);
    const HRGN result = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(CombineRgn(result, a, b, RGN_AND), SIMPLEREGION);
    EXPECT_EQ(RegionOf(result)->boundingRect(), QRect(4, 4, 4, 4));
    EXPECT_EQ(CombineRgn(result, a, b, RGN_OR), COMPLEXREGION);
    EXPECT_EQ(CombineRgn(result, a, far, RGN_AND), NULLREGION);
    EXPECT_EQ(CombineRgn(result, a, b, RGN_DIFF), COMPLEXREGION);
    EXPECT_EQ(CombineRgn(result, a, 0, RGN_COPY), SIMPLEREGION);
    EXPECT_EQ(CombineRgn(result, a, 999999, RGN_AND), ERROR);
    EXPECT_EQ(CombineRgn(999999, a, b, RGN_OR), ERROR);
    // The destination may be one of the sources.
    EXPECT_EQ(CombineRgn(a, a, b, RGN_AND), SIMPLEREGION);
    EXPECT_EQ(RegionOf(a)->boundingRect(), QRect(4, 4, 4, 4));
    EXPECT_EQ(OffsetRgn(a, -4, 6), SIMPLEREGION);
    EXPECT_EQ(RegionOf(a)->boundingRect(), QRect(0, 10, 4, 4));
    EXPECT_EQ(OffsetRgn(999999, 1, 1), ERROR);
    for (HRGN h : {a, b, far, result}) DeleteObject(h);
}

TEST(Regions, EmptyAndInvertedRectangles) {
    const HRGN empty = CreateRectRgn(0, 0, 0, 0);
    EXPECT_TRUE(RegionOf(empty)->isEmpty());
    const HRGN inverted = CreateRectRgn(8, 8, 0, 0);  // corners in either order
    EXPECT_EQ(RegionOf(inverted)->boundingRect(), QRect(0, 0, 8, 8));
    DeleteObject(empty);
    DeleteObject(inverted);
}

TEST(Regions, BrushesShareTheHandleTable) {
    const HBRUSH brush = CreateBrushIndirect({BS_SOLID, 0x0000FF, 0});
    ASSERT_NE(brush, 0);
    EXPECT_FALSE(RegionOf(brush).has_value());  // a brush is not a region
    const HRGN r = CreateRectRgn(0, 0, 1, 1);
    EXPECT_EQ(CombineRgn(r, r, brush, RGN_OR), ERROR);
    EXPECT_EQ(CreateBrushIndirect({1, 0, 0}), 0);  // only solid brushes
    DeleteObject(brush);
    DeleteObject(r);
}
