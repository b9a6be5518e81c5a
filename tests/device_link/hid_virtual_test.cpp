#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <thread>

#include "device_link/hid_device.h"
#include "device_link/hid_test_descriptors.h"
#include "devsim/virtual_hid_server.h"
#include "platform/paths.h"
#include "support/temp_dir.h"

namespace kestrion {
namespace {

using Report = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

const std::string kCommandPath = "vhid:mouse-if1#vid_320f&pid_22a4&mi_01&col02";
const std::string kKeyboardPath = "vhid:mouse-if1#vid_320f&pid_22a4&mi_01&col01";

Report commandReport(std::uint8_t code)
{
    Report report(64, 0);
    report[0] = 0x04;
    report[3] = code;
    return report;
}

// The mouse's interface 1 published by the simulator's transport; records what the host sends.
class VirtualHidTest : public testing::Test {
protected:
    VirtualHidTest()
        : iface(virtualHidDir(), "mouse-if1",
                {0x320F, 0x22A4, 0x0104, 1, test::descriptorBytes("kestrion-mouse-if1.bin")},
                [this](char kind, const Report& report) { onReport(kind, report); })
    {
        HidEnvironment environment;
        environment.sysfsRoot = virtualHidDir() + "/no-sysfs";  // this machine's own devices stay out
        setHidEnvironment(environment);
        EXPECT_TRUE(iface.publish());
    }
    ~VirtualHidTest() override
    {
        iface.unpublish();
        setHidEnvironment(HidEnvironment{});
    }

    void onReport(char kind, const Report& report)
    {
        std::lock_guard lock(mutex);
        received.emplace_back(kind, report);
        arrived.notify_all();
    }

    std::vector<std::pair<char, Report>> waitForReports(std::size_t n)
    {
        std::unique_lock lock(mutex);
        arrived.wait_for(lock, std::chrono::seconds(2), [&] { return received.size() >= n; });
        return received;
    }

    // Input reports go to open connections only: wait until the host's is accepted.
    void waitForConnections(std::size_t n)
    {
        const auto deadline = Clock::now() + std::chrono::seconds(2);
        while (iface.connectionCount() < n && Clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        ASSERT_GE(iface.connectionCount(), n);
    }

    devsim::VirtualHidInterface iface;
    std::mutex mutex;
    std::condition_variable arrived;
    std::vector<std::pair<char, Report>> received;
};

TEST_F(VirtualHidTest, EnumerationListsOneEntryPerCollection)
{
    HidInterfaceList list;
    ASSERT_TRUE(list.refresh());
    EXPECT_EQ(list.next(), kKeyboardPath);
    EXPECT_EQ(list.next(), kCommandPath);
    EXPECT_EQ(list.next(), std::nullopt);

    iface.unpublish();
    ASSERT_TRUE(list.refresh());
    EXPECT_EQ(list.count(), 0u);
}

TEST_F(VirtualHidTest, OpenReadsIdentityAndLayoutOfTheCollection)
{
    HidDevice device;
    ASSERT_TRUE(device.open(kCommandPath, true, false, true, false));
    EXPECT_EQ(device.vendorId(), 0x320F);
    EXPECT_EQ(device.productId(), 0x22A4);
    EXPECT_EQ(device.versionNumber(), 0x0104);
    EXPECT_EQ(device.usagePage(), 0xFF1C);
    EXPECT_EQ(device.usage(), 0x92);
    EXPECT_EQ(device.inputReportLength(), 64);
    EXPECT_EQ(device.outputReportLength(), 64);
    EXPECT_EQ(device.featureReportLength(), 0);
    EXPECT_EQ(device.interfaceNumber(), 1);
    EXPECT_EQ(device.collectionNumber(), 2);
    EXPECT_EQ(device.inputReport().size(), 64u);
    EXPECT_EQ(device.lastOpenError(), HidOpenError::None);

    HidDevice absent;
    EXPECT_FALSE(absent.open("vhid:mouse-if1#vid_320f&pid_22a4&mi_01&col03", true, true, true, false));
    EXPECT_EQ(absent.lastOpenError(), HidOpenError::NotFound);
    EXPECT_FALSE(absent.open("vhid:nobody#vid_320f&pid_22a4&mi_01", true, true, true, false));
    EXPECT_EQ(absent.lastOpenError(), HidOpenError::NotFound);
    EXPECT_FALSE(absent.isOpen());
}

TEST_F(VirtualHidTest, OutputReportsCarryTheirKind)
{
    HidDevice device;
    ASSERT_TRUE(device.open(kCommandPath, true, true, true, false));
    const Report request = commandReport(0x01);
    std::size_t written = 0;
    ASSERT_TRUE(device.writeReport(request.data(), request.size(), &written, 1000));
    EXPECT_EQ(written, 64u);
    ASSERT_TRUE(device.setOutputReport(request.data(), request.size()));

    const auto reports = waitForReports(2);
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[0], std::make_pair('O', request));
    EXPECT_EQ(reports[1], std::make_pair('S', request));
}

TEST_F(VirtualHidTest, WritingNeedsWriteAccess)
{
    HidDevice device;
    ASSERT_TRUE(device.open(kCommandPath, true, false, true, false));
    const Report request = commandReport(0x01);
    std::size_t written = 7;
    EXPECT_FALSE(device.writeReport(request.data(), request.size(), &written, 1000));
    EXPECT_EQ(written, 0u);
}

TEST_F(VirtualHidTest, ReadsOnlyReportsOfTheOpenedCollection)
{
    HidDevice command;
    HidDevice keyboard;
    ASSERT_TRUE(command.open(kCommandPath, true, true, true, false));
    ASSERT_TRUE(keyboard.open(kKeyboardPath, true, true, true, false));
    waitForConnections(2);

    const Report keys = {0x01, 0x00, 0x00, 0x04, 0, 0, 0, 0, 0};
    const Report reply = commandReport(0x02);
    iface.sendInput(keys);
    iface.sendInput(reply);

    Report buffer(64, 0xEE);
    std::size_t read = 0;
    ASSERT_TRUE(command.readReport(buffer.data(), buffer.size(), &read, 1000));
    EXPECT_EQ(read, 64u);
    EXPECT_EQ(buffer, reply);

    Report keyBuffer(9, 0);
    ASSERT_TRUE(keyboard.readReport(keyBuffer.data(), keyBuffer.size(), &read, 1000));
    EXPECT_EQ(keyBuffer, keys);
    EXPECT_FALSE(keyboard.readReport(keyBuffer.data(), keyBuffer.size(), &read, 100));
}

TEST_F(VirtualHidTest, FlushDiscardsQueuedReports)
{
    HidDevice device;
    ASSERT_TRUE(device.open(kCommandPath, true, true, true, false));
    waitForConnections(1);
    iface.sendInput(commandReport(0x07));
    iface.sendInput(commandReport(0x08));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_TRUE(device.flushInputQueue());

    iface.sendInput(commandReport(0x09));
    Report buffer(64, 0);
    ASSERT_TRUE(device.readReport(buffer.data(), buffer.size(), nullptr, 1000));
    EXPECT_EQ(buffer[3], 0x09);
}

TEST_F(VirtualHidTest, PeerGoingAwayEndsWaitingAndLaterReads)
{
    HidDevice device;
    ASSERT_TRUE(device.open(kCommandPath, true, true, true, false));
    waitForConnections(1);
    EXPECT_TRUE(hidInterfacePresent(kCommandPath));

    bool result = true;
    std::thread reader([&] {
        Report buffer(64, 0);
        result = device.readReport(buffer.data(), buffer.size(), nullptr, kHidInfinite);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    iface.unpublish();
    reader.join();
    EXPECT_FALSE(result);

    const auto start = Clock::now();
    Report buffer(64, 0);
    EXPECT_FALSE(device.readReport(buffer.data(), buffer.size(), nullptr, kHidInfinite));
    const Report request = commandReport(0x01);
    EXPECT_FALSE(device.writeReport(request.data(), request.size(), nullptr, kHidInfinite));
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(500));
    EXPECT_FALSE(hidInterfacePresent(kCommandPath));
}

TEST_F(VirtualHidTest, MalformedDescriptionIsSkipped)
{
    devsim::VirtualHidInterface other(virtualHidDir(), "broken",
                                      {0x320F, 0x22A4, 0x0104, 0, test::descriptorBytes("kestrion-mouse-if0.bin")},
                                      [](char, const Report&) {});
    ASSERT_TRUE(other.publish());
    test::writeFile(other.jsonPath(), "{\"vendor\": 13071, \"product\": \"x\"");

    HidInterfaceList list;
    ASSERT_TRUE(list.refresh());
    EXPECT_EQ(list.count(), 2u);
    EXPECT_EQ(list.next(), kKeyboardPath);
    other.unpublish();
}

TEST(VirtualHidFolder, MissingFolderIsAnEmptyList)
{
    std::error_code ignored;
    std::filesystem::remove_all(virtualHidDir(), ignored);
    HidEnvironment environment;
    environment.sysfsRoot = test::TempDir().path() + "/absent";
    setHidEnvironment(environment);
    HidInterfaceList list;
    EXPECT_TRUE(list.refresh());
    EXPECT_EQ(list.count(), 0u);
    setHidEnvironment(HidEnvironment{});
}

}  // namespace
}  // namespace kestrion
