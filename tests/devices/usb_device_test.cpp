// The device objects' base with no window at all: only QtCore, a device simulator on its real
// socket transport, real threads.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "devices/usb_device.h"
#include "devsim/simulator.h"
#include "platform/paths.h"
#include "support/device_doubles.h"
#include "support/request_log.h"

namespace kestrion {
namespace {

constexpr int kMouseKind = 2;
constexpr int kBegin = 0x01, kEnd = 0x02;

// A device whose reads are one configuration exchange and a power record of its own.
class PlainDevice : public CQuellonUSBDevice {
public:
    ~PlainDevice() override { stopDeviceWork(); }

    std::atomic<bool> hold{false};

protected:
    UiStep readAllOnWorker() override
    {
        while (hold)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        commandChannel().beginConfig();
        commandChannel().endConfig();
        return {};
    }
    UiStep readPowerOnWorker() override
    {
        return [this] {
            const std::uint8_t record[] = {87, 2, 0, 1};
            showPower(record, sizeof record);
        };
    }
};

class DriverWithoutWindow : public testing::Test {
protected:
    void SetUp() override
    {
        test::ensureCoreApp();
        sim.setLogSink(requests.sink());
        ASSERT_TRUE(sim.plug(devsim::Port::Cable));
        ASSERT_TRUE(device.attachCommandLink(sim.commandPath(devsim::Port::Cable), kMouseKind));
        QObject::connect(&device, &CQuellonUSBDevice::workQueued, [this] { ++queued; });
        QObject::connect(&device, &CQuellonUSBDevice::workDone, [this] { ++done; });
    }

    test::RequestLog requests;
    devsim::Simulator sim{virtualHidDir()};
    PlainDevice device;
    int queued = 0;
    int done = 0;
};

TEST_F(DriverWithoutWindow, ReadsTheDeviceAndAnnouncesItsWorkAndPower)
{
    QByteArray power;
    QObject::connect(&device, &CQuellonUSBDevice::powerRead, [&](const QByteArray& record) { power = record; });
    device.readAll();
    device.readPowerStatus();
    EXPECT_EQ(queued, 2);
    ASSERT_TRUE(test::waitFor([&] { return !device.hasDeviceWork(); }));
    EXPECT_EQ(done, 1) << "once, when the last result was shown";
    EXPECT_EQ(requests.commands(), (std::vector<int>{kBegin, kEnd}));
    EXPECT_EQ(power, QByteArray("\x57\x02\x00\x01", 4));
}

TEST_F(DriverWithoutWindow, LinksClosedUnderQueuedJobsEndTheWork)
{
    device.hold = true;
    device.readAll();
    device.readAll();
    device.readAll();
    ASSERT_TRUE(device.hasDeviceWork());
    device.closeCommandLinks();
    device.hold = false;
    ASSERT_TRUE(test::waitFor([&] { return !device.hasDeviceWork(); }));
    EXPECT_EQ(done, 1) << "the queued reads were dropped; the page's busy strip goes";
    EXPECT_TRUE(requests.commands().empty()) << "nothing reached the device after its links closed";
}

}  // namespace
}  // namespace kestrion
