// The toolkit's hot paths: the overlap test that the completion test repeats, and a 36-part outline built
// through a canvas.
#include <benchmark/benchmark.h>
#include <QApplication>

#include "platform/forms.h"
#include "toolkit/mod_RGN_UserFunction.h"

using namespace toolkit;

static void OverlapOfTwoShapedWindows(benchmark::State& state) {
    auto& probe = platform::NewForm<platform::Form>("Probe");
    auto& piece = platform::NewForm<platform::Form>("Piece");
    MakeRGNWindow(11, probe, true);
    MakeRGNWindow(1, piece, true);
    for (auto _ : state) benchmark::DoNotOptimize(RGNOverlap(probe, piece));
    platform::Unload(probe);
    platform::Unload(piece);
}
BENCHMARK(OverlapOfTwoShapedWindows);

static void OutlineOf36PartsThroughACanvas(benchmark::State& state) {
    auto& canvas = platform::NewForm<platform::Form>("Canvas");
    canvas.show();
    for (auto _ : state) {
        PrepareRGNCanvas(canvas, 1, PixelToTwipX(48), PixelToTwipY(48));
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 6; ++x) {
                double left = PixelToTwipX(8 * x - 1), top = PixelToTwipY(8 * y - 1);
                DrawRGNPart(1 + (x + y) % 9, canvas, left, top);
            }
        ApplyRGNCanvas(canvas);
    }
    platform::Unload(canvas);
}
BENCHMARK(OutlineOf36PartsThroughACanvas)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
