// Cost of the receive handling's text work, which runs for every burst from the counter for
// as long as the port is open. One receive event must cost the same after 100 MB as after
// 1 KB, and a line that never ends must not grow memory.
//   build-rel/bench/bench_feed

#include "displayfeed.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>

#include <unistd.h>

namespace {

const QByteArray kLine = "F  10.000000 MHz\r\n"; // a typical 18-byte chunk

// Feeds about `bytes` of ordinary counter lines in large chunks.
void preload(DisplayFeed &feed, qint64 bytes)
{
    QByteArray block;
    while (block.size() < qMin<qint64>(bytes, 64 * 1024))
        block += kLine;
    for (qint64 sent = 0; sent < bytes; sent += block.size())
        feed.receive(block, false);
}

void BM_ReceiveLineAfter(benchmark::State &state)
{
    DisplayFeed feed;
    preload(feed, state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(feed.receive(kLine, false));
}
BENCHMARK(BM_ReceiveLineAfter)->Arg(1 << 10)->Arg(100 << 20)->ArgName("bytes_before");

double nsPerReceive(DisplayFeed &feed, int count)
{
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < count; ++i)
        benchmark::DoNotOptimize(feed.receive(kLine, false));
    const std::chrono::duration<double, std::nano> took = std::chrono::steady_clock::now() - start;
    return took.count() / count;
}

// Both states side by side, best of several rounds, and their ratio (target <= 1.2).
void BM_ReceiveCostRatio(benchmark::State &state)
{
    DisplayFeed small;
    DisplayFeed large;
    preload(small, 1 << 10);
    preload(large, 100 << 20);
    double smallNs = 1e300;
    double largeNs = 1e300;
    for (auto _ : state) {
        for (int round = 0; round < 5; ++round) {
            smallNs = std::min(smallNs, nsPerReceive(small, 1'000'000));
            largeNs = std::min(largeNs, nsPerReceive(large, 1'000'000));
        }
    }
    state.counters["ns_after_1KB"] = smallNs;
    state.counters["ns_after_100MB"] = largeNs;
    state.counters["ratio"] = largeNs / smallNs;
}
BENCHMARK(BM_ReceiveCostRatio)->Iterations(1)->Unit(benchmark::kMillisecond);

long residentKiB()
{
    long size = 0;
    long resident = 0;
    if (FILE *f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &size, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

// A device that never sends CR LF: 100 MB in 64 KB chunks (target growth < 1 MB).
void BM_NoCrLfMemory(benchmark::State &state)
{
    const QByteArray chunk(64 * 1024, 'x');
    const qint64 total = 100 << 20;
    long growth = 0;
    qsizetype lineLength = 0;
    for (auto _ : state) {
        DisplayFeed feed;
        const long before = residentKiB();
        for (qint64 sent = 0; sent < total; sent += chunk.size())
            benchmark::DoNotOptimize(feed.receive(chunk, false));
        growth = residentKiB() - before;
        lineLength = feed.lastLine().size();
    }
    state.counters["rss_growth_KiB"] = double(growth);
    state.counters["last_line_bytes"] = double(lineLength);
    state.SetBytesProcessed(state.iterations() * total);
}
BENCHMARK(BM_NoCrLfMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
