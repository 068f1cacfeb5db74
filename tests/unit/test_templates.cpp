#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <cstring>

#include "../area.h"
#include "platform/gdi.h"
#include "platform/runtime.h"
#include "toolkit/mod_RGN_Data.h"
#include "toolkit/mod_RGN_Proc.h"

using namespace toolkit;
using platform::RegionOf;

namespace {

class Templates : public ::testing::Test {
  protected:
    void SetUp() override {
        platform::TestSeams::SetTwipsPerPixel(15.0f);
        RGN_InitTemplates();
    }
    void TearDown() override { platform::TestSeams::SetTwipsPerPixel(std::nullopt); }

    static QRegion regionOf(int templateNo, double x = 0, double y = 0) {
        const HRGN handle = RGN_CreateTemplateRegion(templateNo, x, y);
        const QRegion region = *RegionOf(handle);
        platform::DeleteObject(handle);
        return region;
    }
};

QRegion rectanglesOf(const RegionTemplate& record) {
    QRegion region;
    for (int i = 0; i < record.nCount; ++i) {
        const auto* r = record.Buffer[i];
        region += QRect(r[0], r[1], r[2] - r[0], r[3] - r[1]);
    }
    return region;
}

}  // namespace

TEST_F(Templates, RecordsHoldTheirHeadersRectanglesAndZeroSlots) {
    const int counts[12] = {51, 1, 1, 1, 1, 1, 1, 1, 1, 1, 4, 7};
    for (int n = 0; n < 12; ++n) {
        const RegionTemplate& record = RegionTemplates[n];
        SCOPED_TRACE(n);
        EXPECT_EQ(record.dwSize, 32);
        EXPECT_EQ(record.iType, 1);
        EXPECT_EQ(record.nCount, counts[n]);
        EXPECT_EQ(record.nRgnSize, 16 * counts[n]);
        for (int slot = record.nCount; slot < 52; ++slot)
            for (int k = 0; k < 4; ++k) ASSERT_EQ(record.Buffer[slot][k], 0);
        // Rectangles are listed band by band from the top, left to right within a band, never overlapping.
        QRegion seen;
        for (int i = 0; i < record.nCount; ++i) {
            const auto* r = record.Buffer[i];
            const QRect rect(r[0], r[1], r[2] - r[0], r[3] - r[1]);
            EXPECT_FALSE(seen.intersects(rect));
            seen += rect;
            if (i > 0) {
                const auto* p = record.Buffer[i - 1];
                EXPECT_TRUE(r[1] > p[1] || (r[1] == p[1] && r[0] >= p[2]));
            }
        }
        const QRect bound = seen.boundingRect();
        EXPECT_EQ(record.rcBound[0], bound.left());
        EXPECT_EQ(record.rcBound[1], bound.top());
        EXPECT_EQ(record.rcBound[2], bound.right() + 1);
        EXPECT_EQ(record.rcBound[3], bound.bottom() + 1);
    }
    const RegionTemplate zero{};
    EXPECT_EQ(std::memcmp(&RegionTemplates[12], &zero, sizeof zero), 0);
    // The banner: 34 x 13 pixels, rows 8 to 20, with the word's holes in rows 11 to 18.
    EXPECT_EQ(rectanglesOf(RegionTemplates[0]).boundingRect(), QRect(0, 8, 34, 13));
    const auto* first = RegionTemplates[0].Buffer[0];
    const auto* last = RegionTemplates[0].Buffer[50];
    EXPECT_EQ((std::array{first[0], first[1], first[2], first[3]}), (std::array{0, 8, 34, 11}));
    EXPECT_EQ((std::array{last[0], last[1], last[2], last[3]}), (std::array{0, 19, 34, 21}));
    const auto* hole = RegionTemplates[0].Buffer[18];  // band 14-15: spans 20-21 and 22-24 stay apart
    EXPECT_EQ((std::array{hole[0], hole[2]}), (std::array{20, 21}));
}

TEST_F(Templates, TheNotchedCellAndTheDotsMakeAWholeCell) {
    EXPECT_TRUE(sameArea(regionOf(11) | regionOf(10), regionOf(1)));
    EXPECT_TRUE((regionOf(11) & regionOf(10)).isEmpty());
    const HRGN united = RGN_AddTemplateRegion(RGN_CreateTemplateRegion(11, 0, 0), 10, 0, 0);
    EXPECT_EQ(RegionOf(united)->rectCount(), 1);
    platform::DeleteObject(united);
    for (int n = 2; n <= 9; ++n) EXPECT_TRUE(sameArea(regionOf(n), regionOf(1)));
}

TEST_F(Templates, RegionsArePlacedByWholePixelsTowardZero) {
    EXPECT_TRUE(sameArea(regionOf(1), QRegion(1, 1, 8, 8)));
    EXPECT_TRUE(sameArea(regionOf(1, 105, 105), QRegion(8, 8, 8, 8)));
    EXPECT_TRUE(sameArea(regionOf(1, -7, 20), QRegion(1, 2, 8, 8)));  // (0, 1) pixels
    EXPECT_TRUE(sameArea(regionOf(1, -15, -15), QRegion(0, 0, 8, 8)));
}

TEST_F(Templates, AddingToNoRegionCreatesAndDeletesNothing) {
    const std::size_t before = platform::LiveGdiObjects();
    const HRGN added = RGN_AddTemplateRegion(0, 3, 30, 45);
    EXPECT_TRUE(sameArea(*RegionOf(added), regionOf(3, 30, 45)));
    EXPECT_EQ(platform::LiveGdiObjects(), before + 1);
    // With a base, the base handle is consumed and the result covers the union.
    const HRGN grown = RGN_AddTemplateRegion(added, 3, 120, 0);
    EXPECT_FALSE(RegionOf(added).has_value());
    EXPECT_TRUE(sameArea(*RegionOf(grown), regionOf(3, 30, 45) | regionOf(3, 120, 0)));
    platform::DeleteObject(grown);
    EXPECT_EQ(platform::LiveGdiObjects(), before);
}

using TemplatesDeathTest = Templates;

TEST_F(TemplatesDeathTest, AnEmptySlotEndsTheProgramWithItsMessage) {
    EXPECT_EXIT(RGN_CreateTemplateRegion(12, 0, 0), ::testing::ExitedWithCode(1),
                "It failed in reading of region data\\.");
    EXPECT_EXIT(RGN_CreateTemplateRegion(13, 0, 0), ::testing::ExitedWithCode(1), "reading of region data");
    EXPECT_EXIT(
        {
            RegionTemplates[3] = RegionTemplate{};
            RGN_CreateTemplateRegion(3, 0, 0);
        },
        ::testing::ExitedWithCode(1), "reading of region data");
}

// Every picture's non-magenta pixels are exactly its template's region, so the two can never drift apart.
// Picture 9 keeps a magenta centre inside its square.
TEST_F(Templates, PicturesCoverExactlyTheirTemplates) {
    Q_INIT_RESOURCE(pictures);
    const QSize sizes[12] = {{34, 34}, {10, 10}, {10, 10}, {10, 10}, {10, 10}, {10, 10},
                             {10, 10}, {10, 10}, {10, 10}, {10, 10}, {10, 10}, {10, 10}};
    const int depths[12] = {4, 4, 4, 4, 4, 24, 24, 24, 24, 24, 4, 4};
    for (int n = 0; n < 12; ++n) {
        SCOPED_TRACE(n);
        const QString name = QString(":/pPicture%1.bmp").arg(n);
        QFile file(name);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        EXPECT_EQ(static_cast<unsigned char>(bytes.at(28)), depths[n]);  // the bitmap header's bits per pixel
        const QImage picture(name);
        ASSERT_EQ(picture.size(), sizes[n]);
        QRegion painted;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                if (picture.pixelColor(x, y) != QColor(255, 0, 255)) painted += QRect(x, y, 1, 1);
        const QRegion expected = n == 9 ? regionOf(9) - QRegion(2, 2, 6, 6) : regionOf(n);
        EXPECT_TRUE(sameArea(painted, expected));
    }
}
