// The discovery thread against the in-process simulator (real sockets, real threads) and the
// fake sysfs tree with real device node files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fcntl.h>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "devsim/simulator.h"
#include "platform/paths.h"
#include "shell/device_manager/device_discovery.h"
#include "support/temp_dir.h"

namespace kestrion {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using devsim::Port;

// What the callbacks saw, with the slot as the UI thread could read it at that moment.
struct Event {
    enum class Kind { Arrived, Removed, FirstPass, Denied };
    Kind kind;
    int slot = -1;
    std::string path;         // Denied: the path; otherwise the slot's path when the call ran
    bool occupied = false;    // the slot's occupied flag when the call ran
};

class EventLog {
public:
    DiscoveryCallbacks callbacks(const DeviceDiscovery*& discovery)
    {
        auto slotEvent = [this, &discovery](Event::Kind kind) {
            return [this, &discovery, kind](int index) {
                const std::optional<DeviceSlot> seen = discovery->slot(index);
                add({kind, index, seen ? seen->devicePath : "?", seen && seen->occupied});
            };
        };
        return {slotEvent(Event::Kind::Arrived), slotEvent(Event::Kind::Removed),
                [this] { add({Event::Kind::FirstPass, -1, {}, false}); },
                [this](const std::string& path) { add({Event::Kind::Denied, -1, path, false}); }};
    }

    void add(const Event& event)
    {
        {
            std::lock_guard lock(m_mutex);
            m_events.push_back(event);
        }
        m_changed.notify_all();
        if (m_onEvent)
            m_onEvent(event);
    }

    void onEvent(std::function<void(const Event&)> hook) { m_onEvent = std::move(hook); }

    int count(Event::Kind kind, int slot = -1, const std::string& path = {}) const
    {
        std::lock_guard lock(m_mutex);
        return static_cast<int>(std::count_if(m_events.begin(), m_events.end(), [&](const Event& e) {
            return e.kind == kind && (slot < 0 || e.slot == slot) && (path.empty() || e.path == path);
        }));
    }

    std::vector<Event> events() const
    {
        std::lock_guard lock(m_mutex);
        return m_events;
    }

    // Waits (generously: the thread polls every 100 ms) until `done` holds.
    bool waitUntil(const std::function<bool()>& done) const
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, 20s, [&] {
            lock.unlock();
            const bool result = done();
            lock.lock();
            return result;
        });
    }

    bool waitForCount(Event::Kind kind, int slot, int atLeast, const std::string& path = {}) const
    {
        return waitUntil([&] { return count(kind, slot, path) >= atLeast; });
    }

private:
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    std::vector<Event> m_events;
    std::function<void(const Event&)> m_onEvent;
};

constexpr int kMouseCommand = 4, kMouseNotification = 5, kReceiverCommand = 6, kReceiverNotification = 7;
constexpr int kPadCommand = 8, kPadNotification = 9, kHeadset = 10;

class DiscoveryOnSimulator : public testing::Test {
protected:
    DiscoveryOnSimulator()
    {
        // An empty sysfs: whatever HID hardware this machine has stays out of the test.
        HidEnvironment environment;
        environment.sysfsRoot = noHardware.path();
        setHidEnvironment(environment);
    }

    ~DiscoveryOnSimulator() override
    {
        discovery.stop();
        setHidEnvironment(HidEnvironment{});
    }

    void plugAndAwait(Port port, std::initializer_list<int> slots)
    {
        std::vector<int> before;
        for (int slot : slots)
            before.push_back(log.count(Event::Kind::Arrived, slot));
        ASSERT_TRUE(sim.plug(port));
        for (std::size_t i = 0; i < before.size(); ++i)
            ASSERT_TRUE(log.waitForCount(Event::Kind::Arrived, slots.begin()[i], before[i] + 1))
                << "slot " << slots.begin()[i];
    }

    void unplugAndAwait(Port port, std::initializer_list<int> slots)
    {
        std::vector<int> before;
        for (int slot : slots)
            before.push_back(log.count(Event::Kind::Removed, slot));
        sim.unplug(port);
        for (std::size_t i = 0; i < before.size(); ++i)
            ASSERT_TRUE(log.waitForCount(Event::Kind::Removed, slots.begin()[i], before[i] + 1))
                << "slot " << slots.begin()[i];
    }

    test::TempDir noHardware;
    devsim::Simulator sim{virtualHidDir()};
    EventLog log;
    const DeviceDiscovery* self = &discovery;
    DeviceDiscovery discovery{log.callbacks(self)};
};

TEST_F(DiscoveryOnSimulator, EveryPortArrivesOnceWithItsSlotAlreadyMarked)
{
    ASSERT_TRUE(sim.plugCable());
    discovery.start();
    ASSERT_TRUE(log.waitForCount(Event::Kind::FirstPass, -1, 1));
    // What was plugged at start is told before the first-pass notice.
    const std::vector<Event> first = log.events();
    ASSERT_EQ(first.size(), 3u);
    EXPECT_EQ(first[2].kind, Event::Kind::FirstPass);

    plugAndAwait(Port::Receiver, {kReceiverCommand, kReceiverNotification});
    plugAndAwait(Port::Pad, {kPadCommand, kPadNotification});
    plugAndAwait(Port::Headset, {kHeadset});
    // The headset came a full pass after everything else: nothing was told twice.
    const std::map<int, std::string> expected = {
        {kMouseCommand, sim.commandPath(Port::Cable)},
        {kMouseNotification, sim.notificationPath(Port::Cable)},
        {kReceiverCommand, sim.commandPath(Port::Receiver)},
        {kReceiverNotification, sim.notificationPath(Port::Receiver)},
        {kPadCommand, sim.commandPath(Port::Pad)},
        {kPadNotification, sim.notificationPath(Port::Pad)},
        {kHeadset, sim.commandPath(Port::Headset)},
    };
    std::map<int, std::string> arrived;
    for (const Event& e : log.events()) {
        if (e.kind != Event::Kind::Arrived)
            continue;
        ASSERT_GE(e.slot, 0);
        ASSERT_LT(static_cast<std::size_t>(e.slot), kSupportedDeviceTable.size());
        EXPECT_TRUE(e.occupied) << e.slot;
        EXPECT_TRUE(arrived.emplace(e.slot, e.path).second) << "slot " << e.slot << " told twice";
    }
    EXPECT_EQ(arrived, expected);
    EXPECT_EQ(log.count(Event::Kind::Removed), 0);
    EXPECT_EQ(log.count(Event::Kind::FirstPass), 1);
    EXPECT_EQ(log.count(Event::Kind::Denied), 0);

    const std::vector<DeviceSlot> slots = discovery.slotList();
    ASSERT_EQ(slots.size(), kSupportedDeviceTable.size());
    for (std::size_t i = 0; i < slots.size(); ++i) {
        const auto path = expected.find(static_cast<int>(i));
        EXPECT_EQ(slots[i].occupied, path != expected.end()) << i;
        EXPECT_EQ(slots[i].devicePath, path != expected.end() ? path->second : "") << i;
    }
    EXPECT_FALSE(discovery.slot(-1));
    EXPECT_FALSE(discovery.slot(static_cast<int>(kSupportedDeviceTable.size())));
}

TEST_F(DiscoveryOnSimulator, UnpluggingFreesOnlyThatPortsSlots)
{
    discovery.start();
    plugAndAwait(Port::Cable, {kMouseCommand, kMouseNotification});
    plugAndAwait(Port::Receiver, {kReceiverCommand, kReceiverNotification});

    unplugAndAwait(Port::Cable, {kMouseCommand, kMouseNotification});
    for (const Event& e : log.events()) {
        if (e.kind != Event::Kind::Removed)
            continue;
        EXPECT_FALSE(e.occupied) << "slot " << e.slot << " still marked when told";
        EXPECT_EQ(e.path, "") << "slot " << e.slot;
    }
    EXPECT_TRUE(discovery.slot(kMouseCommand)->isFree());
    EXPECT_TRUE(discovery.slot(kReceiverCommand)->occupied);
    EXPECT_TRUE(discovery.slot(kReceiverNotification)->occupied);

    // A freed slot takes the interface again when it comes back.
    plugAndAwait(Port::Cable, {kMouseCommand, kMouseNotification});
    unplugAndAwait(Port::Receiver, {kReceiverCommand, kReceiverNotification});
    EXPECT_EQ(log.count(Event::Kind::Removed, kReceiverCommand), 1);
    EXPECT_EQ(log.count(Event::Kind::Removed, kMouseCommand), 1);
    EXPECT_EQ(discovery.slot(kMouseCommand)->devicePath, sim.commandPath(Port::Cable));
}

// Both forms of the mouse vanish in one pass: the first removal handler already sees the
// partner slot free, instead of switching the link to a receiver that is gone.
TEST_F(DiscoveryOnSimulator, RemovalsOfOnePassAreAllMarkedBeforeTheFirstIsTold)
{
    std::vector<DeviceSlot> partnerWhenTold;
    log.onEvent([&](const Event& e) {
        if (e.kind == Event::Kind::Removed && e.slot == kMouseCommand)
            partnerWhenTold.push_back(*discovery.slot(kReceiverCommand));
    });
    ASSERT_TRUE(sim.plugCable());
    ASSERT_TRUE(sim.plugReceiver());
    discovery.start();
    ASSERT_TRUE(log.waitForCount(Event::Kind::FirstPass, -1, 1));
    // Stopped, the slots stay as they are; the restarted thread's first pass finds both gone.
    discovery.stop();
    sim.unplugCable();
    sim.unplugReceiver();
    discovery.start();
    ASSERT_TRUE(log.waitForCount(Event::Kind::Removed, kReceiverNotification, 1));
    ASSERT_EQ(partnerWhenTold.size(), 1u);
    EXPECT_TRUE(partnerWhenTold[0].isFree());
    EXPECT_EQ(log.count(Event::Kind::Removed), 4);
    EXPECT_EQ(log.count(Event::Kind::Arrived), 4);
}

// A pass interval of an hour: stop() returns only because it ends the wait.
TEST_F(DiscoveryOnSimulator, StopEndsTheWaitBetweenPassesAndStartRunsAgain)
{
    EventLog slowLog;
    const DeviceDiscovery* slowSelf = nullptr;
    DeviceDiscovery slow(slowLog.callbacks(slowSelf), std::chrono::hours(1));
    slowSelf = &slow;
    ASSERT_TRUE(sim.plugCable());
    slow.start();
    ASSERT_TRUE(slowLog.waitForCount(Event::Kind::FirstPass, -1, 1));
    slow.stop();
    EXPECT_TRUE(slow.stopRequested());

    ASSERT_TRUE(sim.plug(Port::Pad));
    slow.start();
    ASSERT_TRUE(slowLog.waitForCount(Event::Kind::FirstPass, -1, 2));
    EXPECT_FALSE(slow.stopRequested());
    EXPECT_EQ(slowLog.count(Event::Kind::Arrived), 4);
    EXPECT_EQ(slowLog.count(Event::Kind::Arrived, kMouseCommand), 1);
    EXPECT_EQ(slowLog.count(Event::Kind::Arrived, kPadCommand), 1);
    // The destructor stops the running thread.
}

TEST_F(DiscoveryOnSimulator, StopAskedFromACallbackEndsThePassThere)
{
    log.onEvent([&](const Event& e) {
        if (e.kind == Event::Kind::Arrived && log.count(Event::Kind::Arrived) == 1)
            discovery.stop();
    });
    ASSERT_TRUE(sim.plugCable());
    discovery.start();
    ASSERT_TRUE(log.waitUntil([&] { return discovery.stopRequested(); }));
    discovery.stop();
    EXPECT_EQ(log.count(Event::Kind::Arrived), 1);
    EXPECT_EQ(log.count(Event::Kind::FirstPass), 0);

    // Started again, the interface not yet told arrives; the one already told does not.
    discovery.start();
    ASSERT_TRUE(log.waitForCount(Event::Kind::FirstPass, -1, 1));
    EXPECT_EQ(log.count(Event::Kind::Arrived, kMouseCommand), 1);
    EXPECT_EQ(log.count(Event::Kind::Arrived, kMouseNotification), 1);
}

struct LookingCase {
    const char* name;
    DeviceDiscovery::Looking looking;
    std::chrono::milliseconds interval;
};

// Watching changes, with an hour between timed passes: what comes and goes can only have been
// seen from the notifications. Looking on the timer (where no notification can be had) still works.
class DiscoveryLooking : public DiscoveryOnSimulator, public testing::WithParamInterface<LookingCase> {};

TEST_P(DiscoveryLooking, PlugAndPullAreSeen)
{
    EventLog ownLog;
    const DeviceDiscovery* ownSelf = nullptr;
    DeviceDiscovery own(ownLog.callbacks(ownSelf), GetParam().interval, GetParam().looking);
    ownSelf = &own;
    own.start();
    ASSERT_TRUE(ownLog.waitForCount(Event::Kind::FirstPass, -1, 1));
    EXPECT_EQ(own.watchesChanges(), GetParam().looking == DeviceDiscovery::Looking::OnChanges);

    ASSERT_TRUE(sim.plug(Port::Pad));
    ASSERT_TRUE(ownLog.waitForCount(Event::Kind::Arrived, kPadCommand, 1));
    sim.unplug(Port::Pad);
    ASSERT_TRUE(ownLog.waitForCount(Event::Kind::Removed, kPadCommand, 1));
    ASSERT_TRUE(sim.plug(Port::Pad));
    ASSERT_TRUE(ownLog.waitForCount(Event::Kind::Arrived, kPadCommand, 2));
    EXPECT_EQ(ownLog.count(Event::Kind::Arrived, kMouseCommand), 0);
}

INSTANTIATE_TEST_SUITE_P(Discovery, DiscoveryLooking,
                         testing::Values(LookingCase{"OnChanges", DeviceDiscovery::Looking::OnChanges, std::chrono::hours(1)},
                                         LookingCase{"OnTimer", DeviceDiscovery::Looking::OnTimer, DeviceDiscovery::kPassInterval}),
                         [](const testing::TestParamInfo<LookingCase>& info) { return info.param.name; });

// A sysfs that cannot be listed costs that pass, not the rest of the session; the window
// still gets its first-pass notice.
TEST_F(DiscoveryOnSimulator, UnreadableInterfaceListDoesNotEndDiscovery)
{
    const fs::path classDir = fs::path(noHardware.path()) / "class" / "hidraw";
    fs::create_directories(classDir.parent_path());
    test::writeFile(classDir.string(), "not a folder");
    ASSERT_TRUE(sim.plugCable());
    discovery.start();
    ASSERT_TRUE(log.waitForCount(Event::Kind::FirstPass, -1, 1));
    EXPECT_EQ(log.count(Event::Kind::Arrived), 0);

    fs::remove(classDir);
    fs::create_directory(classDir);
    ASSERT_TRUE(log.waitForCount(Event::Kind::Arrived, kMouseCommand, 1));
    ASSERT_TRUE(log.waitForCount(Event::Kind::Arrived, kMouseNotification, 1));
}

enum class Denial { FileMode, Opener };

// Real node files in a dev folder, denied either by their mode (as a user sees it) or, where
// the tests run as root and modes deny nothing, by the environment's opener.
class DeniedNodes : public testing::TestWithParam<Denial> {
protected:
    void SetUp() override
    {
        if (GetParam() == Denial::FileMode && ::geteuid() == 0)
            GTEST_SKIP() << "running as root: a file mode of 000 does not deny root";
        HidEnvironment environment;
        environment.sysfsRoot = std::string(KESTRION_TEST_DATA) + "/sysfs-kestrion";
        environment.devRoot = dev.path();
        environment.virtualDir = virtualHidDir();
        if (GetParam() == Denial::Opener)
            environment.openNode = [this](const std::string& path, int flags) { return openUnlessDenied(path, flags); };
        setHidEnvironment(environment);
    }

    void TearDown() override
    {
        discovery.stop();
        setHidEnvironment(HidEnvironment{});
    }

    // Denied from its first moment, so that no pass sees it open.
    void createDenied(const std::string& node)
    {
        const bool byMode = GetParam() == Denial::FileMode;
        if (!byMode)
            setDenied(node, true);
        const int fd = ::open(dev.file(node).c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, byMode ? 0 : 0600);
        ASSERT_GE(fd, 0);
        ::close(fd);
    }

    void setDenied(const std::string& node, bool denied)
    {
        if (GetParam() == Denial::FileMode) {
            ASSERT_EQ(::chmod(dev.file(node).c_str(), denied ? 0 : 0600), 0);
            return;
        }
        std::lock_guard lock(m_mutex);
        if (denied)
            m_denied.insert(dev.file(node));
        else
            m_denied.erase(dev.file(node));
    }

    void remove(const std::string& node)
    {
        fs::remove(dev.file(node));
        std::lock_guard lock(m_mutex);
        m_denied.erase(dev.file(node));
    }

    // Returns once a pass has begun and ended after this call: the headset, plugged now, is
    // listed only by a pass that starts later.
    void awaitFullPass()
    {
        const int arrivals = log.count(Event::Kind::Arrived, kHeadset);
        const int removals = log.count(Event::Kind::Removed, kHeadset);
        ASSERT_TRUE(sim.plug(Port::Headset));
        ASSERT_TRUE(log.waitForCount(Event::Kind::Arrived, kHeadset, arrivals + 1));
        sim.unplug(Port::Headset);
        ASSERT_TRUE(log.waitForCount(Event::Kind::Removed, kHeadset, removals + 1));
    }

    int denials(const std::string& path) const { return log.count(Event::Kind::Denied, -1, path); }

    test::TempDir dev;
    // On the fake sysfs tree hidraw0 carries the wired mouse's notification collection, hidraw1
    // its command collection.
    const std::string kNotificationPath = dev.path() + "/hidraw0#vid_320f&pid_22a4&mi_00&col03";
    const std::string kCommandPath = dev.path() + "/hidraw1#vid_320f&pid_22a4&mi_01&col02";
    devsim::Simulator sim{virtualHidDir()};
    EventLog log;
    const DeviceDiscovery* self = &discovery;
    DeviceDiscovery discovery{log.callbacks(self)};

private:
    int openUnlessDenied(const std::string& path, int flags)
    {
        {
            std::lock_guard lock(m_mutex);
            if (m_denied.contains(path)) {
                errno = EACCES;
                return -1;
            }
        }
        return ::open(path.c_str(), flags);
    }

    std::mutex m_mutex;
    std::set<std::string> m_denied;
};

TEST_P(DeniedNodes, EachDeniedPathIsToldOnceUntilItWentAwayOrOpened)
{
    createDenied("hidraw0");
    createDenied("hidraw1");
    discovery.start();
    ASSERT_TRUE(log.waitForCount(Event::Kind::FirstPass, -1, 1));
    std::vector<std::string> told;
    for (const Event& e : log.events())
        if (e.kind == Event::Kind::Denied)
            told.push_back(e.path);
    EXPECT_EQ(told, (std::vector<std::string>{kNotificationPath, kCommandPath}));
    EXPECT_TRUE(discovery.slot(kMouseCommand)->isFree());

    awaitFullPass();
    EXPECT_EQ(denials(kNotificationPath), 1);
    EXPECT_EQ(denials(kCommandPath), 1);

    // Gone for a pass, then back without rights: told again.
    remove("hidraw0");
    awaitFullPass();
    createDenied("hidraw0");
    ASSERT_TRUE(log.waitForCount(Event::Kind::Denied, -1, 2, kNotificationPath));

    // Rights granted: it arrives; later pulled and plugged again without rights: told again.
    setDenied("hidraw1", false);
    ASSERT_TRUE(log.waitForCount(Event::Kind::Arrived, kMouseCommand, 1));
    EXPECT_EQ(discovery.slot(kMouseCommand)->devicePath, kCommandPath);
    remove("hidraw1");
    ASSERT_TRUE(log.waitForCount(Event::Kind::Removed, kMouseCommand, 1));
    createDenied("hidraw1");
    ASSERT_TRUE(log.waitForCount(Event::Kind::Denied, -1, 2, kCommandPath));

    awaitFullPass();
    EXPECT_EQ(denials(kNotificationPath), 2);
    EXPECT_EQ(denials(kCommandPath), 2);
    EXPECT_EQ(log.count(Event::Kind::Arrived, kMouseNotification), 0);
}

// A simulated device whose sockets the user may not open is told as denied, as a hidraw node without
// rights is, and never arrives. As root, where modes deny nothing, the check runs in a child process
// that has become another user (the folder is given to that user, the sockets stay root's own).
class DeniedVirtualDevice : public testing::Test {
protected:
    static constexpr uid_t kOtherUser = 65534;

    void SetUp() override
    {
        // The other user must reach the folder and the empty sysfs tree.
        ::chmod(base.path().c_str(), 0711);
        ::chmod(noHardware.path().c_str(), 0755);
        fs::create_directory(folder);
        ::chmod(folder.c_str(), 0700);
        HidEnvironment environment;
        environment.sysfsRoot = noHardware.path();
        environment.virtualDir = folder;
        setHidEnvironment(environment);
    }

    // Plugs the simulated mouse with sockets the user may not open.
    bool plugWithoutRights()
    {
        if (!sim.plugCable())
            return false;
        for (const auto& file : fs::directory_iterator(folder)) {
            if (file.path().extension() == ".sock" && ::chmod(file.path().c_str(), ::geteuid() == 0 ? 0600 : 0) != 0)
                return false;
        }
        return ::geteuid() != 0 || ::chown(folder.c_str(), kOtherUser, kOtherUser) == 0;
    }

    void TearDown() override
    {
        ::chown(folder.c_str(), ::geteuid(), ::getegid());
        setHidEnvironment(HidEnvironment{});
    }

    // 0 when discovery's first pass told the mouse's command path as denied and nothing arrived.
    int firstPassOutcome()
    {
        EventLog log;
        const DeviceDiscovery* self = nullptr;
        DeviceDiscovery discovery(log.callbacks(self));
        self = &discovery;
        discovery.start();
        const bool passed = log.waitForCount(Event::Kind::FirstPass, -1, 1);
        discovery.stop();
        if (!passed)
            return 1;
        if (log.count(Event::Kind::Arrived) != 0)
            return 2;
        return log.count(Event::Kind::Denied, -1, sim.commandPath(Port::Cable)) == 1 ? 0 : 3;
    }

    test::TempDir base;
    test::TempDir noHardware;
    const std::string folder = base.file("vhid");
    devsim::Simulator sim{folder};
};

TEST_F(DeniedVirtualDevice, IsToldAsDeniedLikeAHidrawNode)
{
    if (::geteuid() != 0) {
        ASSERT_TRUE(plugWithoutRights());
        EXPECT_EQ(firstPassOutcome(), 0);
        return;
    }
    // The child is forked before the simulator starts its threads: a child of a threaded process can
    // inherit a lock another thread held (the allocator's, under the sanitizers) and wait on it forever.
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(ready[1]);
        char go = 0;
        if (::read(ready[0], &go, 1) != 1)
            ::_exit(5);
        ::_exit(::seteuid(kOtherUser) == 0 ? firstPassOutcome() : 4);
    }
    ::close(ready[0]);
    const bool plugged = plugWithoutRights();
    if (plugged) {
        EXPECT_EQ(::write(ready[1], "g", 1), 1);
    }
    ::close(ready[1]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(plugged);
    const bool exited = WIFEXITED(status);
    const int outcome = exited ? WEXITSTATUS(status) : -1;
    EXPECT_EQ(outcome, 0) << "-1 crashed, 1 no first pass, 2 arrived, 3 not told, 4 cannot become another user";
}

INSTANTIATE_TEST_SUITE_P(Denial, DeniedNodes, testing::Values(Denial::FileMode, Denial::Opener),
                         [](const testing::TestParamInfo<Denial>& info) {
                             return info.param == Denial::FileMode ? "FileMode" : "Opener";
                         });

}  // namespace
}  // namespace kestrion
