#include <QApplication>
#include <QFile>
#include <QTimer>
#include <QWidget>
#include <filesystem>

#include "../area.h"
#include "../scoped_env.h"
#include "game_fixture.h"
#include "x11.h"

using namespace game;

namespace {

int liveTopLevelWidgets() {
    int count = 0;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (qobject_cast<QWidget*>(widget) != nullptr) ++count;
    return count;
}

// Runs the program as if its executable stood at the path, for as long as the object lives.
class RunningAs {
  public:
    explicit RunningAs(const std::string& executable) { platform::TestSeams::SetExecutable(executable); }
    ~RunningAs() { platform::TestSeams::SetExecutable(std::nullopt); }
    RunningAs(const RunningAs&) = delete;
    RunningAs& operator=(const RunningAs&) = delete;
};

}  // namespace

TEST_F(Game, StartCentresTheIconAndTicksFourByFour) {
    Form1& icon = start();
    EXPECT_EQ(icon.Left(), 7440);  // (15360 - 480) / 2 on a 1024 x 768 screen
    EXPECT_EQ(icon.Top(), 5520);
    EXPECT_EQ(icon.Width(), 480);
    EXPECT_FALSE(icon.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(menuForm().tc[0].Checked());
    EXPECT_FALSE(menuForm().tc[1].Checked());
    EXPECT_FALSE(menuForm().tc[2].Checked());
    EXPECT_FALSE(CommandLineFlag);
}

TEST_F(Game, TheStoredPlaceIsUsedUnlessItCannotBeShown) {
    const struct {
        const char* file;
        float left, top;
    } cases[] = {
        {"[Data]\nX=120abc\n", 120, 0},                // Val's leading number; no Y gives 0
        {"[data]\nx=  -300 \ny=4425\n", -300, 4425},   // partly off the screen: kept
        {"[Data]\nX=\nY=100\n", 7440, 5520},           // an empty X: centred
        {"[Data]\nX=99999999999\nY=0\n", 7440, 5520},  // outside the 32-bit range: centred, no crash
        {"[Data]\nX=-3000\nY=0\n", 7440, 5520},        // wholly off every screen: centred
        {"[Data]\nX=1e400\nY=0\n", 7440, 5520},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        FILE* file = std::fopen(toolkit::RGN_IniPath().c_str(), "w");
        std::fputs(c.file, file);
        std::fclose(file);
        Form1& icon = start();
        EXPECT_EQ(icon.Left(), c.left);
        EXPECT_EQ(icon.Top(), c.top);
        platform::Unload(icon);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(Game, TheDealGivesEveryCellToOnePieceAndShowsEveryPiece) {
    start();
    for (int index : {0, 1, 2}) {
        SCOPED_TRACE(index);
        menuForm().tc_Click(index);
        const int n = index == 0 ? 4 : 6;
        ASSERT_EQ(PieceCount, n * n / 4);
        ASSERT_EQ(Pieces.size(), static_cast<std::size_t>(n * n / 4));
        int markersOnOrigin = 0;
        std::set<std::pair<int, int>> dealt;
        for (int p = 0; p < PieceCount; ++p) {
            Form2& window = piece(p);
            EXPECT_EQ(window.Idx, p);
            EXPECT_TRUE(window.Visible());
            EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
            EXPECT_EQ(window.Width(), n * 8 * 15);
            EXPECT_EQ(static_cast<int>(window.Left()) % 120, 0);
            EXPECT_EQ(static_cast<int>(window.Top()) % 120, 0);
            EXPECT_FALSE(window.Picture1.Visible());  // the banner, ready and hidden
            EXPECT_EQ(window.Picture1.Width(), 510);
            EXPECT_EQ(cellsOf(p).size(), 4u);
            int markers = 0;
            QRegion cells;
            for (int y = 0; y < n; ++y)
                for (int x = 0; x < n; ++x) {
                    const int v = static_cast<int>(PieceCells(p, x, y));
                    markers += v / 2;
                    if (v % 2 == 1) cells += QRect(8 * x, 8 * y, 8, 8);
                }
            EXPECT_EQ(markers, 1);
            markersOnOrigin += static_cast<int>(PieceCells(p, 0, 0)) / 2;
            EXPECT_TRUE(sameArea(window.mask(), cells));  // shaped to exactly its cells
            for (const auto& cell : cellsOf(p)) dealt.insert(cell);
        }
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x) EXPECT_EQ(FreeCells(x, y), 0);
        if (index == 1) {  // unturned: the cells are the deal itself and every marker stays at the origin
            EXPECT_EQ(dealt.size(), static_cast<std::size_t>(n * n));
            EXPECT_EQ(markersOnOrigin, PieceCount);
        }
        // The hidden icon window is the probe: the notched cell.
        EXPECT_FALSE(Form1::Instance().Visible());
        EXPECT_EQ(Form1::Instance().Width(), 150);
        EXPECT_EQ(Form1::Instance().mask().boundingRect(), QRect(1, 1, 8, 8));
        EXPECT_FALSE(Form1::Instance().mask().contains(QPoint(4, 1)));
    }
}

TEST_F(Game, PuzzlesInARowLeaveOnlyTheCurrentPieces) {
    start();
    menuForm().tc_Click(2);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const int windows = liveTopLevelWidgets();
    for (int i = 0; i < 20; ++i) {
        menuForm().tc_Click(i % 3);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    menuForm().tc_Click(2);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(liveTopLevelWidgets(), windows);
    EXPECT_EQ(platform::Forms().size(), 9u + 3u);  // the pieces, the icon, the menu and the picture form
}

TEST_F(Game, PiecesAreScatteredOnTheScreenAroundTheIcon) {
    start();
    IconLeft = 0;
    IconTop = 0;
    menuForm().tc_Click(2);
    for (Form2* p : Pieces) {
        EXPECT_GE(p->Left(), 0);
        EXPECT_GE(p->Top(), 0);
        EXPECT_LE(p->Left(), 120 * 15 + 60);
    }
    IconLeft = 15360 - 480;
    IconTop = 11520 - 480;
    menuForm().tc_Click(2);
    for (Form2* p : Pieces) {
        EXPECT_LE(p->Left(), 15360 - 900 + 60);  // clamped, then snapped to the nearest grid line
        EXPECT_LE(p->Top(), toolkit::RGN_WorkAreaHeight() - 900 + 60);
    }
}

TEST_F(Game, AQuarterTurnMovesEveryCellAndFollowsTheGrabCell) {
    start();
    menuForm().tc_Click(2);
    Form2& window = piece(0);
    const std::vector<float> others = [] {
        std::vector<float> v;
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 6; ++x) v.push_back(PieceCells(1, x, y));
        return v;
    }();
    std::vector<float> before;
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x) before.push_back(PieceCells(0, x, y));
    window.m_PosX = 1;
    window.m_PosY = 0;
    RotatePiece(window, 0);
    EXPECT_EQ(window.m_PosX2, 5);
    EXPECT_EQ(window.m_PosY2, 1);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(PieceCells(0, 5 - y, x), before[static_cast<std::size_t>(y * 6 + x)]);
    for (int i = 0; i < 3; ++i) {  // following the grab cell, four turns bring it back
        window.m_PosX = window.m_PosX2;
        window.m_PosY = window.m_PosY2;
        RotatePiece(window, 0);
    }
    EXPECT_EQ(window.m_PosX2, 1);
    EXPECT_EQ(window.m_PosY2, 0);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x) {
            EXPECT_EQ(PieceCells(0, x, y), before[static_cast<std::size_t>(y * 6 + x)]);
            EXPECT_EQ(PieceCells(1, x, y), others[static_cast<std::size_t>(y * 6 + x)]);
        }
}

TEST_F(Game, ATurnOfA4x4PieceMovesTheCornersClockwise) {
    start();
    menuForm().tc_Click(0);
    Form2& window = piece(0);
    window.m_PosX = window.m_PosY = 0;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) PieceCells(0, x, y) = 0;
    PieceCells(0, 0, 0) = 3;  // a cell carrying the marker
    PieceCells(0, 3, 0) = 1;
    PieceCells(0, 0, 3) = 1;
    RotatePiece(window, 0);
    EXPECT_EQ(PieceCells(0, 3, 0), 3);  // top-left to top-right, marker included
    EXPECT_EQ(PieceCells(0, 3, 3), 1);  // top-right to bottom-right
    EXPECT_EQ(PieceCells(0, 0, 0), 1);  // bottom-left to top-left
    EXPECT_EQ(window.m_PosX2, 3);
    EXPECT_EQ(window.m_PosY2, 0);
}

TEST_F(Game, SnappingRoundsToTheNearestGridLine) {
    start();
    menuForm().tc_Click(0);
    Form2& window = piece(0);
    const std::pair<int, int> cases[] = {{1260, 1320}, {1245, 1200}, {1200, 1200}, {-50, 0}, {-130, -120}};
    for (const auto& [from, to] : cases) {
        window.setLeft(from);
        window.setTop(from);
        SnapToGrid(window);
        EXPECT_EQ(window.Left(), to) << from;
        EXPECT_EQ(window.Top(), to) << from;
    }
}

TEST_F(Game, TheCompletionTestAcceptsAnyFullBlockAndNothingLess) {
    start();
    menuForm().tc_Click(0);
    // Each piece takes one row; the rows are put together in another order.
    for (int p = 0; p < 4; ++p) setCells(p, {{0, p}, {1, p}, {2, p}, {3, p}});
    const int order[4] = {2, 0, 3, 1};
    for (int p = 0; p < 4; ++p) place(p, 400, 296 + 8 * (order[p] - p));
    EXPECT_EQ(IsPuzzleSolved(piece(1)), platform::True);
    EXPECT_EQ(IconLeft, 5985);  // one pixel left of and above the block's corner at (400, 296)
    EXPECT_EQ(IconTop, 4425);

    place(3, 400, 296 + 8 * (order[0] - 3));  // two pieces on one row
    EXPECT_EQ(IsPuzzleSolved(piece(3)), platform::False);

    place(3, 600, 500);  // one piece far away
    EXPECT_EQ(IsPuzzleSolved(piece(0)), platform::False);
    EXPECT_EQ(IconLeft, 5985);  // the anchor: the top-most covered cell near the moved piece
    EXPECT_EQ(IconTop, (296 - 1) * 15);
    EXPECT_EQ(IsPuzzleSolved(piece(3)), platform::False);
    EXPECT_EQ(IconLeft, (600 + 0 - 1) * 15);
    EXPECT_EQ(IconTop, (500 + 8 * 3 - 1) * 15);
}

TEST_F(Game, AMarkerDotDoesNotCoverACell) {
    start();
    CommandLineFlag = true;
    menuForm().tc_Click(0);
    for (int p = 0; p < 4; ++p) setCells(p, {{0, p}, {1, p}, {2, p}, {3, p}});
    for (int p = 0; p < 4; ++p) place(p, 400, 296);
    ASSERT_EQ(IsPuzzleSolved(piece(0)), platform::True);
    // Piece 0 leaves its first cell empty but keeps its marker there.
    for (int x = 0; x < 4; ++x) PieceCells(0, x, 0) = 0;
    PieceCells(0, 0, 0) = 2;
    PieceCells(0, 1, 0) = PieceCells(0, 2, 0) = PieceCells(0, 3, 0) = 1;
    PieceCells(0, 0, 1) = 1;  // and takes a cell that piece 1 also covers
    PaintPiece(piece(0), 0);
    EXPECT_TRUE(piece(0).mask().contains(QPoint(4, 1)));  // the dots are part of the outline
    EXPECT_EQ(IsPuzzleSolved(piece(0)), platform::False);
}

TEST_F(Game, ASolvedPuzzleShowsOneBannerThenDealsTheNextAroundTheBlock) {
    for (int index : {0, 2}) {
        SCOPED_TRACE(index);
        start();
        menuForm().tc_Click(index);
        const int n = index == 0 ? 4 : 6;
        for (int p = 0; p < PieceCount; ++p) {
            std::vector<std::pair<int, int>> cells;
            for (int k = 4 * p; k < 4 * p + 4; ++k) cells.push_back({k % n, k / n});
            setCells(p, cells);
            place(p, 400, 296);
        }
        ASSERT_EQ(IsPuzzleSolved(piece(0)), platform::True);
        std::vector<QPoint> banners;
        QPoint icon;
        platform::TestSeams::RecordSleeps(true, [&] {
            for (Form2* p : Pieces) {
                EXPECT_TRUE(p->Picture1.Visible());
                banners.push_back(QPoint(static_cast<int>(p->Left() + p->Picture1.Left()),
                                         static_cast<int>(p->Top() + p->Picture1.Top())));
            }
            icon =
                QPoint(static_cast<int>(Form1::Instance().Left()), static_cast<int>(Form1::Instance().Top()));
        });
        const std::vector<Form2*> old = Pieces;
        FinishPuzzle();
        EXPECT_EQ(platform::TestSeams::RecordedSleeps(), std::vector<std::int32_t>{3000});
        ASSERT_EQ(banners.size(), static_cast<std::size_t>(PieceCount));
        const QPoint banner = n == 4 ? QPoint(5970, 4425) : QPoint((400 + 6) * 15, (296 + 7) * 15);
        for (const QPoint& at : banners) EXPECT_EQ(at, banner);
        EXPECT_EQ(icon, n == 4 ? QPoint(5985, 4425) : QPoint((400 + 7) * 15, (296 + 7) * 15));
        // The next puzzle: the same size, new windows, dealt around the block.
        EXPECT_EQ(TileCountX, n);
        for (Form2* p : Pieces) {
            EXPECT_EQ(std::count(old.begin(), old.end(), p), 0);
            EXPECT_LE(std::abs(p->Left() - icon.x()), (16 * 8 + 8) * 15);
        }
        EXPECT_FALSE(Form1::Instance().Visible());
        TearDown();
        SetUp();
    }
}

TEST_F(Game, RotationIsOffWithTheUnturnedGrid) {
    start();
    menuForm().tc_Click(1);
    const auto before = cellsOf(0);
    // A click on a piece of the unturned grid changes nothing.
    const QPoint at = piece(0).placedPosition();
    piece(0).Form_Click();
    EXPECT_EQ(cellsOf(0), before);
    EXPECT_EQ(piece(0).placedPosition(), at);
}

TEST_F(Game, AClickTurnsThePieceAboutTheClickedCell) {
    start();
    menuForm().tc_Click(2);
    Form2& window = piece(0);
    place(0, 400, 296);
    window.m_PosX = 1;
    window.m_PosY = 0;
    window.Form_Click();
    // The grab cell (1, 0) went to (5, 1): the window moved 4 cells left and 1 up.
    EXPECT_EQ(window.placedPosition(), QPoint(400 - 32, 296 - 8));
}

TEST_F(Game, QuitWritesTheIconsPlaceAndEnds) {
    Form1& icon = start();
    icon.setLeft(-150);
    icon.setTop(4425);
    EXPECT_EXIT(menuForm().mend_Click(), ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(toolkit::RGN_ReadIni("Data", "X"), "-150");
    EXPECT_EQ(toolkit::RGN_ReadIni("Data", "Y"), "4425");
}

TEST_F(Game, AnInstalledProgramStartsWhereItsLastEndLeftTheIcon) {
    // Fixed paths, because the quitting child process runs this test again from its start.
    const std::string scratch = platform::App::Path() + "/installed-place";
    std::filesystem::remove_all(scratch);
    const ScopedEnv config("XDG_CONFIG_HOME", scratch + "/config");
    const RunningAs installed(scratch + "/usr/bin/kavimo");  // a folder it cannot write to

    Form1& icon = start();
    icon.setLeft(-150);
    icon.setTop(4425);
    EXPECT_EXIT(menuForm().mend_Click(), ::testing::ExitedWithCode(0), "");
    QFile file(QString::fromStdString(scratch + "/config/kavimo/kavimo.ini"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().toStdString(), "[Data]\nX=-150\nY=4425\n");

    platform::Unload(icon);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    Form1& again = start();
    EXPECT_EQ(again.Left(), -150);
    EXPECT_EQ(again.Top(), 4425);
    std::filesystem::remove_all(scratch);
}

TEST_F(Game, APuzzleChosenDuringASetUpWaitsForItThenReplacesIt) {
    start();
    // The first piece's shape lets waiting messages through: the menu choice arrives in the middle.
    bool chosen = false;
    QTimer::singleShot(0, [&] {
        menuForm().tc_Click(2);
        chosen = true;
        EXPECT_EQ(TileCountX, 4);  // the running set-up is untouched
    });
    menuForm().tc_Click(0);
    ASSERT_TRUE(chosen);
    EXPECT_EQ(TileCountX, 6);
    ASSERT_EQ(Pieces.size(), 9u);
    for (int p = 0; p < 9; ++p) {
        EXPECT_EQ(piece(p).Idx, p);
        EXPECT_TRUE(piece(p).Visible());
        EXPECT_EQ(cellsOf(p).size(), 4u);
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(platform::Forms().size(), 9u + 3u);
}
