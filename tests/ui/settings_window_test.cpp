// The language switch and the settings window over the real skin and the real language list.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDate>
#include <QLabel>
#include <QSettings>

#include <memory>

#include "support/temp_dir.h"
#include "ui/language_switch.h"
#include "ui/message_box.h"
#include "ui/qt_app.h"
#include "ui/settings_window.h"

namespace kestrion::test {
namespace {

const std::string kLanguageList = KESTRION_SOURCE_ROOT "/DefaultData/Language.config";
constexpr long long kEnglishId = 520;
constexpr long long kChineseId = 2052;

class LanguageSwitchTest : public ::testing::Test {
protected:
    QVariant storedOnDisk()
    {
        settings.sync();
        return QSettings(settingsFile, QSettings::IniFormat).value(ui::LanguageSwitch::kSettingsKey);
    }

    RealSkin real;
    TempDir folder;
    QString settingsFile = QString::fromStdString(folder.file("settings.conf"));
    QSettings settings{settingsFile, QSettings::IniFormat};
    ui::LanguageSwitch languages{real.language, settings, kLanguageList};
    ui::UiResources resources{real.skin, real.factory, real.language};
};

TEST_F(LanguageSwitchTest, TheStoredChoiceOrTheFallbackPicksTheRow)
{
    ASSERT_EQ(languages.languages().size(), 2u);
    struct Case {
        QVariant stored;
        long long fallbackId;
        int row;
    };
    const Case cases[] = {
        {QVariant(), kEnglishId, 0},  {QVariant(), kChineseId, 1},    {QVariant(), 12345, 0},
        {kChineseId, kEnglishId, 1},  {kEnglishId, kChineseId, 0},    {777, kChineseId, 1},
        {QStringLiteral("words"), kChineseId, 1},
    };
    for (const Case& c : cases) {
        settings.remove(ui::LanguageSwitch::kSettingsKey);
        if (c.stored.isValid())
            settings.setValue(ui::LanguageSwitch::kSettingsKey, c.stored);
        EXPECT_EQ(languages.storedIndex(c.fallbackId), c.row) << c.stored.toString().toStdString();
    }
}

// Two separate windows change together, and the choice is on disk for the next run.
TEST_F(LanguageSwitchTest, SwitchRetextsEveryOpenWindowAndIsRemembered)
{
    auto page = buildMousePage(real);
    ui::CMsgWnd prompt(resources, nullptr);
    prompt.setMessage("message_text_22", true);
    auto* title = page->findChild<QLabel*>("mouse_page_title");
    auto* text = prompt.findChild<QLabel*>("MessageText");
    ASSERT_TRUE(title && text);

    ASSERT_TRUE(languages.setLanguage(1));
    EXPECT_EQ(languages.currentIndex(), 1);
    EXPECT_EQ(title->text(), QString::fromUtf8("Z880-ZIR 游戏鼠标"));
    EXPECT_EQ(text->text(), real.language.text("message_text_22"));
    EXPECT_TRUE(text->text().contains(QString::fromUtf8("出厂")));
    EXPECT_EQ(storedOnDisk().toLongLong(), kChineseId);

    ui::LanguageSwitch nextRun(real.language, settings, kLanguageList);
    EXPECT_EQ(nextRun.storedIndex(kEnglishId), 1);
}

TEST_F(LanguageSwitchTest, TheRowInUseOrAnUnloadableRowChangesNothing)
{
    ASSERT_TRUE(languages.setLanguage(0));
    settings.remove(ui::LanguageSwitch::kSettingsKey);
    EXPECT_TRUE(languages.setLanguage(0));
    EXPECT_FALSE(storedOnDisk().isValid());

    TempDir lists;
    writeFile(lists.file("Language.config"),
              R"({"Language": [{"Language_ID": 520, "Language_file": "English.xml"},
                               {"Language_ID": 9, "Language_file": "Missing.xml"}]})");
    ui::LanguageSwitch broken(real.language, settings, lists.file("Language.config"));
    ASSERT_TRUE(broken.setLanguage(0));
    EXPECT_FALSE(broken.setLanguage(1));
    EXPECT_FALSE(broken.setLanguage(2));
    EXPECT_EQ(broken.currentIndex(), 0);
    EXPECT_EQ(real.language.currentName(), "English.xml");
    EXPECT_EQ(storedOnDisk().toLongLong(), kEnglishId);
}

TEST_F(LanguageSwitchTest, SettingsWindowListsLanguagesSwitchesAndKeepsItsFirstDate)
{
    ASSERT_TRUE(languages.setLanguage(0));
    writeFile(folder.file("updatetime.config"), R"({"updatelasttime": {"value": "2025-3-9"}})");
    ui::CSetWnd window(resources, languages, folder.path(), nullptr);
    ASSERT_TRUE(window.isBuilt());
    window.setVersionRows({{"MS", "V0104"}, {"AP", "V0101"}});
    auto* combo = window.findChild<QComboBox*>("Language_combox_info");
    auto* status = window.findChild<QLabel*>("Update_Status_text");
    ASSERT_TRUE(combo && status);
    ASSERT_EQ(combo->count(), 2);
    EXPECT_EQ(combo->itemText(0), "English");
    EXPECT_EQ(combo->itemText(1), QString::fromUtf8("简体中文"));
    EXPECT_EQ(combo->currentIndex(), 0);
    EXPECT_TRUE(status->text().endsWith("2025-3-9")) << status->text().toStdString();

    combo->setCurrentIndex(1);
    emit combo->activated(1);
    EXPECT_EQ(languages.currentIndex(), 1);
    EXPECT_TRUE(status->text().startsWith(QString::fromUtf8("首次"))) << status->text().toStdString();
    EXPECT_TRUE(status->text().endsWith("2025-3-9"));
    EXPECT_EQ(readFile(folder.file("updatetime.config")).find("2025-3-9") != std::string::npos, true);
}

TEST_F(LanguageSwitchTest, AMissingDateFileGetsToday)
{
    ui::CSetWnd window(resources, languages, folder.path(), nullptr);
    ASSERT_TRUE(window.isBuilt());
    const QDate today = QDate::currentDate();
    const QString expected = QStringLiteral("%1-%2-%3").arg(today.year()).arg(today.month()).arg(today.day());
    EXPECT_NE(readFile(folder.file("updatetime.config")).find(expected.toStdString()), std::string::npos);
}

}  // namespace
}  // namespace kestrion::test
