// Kavimo: starts the runtime and loads the startup form, the icon window; the pieces' windows are made ahead,
// above other windows and as large as a piece of a 6 x 6 puzzle.
#include "game/Form1.h"
#include "game/Form2.h"
#include "menu/frmMenu.h"
#include "platform/application.h"
#include "toolkit/mod_RGN_UserFunction.h"

int main(int argc, char** argv) {
    return platform::Run(
        argc, argv,
        [] {
            game::Form1& icon = game::Form1::Instance();
            platform::Load(icon);
            icon.show();
            platform::MakeKeptForms<game::Form2>([](game::Form2& piece) {
                toolkit::SetTopMost(piece, true);
                // The size of a piece of a 6 x 6 puzzle, the largest: no deal has to grow them (the window
                // manager's resizing of nine windows from nothing took longer than the rest of the first deal).
                piece.setWidth(toolkit::PixelToTwipX(6 * 8));
                piece.setHeight(toolkit::PixelToTwipY(6 * 8));
            });
        },
        [] { platform::Unload(menu::frmMenu::Instance(), platform::vbAppWindows); });
}
