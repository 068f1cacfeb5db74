// The game's hot paths: one completion test of a solved 6 x 6 puzzle, and a whole 6 x 6 deal.
#include <benchmark/benchmark.h>
#include <QApplication>

#include "game/Form1.h"
#include "game/Form2.h"
#include "game/Module1.h"
#include "menu/frmMenu.h"
#include "platform/numbers.h"

using namespace game;

namespace {

void startProgram() {
    Form1& icon = Form1::Instance();
    if (!icon.Loaded()) platform::Load(icon);
}

// Deals a 6 x 6 puzzle and lays its pieces out as a solved block: piece p holds cells 4p to 4p + 3 in row
// order, every window at the same place.
void solvedSixBySix() {
    menu::frmMenu::Instance().tc_Click(2);
    for (int p = 0; p < PieceCount; ++p) {
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 6; ++x) PieceCells(p, x, y) = 0;
        for (int k = 4 * p; k < 4 * p + 4; ++k) PieceCells(p, k % 6, k / 6) = 1;
        PaintPiece(*Pieces[static_cast<std::size_t>(p)], static_cast<float>(p));
        Pieces[static_cast<std::size_t>(p)]->setLeft(400 * 15);
        Pieces[static_cast<std::size_t>(p)]->setTop(296 * 15);
    }
}

}  // namespace

static void CompletionTestOfASolved6x6(benchmark::State& state) {
    startProgram();
    solvedSixBySix();
    Form2& last = *Pieces.back();
    for (auto _ : state) {
        if (IsPuzzleSolved(last) != platform::True) state.SkipWithError("not solved");
    }
}
BENCHMARK(CompletionTestOfASolved6x6)->Unit(benchmark::kMicrosecond);

static void DealOfA6x6Puzzle(benchmark::State& state) {
    startProgram();
    for (auto _ : state) {
        menu::frmMenu::Instance().tc_Click(2);
        state.PauseTiming();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
}
BENCHMARK(DealOfA6x6Puzzle)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
