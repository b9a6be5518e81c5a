#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <map>
#include <mutex>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

#include "device_link/hid_device.h"
#include "device_link/supported_devices.h"

namespace kestrion {
namespace {

using Report = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

const std::string kNotificationPath = "/dev/hidraw0#vid_320f&pid_22a4&mi_00&col03";
const std::string kCommandPath = "/dev/hidraw1#vid_320f&pid_22a4&mi_01&col02";
const std::string kConsumerPath = "/dev/hidraw2#vid_06cb&pid_2968&mi_00&col03";
const std::string kWheelMousePath = "/dev/hidraw4#vid_093a&pid_2510&mi_00";

// Stands in for /dev: each open of a node hands out one end of a fresh SOCK_SEQPACKET pair,
// which reads, writes and polls like a hidraw node; the test plays the device on the other end.
class FakeNodes {
public:
    enum class Mode { Present, Denied, Missing };

    ~FakeNodes()
    {
        for (const auto& [node, fds] : m_peers)
            for (int fd : fds)
                ::close(fd);
    }

    int open(const std::string& path, int)
    {
        std::lock_guard lock(m_mutex);
        const auto mode = m_modes.find(path);
        if (mode != m_modes.end() && mode->second != Mode::Present) {
            errno = mode->second == Mode::Denied ? EACCES : ENOENT;
            return -1;
        }
        int pair[2];
        if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, pair) != 0)
            return -1;
        m_peers[path].push_back(pair[1]);
        return pair[0];
    }

    void setMode(const std::string& node, Mode mode)
    {
        std::lock_guard lock(m_mutex);
        m_modes[node] = mode;
    }

    // The device end of the latest open of `node`.
    int device(const std::string& node)
    {
        std::lock_guard lock(m_mutex);
        return m_peers.at(node).back();
    }

    void send(const std::string& node, const Report& report)
    {
        ASSERT_GT(::send(device(node), report.data(), report.size(), 0), 0);
    }

    Report receive(const std::string& node)
    {
        Report buffer(256);
        const ssize_t n = ::recv(device(node), buffer.data(), buffer.size(), MSG_DONTWAIT);
        buffer.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
        return buffer;
    }

private:
    std::mutex m_mutex;
    std::map<std::string, Mode> m_modes;
    std::map<std::string, std::vector<int>> m_peers;
};

class HidrawTest : public testing::Test {
protected:
    HidrawTest()
    {
        HidEnvironment environment;
        environment.sysfsRoot = std::string(KESTRION_TEST_DATA) + "/sysfs-kestrion";
        environment.devRoot = "/dev";
        environment.virtualDir = environment.sysfsRoot + "/no-virtual-devices";
        environment.openNode = [this](const std::string& path, int flags) { return nodes.open(path, flags); };
        setHidEnvironment(environment);
    }
    ~HidrawTest() override { setHidEnvironment(HidEnvironment{}); }

    FakeNodes nodes;
};

TEST_F(HidrawTest, EnumerationListsEveryCollectionInNodeOrder)
{
    HidInterfaceList list;
    ASSERT_TRUE(list.refresh());
    std::vector<std::string> paths;
    while (const auto path = list.next())
        paths.push_back(*path);
    const std::vector<std::string> expected = {
        "/dev/hidraw0#vid_320f&pid_22a4&mi_00&col01", "/dev/hidraw0#vid_320f&pid_22a4&mi_00&col02",
        "/dev/hidraw0#vid_320f&pid_22a4&mi_00&col03", "/dev/hidraw1#vid_320f&pid_22a4&mi_01&col01",
        "/dev/hidraw1#vid_320f&pid_22a4&mi_01&col02", "/dev/hidraw2#vid_06cb&pid_2968&mi_00&col01",
        "/dev/hidraw2#vid_06cb&pid_2968&mi_00&col02", "/dev/hidraw2#vid_06cb&pid_2968&mi_00&col03",
        "/dev/hidraw2#vid_06cb&pid_2968&mi_00&col04", "/dev/hidraw2#vid_06cb&pid_2968&mi_00&col05",
        "/dev/hidraw2#vid_06cb&pid_2968&mi_00&col06", "/dev/hidraw3#vid_2717&pid_003b&mi_00&col01",
        "/dev/hidraw3#vid_2717&pid_003b&mi_00&col02", "/dev/hidraw4#vid_093a&pid_2510&mi_00",
        "/dev/hidraw10#vid_045e&pid_07a5&mi_01&col01", "/dev/hidraw10#vid_045e&pid_07a5&mi_01&col02",
    };
    EXPECT_EQ(paths, expected);
}

TEST_F(HidrawTest, OpenReadsIdentityFromSysfs)
{
    struct Case {
        std::string path;
        std::uint16_t vendor, product, version, page, usage, input, output, interface, collection;
    };
    const Case cases[] = {
        {kCommandPath, 0x320F, 0x22A4, 0x0104, 0xFF1C, 0x92, 64, 64, 1, 2},
        {kNotificationPath, 0x320F, 0x22A4, 0x0104, 0x000C, 0x01, 3, 0, 0, 3},
        {kWheelMousePath, 0x093A, 0x2510, 0x0100, 0x0001, 0x02, 5, 0, 0, 0},
        {"/dev/hidraw3#vid_2717&pid_003b&mi_00&col01", 0x2717, 0x003B, 0, 0x0001, 0x02, 4, 0, 0, 1},
        {"/dev/hidraw10#VID_045E&PID_07A5&MI_01&COL02", 0x045E, 0x07A5, 0x0949, 0x000C, 0x01, 3, 0, 1, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        HidDevice device;
        ASSERT_TRUE(device.open(c.path, true, false, true, false));
        EXPECT_EQ(device.vendorId(), c.vendor);
        EXPECT_EQ(device.productId(), c.product);
        EXPECT_EQ(device.versionNumber(), c.version);
        EXPECT_EQ(device.usagePage(), c.page);
        EXPECT_EQ(device.usage(), c.usage);
        EXPECT_EQ(device.inputReportLength(), c.input);
        EXPECT_EQ(device.outputReportLength(), c.output);
        EXPECT_EQ(device.interfaceNumber(), c.interface);
        EXPECT_EQ(device.collectionNumber(), c.collection);
        EXPECT_EQ(device.path(), c.path);
    }
}

TEST_F(HidrawTest, MissingRightsAreToldApartFromAMissingDevice)
{
    nodes.setMode("/dev/hidraw1", FakeNodes::Mode::Denied);
    nodes.setMode("/dev/hidraw0", FakeNodes::Mode::Missing);
    HidDevice device;
    EXPECT_FALSE(device.open(kCommandPath, true, true, true, false));
    EXPECT_EQ(device.lastOpenError(), HidOpenError::AccessDenied);
    EXPECT_TRUE(hidInterfacePresent(kCommandPath));

    EXPECT_FALSE(device.open(kNotificationPath, true, true, true, false));
    EXPECT_EQ(device.lastOpenError(), HidOpenError::NotFound);
    EXPECT_FALSE(hidInterfacePresent(kNotificationPath));

    EXPECT_FALSE(device.open("/dev/hidraw1#vid_320f&pid_22a4&mi_01&col03", true, true, true, false));
    EXPECT_EQ(device.lastOpenError(), HidOpenError::NotFound);
    EXPECT_FALSE(device.open("/dev/hidraw7#vid_320f&pid_22a4&mi_01", true, true, true, false));
    EXPECT_EQ(device.lastOpenError(), HidOpenError::NotFound);
    EXPECT_FALSE(hidInterfacePresent("/dev/..#vid_320f"));
    // hidraw2 now belongs to another device: a path that named a mouse there is gone.
    EXPECT_TRUE(hidInterfacePresent(kConsumerPath));
    EXPECT_FALSE(hidInterfacePresent("/dev/hidraw2#vid_320f&pid_22a4&mi_01&col02"));
}

TEST_F(HidrawTest, ReadsKeepTheReportIdAndSkipOtherCollections)
{
    HidDevice command;
    ASSERT_TRUE(command.open(kCommandPath, true, true, true, false));
    Report reply(64, 0);
    reply[0] = 0x04;
    reply[3] = 0x21;
    nodes.send("/dev/hidraw1", {0x01, 0x00, 0x00, 0x04, 0, 0, 0, 0, 0});  // the keyboard collection's
    nodes.send("/dev/hidraw1", reply);
    Report buffer(64, 0);
    std::size_t read = 0;
    ASSERT_TRUE(command.readReport(buffer.data(), buffer.size(), &read, 1000));
    EXPECT_EQ(read, 64u);
    EXPECT_EQ(buffer, reply);

    // Without report ids hidraw leaves the id out; this interface puts the 0 back in front.
    HidDevice mouse;
    ASSERT_TRUE(mouse.open(kWheelMousePath, true, false, true, false));
    nodes.send("/dev/hidraw4", {0x01, 0x05, 0xFB, 0x00});
    Report motion(5, 0xEE);
    ASSERT_TRUE(mouse.readReport(motion.data(), motion.size(), &read, 1000));
    EXPECT_EQ(read, 5u);
    EXPECT_EQ(motion, (Report{0x00, 0x01, 0x05, 0xFB, 0x00}));
}

TEST_F(HidrawTest, WritesGoOutUnchangedAndSetOutputFallsBackToAWrite)
{
    HidDevice command;
    ASSERT_TRUE(command.open(kCommandPath, true, true, true, false));
    Report request(64, 0);
    request[0] = 0x04;
    request[3] = 0x01;
    std::size_t written = 0;
    ASSERT_TRUE(command.writeReport(request.data(), request.size(), &written, 1000));
    EXPECT_EQ(written, 64u);
    EXPECT_EQ(nodes.receive("/dev/hidraw1"), request);

    // The stand-in node does not know HIDIOCSOUTPUT, like a kernel that predates it.
    request[3] = 0x02;
    ASSERT_TRUE(command.setOutputReport(request.data(), request.size()));
    EXPECT_EQ(nodes.receive("/dev/hidraw1"), request);
}

TEST_F(HidrawTest, ReadTimesOutAndTheNextReadWorks)
{
    HidDevice device;
    ASSERT_TRUE(device.open(kNotificationPath, true, true, true, false));
    Report buffer(3, 0);
    std::size_t read = 99;
    const auto start = Clock::now();
    EXPECT_FALSE(device.readReport(buffer.data(), buffer.size(), &read, 1000));
    const auto waited = Clock::now() - start;
    EXPECT_EQ(read, 0u);
    EXPECT_GE(waited, std::chrono::milliseconds(1000));
    EXPECT_LT(waited, std::chrono::seconds(5));

    nodes.send("/dev/hidraw0", {0x03, 0xE9, 0x00});
    ASSERT_TRUE(device.readReport(buffer.data(), buffer.size(), &read, 1000));
    EXPECT_EQ(buffer, (Report{0x03, 0xE9, 0x00}));
}

TEST_F(HidrawTest, CloseFromAnotherThreadEndsAnInfiniteRead)
{
    HidDevice device;
    ASSERT_TRUE(device.open(kNotificationPath, true, true, true, false));
    std::atomic<bool> returned{false};
    bool result = true;
    std::thread reader([&] {
        result = device.readReport(device.inputReport().data(), device.inputReportLength(), nullptr, kHidInfinite);
        returned = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(returned);
    const auto start = Clock::now();
    device.close();
    reader.join();
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(1));
    EXPECT_FALSE(result);
    EXPECT_FALSE(device.isOpen());
    device.close();

    // The cancel signal is spent: a reopened device waits normally again.
    ASSERT_TRUE(device.open(kNotificationPath, true, true, true, false));
    nodes.send("/dev/hidraw0", {0x03, 0xCD, 0x00});
    Report buffer(3, 0);
    EXPECT_TRUE(device.readReport(buffer.data(), buffer.size(), nullptr, 1000));
}

TEST_F(HidrawTest, ConcurrentReaderAndWriterBothEndOnClose)
{
    HidDevice device;
    ASSERT_TRUE(device.open(kCommandPath, true, true, true, false));
    // Fill the node so that the writer blocks as well.
    Report request(64, 0x04);
    while (device.writeReport(request.data(), request.size(), nullptr, 0)) {
    }
    bool readResult = true;
    bool writeResult = true;
    std::thread reader([&] {
        Report buffer(64);
        readResult = device.readReport(buffer.data(), buffer.size(), nullptr, kHidInfinite);
    });
    std::thread writer(
        [&] { writeResult = device.writeReport(request.data(), request.size(), nullptr, kHidInfinite); });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    device.close();
    reader.join();
    writer.join();
    EXPECT_FALSE(readResult);
    EXPECT_FALSE(writeResult);
}

TEST_F(HidrawTest, UnpluggedNodeFailsWaitingAndLaterReads)
{
    HidDevice device;
    ASSERT_TRUE(device.open(kNotificationPath, true, true, true, false));
    bool result = true;
    std::thread reader([&] {
        Report buffer(3);
        result = device.readReport(buffer.data(), buffer.size(), nullptr, kHidInfinite);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ::shutdown(nodes.device("/dev/hidraw0"), SHUT_RDWR);
    reader.join();
    EXPECT_FALSE(result);
    Report buffer(3);
    EXPECT_FALSE(device.readReport(buffer.data(), buffer.size(), nullptr, kHidInfinite));
}

TEST_F(HidrawTest, ConsumerControlReportDecodesToItsUsage)
{
    HidDevice device;
    ASSERT_TRUE(device.open(kConsumerPath, true, false, true, false));
    ASSERT_EQ(device.inputData().size(), 1u);
    EXPECT_EQ(device.inputData()[0].usages.size(), 1u);

    EXPECT_TRUE(device.decodeInputReport(Report{0x02, 0xE9, 0x00}.data(), 3));
    EXPECT_EQ(device.firstInputUsage(), 0xE9);
    EXPECT_TRUE(device.inputData()[0].isSet);
    EXPECT_TRUE(device.decodeInputReport(Report{0x02, 0x3C, 0x02}.data(), 3));
    EXPECT_EQ(device.firstInputUsage(), 0x23C);
    // Nothing pressed, and an index beyond the logical maximum, both leave the list empty.
    EXPECT_TRUE(device.decodeInputReport(Report{0x02, 0x00, 0x00}.data(), 3));
    EXPECT_EQ(device.firstInputUsage(), 0);
    EXPECT_TRUE(device.decodeInputReport(Report{0x02, 0x3D, 0x02}.data(), 3));
    EXPECT_EQ(device.firstInputUsage(), 0);
    EXPECT_FALSE(device.decodeInputReport(Report{0x02, 0xE9}.data(), 2));
}

TEST_F(HidrawTest, ValuesAndBitButtonsDecode)
{
    HidDevice mouse;
    ASSERT_TRUE(mouse.open("/dev/hidraw3#vid_2717&pid_003b&mi_00&col01", true, false, true, false));
    // Report 2: X = -5 and Y = 100 as 12-bit fields.
    ASSERT_TRUE(mouse.decodeInputReport(Report{0x02, 0xFB, 0x4F, 0x06}.data(), 4));
    std::map<std::uint16_t, std::int32_t> values;
    for (const HidInputElement& e : mouse.inputData())
        if (e.kind == HidInputElement::Kind::Value && e.reportId == 2 && e.isSet)
            values[e.usage] = e.rawValue;
    EXPECT_EQ(values, (std::map<std::uint16_t, std::int32_t>{{0x30, -5}, {0x31, 100}}));

    // Report 1: buttons 1 and 3.
    ASSERT_TRUE(mouse.decodeInputReport(Report{0x01, 0x05, 0x00, 0x00}.data(), 4));
    const HidInputElement& buttons = mouse.inputData()[0];
    ASSERT_EQ(buttons.usageCount, 2u);
    EXPECT_EQ(buttons.usages[0], 1);
    EXPECT_EQ(buttons.usages[1], 3);
    EXPECT_EQ(mouse.firstInputUsage(), 1);

    HidDevice media;
    ASSERT_TRUE(media.open("/dev/hidraw3#vid_2717&pid_003b&mi_00&col02", true, false, true, false));
    ASSERT_TRUE(media.decodeInputReport(Report{0x03, 0x01}.data(), 2));
    EXPECT_EQ(media.firstInputUsage(), 0xCD);
}

TEST_F(HidrawTest, PluggedMouseMatchesItsSlotsEndToEnd)
{
    std::vector<DeviceSlot> slots = makeDeviceSlots();
    HidInterfaceList list;
    ASSERT_TRUE(list.refresh());
    std::map<std::string, int> matched;
    while (const auto path = list.next()) {
        const int slot = matchSupportedInterface(slots, *path);
        if (slot >= 0)
            matched[*path] = slot;
    }
    EXPECT_EQ(matched, (std::map<std::string, int>{{kCommandPath, 4}, {kNotificationPath, 5}}));
    EXPECT_EQ(slots[4].devicePath, kCommandPath);
    EXPECT_TRUE(slots[5].occupied);

    EXPECT_TRUE(releaseVanishedSlots(slots).empty());
    nodes.setMode("/dev/hidraw1", FakeNodes::Mode::Missing);
    EXPECT_EQ(releaseVanishedSlots(slots), std::vector<int>{4});
    EXPECT_FALSE(slots[4].occupied);
    EXPECT_TRUE(slots[4].devicePath.empty());
    EXPECT_TRUE(slots[5].occupied);
}

TEST_F(HidrawTest, DeniedCandidateReportsWhy)
{
    nodes.setMode("/dev/hidraw1", FakeNodes::Mode::Denied);
    std::vector<DeviceSlot> slots = makeDeviceSlots();
    HidOpenError why = HidOpenError::None;
    EXPECT_EQ(matchSupportedInterface(slots, kCommandPath, &why), -1);
    EXPECT_EQ(why, HidOpenError::AccessDenied);
    EXPECT_FALSE(slots[4].occupied);
}

}  // namespace
}  // namespace kestrion
