// Kavimo: starts the runtime and loads the startup form, the icon window.
#include "game/Form1.h"
#include "menu/frmMenu.h"
#include "platform/application.h"

int main(int argc, char** argv) {
    return platform::Run(
        argc, argv,
        [] {
            game::Form1& icon = game::Form1::Instance();
            platform::Load(icon);
            icon.show();
        },
        [] { platform::Unload(menu::frmMenu::Instance(), platform::vbAppWindows); });
}
