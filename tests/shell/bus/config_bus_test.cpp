// kestrion-ctl against the running window on a session bus of the test's own, over the
// simulator as its own process: what a script changes reaches the device, the profile document
// and the window alike, and what it gets wrong changes nothing.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QDBusMessage>
#include <QDir>
#include <QDBusPendingCall>
#include <QDBusConnection>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QProcess>
#include <QTest>

#include <filesystem>

#include <sys/stat.h>
#include <tuple>
#include <utility>

#include "devices/mouse_pad_device.h"
#include "shell/bus/config_bus.h"
#include "shell/main_window/window_fixture.h"
#include "support/temp_dir.h"
#include "ui/device_option.h"
#include "ui/device_profile.h"

namespace kestrion {
namespace {

using test::waitFor;

constexpr std::size_t kReportRateByte = 11;
constexpr std::size_t kLightColourByte = 6;

struct CtlRun {
    int exitCode = -1;
    QString out;
    QString err;
};

class ScriptedApplication : public test::Application {
protected:
    void SetUp() override
    {
        Application::SetUp();
        if (!QDBusConnection::sessionBus().isConnected())
            GTEST_SKIP() << "no session bus: the test runs under dbus-run-session";
        ASSERT_TRUE(bus.publish(QDBusConnection::sessionBus()));
    }

    // The window answers on this thread, so the event loop runs while the client does.
    CtlRun ctl(const QStringList& arguments)
    {
        QProcess process;
        process.start(QStringLiteral(KESTRION_CTL), arguments);
        if (!waitFor([&] { return process.state() == QProcess::NotRunning; }, 15000))
            process.kill();
        process.waitForFinished(1000);
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
    }

    bool mouseReady()
    {
        sim.command("plug cable");
        return mouseOnline(true) && waitFor([&] {
                   return window.mouse()->dpiRange().has_value() && !window.mouse()->hasDeviceWork();
               }, 5000);
    }

    int storedStage(int stage)
    {
        CMouseProfiledata stored;
        stored.LoadProfile(window.mouse()->profile().GetProfilePath());
        return stored.GetDpiStages().at(static_cast<std::size_t>(stage)).dpiX();
    }

    QString shownDpi(int stage)
    {
        return mouseView()->content()->findChild<QLineEdit*>("DPI_edit_" + QString::number(stage))->text();
    }

    ConfigBus bus{window};
    test::TempDir files;
};

TEST_F(ScriptedApplication, ListsTheMouseSetsADpiStageAndSwitchesProfiles)
{
    ASSERT_TRUE(start());
    ASSERT_TRUE(mouseReady());

    const CtlRun listed = ctl({"--json", "devices"});
    ASSERT_EQ(listed.exitCode, 0) << listed.err.toStdString();
    const QJsonArray devices = QJsonDocument::fromJson(listed.out.toUtf8()).array();
    ASSERT_EQ(devices.size(), 1);
    EXPECT_EQ(devices[0].toObject()["kind"].toString(), "mouse");
    EXPECT_EQ(devices[0].toObject()["link"].toString(), "cable");
    EXPECT_TRUE(devices[0].toObject()["online"].toBool());
    EXPECT_TRUE(ctl({"devices"}).out.contains("mouse\tcable\tonline"));

    const int slider1600 = window.mouse()->sliderFromDpi(1600);
    ASSERT_EQ(ctl({"dpi", "set", "2", "1600"}).exitCode, 0);
    EXPECT_TRUE(waitFor([&] { return stageOnDevice(1) == slider1600; }, 5000));
    EXPECT_EQ(storedStage(1), slider1600);
    EXPECT_EQ(shownDpi(1), "1600");
    EXPECT_TRUE(ctl({"dpi"}).out.contains("2\t1600\t"));

    // A second profile, a copy of this one, then this one changed.
    const QString file = QString::fromStdString(files.file("Game.json"));
    ASSERT_EQ(ctl({"profile", "export", file}).exitCode, 0);
    ASSERT_TRUE(std::filesystem::exists(file.toStdString()));
    const CtlRun imported = ctl({"profile", "import", file});
    ASSERT_EQ(imported.exitCode, 0) << imported.err.toStdString();
    EXPECT_EQ(imported.out.trimmed(), "Game");
    const int slider800 = window.mouse()->sliderFromDpi(800);
    ASSERT_EQ(ctl({"dpi", "set", "2", "800"}).exitCode, 0);
    EXPECT_TRUE(waitFor([&] { return stageOnDevice(1) == slider800; }, 5000));

    ASSERT_EQ(ctl({"profile", "select", "Game"}).exitCode, 0);
    EXPECT_EQ(mouseView()->profileSelector()->selector()->currentText(), "Game");
    ProfileListStore& store = *window.mouse()->profileList();
    EXPECT_EQ(store.profiles().at(static_cast<std::size_t>(store.selectedIndex())).name, "Game");
    EXPECT_TRUE(waitFor([&] { return stageOnDevice(1) == slider1600; }, 5000));
    EXPECT_EQ(shownDpi(1), "1600");
    EXPECT_TRUE(ctl({"profiles"}).out.contains("* Game"));
}

// Scripts name no device: they act on the mouse whatever page the window shows.
TEST_F(ScriptedApplication, ScriptsActOnTheMouseWhileAnotherDevicesPageIsShown)
{
    ASSERT_TRUE(start());
    ASSERT_TRUE(mouseReady());
    sim.command("plug headset");
    ui::CDeviceOptionUI* headsetEntry = nullptr;
    ASSERT_TRUE(waitFor([&] {
        for (int i = 0; window.entry(i); ++i) {
            if (window.deviceAt(i) != window.mouse() && window.entry(i)->isOnline())
                headsetEntry = window.entry(i);
        }
        return headsetEntry != nullptr;
    }, 3000));
    QTest::mouseClick(headsetEntry->findChild<QAbstractButton*>("device_select"), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return window.selectedDevice() && window.selectedDevice() != window.mouse(); }));
    const int headsetProfiles = window.profileNames().size();

    const CtlRun set = ctl({"set", "report-rate", "500"});
    ASSERT_EQ(set.exitCode, 0) << set.err.toStdString();
    EXPECT_TRUE(waitFor([&] { return sim.dump("settings", kReportRateByte, 1) == std::vector<int>{2}; }, 5000));
    EXPECT_TRUE(ctl({"settings"}).out.contains("report-rate=500"));
    EXPECT_TRUE(mouseView()->content()->findChild<QAbstractButton*>("polling_rate_option_2")->isChecked())
        << "the mouse's page shows it, though another page is in front";

    const QString file = QString::fromStdString(files.file("Mouse copy.json"));
    ASSERT_EQ(ctl({"profile", "export", file}).exitCode, 0);
    ASSERT_EQ(ctl({"profile", "import", file}).exitCode, 0);
    ASSERT_EQ(ctl({"profile", "select", "Mouse copy"}).exitCode, 0);
    EXPECT_EQ(mouseView()->profileSelector()->selector()->currentText(), "Mouse copy");
    EXPECT_TRUE(ctl({"profiles"}).out.contains("* Mouse copy"));
    EXPECT_EQ(window.profileNames().size(), headsetProfiles) << "the shown headset's profiles are left alone";
    EXPECT_NE(window.selectedDevice(), window.mouse()) << "the window stays on the page it shows";
}

// A script that names a device acts on that device: the pad's profiles by the pad's object, the
// mouse's settings refused there, an unknown index refused.
TEST_F(ScriptedApplication, ScriptsActOnTheDeviceTheyName)
{
    ASSERT_TRUE(start());
    ASSERT_TRUE(mouseReady());
    sim.command("plug pad");
    CQuellonMousePadDevice* pad = nullptr;
    int padIndex = -1;
    ASSERT_TRUE(waitFor([&] {
        for (int i = 0; i < window.deviceCount(); ++i) {
            if (auto* found = qobject_cast<CQuellonMousePadDevice*>(window.deviceAt(i)))
                std::tie(pad, padIndex) = std::pair{found, i};
        }
        return pad && !pad->profile().GetProfilePath().empty() && !pad->hasDeviceWork();
    }, 5000));
    const QString device = QString::number(padIndex);
    const QStringList mouseProfiles = window.profileNamesOf(window.mouse());

    const QString file = QString::fromStdString(files.file("Pad night.json"));
    ASSERT_EQ(ctl({"--device", device, "profile", "export", file}).exitCode, 0);
    const CtlRun imported = ctl({"--device", device, "profile", "import", file});
    ASSERT_EQ(imported.exitCode, 0) << imported.err.toStdString();
    ASSERT_EQ(ctl({"--device", device, "profile", "select", "Pad night"}).exitCode, 0);
    EXPECT_EQ(window.profileNamesOf(pad).value(window.selectedProfileOf(pad)), "Pad night");
    EXPECT_TRUE(ctl({"--device", device, "profiles"}).out.contains("* Pad night"));
    EXPECT_EQ(window.profileNamesOf(window.mouse()), mouseProfiles) << "the mouse's profiles are left alone";
    EXPECT_FALSE(ctl({"profiles"}).out.contains("Pad night"));

    // The pad's selected profile written again over what another program left on it.
    ASSERT_TRUE(waitFor([&] { return !pad->hasDeviceWork(); }, 5000));
    const std::vector<int> padMode = sim.dump("settings", 1, 1, "pad");
    sim.command("poke pad settings 1 " + std::string(padMode == std::vector<int>{0} ? "01" : "00"));
    ASSERT_EQ(ctl({"--device", device, "apply"}).exitCode, 0);
    EXPECT_TRUE(waitFor([&] { return sim.dump("settings", 1, 1, "pad") == padMode; }, 5000));

    const CtlRun notAMouse = ctl({"--device", device, "set", "report-rate", "500"});
    EXPECT_EQ(notAMouse.exitCode, 1);
    EXPECT_TRUE(notAMouse.err.contains("no setting named")) << notAMouse.err.toStdString();
    EXPECT_TRUE(ctl({"--device", device, "dpi", "set", "1", "800"}).err.contains("not a mouse"));
    // The pad's own settings: its lighting, by name, on the pad and in its profile.
    EXPECT_TRUE(ctl({"--device", device, "settings"}).out.contains("light-colour="));
    ASSERT_EQ(ctl({"--device", device, "set", "light-colour", "#123456"}).exitCode, 0);
    EXPECT_TRUE(waitFor([&] { return sim.dump("settings", 6, 3, "pad") == std::vector<int>{0x12, 0x34, 0x56}; }, 5000));
    EXPECT_EQ(pad->setting("light-colour"), 0x123456);
    EXPECT_TRUE(ctl({"--device", device, "settings"}).out.contains(QStringLiteral("light-colour=%1").arg(0x123456)));
    EXPECT_EQ(ctl({"--device", device, "set", "light-brightness", "9"}).exitCode, 1);
    const CtlRun unknown = ctl({"--device", "9", "profiles"});
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_TRUE(unknown.err.contains("no device 9")) << unknown.err.toStdString();
    EXPECT_EQ(ctl({"--device", "-1", "profiles"}).exitCode, 2);
}

TEST_F(ScriptedApplication, WrongRequestsAreRefusedAndChangeNothing)
{
    ASSERT_TRUE(start());
    ASSERT_TRUE(mouseReady());
    const std::vector<int> devicePage = sim.dump("settings", 0, 87);
    const int stored = storedStage(1);
    const QString selected = mouseView()->profileSelector()->selector()->currentText();

    struct Case {
        QStringList arguments;
        int exitCode;
        const char* said;
    };
    const Case cases[] = {
        {{"profile", "select", "No such profile"}, 1, "no profile is named"},
        {{"dpi", "set", "2", "99999"}, 1, "outside"},
        {{"dpi", "set", "2", "0"}, 1, "outside"},
        {{"dpi", "set", "9", "800"}, 1, "no DPI stage 9"},
        {{"set", "report-rate", "333"}, 1, "cannot be 333"},
        {{"set", "debounce", "-1"}, 1, "cannot be -1"},
        {{"set", "no-such-setting", "1"}, 1, "no setting named"},
        {{"profile", "import", QString::fromStdString(files.file("missing.json"))}, 1, "not a profile"},
        {{"dpi", "set", "two", "800"}, 2, "Usage"},
        {{"frobnicate"}, 2, "Usage"},
    };
    for (const Case& c : cases) {
        const CtlRun run = ctl(c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.arguments.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains(c.said)) << c.arguments.join(' ').toStdString() << ": " << run.err.toStdString();
    }
    EXPECT_EQ(sim.dump("settings", 0, 87), devicePage);
    EXPECT_EQ(storedStage(1), stored);
    EXPECT_EQ(mouseView()->profileSelector()->selector()->currentText(), selected);

    // A valid one after them all still lands.
    ASSERT_EQ(ctl({"set", "report-rate", "1000"}).exitCode, 0);
    EXPECT_TRUE(waitFor([&] { return sim.dump("settings", kReportRateByte, 1) == std::vector<int>{3}; }, 5000));
    EXPECT_EQ(ctl({"settings"}).out.contains("report-rate=1000"), true);
}

// A change the profile document cannot take reaches the mouse, and the script is told it failed
// (at once: the window's notice waits for nobody).
TEST_F(ScriptedApplication, AChangeThatCannotBeSavedIsToldAsFailed)
{
    ASSERT_TRUE(start());
    ASSERT_TRUE(mouseReady());
    const std::filesystem::path folder = std::filesystem::path(window.mouse()->profile().GetProfilePath()).parent_path();
    const std::filesystem::path away = folder.string() + ".away";
    std::filesystem::rename(folder, away);
    test::writeFile(folder.string(), "not a folder");

    const CtlRun run = ctl({"set", "report-rate", "500"});
    std::filesystem::remove(folder);
    std::filesystem::rename(away, folder);

    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("could not be written")) << run.err.toStdString();
    EXPECT_TRUE(waitFor([&] { return sim.dump("settings", kReportRateByte, 1) == std::vector<int>{2}; }, 5000));
    EXPECT_NE(std::find(prompts.begin(), prompts.end(), "profile_write_failed_text"), prompts.end());
}

// An export replaces a regular file at most, and only at an absolute path: a FIFO, a device and a
// relative path are refused and left as they were.
TEST_F(ScriptedApplication, ExportsGoToRegularFilesAtAbsolutePathsOnly)
{
    ASSERT_TRUE(start());
    ASSERT_TRUE(mouseReady());
    const std::string fifo = files.file("listening.json");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path : {fifo, std::string("/dev/null")}) {
        const CtlRun run = ctl({"profile", "export", QString::fromStdString(path)});
        EXPECT_EQ(run.exitCode, 1) << path;
        EXPECT_TRUE(run.err.contains("not a regular file")) << path << ": " << run.err.toStdString();
        EXPECT_EQ(std::filesystem::symlink_status(path).type(),
                  path == fifo ? std::filesystem::file_type::fifo : std::filesystem::file_type::character);
    }

    QDBusConnection caller = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("exporter"));
    QDBusMessage message = QDBusMessage::createMethodCall(QLatin1String(ConfigBus::kService), QLatin1String(ConfigBus::kPath),
                                                          QLatin1String(ConfigBus::kInterface), QStringLiteral("ExportProfile"));
    message << QStringLiteral("relative.json");
    QDBusPendingCall relative = caller.asyncCall(message);
    ASSERT_TRUE(waitFor([&] { return relative.isFinished(); }));
    EXPECT_EQ(relative.error().name(), QStringLiteral("org.kestrion.Config1.Error.InvalidArgument"));
    EXPECT_FALSE(std::filesystem::exists("relative.json"));

    // From a relative path on its command line, kestrion-ctl names the file from where it runs.
    const std::string here = files.file("here.json");
    const QString previous = QDir::currentPath();
    QDir::setCurrent(QString::fromStdString(files.path()));
    const CtlRun fromHere = ctl({"profile", "export", "here.json"});
    QDir::setCurrent(previous);
    EXPECT_EQ(fromHere.exitCode, 0) << fromHere.err.toStdString();
    EXPECT_TRUE(std::filesystem::is_regular_file(here));
    QDBusConnection::disconnectFromBus(QStringLiteral("exporter"));
}

// Records what the tool broadcasts, heard on a connection of its own as another program would.
class StateListener : public QObject {
    Q_OBJECT
public:
    std::vector<bool> states;
public slots:
    void onState(bool on) { states.push_back(on); }
};

TEST_F(ScriptedApplication, AnotherProgramTakesTheLightsAndTheBroadcastFollows)
{
    ASSERT_TRUE(start());
    ASSERT_TRUE(mouseReady());
    QDBusConnection other = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("other program"));
    StateListener listener;
    ASSERT_TRUE(other.connect(QLatin1String(ConfigBus::kService), QLatin1String(ConfigBus::kPath),
                              QLatin1String(ConfigBus::kInterface), QStringLiteral("LightControlState"), &listener,
                              SLOT(onState(bool))));
    auto* status = window.findChild<QAbstractButton*>("control_light_status");
    ASSERT_NE(status, nullptr);

    EXPECT_EQ(ctl({"light-control"}).out.trimmed(), "on");
    ASSERT_EQ(ctl({"light-control", "off"}).exitCode, 0);
    EXPECT_FALSE(window.lightControl());
    EXPECT_FALSE(window.mouse()->lightControl());
    EXPECT_EQ(status->text(), real.language.text("control_light_off_text"));
    EXPECT_TRUE(waitFor([&] { return listener.states == std::vector<bool>{false}; }));

    // The user's own click gives the lights back, and is broadcast the same way.
    status->click();
    EXPECT_TRUE(window.lightControl());
    EXPECT_TRUE(waitFor([&] { return listener.states == std::vector<bool>{false, true}; }));
    EXPECT_EQ(ctl({"light-control"}).out.trimmed(), "on");
    QDBusConnection::disconnectFromBus(QStringLiteral("other program"));
}

// A game's event lights the mouse and leaves the profile's lighting as it was.
TEST_F(ScriptedApplication, GameEventsShowInTheLightsOnly)
{
    ASSERT_TRUE(start());
    ASSERT_TRUE(mouseReady());
    const LightInfo before = window.mouse()->profile().GetLightInfo();
    // Asked asynchronously: the tool answers on this very thread.
    QDBusConnection game = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("game"));
    const auto call = [&game](const char* member, int field, int value) {
        QDBusMessage message = QDBusMessage::createMethodCall(QLatin1String(ConfigBus::kService), QLatin1String(ConfigBus::kPath),
                                                              QLatin1String(ConfigBus::kInterface), QLatin1String(member));
        message << field << value;
        return game.asyncCall(message);
    };
    QDBusPendingCall kill = call("GameKill", 1, 0x123456);
    ASSERT_TRUE(waitFor([&] { return kill.isFinished(); }));
    EXPECT_FALSE(kill.isError()) << kill.error().message().toStdString();
    EXPECT_TRUE(waitFor([&] { return sim.dump("settings", kLightColourByte, 3) == std::vector<int>{0x12, 0x34, 0x56}; },
                        4000));
    CMouseProfiledata stored;
    stored.LoadProfile(window.mouse()->profile().GetProfilePath());
    EXPECT_EQ(stored.GetLightInfo().red, before.red);
    EXPECT_EQ(window.mouse()->profile().GetLightInfo().blue, before.blue);

    QDBusPendingCall wrong = call("GameStart", 7, 1);
    ASSERT_TRUE(waitFor([&] { return wrong.isFinished(); }));
    EXPECT_TRUE(wrong.isError());
    // Five seconds after the last event the profile's own colour is back.
    EXPECT_TRUE(waitFor([&] {
        return sim.dump("settings", kLightColourByte, 3) == std::vector<int>{before.red, before.green, before.blue};
    }, 9000));
    QDBusConnection::disconnectFromBus(QStringLiteral("game"));
}

TEST(ScriptClient, SaysSoWhenTheToolIsNotRunning)
{
    QProcess process;
    process.start(QStringLiteral(KESTRION_CTL), {"devices"});
    ASSERT_TRUE(process.waitForFinished(15000));
    EXPECT_EQ(process.exitCode(), 3);
    EXPECT_TRUE(process.readAllStandardError().contains("not running"));
}

}  // namespace
}  // namespace kestrion

#include "config_bus_test.moc"
