#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <optional>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "device_link/hid_device.h"
#include "device_link/hid_test_descriptors.h"
#include "devsim/virtual_hid_server.h"
#include "platform/hid/virtual_backend.h"
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

struct BadDescription {
    const char* name;
    std::string text;
};

const std::string kGoodDescriptor = "\"descriptor\": \"05 01 09 02 A1 01 C0\"";

const BadDescription kBadDescriptions[] = {
    {"Truncated", "{\"vendor\": 13071, \"product\": \"x\""},
    {"VendorHuge", "{\"vendor\": 18446744073709551615, \"product\": 8868, \"version\": 260, "
                           "\"interface\": 0, " + kGoodDescriptor + "}"},
    {"ProductAbove16Bits", "{\"vendor\": 13071, \"product\": 65536, \"version\": 260, \"interface\": 0, " +
                               kGoodDescriptor + "}"},
    {"NegativeVersion", "{\"vendor\": 13071, \"product\": 8868, \"version\": -1, \"interface\": 0, " +
                            kGoodDescriptor + "}"},
    {"RealInterface", "{\"vendor\": 13071, \"product\": 8868, \"version\": 260, \"interface\": 0.5, " +
                          kGoodDescriptor + "}"},
    {"NumbersAsText", "{\"vendor\": \"13071\", \"product\": \"8868\", \"version\": \"260\", "
                      "\"interface\": \"0\", " + kGoodDescriptor + "}"},
    {"DescriptorNotText", "{\"vendor\": 13071, \"product\": 8868, \"version\": 260, \"interface\": 0, "
                          "\"descriptor\": [5, 1]}"},
    {"RootAnArray", "[13071, 8868, 260, 0]"},
    {"DeepNesting", std::string(100000, '[')},
    {"Empty", ""},
};

void PrintTo(const BadDescription& description, std::ostream* out)
{
    *out << description.name;
}

class BadDescriptionTest : public VirtualHidTest, public testing::WithParamInterface<BadDescription> {};

// Whatever the other interface's description holds, it alone is left out.
TEST_P(BadDescriptionTest, OnlyThatInterfaceIsLeftOut)
{
    devsim::VirtualHidInterface other(virtualHidDir(), "broken",
                                      {0x320F, 0x22A4, 0x0104, 0, test::descriptorBytes("kestrion-mouse-if0.bin")},
                                      [](char, const Report&) {});
    ASSERT_TRUE(other.publish());
    std::filesystem::remove(other.jsonPath());
    test::writeFile(other.jsonPath(), GetParam().text);

    HidInterfaceList list;
    ASSERT_TRUE(list.refresh());
    EXPECT_EQ(list.count(), 2u);
    EXPECT_EQ(list.next(), kKeyboardPath);
    other.unpublish();
}

INSTANTIATE_TEST_SUITE_P(Descriptions, BadDescriptionTest, testing::ValuesIn(kBadDescriptions),
                         [](const testing::TestParamInfo<BadDescription>& info) { return std::string(info.param.name); });

TEST_F(VirtualHidTest, FifoInPlaceOfADescriptionIsLeftOutWithoutBlocking)
{
    devsim::VirtualHidInterface other(virtualHidDir(), "fifo",
                                      {0x320F, 0x22A4, 0x0104, 0, test::descriptorBytes("kestrion-mouse-if0.bin")},
                                      [](char, const Report&) {});
    ASSERT_TRUE(other.publish());
    std::filesystem::remove(other.jsonPath());
    ASSERT_EQ(::mkfifo(other.jsonPath().c_str(), 0600), 0);

    HidInterfaceList list;
    ASSERT_TRUE(list.refresh());
    EXPECT_EQ(list.count(), 2u);
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

enum class Distrust { ForeignOwner, WritableByOthers, Link };

// A folder whoever else could have made or may write to: its devices are not offered.
class UntrustedFolder : public testing::TestWithParam<Distrust> {
protected:
    void SetUp() override
    {
        folder = base.file("vhid");
        std::filesystem::create_directory(folder);
        ::chmod(folder.c_str(), 0700);
        iface.emplace(folder, "mouse-if1",
                      devsim::InterfaceIdentity{0x320F, 0x22A4, 0x0104, 1, test::descriptorBytes("kestrion-mouse-if1.bin")},
                      [](char, const Report&) {});
        ASSERT_TRUE(iface->publish());
        environment.sysfsRoot = base.file("no-sysfs");
        environment.virtualDir = folder;

        std::vector<HidInterfaceEntry> trusted;
        ASSERT_TRUE(enumerateVirtual(environment, trusted));
        ASSERT_EQ(trusted.size(), 2u);
    }

    void TearDown() override
    {
        if (iface)
            iface->unpublish();
        ::chown(folder.c_str(), ::geteuid(), ::getegid());
    }

    test::TempDir base;
    std::string folder;
    std::optional<devsim::VirtualHidInterface> iface;
    HidEnvironment environment;
};

TEST_P(UntrustedFolder, ItsDevicesAreNeitherListedNorPresent)
{
    switch (GetParam()) {
    case Distrust::ForeignOwner:
        if (::chown(folder.c_str(), 65534, 65534) != 0)
            GTEST_SKIP() << "cannot give the folder to another user here (not root)";
        break;
    case Distrust::WritableByOthers:
        ASSERT_EQ(::chmod(folder.c_str(), 0777), 0);
        break;
    case Distrust::Link:
        environment.virtualDir = base.file("link");
        std::filesystem::create_directory_symlink(folder, environment.virtualDir);
        break;
    }
    std::vector<HidInterfaceEntry> entries;
    EXPECT_TRUE(enumerateVirtual(environment, entries));
    EXPECT_TRUE(entries.empty());
    EXPECT_FALSE(virtualInterfacePresent(environment, "mouse-if1"));
    EXPECT_TRUE(describeVirtualInterface(environment, "mouse-if1").empty());
}

std::string distrustName(const testing::TestParamInfo<Distrust>& info)
{
    constexpr const char* names[] = {"ForeignOwner", "WritableByOthers", "Link"};
    return names[static_cast<int>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(Folders, UntrustedFolder,
                         testing::Values(Distrust::ForeignOwner, Distrust::WritableByOthers, Distrust::Link),
                         distrustName);

// Without a runtime folder the devices live under the shared /tmp: the tool makes the folder its
// own before anyone else can.
TEST(VirtualHidFolder, SharedFolderIsCreatedPrivate)
{
    const std::string runtime = runtimeDir();
    ::unsetenv("XDG_RUNTIME_DIR");
    const std::string shared = virtualHidDir();
    if (std::filesystem::exists(shared)) {
        ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
        GTEST_SKIP() << shared << " already exists on this machine";
    }
    HidEnvironment environment;
    std::vector<HidInterfaceEntry> entries;
    EXPECT_TRUE(enumerateVirtual(environment, entries));
    struct stat info {};
    EXPECT_EQ(::lstat(shared.c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_EQ(info.st_uid, ::geteuid());
    std::filesystem::remove(shared);
    ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
}

}  // namespace
}  // namespace kestrion
