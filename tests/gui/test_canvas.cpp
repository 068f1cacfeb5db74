#include <gtest/gtest.h>
#include <QGuiApplication>
#include <QScreen>

#include "../area.h"
#include "platform/runtime.h"
#include "toolkit/frm_RGN_Picture.h"
#include "toolkit/mod_RGN_Proc.h"
#include "toolkit/mod_RGN_UserFunction.h"
#include "window_test.h"
#include "x11.h"

using namespace toolkit;

namespace {

class Canvas : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        platform::Load(form);
        form.setLeft(3000);
        form.setTop(3000);
    }
    // Draws a part at pixel (x - 1, y - 1), so that its square covers the cell at (x, y).
    void drawCell(int templateNo, int x, int y) {
        double left = PixelToTwipX(x - 1), top = PixelToTwipY(y - 1);
        DrawRGNPart(templateNo, form, left, top);
    }
    platform::Form& form = platform::NewForm<platform::Form>("Canvas");
};

}  // namespace

TEST_F(Canvas, TheTagHoldsThePendingOutlineUntilItIsApplied) {
    PrepareRGNCanvas(form, 1, 480, 480);
    EXPECT_EQ(form.Tag, "0,1");
    EXPECT_EQ(form.Left(), 0);  // at the corner until its owner places it
    EXPECT_EQ(form.Width(), 480);
    drawCell(1, 0, 0);
    drawCell(1, 16, 8);
    const int pending = std::stoi(form.Tag);
    EXPECT_NE(pending, 0);
    EXPECT_EQ(form.Tag, std::to_string(pending) + ",1");
    const QRegion outline = *platform::RegionOf(pending);
    EXPECT_TRUE(sameArea(outline, QRegion(0, 0, 8, 8) + QRegion(16, 8, 8, 8)));

    form.show();
    ApplyRGNCanvas(form);
    EXPECT_EQ(form.Tag, "0,1");
    EXPECT_FALSE(platform::RegionOf(pending).has_value());  // the window owns it now
    EXPECT_TRUE(sameArea(form.mask(), outline));
    ASSERT_TRUE(xtest::waitFor([&] { return sameArea(xtest::shapeOf(form), outline); }));
}

TEST_F(Canvas, EachApplyShowsOnlyThePartsDrawnSinceTheLast) {
    PrepareRGNCanvas(form, 1, 480, 480);
    drawCell(2, 0, 0);
    ApplyRGNCanvas(form);
    const QImage first = form.image();
    drawCell(2, 8, 0);
    ApplyRGNCanvas(form);
    EXPECT_TRUE(sameArea(form.mask(), QRegion(8, 0, 8, 8)));
    // The first part of the new outline cleared the picture of the old one.
    EXPECT_EQ(form.image().pixel(3, 3), QImage(form.image()).pixel(20, 20));
    EXPECT_NE(first.pixel(3, 3), form.image().pixel(3, 3));
    // Drawing twice at one place leaves the outline as after the first.
    drawCell(2, 8, 8);
    drawCell(2, 8, 8);
    EXPECT_TRUE(sameArea(*platform::RegionOf(std::stoi(form.Tag)), QRegion(8, 8, 8, 8)));
    ApplyRGNCanvas(form);
}

TEST_F(Canvas, PositionsSnapToWholePixelsInTheCallersVariables) {
    PrepareRGNCanvas(form, 1, 480, 480);
    double x = 22, y = -7;
    DrawRGNPart(1, form, x, y);
    EXPECT_EQ(x, 15);
    EXPECT_EQ(y, 0);
    ApplyRGNCanvas(form);
}

TEST_F(Canvas, DefaultSizeIsTheScreenAboveTheTaskBar) {
    PrepareRGNCanvas(form, 0, -1, -1);
    EXPECT_EQ(form.Width(), platform::Screen::Width());
    EXPECT_EQ(form.Height(), RGN_WorkAreaHeight());
    EXPECT_EQ(form.Top(), 0);
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(RGN_WorkAreaHeight(), (area.y() + area.height()) * 15);
}

TEST_F(Canvas, ApplyingNothingRemovesTheOutline) {
    PrepareRGNCanvas(form, 1, 150, 150);
    RGN_ShapeWindow(1, form, 0, 0, false);
    EXPECT_FALSE(form.mask().isEmpty());
    ApplyRGNCanvas(form);
    EXPECT_TRUE(form.mask().isEmpty());
}

TEST_F(Canvas, OutlineOnlyAndFilledModes) {
    PrepareRGNCanvas(form, 0, 150, 150);
    const QImage cleared = form.image();
    drawCell(4, 0, 0);
    EXPECT_EQ(form.image(), cleared);  // outline only: nothing painted
    ApplyRGNCanvas(form);

    PrepareRGNCanvas(form, 2, 150, 150);
    double x = 0, y = 0;
    DrawRGNPart(4, form, x, y, 0x0000FF);  // the picture, then a red fill over the part
    EXPECT_EQ(QColor(form.image().pixel(4, 4)), QColor(Qt::red));
    EXPECT_EQ(QColor(form.image().pixel(0, 0)), platform::OleColor(form.BackColor()));
    ApplyRGNCanvas(form);
}
