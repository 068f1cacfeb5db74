// A puzzle piece: a window as large as the whole grid, shaped to its own cells, with a hidden Clear banner
// that the end of a solved puzzle shows.
#pragma once

#include "platform/forms.h"

namespace game {

// What a piece knows of itself; a new piece starts with all of it at zero.
struct PieceState {
    float Idx = 0;     // the piece's index, its layer of PieceCells
    float m_PosX = 0;  // the grab cell: the cell under the pointer at the last left press
    float m_PosY = 0;
    float m_PosX2 = 0;  // where the grab cell went in the last quarter turn
    float m_PosY2 = 0;
};

class Form2 : public platform::Form, public PieceState {
  public:
    Form2();

    platform::PictureBox Picture1;

    void Form_Load() override;
    void Form_QueryUnload(int& Cancel, int UnloadMode) override;
    void Form_MouseDown(int Button, int Shift, float X, float Y) override;
    void Form_MouseMove(int Button, int Shift, float X, float Y) override;
    void Form_Click() override;
    void PlacedElsewhere(QPoint asked) override;

  protected:
    void Renew() override;

  private:
    void design();
};

}  // namespace game
