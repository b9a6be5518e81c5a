// The update page's model over update programs written by the tests as shell scripts: what a
// check finds, ticking, updating one row at a time with the device held, failures, and stopping.
#include <gtest/gtest.h>

#include <QFile>

#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "ui/qt_app.h"
#include "ui/update_fakes.h"
#include "ui/update_model.h"

namespace kestrion::test {
namespace {

using ui::UpdateModel;
using ui::UpdateRow;

constexpr int kMouse = 2;
constexpr int kKeyboard = 1;
constexpr int kPad = 3;
constexpr std::size_t kMouseRow = 0;
constexpr std::size_t kKeyboardRow = 1;
constexpr std::size_t kPadRow = 2;
constexpr std::size_t kApplicationRowIndex = 3;

class UpdateModelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        devices.versions[kMouse] = {0x0104, false};
        devices.versions[kKeyboard] = {0x0200, false};
    }

    void addProgram(const std::string& shortName, const std::string& content)
    {
        addUpdateProgram(folder, shortName, content);
    }

    bool checked(UpdateModel& model)
    {
        model.check();
        return waitFor([&] { return model.status() != kStatusChecking; }, 10000);
    }

    bool running(const std::string& name) { return waitFor([&] { return exists(name + ".running"); }, 5000); }
    bool exists(const std::string& file) { return std::filesystem::exists(folder.file(file)); }
    void release(const std::string& name, int exitCode)
    {
        writeFile(folder.file(name + ".release"), std::to_string(exitCode) + "\n");
    }

    QtApp app;
    TempDir folder;
    FakeDevices devices;
};

TEST_F(UpdateModelTest, CheckOffersNewerVersionsOfConnectedDevicesAndOfTheProgram)
{
    devices.versions[kMouse] = {0x0104, true};
    addProgram("MS", updateProgram("0105", "MS"));
    addProgram("KB", updateProgram("0105", "KB"));
    addProgram("MP", updateProgram("0105", "MP"));
    addProgram("AP", updateProgram("99.0.0", "AP"));
    UpdateModel model(devices, {folder.path()});
    std::vector<int> statuses;
    QObject::connect(&model, &UpdateModel::statusChanged, [&](int status) { statuses.push_back(status); });
    ASSERT_TRUE(checked(model));

    const std::vector<UpdateRow>& rows = model.rows();
    ASSERT_EQ(rows.size(), 4u);
    struct Expected {
        const char* name;
        const char* version;
        int flag;
        int state;
    };
    const Expected expected[] = {
        {"MS", "V0104", -1, kRowFirmwareUpdate},
        {"KB", "V0200", 1, kRowUpToDate},  // its firmware is already past what the program has
        {"MP", "", 1, kRowUpToDate},       // not connected
        {"AP", "V0.1.0", 1, kRowApplicationUpdate},
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].entry.shortName, expected[i].name);
        EXPECT_EQ(rows[i].versionText.toStdString(), expected[i].version) << i;
        EXPECT_EQ(rows[i].flag, expected[i].flag) << i;
        EXPECT_EQ(rows[i].state, expected[i].state) << i;
    }
    EXPECT_EQ(rows[kMouseRow].offered, "0105");
    EXPECT_EQ(statuses, (std::vector<int>{kStatusChecking, kStatusAvailable}));
    EXPECT_TRUE(devices.calls.empty());
}

TEST_F(UpdateModelTest, TheStatusSaysWhatTheCheckFound)
{
    struct Case {
        const char* name;
        std::vector<std::pair<std::string, std::string>> programs;
        int status;
    };
    const std::vector<Case> cases = {
        {"no programs", {}, kStatusLatest},
        {"nothing newer", {{"MS", updateProgram("0104", "MS")}, {"AP", updateProgram("0.1.0", "AP")}}, kStatusLatest},
        {"no answers", {{"MS", "#!/bin/sh\necho soon\n"}, {"AP", "#!/bin/sh\nexit 1\n"}}, kStatusNoInfo},
        {"one answer", {{"MS", "#!/bin/sh\necho soon\n"}, {"AP", updateProgram("0.2", "AP")}}, kStatusAvailable},
    };
    for (const Case& c : cases) {
        for (const char* name : {"MS", "AP"})
            std::filesystem::remove(folder.file(name));
        for (const auto& [name, content] : c.programs)
            addProgram(name, content);
        UpdateModel model(devices, {folder.path()});
        ASSERT_TRUE(checked(model)) << c.name;
        EXPECT_EQ(model.status(), c.status) << c.name;
    }
}

TEST_F(UpdateModelTest, TickedRowsUpdateOneAtATimeWithTheDeviceHeldAndAFailureStaysUpdatable)
{
    addProgram("MS", updateProgram("0105", "MS"));
    addProgram("KB", updateProgram("0105", "KB"));
    addProgram("AP", updateProgram("0.2.0", "AP"));
    UpdateModel model(devices, {folder.path()});
    ASSERT_TRUE(checked(model));

    model.setTicked(kKeyboardRow, true);
    EXPECT_FALSE(model.anyTicked()) << "a row without an update cannot be ticked";
    model.setTicked(kMouseRow, true);
    model.setTicked(kApplicationRowIndex, true);
    EXPECT_TRUE(model.anyTicked());
    model.startUpdate();
    EXPECT_EQ(model.status(), kStatusUpdating);
    EXPECT_EQ(model.rows()[kMouseRow].state, kRowUpdating);
    EXPECT_EQ(model.rows()[kApplicationRowIndex].state, kRowUpdating);
    EXPECT_FALSE(model.closable());

    ASSERT_TRUE(running("MS"));
    EXPECT_TRUE(devices.held[kMouse]);
    EXPECT_TRUE(waitFor([&] { return model.rows()[kMouseRow].progress == 10; }));
    EXPECT_FALSE(exists("AP.running")) << "one program at a time";
    devices.versions[kMouse] = {0x0105, false};
    release("MS", 0);

    ASSERT_TRUE(running("AP"));
    EXPECT_EQ(model.rows()[kMouseRow].state, kRowFinished);
    EXPECT_EQ(model.rows()[kMouseRow].versionText, "V0105");
    EXPECT_EQ(devices.calls, (std::vector<std::string>{"hold 2", "release 2", "reread 2"}));
    EXPECT_FALSE(model.closable());
    release("AP", 3);

    ASSERT_TRUE(waitFor([&] { return model.closable(); }));
    const UpdateRow& application = model.rows()[kApplicationRowIndex];
    EXPECT_EQ(application.state, kRowApplicationUpdate);
    EXPECT_TRUE(application.failed);
    EXPECT_FALSE(application.ticked);
    EXPECT_EQ(model.status(), kStatusAvailable);
    EXPECT_EQ(devices.calls.size(), 3u) << "the application holds no device";
}

TEST_F(UpdateModelTest, ADeviceGoneBeforeItsTurnIsNotUpdated)
{
    devices.versions[kKeyboard] = {0x0104, false};
    addProgram("MS", updateProgram("0105", "MS"));
    addProgram("KB", updateProgram("0105", "KB"));
    UpdateModel model(devices, {folder.path()});
    ASSERT_TRUE(checked(model));
    model.setTicked(kMouseRow, true);
    model.setTicked(kKeyboardRow, true);
    model.startUpdate();
    ASSERT_TRUE(running("MS"));
    devices.versions.erase(kKeyboard);
    release("MS", 0);

    ASSERT_TRUE(waitFor([&] { return model.closable(); }, 5000));
    EXPECT_FALSE(exists("KB.running"));
    EXPECT_EQ(model.rows()[kKeyboardRow].state, kRowUpToDate);
    EXPECT_TRUE(model.rows()[kKeyboardRow].failed);
    EXPECT_EQ(devices.calls, (std::vector<std::string>{"hold 2", "release 2", "reread 2"}));
}

// A program that shrugs off the request to end is killed; the device is let go and the row
// offers its update again.
TEST_F(UpdateModelTest, StoppingEndsEvenAProgramThatIgnoresTheRequest)
{
    addProgram("MS", "#!/bin/sh\n"
                     "if [ \"$1\" = --version ]; then echo 0105; exit 0; fi\n"
                     "trap '' TERM\n"
                     "echo $$ > MS.running\n"
                     "while true; do sleep 0.02; done\n");
    UpdateModel model(devices, {folder.path()});
    ASSERT_TRUE(checked(model));
    model.setTicked(kMouseRow, true);
    model.startUpdate();
    ASSERT_TRUE(running("MS"));
    ASSERT_TRUE(waitFor([&] { return !readFile(folder.file("MS.running")).empty(); }));
    const pid_t program = std::stoi(readFile(folder.file("MS.running")));

    model.stop();
    EXPECT_NE(::kill(program, 0), 0) << "the program is still there";
    EXPECT_TRUE(model.closable());
    EXPECT_EQ(model.rows()[kMouseRow].state, kRowFirmwareUpdate);
    EXPECT_TRUE(model.rows()[kMouseRow].failed);
    EXPECT_EQ(devices.calls, (std::vector<std::string>{"hold 2", "release 2", "reread 2"}));
}

}  // namespace
}  // namespace kestrion::test
