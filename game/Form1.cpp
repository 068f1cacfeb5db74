#include "Form1.h"

#include "Module1.h"
#include "menu/frmMenu.h"
#include "platform/numbers.h"
#include "platform/runtime.h"
#include "toolkit/mod_RGN_UserFunction.h"

static void initProgramResources() {
    Q_INIT_RESOURCE(program);
}

namespace game {

using namespace toolkit;
using platform::CLng;
using platform::Val;

Form1::Form1() : Form("Form1") {
    initProgramResources();
    setBackColor(0x00404040);
    setPicture(platform::Picture(":/Form1.bmp"));
    setIcon(":/Form1_icon.png");
}

Form1& Form1::Instance() {
    return platform::DefaultInstance<Form1>(false);
}

void Form1::Form_Load() {
    CommandLineFlag = !platform::Command().empty();
    platform::Randomize();
    setWidth(PixelToTwipX(32));
    setHeight(PixelToTwipY(32));
    menu::frmMenu::Instance().tc[0].setChecked(true);
    if (!placeAsStored()) centre();
}

// Where the icon stood when the program last ended. A stored place that cannot be a window position (outside
// the 32-bit range) or that leaves the icon, where it stands, wholly off every screen counts as none: an icon
// nobody can see could not even be quit.
bool Form1::placeAsStored() {
    if (ReadIni("Data", "X").empty()) return false;
    try {
        IconLeft = CLng(Val(ReadIni("Data", "X")));
        IconTop = CLng(Val(ReadIni("Data", "Y")));
    } catch (const platform::Overflow&) {
        return false;
    }
    setLeft(IconLeft);
    setTop(IconTop);
    return ShowsOnAScreen();
}

void Form1::centre() {
    IconLeft = CLng((platform::Screen::Width() - PixelToTwipX(32)) / 2.0);
    IconTop = CLng((platform::Screen::Height() - PixelToTwipY(32)) / 2.0);
    setLeft(IconLeft);
    setTop(IconTop);
}

// Closing the icon from the desktop (Alt+F4, the window manager's close) ends the program the orderly way;
// without it the program would run on with no window at all.
void Form1::Form_QueryUnload(int& Cancel, int UnloadMode) {
    if (UnloadMode != platform::vbFormControlMenu) return;
    Cancel = platform::True;
    platform::Unload(menu::frmMenu::Instance());
}

void Form1::Form_MouseDown(int Button, int, float, float) {
    if (Button == platform::vbLeftButton) {
        IconLeft = CLng(Left());
        IconTop = CLng(Top());
    } else if (Button == platform::vbRightButton) {
        menu::frmMenu::Instance().PopupMenu();
    }
}

void Form1::Form_MouseMove(int Button, int, float, float) {
    if (Button != platform::vbLeftButton) return;
    DragWindow(*this);
    IconLeft = CLng(Left());
    IconTop = CLng(Top());
}

void Form1::Form_Click() {
    const float n = menu::frmMenu::Instance().tc[0].Checked() ? 4 : 6;
    StartPuzzle(n, n);
    MakeRGNWindow(11, *this, true);  // from now on the hidden icon window is the completion test's probe
}

}  // namespace game
