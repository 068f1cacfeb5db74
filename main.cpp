// Kavimo: starts the runtime and loads the startup form, the icon window; the pieces' windows are made ahead,
// above other windows as a deal leaves them.
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
            platform::MakeKeptForms<game::Form2>([](game::Form2& piece) { toolkit::SetTopMost(piece, true); });
        },
        [] { platform::Unload(menu::frmMenu::Instance(), platform::vbAppWindows); });
}
