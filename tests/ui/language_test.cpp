#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QSignalSpy>

#include <filesystem>
#include <sys/stat.h>

#include "support/temp_dir.h"
#include "ui/qt_app.h"
#include "ui/skin.h"

namespace kestrion::test {
namespace {

class LanguageTest : public ::testing::Test {
protected:
    RealSkin real;
};

TEST_F(LanguageTest, SwitchingLanguageRetextsEveryControlWithATextId)
{
    auto page = buildMousePage(real);
    ASSERT_NE(page, nullptr);
    auto* title = page->findChild<QLabel*>("mouse_page_title");
    auto* tab = page->findChild<QAbstractButton*>("system_Op_tab");
    auto* combo = page->findChild<QComboBox*>("logo_led_mode_combo");
    auto* key = page->findChild<QAbstractButton*>("key_0");
    ASSERT_TRUE(title && tab && combo && key);
    EXPECT_EQ(title->text(), "Z880-ZIR GAMING MOUSE");
    EXPECT_EQ(combo->itemText(0), "Static");
    EXPECT_EQ(key->toolTip(), "Click to change this button's function");

    QSignalSpy changed(&real.language, &ui::LanguageManager::languageChanged);
    ASSERT_TRUE(real.language.load("lan_cn.xml"));
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(title->text(), QString::fromUtf8("Z880-ZIR 游戏鼠标"));
    EXPECT_EQ(tab->text(), QString::fromUtf8("性能"));
    EXPECT_EQ(combo->itemText(0), QString::fromUtf8("常亮"));
    EXPECT_EQ(key->text(), QString::fromUtf8("左键"));
    EXPECT_EQ(key->toolTip(), QString::fromUtf8("单击以更改此按键的功能"));

    ASSERT_TRUE(real.language.load("English.xml"));
    EXPECT_EQ(tab->text(), "PERFORMANCE");
    EXPECT_EQ(real.language.currentName(), "English.xml");
}

TEST_F(LanguageTest, ControlsWithoutATextIdKeepTheirText)
{
    QLabel literal("typed by the user");
    QLabel byId;
    QLabel renamed;
    real.language.setTextId(&byId, "message_text_28");
    real.language.setTextId(&renamed, "mouse_key_left");
    ui::LanguageManager::setLiteralText(&renamed, "Macro 1");
    EXPECT_EQ(byId.text(), "Add a new profile?");
    ASSERT_TRUE(real.language.load("lan_cn.xml"));
    EXPECT_EQ(literal.text(), "typed by the user");
    EXPECT_EQ(renamed.text(), "Macro 1");
    EXPECT_EQ(byId.text(), QString::fromUtf8("新建配置？"));
}

TEST_F(LanguageTest, AFileThatCannotBeReadKeepsTheCurrentTexts)
{
    ui::Skin fixture(uiTestData("skin"));
    ASSERT_TRUE(fixture.load());
    ui::LanguageManager texts(fixture);
    ASSERT_TRUE(texts.load("lan_alias.xml"));
    for (const char* bad : {"Broken.xml", "Absent.xml", "../res.xml"}) {
        EXPECT_FALSE(texts.load(bad)) << bad;
        EXPECT_EQ(texts.text("greeting"), "Hello") << bad;
        EXPECT_EQ(texts.currentName(), "lan_alias.xml");
    }
    ASSERT_TRUE(texts.load("Second.xml"));
    EXPECT_EQ(texts.text("greeting"), "Bonjour");
}

// Special and oversized files in place of a language file are refused at once: a FIFO must not stall
// start-up, and a file far larger than any language is not read whole.
TEST_F(LanguageTest, SpecialAndOversizedFilesAreRefusedWithoutBlocking)
{
    TempDir copy;
    std::filesystem::copy(uiTestData("skin").toStdString(), copy.path(), std::filesystem::copy_options::recursive);
    const std::string lang = copy.file("lang/");
    ASSERT_EQ(::mkfifo((lang + "Fifo.xml").c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/zero", lang + "Zero.xml");
    std::filesystem::create_directory(lang + "Folder.xml");
    writeFile(lang + "Huge.xml", "<Texts><Text id=\"greeting\">" + std::string(ui::kMaxSkinFileBytes, 'x') + "</Text></Texts>");

    ui::Skin fixture(QString::fromStdString(copy.path()));
    ASSERT_TRUE(fixture.load());
    ui::LanguageManager texts(fixture);
    ASSERT_TRUE(texts.load("lan_alias.xml"));
    for (const char* bad : {"Fifo.xml", "Zero.xml", "Folder.xml", "Huge.xml"}) {
        EXPECT_FALSE(texts.load(bad)) << bad;
        EXPECT_EQ(texts.text("greeting"), "Hello") << bad;
    }
}

TEST_F(LanguageTest, UnknownIdsShowThemselvesAndNumbersFillTheirMark)
{
    EXPECT_EQ(real.language.text("no_such_text_id"), "no_such_text_id");
    EXPECT_FALSE(real.language.contains("no_such_text_id"));
    const QString built = real.language.textWithNumber("message_text_16", 3);
    EXPECT_TRUE(built.contains("(3)")) << built.toStdString();
    EXPECT_FALSE(built.contains("%d"));
}

}  // namespace
}  // namespace kestrion::test
