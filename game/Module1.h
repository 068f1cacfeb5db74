// The game: the puzzle state shared by the icon window, the piece windows and the menu, the deal, rotation,
// painting, snapping, the completion test and the restart.
#pragma once

#include <cstdint>
#include <vector>

namespace game {

class Form2;

// The cells of every piece over the whole grid, or the free cells of the deal: whole numbers held as floats.
class CellArray {
  public:
    void Redim(int layers, int columns, int rows);
    float& operator()(int layer, int x, int y);
    float& operator()(int x, int y) { return (*this)(0, x, y); }
    bool empty() const { return values_.empty(); }

  private:
    int columns_ = 0, rows_ = 0;
    std::vector<float> values_;
};

// The running puzzle.
extern std::vector<Form2*> Pieces;  // Pieces[p] is the window of piece p
extern CellArray FreeCells;         // 1 = cell not yet dealt
extern CellArray PieceCells;        // per piece: 1 its cell, 2 its origin marker, 3 both
extern float TileCountX;
extern float TileCountY;
extern float PieceCount;
// The icon window's place, the centre of the next deal; the completion test moves it to the block it checks.
extern std::int32_t IconLeft;
extern std::int32_t IconTop;
// Set when the program was started with any command-line text: every piece then shows its origin marker.
extern bool CommandLineFlag;

void StartPuzzle(float tilesX, float tilesY);
void ResetCells();
void BuildPiece(float pieceIndex);
void RotatePiece(Form2& piece, float pieceIndex);
void PaintPiece(Form2& piece, float pieceIndex);
void SnapToGrid(Form2& piece);
// True (-1) when the pieces cover a whole block; sets IconLeft and IconTop to the block's anchor.
float IsPuzzleSolved(Form2& piece);
void FinishPuzzle();

}  // namespace game
