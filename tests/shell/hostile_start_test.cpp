// The tool started with something hostile where a settings file belongs: it starts, serves the
// bus, ends on SIGTERM, and leaves the thing as it found it.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QProcess>
#include <QProcessEnvironment>

#include <csignal>
#include <filesystem>
#include <functional>
#include <string>

#include <sys/stat.h>

#include "support/device_doubles.h"
#include "support/temp_dir.h"

namespace kestrion {
namespace {

namespace fs = std::filesystem;

constexpr const char* kService = "org.kestrion.Config";

struct Hostile {
    const char* name;
    std::function<void(const std::string& path)> make;
};

const Hostile kHostiles[] = {
    {"a FIFO", [](const std::string& path) { ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0); }},
    {"a folder", [](const std::string& path) { fs::create_directory(path); }},
    {"a link to /dev/zero", [](const std::string& path) { fs::create_symlink("/dev/zero", path); }},
    {"damaged text", [](const std::string& path) { test::writeFile(path, "{\"MacroInfo\": [{\"MacroName\": 5, \"Gu"); }},
};

class HostileStart : public testing::Test {
protected:
    void SetUp() override
    {
        test::ensureCoreApp();
        if (!QDBusConnection::sessionBus().isConnected())
            GTEST_SKIP() << "no session bus (run under dbus-run-session)";
    }

    // Starts the tool with one hostile thing in place and ends it; the thing's type afterwards.
    void startWith(const Hostile& hostile, const std::string& relative)
    {
        test::TempDir home;
        const std::string config = home.path() + "/config";
        const std::string data = home.path() + "/data";
        const std::string runtime = home.path() + "/runtime";
        for (const std::string& folder : {config + "/Kestrion", data + "/Kestrion Z880-ZIR Gaming Mouse/mouse", runtime})
            fs::create_directories(folder);
        fs::permissions(runtime, fs::perms::owner_all);
        const std::string path = home.path() + "/" + relative;
        hostile.make(path);
        const fs::file_type before = fs::symlink_status(path).type();
        const std::string content = before == fs::file_type::regular ? test::readFile(path) : std::string();

        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("HOME", QString::fromStdString(home.path()));
        environment.insert("XDG_CONFIG_HOME", QString::fromStdString(config));
        environment.insert("XDG_DATA_HOME", QString::fromStdString(data));
        environment.insert("XDG_RUNTIME_DIR", QString::fromStdString(runtime));
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        QProcess tool;
        tool.setProcessEnvironment(environment);
        tool.start(QStringLiteral(KESTRION_CONFIG), {QStringLiteral("--tray")});
        ASSERT_TRUE(tool.waitForStarted(5000));
        const bool served = test::waitFor([] {
            return QDBusConnection::sessionBus().interface()->isServiceRegistered(QLatin1String(kService)).value();
        }, 10000);
        ::kill(static_cast<pid_t>(tool.processId()), SIGTERM);
        const bool ended = tool.waitForFinished(10000);
        if (!ended)
            tool.kill();
        EXPECT_TRUE(served) << hostile.name << " at " << relative << ": the bus was not served";
        EXPECT_TRUE(ended && tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0)
            << hostile.name << " at " << relative << ": " << tool.readAllStandardError().toStdString();
        EXPECT_EQ(fs::symlink_status(path).type(), before) << hostile.name << " at " << relative;
        // Qt's settings files are the tool's own to rewrite; the user's data is left for them to decide.
        if (before == fs::file_type::regular && fs::path(path).extension() != ".ini") {
            EXPECT_EQ(test::readFile(path), content) << hostile.name << " at " << relative;
        }
    }
};

// Settings files and the mouse's macro index and custom light lists, read while the window is
// built: nothing there may stop the start (a question or a notice that waits for a person used to).
TEST_F(HostileStart, FilesReadAtStartCannotStopItAndAreLeftAsTheyWere)
{
    const char* files[] = {
        "config/Kestrion/kestrion-config.ini",
        "data/Kestrion Z880-ZIR Gaming Mouse/main.ini",
        "data/Kestrion Z880-ZIR Gaming Mouse/mouse/macro.config",
        "data/Kestrion Z880-ZIR Gaming Mouse/mouse/brylo_light.config",
    };
    for (const char* relative : files) {
        for (const Hostile& hostile : kHostiles)
            startWith(hostile, relative);
    }
}

}  // namespace
}  // namespace kestrion
