// The mouse page's name lists read from the user's macro index and light configuration and from the
// factory light list: members of the wrong type read as empty names and zero codes, the page still
// builds (these files once aborted every start of the tool).
#include <gtest/gtest.h>

#include <QString>

#include "devices/mouse_device.h"
#include "profiles/program_folders.h"
#include "support/temp_dir.h"
#include "pages/page_fixture.h"
#include "ui/qt_app.h"

namespace kestrion {
namespace {

TEST(MousePageLists, MembersOfTheWrongTypeReadAsEmptyNames)
{
    test::QtApp app;
    test::RealSkin real;
    test::TempDir programData;
    test::TempDir dataFolder;
    test::writeFile(programData.file("default_light.json"),
                    R"({"DefaultLightName": [7, [{"LightName": 3, "visible": "yes", "value": 4294967296},
                                                {"LightName": "Static", "visible": true, "value": 2}]],
                        "AreaLightName": [{}, [{"LightName": [1]}]]})");
    test::writeFile(dataFolder.file("macro.config"),
                    R"({"MacroInfo": [{"MacroName": 5, "Guid": "g1"}, {"MacroName": "b"}, 7]})");
    test::writeFile(dataFolder.file("brylo_light.config"), R"({"LightInfo": [[], [{"LightName": {"x": 1}}, "c"]]})");
    setProgramDataDir(programData.path());

    test::RecordingMainWindow mainWindow;
    CQuellonMouseDevice device;
    device.setPageSetup(test::mousePageSetup(dataFolder.path() + "/"));
    device.setHost(&mainWindow);
    device.setDeviceIndex(0);
    const std::unique_ptr<MouseView> view = test::mouseViewOf(device, real);
    ASSERT_NE(view, nullptr);

    EXPECT_EQ(view->macroNames(), (std::vector<QString>{"", "b", ""}));
    std::vector<QString> modeNames;
    for (const LightModeEntry& mode : device.lightModes())
        modeNames.push_back(mode.name);
    EXPECT_EQ(modeNames, (std::vector<QString>{"", "Static"}));
    EXPECT_EQ(device.modeCodes(), (std::vector<int>{0, 2}));
    setProgramDataDir(KESTRION_SOURCE_ROOT "/DefaultData");
}

}  // namespace
}  // namespace kestrion
