// The icon window: the program's start, the 32 x 32 picture on the desktop that deals a puzzle when clicked.
// Once a puzzle runs it is hidden and serves the completion test as a one-cell probe.
#pragma once

#include "platform/forms.h"

namespace game {

class Form1 : public platform::Form {
  public:
    Form1();
    // The one icon window, created on first use.
    static Form1& Instance();

    void Form_Load() override;
    void Form_QueryUnload(int& Cancel, int UnloadMode) override;
    void Form_MouseDown(int Button, int Shift, float X, float Y) override;
    void Form_MouseMove(int Button, int Shift, float X, float Y) override;
    void Form_Click() override;

  private:
    bool placeAsStored();
    void centre();
};

}  // namespace game
