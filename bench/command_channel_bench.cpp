// Time per command exchange against an instantly answering device on the virtual transport.
// Every standard exchange pauses 10 ms between request and reply by design; what lies above that
// floor is the host's own cost.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "device_link/command_channel.h"
#include "support/scripted_device.h"

namespace kestrion {
namespace {

constexpr double kFloorMs = 10.0;

enum class Area { DeviceInfo, KeyTable, SettingsPage };

int transfer(CommandChannel& channel, Area area, std::vector<std::uint8_t>& buffer)
{
    switch (area) {
    case Area::DeviceInfo: return channel.readDeviceInfo(buffer.data());
    case Area::KeyTable: return channel.readKeyTable(buffer.data());
    case Area::SettingsPage: return channel.readSettings(buffer.data(), 87, 128);
    }
    return 0;
}

void BM_Read(benchmark::State& state, Area area, LinkMode mode)
{
    test::ScriptedDevice device("bench-if1");
    CommandChannel channel;
    HidDevice& link = mode == LinkMode::Receiver ? channel.receiverLink() : channel.wiredLink();
    if (!link.open(device.path(), true, true, true, false)) {
        state.SkipWithError("cannot open the virtual device");
        return;
    }
    channel.setOpen(true);
    channel.setLinkMode(static_cast<int>(mode));
    std::vector<std::uint8_t> buffer(512);

    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        device.clearRequests();
        if (transfer(channel, area, buffer) != kCommandOk)
            state.SkipWithError("transfer failed");
    }
    const double totalMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    const double exchanges = static_cast<double>(device.requests().size());
    const double perExchangeMs = totalMs / (static_cast<double>(state.iterations()) * exchanges);
    state.counters["exchanges"] = exchanges;
    state.counters["ms_per_exchange"] = perExchangeMs;
    state.counters["overhead_ms"] = perExchangeMs - kFloorMs;
}

BENCHMARK_CAPTURE(BM_Read, info_wired, Area::DeviceInfo, LinkMode::Wired)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Read, info_receiver, Area::DeviceInfo, LinkMode::Receiver)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Read, keys_wired, Area::KeyTable, LinkMode::Wired)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Read, keys_receiver, Area::KeyTable, LinkMode::Receiver)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Read, settings_wired, Area::SettingsPage, LinkMode::Wired)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Read, settings_receiver, Area::SettingsPage, LinkMode::Receiver)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kestrion

int main(int argc, char** argv)
{
    // Publish the fake device in a private runtime folder.
    std::string runtime = (std::filesystem::temp_directory_path() / "kestrion-bench-XXXXXX").string();
    if (!mkdtemp(runtime.data()))
        return 1;
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(runtime);
    return 0;
}
