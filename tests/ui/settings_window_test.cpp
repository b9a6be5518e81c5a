// The language switch and the settings window over the real skin and the real language list.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QLabel>
#include <QLayout>
#include <QPointer>
#include <QSettings>
#include <QStackedWidget>
#include <QTest>

#include <filesystem>
#include <memory>

#include "support/temp_dir.h"
#include "ui/language_switch.h"
#include "ui/message_box.h"
#include "ui/qt_app.h"
#include "ui/settings_window.h"
#include "ui/update_fakes.h"
#include "ui/update_model.h"

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

// The settings window over the real skin, with the devices faked and update programs written
// by the test into the folder it looks in.
class SettingsWindowTest : public LanguageSwitchTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(languages.setLanguage(0));
        devices.versions[2] = {0x0104, false};
    }

    QPointer<ui::CSetWnd> open()
    {
        auto model = std::make_unique<ui::UpdateModel>(devices, std::vector<std::string>{programs.path()});
        auto* window = new ui::CSetWnd(resources, languages, folder.path(), std::move(model), nullptr);
        EXPECT_TRUE(window->isBuilt());
        QObject::connect(window, &ui::CSetWnd::updateSeen, [this] { ++seen; });
        window->show();
        return window;
    }
    bool checked(ui::CSetWnd& window)
    {
        return waitFor([&] { return window.model().status() != kStatusChecking; }, 10000);
    }
    static QString textOf(QWidget& root, const char* name)
    {
        auto* label = root.findChild<QLabel*>(name);
        return label ? label->text() : QStringLiteral("<missing %1>").arg(name);
    }
    static QWidget* item(QWidget& window, int row)
    {
        auto* list = window.findChild<QWidget*>("device_update_list_info");
        return list && list->layout() && list->layout()->itemAt(row) ? list->layout()->itemAt(row)->widget() : nullptr;
    }
    static bool shown(QWidget* widget) { return widget && !widget->isHidden(); }
    bool exists(const std::string& name) { return std::filesystem::exists(programs.file(name)); }

    TempDir programs;
    FakeDevices devices;
    int seen = 0;
};

TEST_F(SettingsWindowTest, ListsLanguagesSwitchesAndShowsItsFirstDateWhenUpToDate)
{
    writeFile(folder.file("updatetime.config"), R"({"updatelasttime": {"value": "2025-3-9"}})");
    QPointer<ui::CSetWnd> window = open();
    auto* combo = window->findChild<QComboBox*>("Language_combox_info");
    ASSERT_NE(combo, nullptr);
    ASSERT_EQ(combo->count(), 2);
    EXPECT_EQ(combo->itemText(0), "English");
    EXPECT_EQ(combo->itemText(1), QString::fromUtf8("简体中文"));
    EXPECT_EQ(combo->currentIndex(), 0);
    ASSERT_TRUE(checked(*window));
    EXPECT_EQ(textOf(*window, "Update_Status_text"), real.language.text("UpdateIsLastText") + "2025-3-9");
    EXPECT_EQ(seen, 1);

    combo->setCurrentIndex(1);
    emit combo->activated(1);
    EXPECT_EQ(languages.currentIndex(), 1);
    EXPECT_EQ(textOf(*window, "Update_Status_text"), QString::fromUtf8("已是最新版本。自此日期起检查更新：2025-3-9"));
    EXPECT_EQ(textOf(*item(*window, 2), "update_item_version"), QString::fromUtf8("未连接"));
    EXPECT_NE(readFile(folder.file("updatetime.config")).find("2025-3-9"), std::string::npos);
    delete window;
}

TEST_F(SettingsWindowTest, AMissingDateFileGetsToday)
{
    QPointer<ui::CSetWnd> window = open();
    const QDate today = QDate::currentDate();
    const QString expected = QStringLiteral("%1-%2-%3").arg(today.year()).arg(today.month()).arg(today.day());
    EXPECT_NE(readFile(folder.file("updatetime.config")).find(expected.toStdString()), std::string::npos);
    delete window;
}

// Check, tick, update: the mouse's program succeeds, the program's own fails; the window will not
// close until both have ended.
TEST_F(SettingsWindowTest, UpdatePageThroughCheckTickUpdateSuccessAndFailure)
{
    addUpdateProgram(programs, "MS", updateProgram("0105", "MS"));
    addUpdateProgram(programs, "AP", updateProgram("0.2.0", "AP"));
    QPointer<ui::CSetWnd> window = open();
    auto* status = window->findChild<QLabel*>("Update_Status_text");
    auto* ring = window->findChild<QWidget*>("update_status_ring");
    auto* image = window->findChild<QWidget*>("update_status_image");
    auto* hint = window->findChild<QWidget*>("update_tishi_layout");
    auto* tabs = window->findChild<QStackedWidget*>("get_update_tab_layout");
    auto* update = window->findChild<QAbstractButton*>("update_fw_and_ap");
    auto* confirm = window->findChild<QAbstractButton*>("update_OK_btn");
    ASSERT_TRUE(status && ring && image && hint && tabs && update && confirm);
    EXPECT_EQ(status->text(), real.language.text("GetUpdateInfoText"));
    EXPECT_TRUE(shown(ring));
    EXPECT_FALSE(shown(image));

    ASSERT_TRUE(checked(*window));
    EXPECT_EQ(status->text(), real.language.text("HaveUpdateInfoText"));
    EXPECT_FALSE(shown(ring));
    EXPECT_TRUE(shown(image));
    EXPECT_TRUE(shown(hint));
    EXPECT_EQ(seen, 0);
    const char* names[] = {"MS", "KB", "MP", "AP"};
    const bool tickable[] = {true, false, false, true};
    for (int row = 0; row < 4; ++row) {
        ASSERT_NE(item(*window, row), nullptr) << row;
        EXPECT_EQ(item(*window, row)->height(), 50);
        EXPECT_EQ(textOf(*item(*window, row), "update_item_name"), names[row]);
        EXPECT_EQ(shown(item(*window, row)->findChild<QWidget*>("check_name_select")), tickable[row]) << row;
    }
    EXPECT_EQ(textOf(*item(*window, 0), "update_item_version"), "V0104");
    EXPECT_EQ(textOf(*item(*window, 0), "update_item_state"), "Version 0105 is ready");
    EXPECT_EQ(textOf(*item(*window, 3), "update_item_version"), QString::fromStdString(applicationVersionText()));

    auto tick = [&](int row) { return item(*window, row)->findChild<QCheckBox*>("check_name_select"); };
    EXPECT_FALSE(shown(update));
    tick(0)->click();
    EXPECT_TRUE(shown(update) && update->isEnabled());
    tick(0)->click();
    EXPECT_FALSE(shown(update));
    tick(0)->click();
    tick(3)->click();
    update->click();
    EXPECT_EQ(tabs->currentIndex(), 1);
    confirm->click();
    EXPECT_EQ(tabs->currentIndex(), 0);
    EXPECT_FALSE(update->isEnabled());
    EXPECT_EQ(status->text(), real.language.text("ISUpdateINGText"));

    ASSERT_TRUE(waitFor([&] { return exists("MS.running"); }, 5000));
    EXPECT_TRUE(waitFor([&] { return textOf(*item(*window, 0), "update_item_state") == "Updating… 10%"; }));
    EXPECT_TRUE(shown(item(*window, 0)->findChild<QWidget*>("update_item_progress")));
    window->close();
    window->findChild<QAbstractButton*>("laterbtn")->click();
    QTest::keyClick(window, Qt::Key_Escape);
    QCoreApplication::processEvents();
    ASSERT_FALSE(window.isNull());
    EXPECT_TRUE(window->isVisible()) << "closed while updating";

    writeFile(programs.file("MS.release"), "0\n");
    ASSERT_TRUE(waitFor([&] { return exists("AP.running"); }, 5000));
    EXPECT_EQ(textOf(*item(*window, 0), "update_item_state"), "Updated");
    writeFile(programs.file("AP.release"), "1\n");
    ASSERT_TRUE(waitFor([&] { return window->model().closable(); }, 5000));
    EXPECT_EQ(textOf(*item(*window, 3), "update_item_state"), "The update failed; version 0.2.0 can be tried again");
    EXPECT_TRUE(shown(tick(3)));
    EXPECT_EQ(status->text(), real.language.text("HaveUpdateInfoText"));

    window->findChild<QAbstractButton*>("closebtn")->click();
    EXPECT_TRUE(waitFor([&] { return window.isNull(); }));
}

TEST_F(SettingsWindowTest, TheHintLeadsToTheListAndTheZoomButtonsSwap)
{
    addUpdateProgram(programs, "MS", updateProgram("0105", "MS"));
    QPointer<ui::CSetWnd> window = open();
    ASSERT_TRUE(checked(*window));
    auto* hint = window->findChild<QWidget*>("update_tishi_layout");
    auto* maximise = window->findChild<QAbstractButton*>("maxbtn");
    auto* restore = window->findChild<QAbstractButton*>("restorebtn");
    ASSERT_TRUE(hint && maximise && restore);
    EXPECT_TRUE(shown(hint));
    EXPECT_TRUE(shown(maximise));
    EXPECT_FALSE(shown(restore));

    maximise->click();
    EXPECT_TRUE(waitFor([&] { return shown(restore) && !shown(maximise); }));
    window->findChild<QAbstractButton*>("set_in_update_wnd_btn")->click();
    EXPECT_FALSE(shown(hint));
    EXPECT_TRUE(waitFor([&] { return window->size() == ui::CSetWnd::kWindowSize && shown(maximise); }));
    delete window;
}

}  // namespace
}  // namespace kestrion::test
