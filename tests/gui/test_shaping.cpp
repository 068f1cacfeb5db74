#include <gtest/gtest.h>
#include <QApplication>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>

#include "../area.h"
#include "platform/runtime.h"
#include "toolkit/frm_RGN_Picture.h"
#include "toolkit/mod_RGN_Data.h"
#include "toolkit/mod_RGN_Proc.h"
#include "toolkit/mod_RGN_UserFunction.h"
#include "window_test.h"
#include "x11.h"

using namespace toolkit;

namespace {

class Shaping : public WindowTest {
  protected:
    // A shown form at the pixel position, shaped as the template.
    static platform::Form& shapedForm(int templateNo, int x, int y) {
        auto& form = platform::NewForm<platform::Form>("Shaped");
        platform::Load(form);
        MakeRGNWindow(templateNo, form, true);
        form.setLeft(x * 15);
        form.setTop(y * 15);
        form.show();
        return form;
    }
};

}  // namespace

TEST_F(Shaping, TheXServerHoldsTheOutlineGivenAndItsUnion) {
    platform::Form& form = shapedForm(1, 100, 100);
    EXPECT_EQ(form.Width(), 150);
    EXPECT_EQ(form.Height(), 150);
    ASSERT_TRUE(xtest::waitFor([&] { return sameArea(xtest::shapeOf(form), QRegion(1, 1, 8, 8)); }));

    RGN_ShapeWindow(10, form, 0, 0, true);  // the dots lie on the square: the union is the square
    EXPECT_TRUE(sameArea(form.mask(), QRegion(1, 1, 8, 8)));
    RGN_ShapeWindow(11, form, 0, 0, false);  // a new outline replaces the old one
    ASSERT_TRUE(xtest::waitFor([&] { return sameArea(xtest::shapeOf(form), form.mask()); }));
    const QRegion dots =
        QRegion(4, 1, 2, 2) + QRegion(1, 4, 2, 2) + QRegion(7, 4, 2, 2) + QRegion(4, 7, 2, 2);
    EXPECT_TRUE(sameArea(form.mask(), QRegion(1, 1, 8, 8) - dots));
    RGN_ShapeWindow(1, form, 150, 0, true);  // the union of the notched cell and a cell beside it
    EXPECT_TRUE(sameArea(form.mask(), (QRegion(1, 1, 8, 8) - dots) + QRegion(11, 1, 8, 8)));
}

TEST_F(Shaping, ANotchedCellOverlapsAWholeCellButTwoCellsNeverDo) {
    platform::Form& probe = shapedForm(11, 200, 200);
    platform::Form& cell = shapedForm(1, 200, 200);
    platform::Form& other = shapedForm(2, 200, 200);
    EXPECT_TRUE(RGNOverlap(probe, cell));
    EXPECT_FALSE(RGNOverlap(cell, other));  // the common area is one rectangle
    other.setLeft(cell.Left() + 4 * 15);
    EXPECT_FALSE(RGNOverlap(cell, other));
    // A position set between pixels lands on the nearest pixel: 3007 twips is pixel 200.
    cell.setLeft(3007);
    EXPECT_EQ(cell.Left(), 3000);
    EXPECT_TRUE(RGNOverlap(probe, cell));
    cell.setLeft(3000 + 8 * 15);
    EXPECT_FALSE(RGNOverlap(probe, cell));  // the next cell over: no common area
}

TEST_F(Shaping, AWindowWithoutOutlineOverlapsNothing) {
    platform::Form& probe = shapedForm(11, 300, 300);
    auto& plain = platform::NewForm<platform::Form>("Plain");
    platform::Load(plain);
    plain.moveTo(QPoint(300, 300));
    plain.resize(10, 10);
    const std::size_t before = platform::LiveGdiObjects();
    EXPECT_FALSE(RGNOverlap(probe, plain));
    EXPECT_EQ(platform::LiveGdiObjects(), before);  // the test's own regions are deleted
}

TEST_F(Shaping, SizingFollowsTheTemplateFrame) {
    auto& form = platform::NewForm<platform::Form>("Sized");
    platform::Load(form);
    form.setWidth(600);
    form.setHeight(435);
    RGN_SizeToTemplate(12, form);
    RGN_SizeToTemplate(-1, form);
    EXPECT_EQ(form.Width(), 600);
    EXPECT_EQ(form.Height(), 435);
    RGN_SizeToTemplate(0, form);
    EXPECT_EQ(form.Width(), 510);
    RGN_SizeToTemplate(11.0, form);
    EXPECT_EQ(form.Height(), 150);
}

TEST_F(Shaping, PaintingThroughARegionChangesExactlyItsPixels) {
    auto& form = platform::NewForm<platform::Form>("Painted");
    platform::Load(form);
    form.AutoRedraw = true;
    form.setBackColor(0x00404040);
    form.setWidth(300);
    form.setHeight(300);
    const QImage before = form.image();
    RGN_PaintTemplatePicture(10, form, 30, 45);  // the dots at pixel (2, 3)
    const QImage& after = form.image();
    const QRegion dots =
        QRegion(4, 1, 2, 2) + QRegion(1, 4, 2, 2) + QRegion(7, 4, 2, 2) + QRegion(4, 7, 2, 2);
    for (int y = 0; y < after.height(); ++y) {
        for (int x = 0; x < after.width(); ++x) {
            const bool inside = dots.translated(2, 3).contains(QPoint(x, y));
            ASSERT_EQ(after.pixel(x, y) != before.pixel(x, y), inside) << x << "," << y;
            if (inside) {
                ASSERT_EQ(QColor(after.pixel(x, y)), QColor(Qt::black));
            }
        }
    }
    // A picture placed one pixel up and left shows its block at the window's corner, clipped to it.
    RGN_PaintTemplatePicture(1, form, -15, -15);
    EXPECT_EQ(QColor(form.image().pixel(0, 0)), QColor(RGN_Pictures().pPicture[1].pixel(1, 1)));
    EXPECT_EQ(QColor(form.image().pixel(8, 8)), QColor(before.pixel(8, 8)));
}

TEST_F(Shaping, ShapedAndPaintedWindowsShowTheirPictureOnScreen) {
    platform::Form& form = shapedForm(3, 400, 300);  // a green block
    ASSERT_TRUE(xtest::waitFor([&] { return sameArea(xtest::shapeOf(form), QRegion(1, 1, 8, 8)); }));
    xtest::settle(200);
    const QImage shown = QGuiApplication::primaryScreen()->grabWindow(0, 400, 300, 10, 10).toImage();
    const QImage& picture = RGN_Pictures().pPicture[3];
    for (int y = 1; y < 9; ++y) {
        for (int x = 1; x < 9; ++x)
            ASSERT_EQ(QColor(shown.pixel(x, y)), QColor(picture.pixel(x, y))) << x << y;
    }

    MakeRGNWindow(3, form, false);  // without the picture the window shows its background colour
    EXPECT_EQ(QColor(form.image().pixel(4, 4)), platform::OleColor(form.BackColor()));
}

// The fatal messages: shown in a box with the program's name, OK only and no icon, then the process ends.
TEST(ShapingDeathTest, FatalMessagesShowTheirBoxAndEndAtOnce) {
    auto answerTheBox = [] {
        QTimer::singleShot(200, [] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr) return;
            fprintf(stderr, "box[%s|%s|%d|%d]\n", qPrintable(box->windowTitle()), qPrintable(box->text()),
                    static_cast<int>(box->standardButtons()), static_cast<int>(box->icon()));
            box->accept();
        });
    };
    EXPECT_EXIT(
        {
            answerTheBox();
            RGN_CreateTemplateRegion(12, 0, 0);
        },
        ::testing::ExitedWithCode(1), "box\\[Kavimo\\|It failed in reading of region data\\.\\|1024\\|0\\]");
    EXPECT_EXIT(
        {
            answerTheBox();
            platform::MsgBoxAndEnd(ShapingFailed);
        },
        ::testing::ExitedWithCode(1),
        "box\\[Kavimo\\|It failed in plastic surgery of a window\\.\\|1024\\|0\\]");
}
