#include "Module1.h"

#include <optional>
#include <utility>

#include "Form1.h"
#include "Form2.h"
#include "menu/frmMenu.h"
#include "platform/numbers.h"
#include "platform/runtime.h"
#include "toolkit/mod_RGN_Proc.h"
#include "toolkit/mod_RGN_UserFunction.h"

namespace game {

using platform::CLng;
using platform::Int;
using platform::IntDiv;
using platform::Mod;
using platform::Rnd;
using platform::True;
using namespace toolkit;

std::vector<Form2*> Pieces;
CellArray FreeCells;
CellArray PieceCells;
float TileCountX = 0;
float TileCountY = 0;
float PieceCount = 0;
std::int32_t IconLeft = 0;
std::int32_t IconTop = 0;
bool CommandLineFlag = false;

void CellArray::Redim(int layers, int columns, int rows) {
    columns_ = columns;
    rows_ = rows;
    values_.assign(static_cast<std::size_t>(layers) * columns * rows, 0.0f);
}

float& CellArray::operator()(int layer, int x, int y) {
    return values_.at((static_cast<std::size_t>(layer) * rows_ + y) * columns_ + x);
}

namespace {

bool tcChecked(int index) {
    return menu::frmMenu::Instance().tc[index].Checked();
}

// A set-up processes waiting messages while it paints its pieces: a puzzle started meanwhile (from the menu
// of a piece already shown) waits until the running set-up has returned, then replaces it.
bool settingUp = false;
std::optional<std::pair<float, float>> deferredStart;

void setUpPuzzle(float tilesX, float tilesY) {
    Form1::Instance().setVisible(false);
    // The probe's shape comes first: a piece moved while the deal shows its pieces is tested with it.
    MakeRGNWindow(11, Form1::Instance(), true);
    for (Form2* piece : Pieces) platform::Unload(*piece);
    Pieces.clear();

    TileCountX = tilesX;
    TileCountY = tilesY;
    PieceCount = static_cast<float>(IntDiv(CLng(TileCountX * TileCountY), 4));
    const int columns = CLng(TileCountX), rows = CLng(TileCountY), count = CLng(PieceCount);
    FreeCells.Redim(1, columns, rows);
    PieceCells.Redim(count, columns, rows);
    ResetCells();

    for (int i = 0; i < count; ++i) {
        Pieces.push_back(&platform::NewForm<Form2>());
        platform::Load(*Pieces.back());
    }

    for (float p = 0; p <= PieceCount - 1; p += 1) {
        Form2& piece = *Pieces[static_cast<std::size_t>(CLng(p))];
        BuildPiece(p);
        if (!tcChecked(1)) {
            const auto turns = static_cast<int>(Int(Rnd() * 4));
            for (int t = 0; t <= turns; ++t) RotatePiece(piece, p);
        }
        PrepareRGNCanvas(piece, 1, PixelToTwipX(TileCountX * 8), PixelToTwipY(TileCountY * 8));
        PaintPiece(piece, p);

        // Scatter around the icon's place, kept on the monitor that holds that place; the margins allow 10
        // pixels per cell.
        const platform::Screen::Area screen = platform::Screen::MonitorAt(IconLeft, IconTop);
        piece.setLeft(IconLeft + PixelToTwipX((Int(Rnd() * 32) - 16) * 8));
        if (piece.Left() < screen.Left) piece.setLeft(screen.Left);
        if (piece.Left() + PixelToTwipX(TileCountX * 10) > screen.Right)
            piece.setLeft(screen.Right - PixelToTwipX(TileCountX * 10));
        piece.setTop(IconTop + PixelToTwipY((Int(Rnd() * 16) - 8) * 8));
        if (piece.Top() < screen.Top) piece.setTop(screen.Top);
        if (piece.Top() + PixelToTwipY(TileCountY * 10) > screen.Bottom)
            piece.setTop(screen.Bottom - PixelToTwipY(TileCountY * 10));

        piece.setVisible(true);
        SetTopMost(piece, false);
        piece.Idx = p;
        SnapToGrid(piece);
    }
}

}  // namespace

void StartPuzzle(float tilesX, float tilesY) {
    if (settingUp) {
        deferredStart = {tilesX, tilesY};
        return;
    }
    settingUp = true;
    setUpPuzzle(tilesX, tilesY);
    while (deferredStart) {
        const auto [x, y] = *std::exchange(deferredStart, std::nullopt);
        setUpPuzzle(x, y);
    }
    settingUp = false;
}

void ResetCells() {
    for (int y = 0; y <= TileCountY - 1; ++y)
        for (int x = 0; x <= TileCountX - 1; ++x) {
            FreeCells(x, y) = 1;
            for (int p = 0; p <= PieceCount - 1; ++p) PieceCells(p, x, y) = 0;
        }
}

void BuildPiece(float pieceIndex) {
    const int p = CLng(pieceIndex);
    for (int cell = 0; cell <= 3; ++cell) {
        auto x = static_cast<int>(Int(Rnd() * TileCountX));
        auto y = static_cast<int>(Int(Rnd() * TileCountY));
        while (FreeCells(x, y) == 0) {  // taken: draw both coordinates again
            x = static_cast<int>(Int(Rnd() * TileCountX));
            y = static_cast<int>(Int(Rnd() * TileCountY));
        }
        FreeCells(x, y) = 0;
        PieceCells(p, x, y) = 1;
    }
    PieceCells(p, 0, 0) = PieceCells(p, 0, 0) + 2;  // the origin marker, on a cell of the piece or not
}

void RotatePiece(Form2& piece, float pieceIndex) {
    const int p = CLng(pieceIndex);
    std::vector<float> flat(static_cast<std::size_t>(CLng(TileCountY * TileCountX - 1)) + 1);
    std::size_t k = 0;
    for (int y = 0; y <= TileCountY - 1; ++y)
        for (int x = 0; x <= TileCountX - 1; ++x) flat[k++] = PieceCells(p, x, y);
    // Written back column by column from the right: cell (x, y) goes to (N - 1 - y, x), a quarter turn
    // clockwise on the screen. The grab cell's row-order number tells where the grab cell went.
    k = 0;
    for (int x = CLng(TileCountX - 1); x >= 0; --x)
        for (int y = 0; y <= TileCountY - 1; ++y) {
            PieceCells(p, x, y) = flat[k];
            if (static_cast<float>(k) == piece.m_PosX + TileCountX * piece.m_PosY) {
                piece.m_PosX2 = static_cast<float>(x);
                piece.m_PosY2 = static_cast<float>(y);
            }
            ++k;
        }
}

void PaintPiece(Form2& piece, float pieceIndex) {
    const int p = CLng(pieceIndex);
    for (int y = 0; y <= TileCountY - 1; ++y)
        for (int x = 0; x <= TileCountX - 1; ++x) {
            const std::int32_t v = CLng(PieceCells(p, x, y));
            double left = PixelToTwipX(8 * x - 1), top = PixelToTwipY(8 * y - 1);
            if (Mod(v, 2) == 1) DrawRGNPart(pieceIndex + 1, piece, left, top);
            if (IntDiv(v, 2) == 1 && CommandLineFlag)
                DrawRGNPart(10, piece, left, top);  // on top of the block
        }
    ApplyRGNCanvas(piece);
}

void SnapToGrid(Form2& piece) {
    const std::int32_t gx = PixelToTwipX(8), gy = PixelToTwipY(8), hx = PixelToTwipX(4), hy = PixelToTwipY(4);
    const std::int32_t rx = Mod(piece.Left(), gx), ry = Mod(piece.Top(), gy);
    piece.setLeft(rx < hx ? piece.Left() - rx : piece.Left() + gx - rx);
    piece.setTop(ry < hy ? piece.Top() - ry : piece.Top() + gy - ry);
}

namespace {

// Whether the hidden probe, where it stands, lies on a cell of some piece.
bool probeCovered(Form1& probe, bool stopAtFirst) {
    bool covered = false;
    for (int k = 0; k <= PieceCount - 1; ++k) {
        if (RGNOverlap(probe, *Pieces[static_cast<std::size_t>(k)])) {
            covered = true;
            if (stopAtFirst) break;
        }
    }
    return covered;
}

}  // namespace

float IsPuzzleSolved(Form2& piece) {
    Form1& probe = Form1::Instance();
    const int w = CLng(TileCountX), h = CLng(TileCountY);
    float anchorX = 0, anchorY = 0;

    // The anchor: the top-most, then left-most covered cell around the moved piece's corner.
    bool found = false;
    for (int dy = -(h - 1); dy <= h - 1 && !found; ++dy)
        for (int dx = -(w - 1); dx <= w - 1 && !found; ++dx) {
            probe.setLeft(piece.Left() + PixelToTwipX(8 * dx - 1));
            probe.setTop(piece.Top() + PixelToTwipY(8 * dy - 1));
            if (probeCovered(probe, true)) {
                anchorX = probe.Left();
                anchorY = probe.Top();
                found = true;
            }
        }

    // The block: every cell from the anchor must be covered.
    bool covered = false;
    for (int y = 0; y <= h - 1; ++y) {
        for (int x = 0; x <= w - 1; ++x) {
            probe.setLeft(anchorX + PixelToTwipX(8 * x));
            probe.setTop(anchorY + PixelToTwipY(8 * y));
            covered = probeCovered(probe, false);
            if (!covered) break;
        }
        if (!covered) break;
    }
    IconLeft = CLng(anchorX);
    IconTop = CLng(anchorY);
    return covered ? True : platform::False;
}

void FinishPuzzle() {
    for (int i = 0; i <= PieceCount - 1; ++i) {
        Form2& piece = *Pieces[static_cast<std::size_t>(i)];
        piece.setEnabled(false);  // no piece of a finished puzzle can be moved or turned any more
        const double dx = IconLeft - piece.Left(), dy = IconTop - piece.Top();
        if (tcChecked(0)) {
            piece.Picture1.setLeft(dx - PixelToTwipX(1));
            piece.Picture1.setTop(dy);
        } else {
            piece.Picture1.setLeft(dx + PixelToTwipX(7));
            piece.Picture1.setTop(dy + PixelToTwipY(8));
        }
        piece.Picture1.setVisible(true);
    }
    Form1& icon = Form1::Instance();
    if (!tcChecked(0)) {
        icon.setLeft(PixelToTwipX(8) + static_cast<std::int64_t>(IconLeft));
        icon.setTop(PixelToTwipY(8) + static_cast<std::int64_t>(IconTop));
    } else {
        icon.setLeft(IconLeft);
        icon.setTop(IconTop);
    }
    Wait(3000);
    icon.setVisible(false);
    MakeRGNWindow(11, icon, true);
    if (tcChecked(0))
        StartPuzzle(4, 4);
    else
        StartPuzzle(6, 6);
}

}  // namespace game
