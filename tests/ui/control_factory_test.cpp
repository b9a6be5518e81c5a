#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>

#include "ui/control_factory.h"
#include "ui/device_key_button.h"
#include "ui/qt_app.h"
#include "ui/select_panel.h"
#include "ui/skin.h"

namespace kestrion::test {
namespace {

class ControlFactoryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ensureQtApp();
        ASSERT_TRUE(skin.load()) << skin.errorText().toStdString();
    }

    std::unique_ptr<QWidget> build() { return std::unique_ptr<QWidget>(skin.build("XML_FACTORY", factory)); }

    ui::Skin skin{uiTestData("skin")};
    ui::ControlFactory factory{&skin};
};

TEST_F(ControlFactoryTest, BuildsOwnControlsWhateverTheCaseOfTheirNames)
{
    auto root = build();
    ASSERT_NE(root, nullptr);
    auto* panel = root->findChild<ui::CSelectPanelUI*>("panel");
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->property("controlClass").toString(), "SelectPanel");
    for (const char* name : {"key_0", "light_0"}) {
        auto* key = panel->findChild<ui::CDeviceKeyButtonUI*>(name);
        ASSERT_NE(key, nullptr) << name;
        EXPECT_EQ(key->parentWidget(), panel);
        EXPECT_EQ(key->property("controlClass").toString(), "DeviceKeyButton");
    }
    EXPECT_EQ(panel->findChild<QWidget*>("light_0")->geometry(), QRect(100, 100, 10, 10));
}

TEST_F(ControlFactoryTest, LeavesOutUnknownElementsAndBuildsTheRest)
{
    auto root = build();
    ASSERT_NE(root, nullptr);
    for (const char* absent : {"unknown_control", "inside_unknown", "LightControlItem"})
        EXPECT_EQ(root->findChild<QWidget*>(absent), nullptr) << absent;
    EXPECT_NE(root->findChild<QLabel*>("before_unknown"), nullptr);
    EXPECT_NE(root->findChild<QLabel*>("after_unknown"), nullptr);
}

TEST_F(ControlFactoryTest, DeviceRootIsAPlainContainerUntilACreatorIsRegistered)
{
    auto plain = build();
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->objectName(), "device_root");
    EXPECT_EQ(plain->property("controlClass").toString(), "QuellonMouseDevice");

    int created = 0;
    factory.registerCreator("quellonmousedevice", [&created](QWidget* parent) {
        ++created;
        auto* device = new QLabel(parent);
        device->setProperty("madeBy", "device code");
        return device;
    });
    auto registered = build();
    ASSERT_NE(registered, nullptr);
    EXPECT_EQ(created, 1);
    EXPECT_EQ(registered->objectName(), "device_root");
    EXPECT_EQ(registered->property("madeBy").toString(), "device code");
    EXPECT_NE(registered->findChild<QLabel*>("after_unknown"), nullptr);
}

TEST_F(ControlFactoryTest, LayoutElementsBuildTheirLayoutAndStopWhenTheyNameThemselves)
{
    auto root = build();
    ASSERT_NE(root, nullptr);
    auto* keySet = root->findChild<QWidget*>("KeySetControlItem");
    ASSERT_NE(keySet, nullptr);
    EXPECT_NE(keySet->findChild<QComboBox*>("keyset_function_combo"), nullptr);
    // The macro layout contains its own element: it nests a bounded number of times.
    auto* loop = root->findChild<QWidget*>("MacroLoop");
    ASSERT_NE(loop, nullptr);
    EXPECT_LE(loop->findChildren<QWidget*>("loop_again").size(), 8);
}

TEST_F(ControlFactoryTest, RegisteredCreatorsReachNestedLayouts)
{
    factory.registerCreator("QComboBox", [](QWidget* parent) { return new QLabel("stand-in", parent); });
    auto root = build();
    ASSERT_NE(root, nullptr);
    EXPECT_NE(root->findChild<QLabel*>("keyset_function_combo"), nullptr);
}

TEST_F(ControlFactoryTest, UnknownOrUnreadableLayoutsBuildNothing)
{
    EXPECT_EQ(skin.build("XML_NOT_IN_INDEX", factory), nullptr);
    EXPECT_EQ(skin.build("XML_MISSING_FILE", factory), nullptr);
}

TEST(SkinIndex, MissingOrMalformedIndexLoadsNothing)
{
    ensureQtApp();
    ui::Skin missing(uiTestData("no-such-skin"));
    EXPECT_FALSE(missing.load());
    EXPECT_FALSE(missing.errorText().isEmpty());
    ui::Skin malformed(uiTestData("malformed-skin"));
    EXPECT_FALSE(malformed.load());
    EXPECT_TRUE(malformed.layoutNames().isEmpty());
}

TEST(SkinIndex, LanguageNamesResolveThroughTheIndexOrTheLangFolderOnly)
{
    ensureQtApp();
    ui::Skin skin(uiTestData("skin"));
    ASSERT_TRUE(skin.load());
    EXPECT_EQ(skin.languageFile("lan_alias.xml"), uiTestData("skin/lang/First.xml"));
    EXPECT_EQ(skin.languageFile("Second.xml"), uiTestData("skin/lang/Second.xml"));
    for (const char* rejected : {"", "Absent.xml", "../res.xml", "..\\res.xml", "/etc/passwd", ".hidden"})
        EXPECT_TRUE(skin.languageFile(rejected).isEmpty()) << rejected;
}

}  // namespace
}  // namespace kestrion::test
