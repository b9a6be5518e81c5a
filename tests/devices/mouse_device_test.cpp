// The mouse's device object with no widget at all: the simulator on its real socket transport,
// real threads, the factory data files. Every change goes one way: record, disk, worker, then
// announced.
#include <gtest/gtest.h>

#include <vector>

#include "devices/mouse_device.h"
#include "devsim/simulator.h"
#include "platform/paths.h"
#include "profiles/program_folders.h"
#include "support/device_doubles.h"
#include "support/temp_dir.h"

namespace kestrion {
namespace {

using test::waitFor;

constexpr int kMouseKind = 2;
constexpr int kReceiverKind = 6;
constexpr std::size_t kReportRateByte = 11;
constexpr std::size_t kActiveStageByte = 12;
constexpr std::size_t kDeviceSleep2Byte = 80;
constexpr std::size_t kRippleByte = 84;

class MouseDriver : public testing::Test {
protected:
    void SetUp() override
    {
        test::ensureCoreApp();
        setProgramDataDir(KESTRION_SOURCE_ROOT "/DefaultData");
        device.setPageSetup(test::pageSetupOf(kMouseKind, dataFolder.path() + "/"));
        device.setHost(&host);
        device.setWireless(true);
        device.setSelectorEntry(&selector);
        device.prepare();
        QObject::connect(&device, &CQuellonMouseDevice::settingsChanged, [this] { ++changes; });
        QObject::connect(&device, &CQuellonMouseDevice::pendingChanged, [this](bool pending) { marks.push_back(pending); });
    }

    void attach(devsim::Port port)
    {
        ASSERT_TRUE(sim.plug(port));
        const int kind = port == devsim::Port::Receiver ? kReceiverKind : kMouseKind;
        ASSERT_TRUE(device.attachCommandLink(sim.commandPath(port), kind));
        device.readAll();
        ASSERT_TRUE(settle());
    }

    bool settle() { return waitFor([&] { return !device.hasDeviceWork(); }, 15000); }

    // The profile as the disk holds it.
    CMouseProfiledata stored()
    {
        CMouseProfiledata record;
        record.LoadProfile(device.profile().GetProfilePath());
        return record;
    }

    test::TempDir dataFolder;
    devsim::Simulator sim{virtualHidDir()};
    test::RecordingHost<> host;
    // Before the device: it still announces while it goes (work dropped as its links close).
    int changes = 0;
    std::vector<bool> marks;
    CQuellonMouseDevice device;
    test::TestSelector selector{device};
};

TEST_F(MouseDriver, PreparedWithItsModesProfileAndKeysBeforeAnyPage)
{
    EXPECT_FALSE(device.lightModes().empty());
    EXPECT_EQ(device.modeCodes().size(), device.lightModes().size());
    ASSERT_NE(device.profileList(), nullptr);
    EXPECT_EQ(device.profileList()->count(), 1);
    EXPECT_FALSE(device.profile().GetProfilePath().empty());
    EXPECT_EQ(device.keyList().size(), 11u);
    EXPECT_EQ(device.dpiRange(), std::nullopt) << "the sensor is told by the first read";
}

// Each setting by name: the record, the file, the announcement, and the mouse for those it holds;
// a value the setting does not offer changes nothing.
TEST_F(MouseDriver, SettingsByNameReachTheProfileAndTheMouseTheyBelongTo)
{
    attach(devsim::Port::Cable);
    struct Case {
        const char* name;
        int value;
        SettingChange result;
        std::optional<std::pair<std::size_t, int>> byteOnMouse;  // none: the mouse is not written
    };
    const Case cases[] = {
        {"report-rate", 500, SettingChange::Done, std::pair{kReportRateByte, 2}},
        {"ripple", 1, SettingChange::Done, std::pair{kRippleByte, 1}},
        {"deep-sleep", 10, SettingChange::Done, std::pair{kDeviceSleep2Byte, 10}},
        {"pointer-speed", 7, SettingChange::Done, std::nullopt},
        {"double-click", 450, SettingChange::Done, std::nullopt},
        {"report-rate", 2000, SettingChange::ValueRefused, std::nullopt},
        {"double-click", 100, SettingChange::ValueRefused, std::nullopt},
        {"loudness", 1, SettingChange::UnknownName, std::nullopt},
    };
    for (const Case& c : cases) {
        const int before = changes;
        const std::vector<std::uint8_t> pageBefore = sim.settingsPage(0);
        EXPECT_EQ(device.setSetting(c.name, c.value), c.result) << c.name;
        EXPECT_EQ(device.hasDeviceWork(), c.byteOnMouse.has_value()) << c.name << ": a write queued";
        ASSERT_TRUE(settle());
        if (c.result != SettingChange::Done) {
            EXPECT_EQ(changes, before) << c.name;
            EXPECT_EQ(sim.settingsPage(0), pageBefore) << c.name;
            continue;
        }
        EXPECT_EQ(changes, before + 1) << c.name << ": announced once";
        EXPECT_EQ(device.setting(c.name), c.value) << c.name;
        const MouseSetting* row = findMouseSetting(c.name);
        EXPECT_EQ(settingValue(*row, stored().GetSystemStages().*row->field), c.value) << c.name << " on disk";
        if (c.byteOnMouse)
            EXPECT_EQ(sim.settingsPage(0)[c.byteOnMouse->first], c.byteOnMouse->second) << c.name;
        else
            EXPECT_EQ(sim.settingsPage(0), pageBefore) << c.name << " stays in the profile";
    }
    EXPECT_FALSE(device.settingsPending());
    EXPECT_TRUE(host.notices.isEmpty()) << host.notices.join(", ").toStdString();
}

TEST_F(MouseDriver, PagePositionsAndTheRulesBetweenSettings)
{
    attach(devsim::Port::Cable);
    // The page's fifth report rate: kept and sent as its position, read back as no value.
    EXPECT_EQ(device.setSettingWord("report-rate", 4), SettingChange::Done);
    EXPECT_EQ(device.setSettingWord("report-rate", 5), SettingChange::ValueRefused);
    ASSERT_TRUE(settle());
    EXPECT_EQ(sim.settingsPage(0)[kReportRateByte], 4);
    EXPECT_EQ(device.setting("report-rate"), std::nullopt);

    ASSERT_EQ(device.setSetting("scroll-page", 1), SettingChange::Done);
    ASSERT_EQ(device.setSetting("scroll-lines", 5), SettingChange::Done);
    EXPECT_EQ(device.setting("scroll-page"), 0) << "a number of lines ends scrolling by page";
    EXPECT_EQ(stored().GetSystemStages().scrollPage, 0);

    selector.armed.clear();
    ASSERT_EQ(device.setSetting("sleep", 3), SettingChange::Done);
    EXPECT_TRUE(selector.wasArmed(kTimerKeepAlive, kKeepAliveRestartMs)) << "a new sleep time counts from now";
}

TEST_F(MouseDriver, DpiStagesFollowTheSensorAndKeepTheCurrentOneActive)
{
    attach(devsim::Port::Cable);
    ASSERT_TRUE(device.dpiRange());
    const int highest = device.highestStep();
    const int other = device.currentStage() == 1 ? 2 : 1;

    EXPECT_TRUE(device.setStageStep(other, highest));
    EXPECT_FALSE(device.setStageStep(other, highest + 1));
    EXPECT_FALSE(device.setStageStep(CQuellonMouseDevice::kStageRows, 0));
    EXPECT_TRUE(device.setStageActive(other, false));
    EXPECT_TRUE(device.selectStage(other));
    EXPECT_TRUE(device.setStageActive(other, false));
    ASSERT_TRUE(settle());

    EXPECT_EQ(device.currentStage(), other);
    EXPECT_EQ(device.dpiStages()[static_cast<std::size_t>(other)].active, 1) << "the current stage stays active";
    EXPECT_EQ(device.dpiStages()[static_cast<std::size_t>(other)].dpiX(), highest);
    EXPECT_EQ(sim.settingsPage(0)[kActiveStageByte], other);
    CMouseProfiledata onDisk = stored();
    onDisk.GetDpiStages();  // also reads the current stage
    EXPECT_EQ(onDisk.GetCurrentStage(), other);
}

TEST_F(MouseDriver, KeysAreKeptThenWrittenAndTheLastLeftButtonIsKnown)
{
    attach(devsim::Port::Cable);
    int written = 0;
    QObject::connect(&device, &CQuellonMouseDevice::keysWritten, [&] { ++written; });
    EXPECT_TRUE(device.isLastLeftButton(0));
    EXPECT_FALSE(device.isLastLeftButton(1));
    const std::vector<std::uint8_t> factory = sim.keyTable();

    KeyEntry entry = device.keyList()[1];
    entry.current = KeyRecord{{}, 0x10, 0x01, 0x00};  // a second left button
    ASSERT_TRUE(device.setKey(1, entry));
    EXPECT_FALSE(device.setKey(11, entry));
    EXPECT_FALSE(device.isLastLeftButton(0));
    EXPECT_EQ(stored().GetKeyList()[1].current.param1, 0x01) << "kept on disk at once";
    EXPECT_EQ(sim.keyTable(), factory) << "the mouse gets it on saving";

    device.saveKeysToDevice();
    ASSERT_TRUE(settle());
    EXPECT_NE(sim.keyTable(), factory);
    EXPECT_EQ(written, 1);
}

// Behind its receiver a mouse that is off keeps the change waiting, on disk too, and gets it
// when it answers again.
TEST_F(MouseDriver, AChangeWhileTheMouseIsAwayWaitsAndIsWrittenWhenItIsBack)
{
    attach(devsim::Port::Receiver);
    sim.setMouseOn(false);
    ASSERT_EQ(device.setSetting("report-rate", 250), SettingChange::Done);
    ASSERT_TRUE(settle());
    EXPECT_TRUE(device.settingsPending());
    EXPECT_EQ(marks, std::vector<bool>{true});

    sim.setMouseOn(true);
    device.runSelectorTimer(kTimerLinkWatch);
    ASSERT_TRUE(settle());
    ASSERT_TRUE(settle());
    EXPECT_FALSE(device.settingsPending());
    EXPECT_EQ(marks, (std::vector<bool>{true, false}));
    EXPECT_EQ(sim.settingsPage(0)[kReportRateByte], 1);
}

// A host whose user answers when the test says so.
class LaterHost : public test::RecordingHost<> {
public:
    void askLater(const QString& textId, std::function<void(bool)> answered) override
    {
        questions.push_back(textId);
        waiting = std::move(answered);
    }
    std::function<void(bool)> waiting;
};

// A change an earlier run could not write is offered at the next first read; until the user
// answers, the profile keeps it and nothing is written; then it is written, or the mouse's
// settings are taken.
TEST_F(MouseDriver, AnEarlierRunsChangeWaitsForItsAnswerWithoutWritingOrLosingIt)
{
    ASSERT_TRUE(sim.plug(devsim::Port::Receiver));
    const int onMouse = sim.settingsPage(0)[kReportRateByte];
    const int wanted = onMouse == 1 ? 500 : 250;
    const int wantedWord = wanted == 500 ? 2 : 1;
    const auto started = [&](CQuellonMouseDevice& mouse, DeviceHost& host) {
        mouse.setPageSetup(device.pageSetup());
        mouse.setHost(&host);
        mouse.prepare();
        ASSERT_TRUE(mouse.attachCommandLink(sim.commandPath(devsim::Port::Receiver), kReceiverKind));
        mouse.readAll();
        ASSERT_TRUE(waitFor([&] { return !mouse.hasDeviceWork(); }, 15000));
    };
    for (const bool yes : {false, true}) {
        // A run that ends while the mouse is away with the change.
        test::RecordingHost<> firstHost;
        CQuellonMouseDevice first;
        started(first, firstHost);
        sim.setMouseOn(false);
        ASSERT_EQ(first.setSetting("report-rate", wanted), SettingChange::Done);
        ASSERT_TRUE(waitFor([&] { return !first.hasDeviceWork(); }, 15000));
        ASSERT_TRUE(first.settingsPending());
        first.closeLinks();
        sim.setMouseOn(true);

        LaterHost later;
        CQuellonMouseDevice next;
        started(next, later);
        ASSERT_EQ(later.questions, QStringList{"device_pending_question_text"});
        EXPECT_TRUE(next.settingsPending());
        EXPECT_EQ(next.setting("report-rate"), wanted) << "kept while the question waits";
        EXPECT_EQ(sim.settingsPage(0)[kReportRateByte], onMouse) << "nothing written before the answer";

        later.waiting(yes);
        ASSERT_TRUE(waitFor([&] { return !next.hasDeviceWork(); }, 15000));
        EXPECT_FALSE(next.settingsPending());
        EXPECT_EQ(sim.settingsPage(0)[kReportRateByte], yes ? wantedWord : onMouse) << yes;
        EXPECT_EQ(next.setting("report-rate"), yes ? wanted : kReportRatesHz[onMouse]) << yes;
        next.closeLinks();
    }
}

}  // namespace
}  // namespace kestrion
