#include <gtest/gtest.h>
#include <QTimer>

#include "platform/runtime.h"
#include "toolkit/mod_RGN_Proc.h"
#include "toolkit/mod_RGN_UserFunction.h"
#include "window_test.h"
#include "x11.h"

using namespace toolkit;

namespace {

// A form that drags itself on a move with the left button, as the program's windows do, and counts clicks.
class DragForm : public platform::Form {
  public:
    DragForm() : Form("Drag") {}
    int clicks = 0;
    int drags = 0;

  protected:
    void Form_MouseMove(int Button, int, float, float) override {
        if (Button != platform::vbLeftButton) return;
        ++drags;
        DragWindow(*this);
    }
    void Form_Click() override { ++clicks; }
};

class Unloading : public platform::Form {
  public:
    Unloading(const char* name, std::vector<std::string>& log) : Form(name), log_(log) {}
    void Form_QueryUnload(int&, int) override { log_.push_back(Name); }

  private:
    std::vector<std::string>& log_;
};

class Utilities : public WindowTest {
  protected:
    // A dragging form shown at (200, 200), 32 x 32 pixels, once the X server has it there.
    static DragForm& shownDragForm() {
        auto& form = platform::NewForm<DragForm>();
        platform::Load(form);
        form.moveTo(QPoint(200, 200));
        form.resize(32, 32);
        form.show();
        EXPECT_TRUE(xtest::waitFor([&] { return xtest::screenPositionOf(form) == QPoint(200, 200); }));
        return form;
    }
};

}  // namespace

TEST_F(Utilities, DraggingMovesTheWindowWithTheRealPointerAndIsNoClick) {
    DragForm& form = shownDragForm();

    xtest::movePointer(210, 210);
    xtest::settle(50);
    xtest::pressButton(1);
    // The move loop runs inside the handler: the rest of the gesture arrives while it runs.
    QTimer::singleShot(100, [] { xtest::movePointer(230, 240); });
    QTimer::singleShot(200, [] { xtest::movePointer(260, 275); });
    QTimer::singleShot(300, [] { xtest::releaseButton(1); });
    xtest::settle(30);
    xtest::movePointer(211, 211);
    ASSERT_TRUE(xtest::waitFor([&] { return form.drags == 1 && form.placedPosition() == QPoint(250, 265); }))
        << form.drags << " " << form.placedPosition().x() << "," << form.placedPosition().y();
    xtest::settle(200);
    EXPECT_EQ(form.placedPosition(), QPoint(250, 265));  // the point pressed stays under the pointer
    EXPECT_EQ(form.Left(), 250 * 15);
    EXPECT_EQ(form.clicks, 0);
    EXPECT_EQ(form.drags, 1);
    ASSERT_TRUE(xtest::waitFor([&] { return xtest::screenPositionOf(form) == QPoint(250, 265); }));

    // A press and release without movement is a click and moves nothing.
    xtest::movePointer(260, 275);
    xtest::settle(50);
    xtest::pressButton(1);
    xtest::releaseButton(1);
    ASSERT_TRUE(xtest::waitFor([&] { return form.clicks == 1; }));
    EXPECT_EQ(form.placedPosition(), QPoint(250, 265));
    std::int32_t setting = -5;
    platform::SystemParametersInfoA(platform::SPI_GETDRAGFULLWINDOWS, 0, &setting, 0);
    EXPECT_EQ(setting, 0);  // the drag setting is back as it was
}

TEST_F(Utilities, AWindowDraggedToTheScreensEdgeKeepsThePointHeldOnTheScreen) {
    DragForm& form = shownDragForm();
    xtest::movePointer(200, 200);  // held at the window's corner
    xtest::settle(50);
    xtest::pressButton(1);
    QTimer::singleShot(100, [] { xtest::movePointer(1023, 767); });
    QTimer::singleShot(200, [] { xtest::releaseButton(1); });
    xtest::settle(30);
    xtest::movePointer(201, 201);
    // Four pixels inside the screen: the cell held, snapped to the grid, could not leave it.
    ASSERT_TRUE(xtest::waitFor([&] { return form.placedPosition() == QPoint(1019, 763); }))
        << form.placedPosition().x() << "," << form.placedPosition().y();
    EXPECT_TRUE(xtest::waitFor([&] { return xtest::screenPositionOf(form) == QPoint(1019, 763); }));
}

TEST_F(Utilities, TopmostKeepsPlaceAndShowsOnlyWhenAsked) {
    auto& hidden = platform::NewForm<platform::Form>("Hidden");
    platform::Load(hidden);
    hidden.moveTo(QPoint(100, 120));
    hidden.resize(20, 20);
    SetTopMost(hidden, true);
    EXPECT_FALSE(hidden.Visible());
    EXPECT_TRUE(hidden.windowFlags().testFlag(Qt::WindowStaysOnTopHint));

    auto& shown = platform::NewForm<platform::Form>("Shown");
    platform::Load(shown);
    shown.moveTo(QPoint(140, 160));
    shown.resize(20, 20);
    shown.show();
    ASSERT_TRUE(xtest::waitFor([&] { return xtest::screenPositionOf(shown) == QPoint(140, 160); }));
    SetTopMost(shown, false);
    EXPECT_TRUE(shown.Visible());
    EXPECT_EQ(shown.geometry(), QRect(140, 160, 20, 20));
    EXPECT_TRUE(xtest::waitFor([&] { return xtest::isAbove(shown); }));
    EXPECT_EQ(xtest::screenPositionOf(shown), QPoint(140, 160));
}

TEST_F(Utilities, WaitLetsWaitingMessagesThroughThenSleeps) {
    platform::TestSeams::RecordSleeps(true);
    bool ran = false;
    QTimer::singleShot(0, [&] { ran = true; });
    Wait(0);
    EXPECT_TRUE(ran);
    Wait(2999.5);
    EXPECT_EQ(platform::TestSeams::RecordedSleeps(), (std::vector<std::int32_t>{0, 3000}));
}

TEST_F(Utilities, UnloadingAllButOneFormRunsEachUnloadInLoadOrder) {
    std::vector<std::string> log;
    const char* names[] = {"Form1", "frmMenu", "Form2", "Form2", "Form2"};
    for (const char* name : names) platform::Load(platform::NewForm<Unloading>(name, log));
    UnloadFormsExcept("frmMenu");
    ASSERT_EQ(platform::Forms().size(), 1u);
    EXPECT_EQ(platform::Forms()[0]->Name, "frmMenu");
    EXPECT_EQ(log, (std::vector<std::string>{"Form1", "Form2", "Form2", "Form2"}));
    UnloadFormsExcept("frmmenu");  // names compare exactly
    EXPECT_TRUE(platform::Forms().empty());
}
