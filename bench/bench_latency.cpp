// Latency from a display line written to the pseudo-terminal to the live LCD holding it, in
// the real main window: p50 and p99 over 1,000 lines. Run headless:
//   QT_QPA_PLATFORM=offscreen build-rel/bench/bench_latency
#include "mainwindow.h"
#include "pty.h"
#include "seriallink.h"
#include "tlcdline.h"

#include <QApplication>
#include <QComboBox>
#include <QPushButton>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <vector>

namespace {

void BM_LineToLcdLatency(benchmark::State &state)
{
    Pty pty;
    TForm1 form;
    form.show();
    form.findChild<QComboBox *>("sComboBox1")->setEditText(pty.path);
    form.findChild<QPushButton *>("Button1")->click();
    if (!form.link().isOpen()) {
        state.SkipWithError("cannot open the pseudo-terminal");
        return;
    }
    auto *lcd = form.findChild<TLCDLine *>("LCDLine1");
    using Clock = std::chrono::steady_clock;
    std::vector<double> micros;
    for (auto _ : state) {
        micros.clear();
        for (int i = 0; i < 1000; ++i) {
            char text[32];
            std::snprintf(text, sizeof text, "F %10.6f MHz", 10.0 + i * 1e-6);
            const QByteArray line(text);
            const auto t0 = Clock::now();
            pty.send(line + "\r\n");
            while (lcd->text() != line)
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
            QCoreApplication::processEvents(); // let the paint happen between lines
        }
    }
    std::sort(micros.begin(), micros.end());
    state.counters["p50_us"] = micros[micros.size() / 2];
    state.counters["p99_us"] = micros[micros.size() * 99 / 100];
    state.counters["max_us"] = micros.back();
}
BENCHMARK(BM_LineToLcdLatency)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
