// The shaped-window toolkit on real windows: overlap, painting through regions, canvases, the move with a
// real pointer and the fatal ends.
#include <unistd.h>

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include "fixture.h"
#include "toolkit/frm_RGN_Picture.h"

using namespace toolkit;
using xclient::Point;

namespace {

platform::Form& shaped(int templateNo, int x, int y) {
    auto& made = platform::NewForm<platform::Form>("Shaped");
    platform::Load(made);
    MakeRGNWindow(templateNo, made, true);
    made.setLeft(x * 15);
    made.setTop(y * 15);
    made.show();
    return made;
}

// A form that moves itself while the left button is held, as the program's windows do, and counts clicks.
class Movable : public platform::Form {
  public:
    Movable() : Form("Movable") {}
    int clicks = 0;
    void Form_MouseMove(int Button, int, float, float) override {
        if (Button == platform::vbLeftButton) DragWindow(*this);
    }
    void Form_Click() override { ++clicks; }
};

}  // namespace

using Toolkit = WindowTest;

TEST_F(Toolkit, OnlyANotchedCellOverAWholeCellOverlaps) {
    platform::Form& probe = shaped(11, 200, 200);
    platform::Form& other = shaped(1, 200, 200);
    const struct {
        int templateNo;
        double left;
        bool overlap;
    } cases[] = {
        {1, 3000, true},         // the notched cell's own shape is what they share
        {1, 3007, true},         // a place between pixels lands on the nearest: pixel 200
        {1, 3000 + 60, true},    // half a cell over: still more than one rectangle in common
        {1, 3000 + 120, false},  // the next cell: nothing in common
        {2, 3000, true},
    };
    for (const auto& c : cases) {
        platform::Form& piece = shaped(c.templateNo, 0, 200);
        piece.setLeft(c.left);
        EXPECT_EQ(RGNOverlap(probe, piece), c.overlap) << c.left;
        EXPECT_FALSE(RGNOverlap(other, piece));  // two plain cells meet in one rectangle at most
    }
}

TEST_F(Toolkit, ACanvasShowsThePartsDrawnSinceItWasLastApplied) {
    auto& canvas = form({200, 200, 1, 1}, "Form");
    const auto draw = [&](int templateNo, int x, int y) {  // the part's square on the cell at pixel (x, y)
        double left = PixelToTwipX(x - 1), top = PixelToTwipY(y - 1);
        DrawRGNPart(templateNo, canvas, left, top);
    };
    PrepareRGNCanvas(canvas, 1, 480, 480);
    EXPECT_EQ(canvas.Tag, "0,1");
    EXPECT_EQ(canvas.placedPosition(), QPoint(0, 0));  // at the corner until its owner places it
    draw(2, 0, 0);
    draw(2, 16, 8);
    draw(2, 16, 8);  // twice at one place: the outline as after the first
    const int pending = std::stoi(canvas.Tag);
    const QRegion outline = *platform::RegionOf(pending);
    EXPECT_EQ(pixelsOf(outline), pixelsOf(QRegion(0, 0, 8, 8) + QRegion(16, 8, 8, 8)));
    canvas.show();
    ApplyRGNCanvas(canvas);
    EXPECT_EQ(canvas.Tag, "0,1");
    EXPECT_EQ(pixelsOf(canvas.mask()), pixelsOf(outline));

    draw(2, 8, 0);  // the first part of a new outline clears the picture of the old one
    ApplyRGNCanvas(canvas);
    EXPECT_EQ(pixelsOf(canvas.mask()), pixelsOf(QRegion(8, 0, 8, 8)));
    EXPECT_EQ(canvas.image().pixel(3, 3), canvas.image().pixel(30, 30));
    ApplyRGNCanvas(canvas);  // nothing drawn: no outline
    EXPECT_TRUE(canvas.mask().isEmpty());

    double x = 22, y = -7;  // whole pixels, in the caller's variables
    DrawRGNPart(1, canvas, x, y);
    EXPECT_EQ(std::pair(x, y), std::pair(15.0, 0.0));
}

TEST_F(Toolkit, TheMoveFollowsTheRealPointerAndIsNoClick) {
    auto& window = form<Movable>({200, 200, 32, 32});
    window.show();
    ASSERT_TRUE(xclient::eventually([&] { return xclient::isViewable(window.winId()); }));
    ASSERT_TRUE(xclient::comesTo(window.winId(), {200, 200}));
    const struct {
        Point from, to, place;
        bool quick;
    } moves[] = {
        {{210, 210}, {260, 275}, {250, 265}, false},    // the point pressed stays under the pointer
        {{260, 275}, {230, 245}, {220, 235}, true},     // all of it waiting before the program sees any
        {{230, 245}, {234, 249}, {224, 239}, true},     // a small one, let go on the window: no click either
        {{224, 239}, {1023, 767}, {1019, 763}, false},  // held four pixels inside the screen
    };
    for (const auto& m : moves) {
        xclient::movePointer(m.from);
        xclient::pause(50);
        xclient::press(1);
        // The rest of the gesture on timers: the move loop runs inside the test's own waiting. A quick hand's
        // moves and release come all at once: the release comes before the move is handled.
        for (int step = 1; step <= 4; ++step)
            QTimer::singleShot(m.quick ? 0 : 50 * step, [m, step] {
                const Point to =
                    m.from + Point{(m.to.x - m.from.x) * step / 4, (m.to.y - m.from.y) * step / 4};
                xclient::movePointer(to);
                if (step < 4) return;
                xclient::release(1);
            });
        EXPECT_TRUE(xclient::comesTo(window.winId(), m.place)) << xclient::placeOf(window.winId());
        EXPECT_EQ(window.placedPosition(), QPoint(m.place.x, m.place.y));
    }
    EXPECT_EQ(window.clicks, 0);
    xclient::click({100, 100});  // a click elsewhere
    xclient::click({1021, 765});
    EXPECT_TRUE(xclient::eventually([&] { return window.clicks == 1; }));
    EXPECT_EQ(window.placedPosition(), QPoint(1019, 763));
    // A press and a move the window had from the X server before the program hid it move nothing: the
    // release then goes elsewhere, and a move started would wait for it.
    xclient::press(1);
    xclient::movePointer({1000, 700});
    window.hide();
    xclient::pause(50);
    xclient::release(1);
    xclient::pause(50);
    EXPECT_EQ(window.placedPosition(), QPoint(1019, 763));
}

// Each fatal message: a box with the program's name, OK only and no icon, then the process ends at once.
TEST(ToolkitDeathTest, FatalMessagesShowTheirBoxAndEndAtOnce) {
    const auto answerTheBox = [] {
        QTimer::singleShot(200, [] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                fprintf(stderr, "box[%s|%s|%d|%d]\n", qPrintable(box->windowTitle()), qPrintable(box->text()),
                        int(box->standardButtons()), int(box->icon()));
                box->accept();
            }
        });
    };
    EXPECT_EXIT((answerTheBox(), RGN_CreateTemplateRegion(12, 0, 0)), ::testing::ExitedWithCode(1),
                "box\\[Kavimo\\|It failed in reading of region data\\.\\|1024\\|0\\]");
    EXPECT_EXIT((answerTheBox(), platform::MsgBoxAndEnd(ShapingFailed)), ::testing::ExitedWithCode(1),
                "box\\[Kavimo\\|It failed in plastic surgery of a window\\.\\|1024\\|0\\]");
}
