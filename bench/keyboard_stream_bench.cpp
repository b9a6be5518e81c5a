// The keyboard's host-driven light frames against the simulated keyboard on the virtual
// transport: how many frames a second the cable takes at the fastest rate, the host's CPU per
// frame, and what a stream does when the keyboard stops answering.
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "devices/frame_streamer.h"
#include "devices/keyboard_effects.h"
#include "devices/keyboard_settings.h"
#include "devsim/simulator.h"
#include "platform/paths.h"

namespace kestrion {
namespace {

struct Bench {
    devsim::Simulator sim{virtualHidDir()};
    CommandChannel channel;
    KeyboardLink link{channel};

    bool open()
    {
        if (!sim.plug(devsim::Port::Keyboard)
            || !channel.wiredLink().open(sim.commandPath(devsim::Port::Keyboard), true, true, true, false))
            return false;
        channel.setOpen(true);
        channel.setLinkMode(static_cast<int>(LinkMode::Wired));
        return true;
    }
};

LightInfo waveLight()
{
    LightInfo light{};
    light.brightness = 4;
    light.speed = 4;
    return light;
}

// Each iteration draws one live-wave frame of the 104 keys, scales it and sends it.
void BM_FrameStream(benchmark::State& state)
{
    Bench bench;
    if (!bench.open()) {
        state.SkipWithError("cannot open the simulated keyboard");
        return;
    }
    const LightInfo light = waveLight();
    std::int64_t now = 0;
    for (auto _ : state) {
        const auto keys = keyboardEffectFrame(30, light, devsim::kKeyboardKeyCount, now += 5);
        if (bench.link.streamFrame(keyboardFrame(keys, devsim::kKeyboardKeyCount)) != kCommandOk)
            state.SkipWithError("frame not taken");
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["frames_per_s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["frames_kept"] = static_cast<double>(bench.sim.keyboardFrameCount());
}
BENCHMARK(BM_FrameStream)->UseRealTime()->Unit(benchmark::kMicrosecond)->MinTime(2.0);

constexpr int kFailingSeconds = 8;

// The streamer fed every millisecond while the keyboard drops every reply: how many frames it
// tries a second and the shortest gap between a failed frame and the next attempt.
void BM_FailingStream(benchmark::State& state)
{
    Bench bench;
    if (!bench.open()) {
        state.SkipWithError("cannot open the simulated keyboard");
        return;
    }
    bench.sim.injectFault(devsim::FaultKind::Drop, devsim::Simulator::kAll);
    using Clock = std::chrono::steady_clock;
    std::atomic<int> attempts{0};
    std::atomic<double> shortestGapMs{1e9};
    Clock::time_point lastFailure{};
    FrameStreamer streamer([&](const FrameStreamer::Frame& frame) {
        const Clock::time_point start = Clock::now();
        if (attempts++ > 0) {
            const double gap = std::chrono::duration<double, std::milli>(start - lastFailure).count();
            shortestGapMs = std::min(shortestGapMs.load(), gap);
        }
        const bool ok = bench.link.streamFrame(frame) == kCommandOk;
        lastFailure = Clock::now();
        return ok;
    });
    const FrameStreamer::Frame frame(devsim::kKeyboardKeyCount * 3, 0x40);
    for (auto _ : state) {
        attempts = 0;
        streamer.start();
        const Clock::time_point start = Clock::now();
        while (Clock::now() - start < std::chrono::seconds(kFailingSeconds)) {
            streamer.offer(frame);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        streamer.stop();
    }
    state.counters["attempts_per_s"] = attempts / static_cast<double>(kFailingSeconds);
    state.counters["offers_per_s"] = 1000.0;
    state.counters["shortest_gap_after_failure_ms"] = shortestGapMs.load();
}
BENCHMARK(BM_FailingStream)->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace kestrion

BENCHMARK_MAIN();
