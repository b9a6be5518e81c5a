// The UI thread while the device stops answering: the mouse behind its receiver drops every
// reply, the first read runs (each exchange waits out its time limit twice), and a 1 ms timer on
// the UI thread records the longest gap between its ticks until the read is over.
#include <QApplication>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "devices/device_selector.h"
#include "devices/mouse_device.h"
#include "pages/mouse_view.h"
#include "devsim/simulator.h"
#include "platform/paths.h"
#include "ui/control_factory.h"
#include "ui/skin.h"

namespace {

using Clock = std::chrono::steady_clock;

double longestStallMs(kestrion::CQuellonMouseDevice& device, int timerId)
{
    Clock::time_point last = Clock::now();
    Clock::duration longest{};
    QTimer heartbeat;
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        const Clock::time_point now = Clock::now();
        longest = std::max(longest, now - last);
        last = now;
    });
    heartbeat.start(1);
    const Clock::time_point start = Clock::now();
    device.runSelectorTimer(timerId);
    while (device.hasDeviceWork())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    std::printf("  job took %.1f s\n", std::chrono::duration<double>(Clock::now() - start).count());
    return std::chrono::duration<double, std::milli>(longest).count();
}

}  // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const std::string runtime = std::filesystem::temp_directory_path() / ("kestrion-worker-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(runtime);
    std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    QApplication app(argc, argv);
    {
        kestrion::ui::Skin skin(QStringLiteral(KESTRION_SOURCE_ROOT "/skin"));
        skin.load();
        kestrion::ui::ControlFactory factory(&skin);
        devsim::Simulator sim(kestrion::virtualHidDir());
        kestrion::CQuellonMouseDevice device;
        kestrion::DevicePageSetup setup;
        setup.deviceKind = 2;
        setup.pageLayout = QStringLiteral("XML\\DeviceXml\\mousedevice.xml");
        device.setPageSetup(setup);
        device.prepare();
        kestrion::MouseView view(device);
        view.build(skin, factory);
        view.show();
        sim.plug(devsim::Port::Receiver);
        device.attachCommandLink(sim.commandPath(devsim::Port::Receiver), 6);
        sim.injectFault(devsim::FaultKind::Drop, devsim::Simulator::kAll);

        std::printf("first read, receiver dropping every reply:\n");
        const double stall = longestStallMs(device, kestrion::kTimerFirstRead);
        std::printf("  longest stall of the UI thread: %.1f ms\n", stall);
        std::printf("link watch, receiver dropping every reply:\n");
        std::printf("  longest stall of the UI thread: %.1f ms\n", longestStallMs(device, kestrion::kTimerLinkWatch));
    }
    std::filesystem::remove_all(runtime);
    return 0;
}
