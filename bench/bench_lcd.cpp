// One full paint of the main window's LCD (601 x 65, 16 characters) beside a plain fill of an
// image of the same size, in one run: the fill is the floor of writing those pixels once.
#include "lcdrender.h"

#include <benchmark/benchmark.h>

#include <chrono>

namespace {

Lcd::Props mainLcd()
{
    Lcd::Props p;
    p.cellSize = 5;
    p.cellSpace = 1;
    p.frameSize = 0;
    p.boardColor = clAqua;
    p.cellColorOff = clAqua;
    p.cellColorOn = clBlack;
    p.text = "F  10.000000 MHz";
    return p;
}

void BM_PlainFill(benchmark::State &state)
{
    QImage img(601, 65, QImage::Format_RGB32);
    QRgb c = 0xFF00FFFF;
    for (auto _ : state) {
        img.fill(c ^= 1);
        benchmark::DoNotOptimize(img.constBits());
    }
}
BENCHMARK(BM_PlainFill);

void BM_LcdPaint(benchmark::State &state)
{
    Lcd::Props p = mainLcd();
    p.cellShape = Lcd::TCellShape(state.range(0));
    QImage img(601, 65, QImage::Format_RGB32);
    for (auto _ : state) {
        const Lcd::Layout lay = Lcd::layout(p, img.size());
        Lcd::render(img, p, lay);
        benchmark::DoNotOptimize(img.constBits());
    }
}
BENCHMARK(BM_LcdPaint)->Arg(int(Lcd::TCellShape::stSquare))->Arg(int(Lcd::TCellShape::stRound));

// Both in one loop, alternating, so that the ratio holds on a noisy machine.
void BM_PaintToFillRatio(benchmark::State &state)
{
    const Lcd::Props p = mainLcd();
    QImage img(601, 65, QImage::Format_RGB32);
    using Clock = std::chrono::steady_clock;
    Clock::duration fill{}, paint{};
    QRgb c = 0xFF00FFFF;
    for (auto _ : state) {
        for (int i = 0; i < 100; ++i) {
            const auto t0 = Clock::now();
            img.fill(c ^= 1);
            benchmark::DoNotOptimize(img.constBits());
            const auto t1 = Clock::now();
            Lcd::render(img, p, Lcd::layout(p, img.size()));
            benchmark::DoNotOptimize(img.constBits());
            const auto t2 = Clock::now();
            fill += t1 - t0;
            paint += t2 - t1;
        }
    }
    state.counters["fill_ns"] = double(std::chrono::nanoseconds(fill).count()) / (100.0 * state.iterations());
    state.counters["paint_ns"] = double(std::chrono::nanoseconds(paint).count()) / (100.0 * state.iterations());
    state.counters["paint/fill"] = double(paint.count()) / double(fill.count());
}
BENCHMARK(BM_PaintToFillRatio);

} // namespace

BENCHMARK_MAIN();
