#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <chrono>
#include <thread>

#include "devices/lighting_player.h"
#include "devices/lighting_thread.h"

namespace kestrion {
namespace {

constexpr EffectParams kParams {4, 4, false, true, {200, 100, 50}};

LightInfo fastestLight(int mode)
{
    LightInfo light {};
    light.mode = static_cast<std::uint8_t>(mode);
    light.brightness = 4;
    light.speed = 4;
    light.multiColor = 1;
    return light;
}

double processCpuSeconds()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& time) { return double(time.tv_sec) + double(time.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// One effect step of the 15 LEDs, by mode.
void BM_LightingStep(benchmark::State& state)
{
    LightingPreview preview;
    preview.lightAllReactive({});
    const int mode = static_cast<int>(state.range(0));
    std::int64_t nowMs = 0;
    for (auto _ : state) {
        preview.runStep(mode, kParams, nowMs += 4);
        benchmark::DoNotOptimize(preview.frame());
    }
}
BENCHMARK(BM_LightingStep)->DenseRange(0, 10);

// One tick of the thread's work: count the ticks, run the step that fell due, work out the wait.
void BM_PlayerAdvance(benchmark::State& state)
{
    LightingPlayer player;
    player.load(fastestLight(2), {}, 0);
    std::int64_t nowMs = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(player.advance(nowMs += 4));
}
BENCHMARK(BM_PlayerAdvance);

void BM_ScaledFrame(benchmark::State& state)
{
    LightingPreview preview;
    preview.previewWave(kParams, 0);
    const LightFrame frame = preview.frame();
    for (auto _ : state)
        benchmark::DoNotOptimize(scaledFrame(frame));
}
BENCHMARK(BM_ScaledFrame);

// What the page does every 5 ms, while the thread steps at its fastest.
void BM_SnapshotWhileRunning(benchmark::State& state)
{
    LightingThread thread([] { return true; });
    thread.load(fastestLight(2), {});
    thread.start();
    for (auto _ : state)
        benchmark::DoNotOptimize(thread.snapshot());
}
BENCHMARK(BM_SnapshotWhileRunning);

// CPU share of one core taken by the thread at the fastest step rate (mode 2, speed 4: a step
// every 4 ms), and the time stop() takes to end and join it.
void BM_ThreadCpuShareAndStop(benchmark::State& state)
{
    using Clock = std::chrono::steady_clock;
    for (auto _ : state) {
        LightingThread thread([] { return true; });
        thread.load(fastestLight(static_cast<int>(state.range(0))), {});
        const double cpuBefore = processCpuSeconds();
        const auto wallBefore = Clock::now();
        thread.start();
        std::this_thread::sleep_for(std::chrono::seconds(2));
        const auto stopBegin = Clock::now();
        thread.stop();
        const auto stopEnd = Clock::now();
        const double wall = std::chrono::duration<double>(stopEnd - wallBefore).count();
        state.counters["cpu_percent"] = 100.0 * (processCpuSeconds() - cpuBefore) / wall;
        state.counters["stop_ms"] = std::chrono::duration<double, std::milli>(stopEnd - stopBegin).count();
    }
}
BENCHMARK(BM_ThreadCpuShareAndStop)->Arg(2)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kestrion

BENCHMARK_MAIN();
