#include "Form2.h"

#include "Module1.h"
#include "menu/frmMenu.h"
#include "platform/numbers.h"
#include "toolkit/mod_RGN_UserFunction.h"

namespace game {

using namespace toolkit;
using platform::IntDiv;
using platform::True;

// Every puzzle makes and unmakes its pieces: their windows are kept for the next ones.
Form2::Form2() : Form("Form2"), Picture1(*this, "Picture1") {
    KeepWindowWhenUnloaded();
    design();
}

void Form2::Renew() {
    static_cast<PieceState&>(*this) = PieceState();
    design();
}

void Form2::design() {
    setWidth(600);
    setHeight(435);
    Picture1.setWidth(495);
    Picture1.setHeight(255);
}

void Form2::Form_Load() {
    MakeRGNWindow(0, Picture1, true);
    Picture1.setVisible(false);
}

// A piece cannot be closed on its own: the puzzle could never be solved without it.
void Form2::Form_QueryUnload(int& Cancel, int UnloadMode) {
    if (UnloadMode == platform::vbFormControlMenu) Cancel = platform::True;
}

void Form2::Form_MouseDown(int Button, int, float X, float Y) {
    if (Button == platform::vbRightButton) {
        menu::frmMenu::Instance().PopupMenu();
    } else if (Button == platform::vbLeftButton) {
        m_PosX = static_cast<float>(IntDiv(TwipToPixelX(X), 8));
        m_PosY = static_cast<float>(IntDiv(TwipToPixelY(Y), 8));
    }
}

void Form2::Form_MouseMove(int Button, int, float, float) {
    if (Button == platform::vbLeftButton) {
        DragWindow(*this);
        SnapToGrid(*this);
        if (IsPuzzleSolved(*this) == True) FinishPuzzle();
    }
    // A solved puzzle has destroyed this window's piece: the window is unloaded and must not be used.
    if (Loaded()) SetFocus();
}

void Form2::Form_Click() {
    if (menu::frmMenu::Instance().tc[1].Checked()) return;  // the grid without turning
    RotatePiece(*this, Idx);
    PaintPiece(*this, Idx);
    if (!Loaded()) return;  // a puzzle dealt while the new shape was shown replaced this piece
    // Move by whole cells so that the clicked cell stays under the pointer; the window stays on the grid.
    setLeft(Left() - 8 * PixelToTwipX(m_PosX2 - m_PosX));
    setTop(Top() - 8 * PixelToTwipY(m_PosY2 - m_PosY));
    if (IsPuzzleSolved(*this) == True) FinishPuzzle();
}

// A window manager that keeps windows inside the usable area put the piece off the grid: it goes to the
// nearest grid place on the side it was put, which the window manager leaves alone, and counts as dropped
// there.
void Form2::PlacedElsewhere(QPoint asked) {
    const auto onGrid = [](int put, int asked) {
        const int below = put - ((put % 8) + 8) % 8;
        return put < asked || put == below ? below : below + 8;
    };
    const QPoint put = placedPosition();
    setLeft(PixelToTwipX(onGrid(put.x(), asked.x())));
    setTop(PixelToTwipY(onGrid(put.y(), asked.y())));
    if (IsPuzzleSolved(*this) == True) FinishPuzzle();
}

}  // namespace game
