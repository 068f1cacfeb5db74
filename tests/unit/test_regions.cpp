// Regions: the handle table's algebra, the template records, regions placed from them, and the pictures that
// go with them.
#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>

#include "platform/gdi.h"
#include "platform/runtime.h"
#include "toolkit/mod_RGN_Data.h"
#include "toolkit/mod_RGN_Proc.h"

using namespace platform;
using namespace toolkit;

namespace {

class Regions : public ::testing::Test {
  protected:
    void SetUp() override {
        TestSeams::SetTwipsPerPixel(15.0f);
        RGN_InitTemplates();
    }
    void TearDown() override { TestSeams::SetTwipsPerPixel(std::nullopt); }

    // The region of a template placed at (x, y) twips; its handle is deleted again.
    static QRegion placed(int templateNo, double x = 0, double y = 0) {
        const HRGN handle = RGN_CreateTemplateRegion(templateNo, x, y);
        const QRegion region = *RegionOf(handle);
        DeleteObject(handle);
        return region;
    }
    // The same pixels, however the rectangles are cut.
    static bool same(const QRegion& a, const QRegion& b) { return (a ^ b).isEmpty(); }
};

}  // namespace

TEST_F(Regions, CombiningReportsWhetherTheResultIsOneRectangleOrMore) {
    const std::size_t objects = LiveGdiObjects();
    const HRGN a = CreateRectRgn(0, 0, 8, 8), b = CreateRectRgn(12, 12, 4, 4),
               far = CreateRectRgn(20, 20, 30, 30);
    const HRGN result = CreateRectRgn(0, 0, 0, 0), brush = CreateBrushIndirect({BS_SOLID, 0xFF, 0});
    const struct {
        HRGN first, second;
        int mode, kind;
    } cases[] = {
        {a, b, RGN_AND, SIMPLEREGION},   {a, b, RGN_OR, COMPLEXREGION},  {a, far, RGN_AND, NULLREGION},
        {a, b, RGN_DIFF, COMPLEXREGION}, {a, 0, RGN_COPY, SIMPLEREGION}, {a, 999999, RGN_AND, ERROR},
        {a, brush, RGN_OR, ERROR},  // a brush is no region
    };
    for (const auto& c : cases) EXPECT_EQ(CombineRgn(result, c.first, c.second, c.mode), c.kind) << c.mode;

    std::vector<std::int32_t> record = {32, 1, 2, 32, 0, 0, 0, 0, 0, 0, 4, 2, 0, 2, 2, 4};
    const HRGN two = ExtCreateRegion(nullptr, 64, record.data());
    EXPECT_EQ(RegionOf(two)->boundingRect(), QRect(0, 0, 4, 4));
    const XFORM scaled{2, 0, 0, 2, 0, 0};
    EXPECT_EQ(ExtCreateRegion(&scaled, 64, record.data()), 0);
    record[2] = 40;  // more rectangles than the bytes hold
    EXPECT_EQ(ExtCreateRegion(nullptr, 64, record.data()), 0);
    for (HRGN handle : {a, b, far, result, brush, two}) EXPECT_TRUE(DeleteObject(handle));
    EXPECT_FALSE(DeleteObject(two));  // a handle is gone once deleted
    EXPECT_EQ(LiveGdiObjects(), objects);
}

TEST_F(Regions, TemplatesHoldTheirRectanglesAndArePlacedByWholePixels) {
    // The banner: 51 rectangles in rows 8 to 20; in the band 14-15 the spans 20-21 and 22-24 stay apart.
    EXPECT_EQ(RegionTemplates[0].nCount, 51);
    EXPECT_EQ(std::vector(RegionTemplates[0].Buffer[18], RegionTemplates[0].Buffer[18] + 4),
              (std::vector{20, 14, 21, 15}));
    // The notched cell and the dots make a whole cell.
    EXPECT_TRUE(same(placed(11) | placed(10), placed(1)) && (placed(11) & placed(10)).isEmpty());
    const HRGN united = RGN_AddTemplateRegion(RGN_CreateTemplateRegion(11, 0, 0), 10, 0, 0);
    EXPECT_EQ(RegionOf(united)->rectCount(), 1);
    DeleteObject(united);

    const struct {
        double x, y;
        QRect cell;
    } places[] = {
        {0, 0, {1, 1, 8, 8}}, {105, 105, {8, 8, 8, 8}}, {-7, 20, {1, 2, 8, 8}}, {-15, -15, {0, 0, 8, 8}}};
    for (const auto& p : places) EXPECT_TRUE(same(placed(5, p.x, p.y), QRegion(p.cell))) << p.x << "," << p.y;
}

// Every picture's pixels that are not magenta are exactly its template's region; picture 9 keeps a magenta
// centre inside its square.
TEST_F(Regions, PicturesCoverExactlyTheirTemplates) {
    Q_INIT_RESOURCE(pictures);
    for (int n = 0; n < 12; ++n) {
        const QString name = QString(":/pPicture%1.bmp").arg(n);
        const QImage picture(name);
        EXPECT_EQ(picture.size(), n == 0 ? QSize(34, 34) : QSize(10, 10));
        QRegion painted;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                if (picture.pixelColor(x, y) != QColor(255, 0, 255)) painted += QRect(x, y, 1, 1);
        EXPECT_TRUE(same(painted, n == 9 ? placed(9) - QRegion(2, 2, 6, 6) : placed(n))) << n;
    }
}
