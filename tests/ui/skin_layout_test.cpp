#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpression>
#include <QStackedWidget>
#include <QXmlStreamReader>

#include <functional>
#include <set>

#include "ui/device_key_button.h"
#include "ui/message_box.h"
#include "ui/control_checks.h"
#include "ui/qt_app.h"
#include "ui/select_panel.h"

namespace kestrion::test {
namespace {

Check isOption()
{
    return [](QWidget* w) {
        auto* button = qobject_cast<QAbstractButton*>(w);
        return button && button->isCheckable();
    };
}

void addFamily(std::vector<Expected>& out, const QString& prefix, int count, const Check& check)
{
    for (int i = 0; i < count; ++i)
        out.push_back({prefix + QString::number(i), check});
}

// The macro page: its library, event list, recorder and hand-inserted moves.
void addMacroPageControls(std::vector<Expected>& names)
{
    constexpr const char* kButtons[] = {
        "macro_btn_name_add", "macro_btn_name_sub", "macro_btn_name_edit", "macro_btn_save", "macro_btn_cancel",
        "macro_btn_export", "macro_btn_import", "macro_btn_up", "macro_btn_down", "macro_btn_uptop",
        "macro_btn_downbottom", "macro_btn_delete", "macro_btn_deleteall", "macro_btn_starredio",
        "macro_btn_stopredio", "macro_tab_macroaction_edit", "macro_tab_macrodelay_edit",
        "macro_inset_moveleftkey_btn", "macro_inset_moverightkey_btn", "macro_inset_moveupkey_btn",
        "macro_inset_movedownkey_btn"};
    constexpr const char* kEdits[] = {"macro_edit_macroname", "macro_fixed_time_edit", "mouse_x_left_edit",
                                      "mouse_x_right_edit", "mouse_y_up_edit", "mouse_y_down_edit"};
    for (const char* name : kButtons)
        names.push_back({name, is<QAbstractButton>()});
    for (const char* name : kEdits)
        names.push_back({name, is<QLineEdit>()});
    names.push_back({"MacroControlItem", is<QWidget>()});
    names.push_back({"macro_name_list", is<QListWidget>()});
    names.push_back({"macro_action_list", is<QListWidget>()});
    names.push_back({"macro_name_tab", is<QWidget>()});
    names.push_back({"macro_action_layout", is<QWidget>()});
    names.push_back({"mouse_move_layout", is<QWidget>()});
    names.push_back({"macro_record_state", is<QLabel>()});
    names.push_back({"macro_check_time", isOption()});
}

// Every control of the mouse page that the page code, the router and the editors look up.
std::vector<Expected> mousePageControls()
{
    std::vector<Expected> names{
        {"mouse_device_seting_layout", is<QWidget>()},
        {"mouse_device_key_light", is<ui::CSelectPanelUI>()},
        {"logo", is<QWidget>()},
        {"mouse_option_layout", is<QWidget>()},
        {"Anti_Shake_combo_timeSelect", is<QComboBox>()},
        {"ble_sleep1_combo", is<QComboBox>()},
        {"ble_sleep2_combo", is<QComboBox>()},
        {"device_sleep1_combo", is<QComboBox>()},
        {"device_sleep2_combo", is<QComboBox>()},
        {"logo_led_mode_combo", is<QComboBox>()},
        {"default_btn", is<QAbstractButton>()},
        {"deng_Op_tab", isOption()},
        {"key_Op_tab", isOption()},
        {"macro_Op_tab", isOption()},
        {"system_Op_tab", isOption()},
        {"pointer_speed_slider", is<QAbstractSlider>()},
        {"pointer_precision_check", isOption()},
        {"scroll_speed_slider", is<QAbstractSlider>()},
        {"scrolls_page_check", isOption()},
        {"double_click_slider", is<QAbstractSlider>()},
    };
    addFamily(names, "DPI_slider_", 7, is<QAbstractSlider>());
    addFamily(names, "DPI_edit_", 7, is<QLineEdit>());
    addFamily(names, "DPI_enable_check_", 7, isOption());
    addFamily(names, "DPI_select_check_", 7, isOption());
    addFamily(names, "DPI_color_option_", 7, is<QAbstractButton>());
    addFamily(names, "polling_rate_option_", 5, isOption());
    addFamily(names, "Silent_Altitude_option_", 2, isOption());
    addFamily(names, "Linear_Calibration_option_", 2, isOption());
    addFamily(names, "Ripple_option_", 2, isOption());
    addFamily(names, "mouse_device_seting_option_", 3, isOption());
    addFamily(names, "key_", 11, is<ui::CDeviceKeyButtonUI>());
    addFamily(names, "light_", 15, is<ui::CDeviceKeyButtonUI>());
    addMacroPageControls(names);
    return names;
}

class SkinLayoutTest : public ::testing::Test {
protected:
    RealSkin real;
};

// Every layout builds, and without a hole: a control whose feature has not landed is not in the
// layout at all, rather than an empty place Qt warns about.
QStringList emptyPlacesWarned;

void keepEmptyPlaceWarnings(QtMsgType, const QMessageLogContext&, const QString& message)
{
    if (message.contains(QLatin1String("Empty widget item")))
        emptyPlacesWarned.push_back(message);
}

TEST_F(SkinLayoutTest, EveryIndexedLayoutBuilds)
{
    ASSERT_FALSE(real.skin.layoutNames().isEmpty()) << real.skin.errorText().toStdString();
    emptyPlacesWarned.clear();
    const QtMessageHandler previous = qInstallMessageHandler(keepEmptyPlaceWarnings);
    for (const QString& name : real.skin.layoutNames()) {
        std::unique_ptr<QWidget> root(real.skin.build(name, real.factory));
        EXPECT_NE(root, nullptr) << name.toStdString();
    }
    qInstallMessageHandler(previous);
    EXPECT_TRUE(emptyPlacesWarned.isEmpty()) << emptyPlacesWarned.join("; ").toStdString();
}

TEST_F(SkinLayoutTest, MousePageHasEveryControlTheSystemUses)
{
    auto page = buildMousePage(real);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->property("controlClass").toString(), "QuellonMouseDevice");
    for (const auto& expected : mousePageControls()) {
        const auto found = page->findChildren<QWidget*>(expected.name);
        ASSERT_EQ(found.size(), 1) << expected.name.toStdString() << " missing or not unique";
        EXPECT_TRUE(expected.check(found.front())) << expected.name.toStdString() << " has the wrong kind";
    }
}

// The page code walks the settings container's direct children to the panel and the panel's
// direct children to the buttons.
TEST_F(SkinLayoutTest, KeyButtonsSitInTheirPanelInsideTheSettingsContainer)
{
    auto page = buildMousePage(real);
    ASSERT_NE(page, nullptr);
    auto* container = page->findChild<QWidget*>("mouse_device_seting_layout");
    ASSERT_NE(container, nullptr);
    auto* panel = container->findChild<ui::CSelectPanelUI*>(QString(), Qt::FindDirectChildrenOnly);
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->property("controlClass").toString(), "SelectPanel");
    const auto buttons = panel->findChildren<ui::CDeviceKeyButtonUI*>(QString(), Qt::FindDirectChildrenOnly);
    EXPECT_EQ(buttons.size(), 11 + 15);
    for (auto* button : buttons)
        EXPECT_EQ(button->property("controlClass").toString(), "DeviceKeyButton");
}

TEST_F(SkinLayoutTest, ActiveDpiStageIsTickedAndCannotBeDisabled)
{
    auto page = buildMousePage(real);
    ASSERT_NE(page, nullptr);
    int ticked = 0;
    for (int n = 0; n < 7; ++n) {
        auto* select = page->findChild<QAbstractButton*>(QString("DPI_select_check_%1").arg(n));
        auto* enable = page->findChild<QAbstractButton*>(QString("DPI_enable_check_%1").arg(n));
        ASSERT_TRUE(select && enable);
        ticked += select->isChecked();
        EXPECT_EQ(enable->isEnabled(), !select->isChecked()) << n;
    }
    EXPECT_EQ(ticked, 1);
}

// Sleep combos store the selected item's value; the page cannot store what the items lack.
TEST_F(SkinLayoutTest, SleepCombosCarryIncreasingMinuteValues)
{
    auto page = buildMousePage(real);
    ASSERT_NE(page, nullptr);
    for (const char* name : {"ble_sleep1_combo", "ble_sleep2_combo", "device_sleep1_combo", "device_sleep2_combo"}) {
        auto* combo = page->findChild<QComboBox*>(name);
        ASSERT_NE(combo, nullptr) << name;
        ASSERT_GT(combo->count(), 1) << name;
        int previous = 0;
        for (int i = 0; i < combo->count(); ++i) {
            bool ok = false;
            const int value = combo->itemData(i).toInt(&ok);
            EXPECT_TRUE(ok && value > previous && value <= 255) << name << " item " << i;
            previous = value;
        }
    }
}

TEST_F(SkinLayoutTest, FunctionPagesAreNumberedOncePerTab)
{
    auto page = buildMousePage(real);
    ASSERT_NE(page, nullptr);
    std::set<int> numbers;
    for (auto* child : page->findChildren<QWidget*>()) {
        if (child->property("functionPage").isValid()) {
            EXPECT_TRUE(numbers.insert(child->property("functionPage").toInt()).second);
        }
    }
    EXPECT_EQ(numbers, (std::set<int>{1, 2, 3, 4, 9}));
}

TEST_F(SkinLayoutTest, MessageBoxHasItsControls)
{
    std::unique_ptr<QWidget> box(real.skin.build("XML_MSG", real.factory));
    ASSERT_NE(box, nullptr);
    EXPECT_NE(box->findChild<QLabel*>("MessageTitle"), nullptr);
    EXPECT_NE(box->findChild<QLabel*>("MessageText"), nullptr);
    for (const char* name : {"confirm_btn", "cancel_btn", "closebtn"})
        EXPECT_NE(box->findChild<QAbstractButton*>(name), nullptr) << name;
}

QStringList skinTextFiles()
{
    QStringList files{QStringLiteral(KESTRION_SOURCE_ROOT "/skin/style.qss")};
    QDirIterator layouts(QStringLiteral(KESTRION_SOURCE_ROOT "/skin/layouts"), {"*.ui"});
    while (layouts.hasNext())
        files << layouts.next();
    return files;
}

QString readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

TEST(SkinFiles, EveryReferencedImageExists)
{
    const QRegularExpression image(R"((?:skin:|<pixmap>)(images/[A-Za-z0-9_.-]+))");
    int references = 0;
    for (const QString& file : skinTextFiles()) {
        auto matches = image.globalMatch(readAll(file));
        while (matches.hasNext()) {
            const QString relative = matches.next().captured(1);
            ++references;
            EXPECT_TRUE(QFile::exists(QStringLiteral(KESTRION_SOURCE_ROOT "/skin/") + relative))
                << relative.toStdString() << " named in " << file.toStdString();
        }
    }
    EXPECT_GT(references, 0);
}

std::set<QString> languageIds(const QString& file)
{
    std::set<QString> ids;
    QFile input(file);
    EXPECT_TRUE(input.open(QIODevice::ReadOnly)) << file.toStdString();
    QXmlStreamReader xml(&input);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("Text"))
            ids.insert(xml.attributes().value("id").toString());
    }
    EXPECT_FALSE(xml.hasError()) << file.toStdString();
    return ids;
}

std::set<QString> layoutTextIds()
{
    const QRegularExpression single(R"re(name="(?:textId|toolTipId)" stdset="0">\s*<string>([^<]+)</string>)re");
    const QRegularExpression list(R"re(name="itemTextIds" stdset="0">\s*<stringlist>(.*?)</stringlist>)re",
                                  QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpression item(R"(<string>([^<]+)</string>)");
    std::set<QString> ids;
    for (const QString& file : skinTextFiles()) {
        const QString text = readAll(file);
        for (auto m = single.globalMatch(text); m.hasNext();)
            ids.insert(m.next().captured(1));
        for (auto m = list.globalMatch(text); m.hasNext();) {
            const QString items = m.next().captured(1);
            for (auto i = item.globalMatch(items); i.hasNext();)
                ids.insert(i.next().captured(1));
        }
    }
    return ids;
}

// Text ids the program shows through prompts and pages.
const char* const kProgramTextIds[] = {
    "message_text_2",  "message_text_4",  "message_text_5",   "message_text_5_1", "message_text_6",
    "message_text_7",  "message_text_16", "message_text_22",  "message_text_25",  "message_text_26",
    "message_text_26_1", "message_text_27", "message_text_28", "message_text_29", "message_text_30",
    "message_text_32", "message_text_33", "message_text_34",  "message_text_35",  "message_text_36",
    "message_text_37", "message_text_38", "message_text_39",  "UpdateTiShi",      "UpdateTiShiText",
    "GetUpdateInfoText", "HaveUpdateInfoText", "NoUpdateInfoText", "ISUpdateINGText", "UpdateIsLastText",
    "ms_device_name_text", "close_text", "mouse_key_left", "mouse_key_right", "mouse_key_middle",
    "mouse_key_forward", "mouse_key_back", "mouse_key_DPI_add", "mouse_key_DPI_sub", "mouse_key_DPI_loop",
    "light_mode_static_text", "light_mode_breathing_text", "light_mode_off_text",
};

TEST(SkinFiles, BothLanguagesTextEveryIdInUse)
{
    const auto english = languageIds(QStringLiteral(KESTRION_SOURCE_ROOT "/skin/lang/English.xml"));
    const auto chinese = languageIds(QStringLiteral(KESTRION_SOURCE_ROOT "/skin/lang/SimplifiedChinese.xml"));
    EXPECT_EQ(english, chinese);
    std::set<QString> needed = layoutTextIds();
    EXPECT_FALSE(needed.empty());
    needed.insert(std::begin(kProgramTextIds), std::end(kProgramTextIds));
    for (const QString& id : needed)
        EXPECT_TRUE(english.count(id)) << id.toStdString();
}

QJsonObject defaultData(const char* name)
{
    QFile file(QStringLiteral(KESTRION_SOURCE_ROOT "/DefaultData/") + name);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    return QJsonDocument::fromJson(file.readAll()).object();
}

// The language list names its files; each must be a language file of the skin.
TEST(SkinFiles, EveryListedLanguageFileIsInTheSkin)
{
    ensureQtApp();
    ui::Skin skin(QStringLiteral(KESTRION_SOURCE_ROOT "/skin"));
    ASSERT_TRUE(skin.load());
    const QJsonArray languages = defaultData("Language.config")["Language"].toArray();
    ASSERT_FALSE(languages.isEmpty());
    ui::LanguageManager texts(skin);
    for (const auto& entry : languages) {
        const QString file = entry.toObject()["Language_file"].toString();
        EXPECT_TRUE(texts.load(file)) << file.toStdString();
        EXPECT_TRUE(texts.contains("message_text_22")) << file.toStdString();
    }
    EXPECT_TRUE(texts.load("lan_cn.xml"));
}

TEST(SkinFiles, EveryFactoryLightNameHasAText)
{
    const auto english = languageIds(QStringLiteral(KESTRION_SOURCE_ROOT "/skin/lang/English.xml"));
    const QJsonObject lights = defaultData("default_light.json");
    int names = 0;
    for (const char* member : {"DefaultLightName", "AreaLightName"}) {
        for (const auto& perDevice : lights[member].toArray()) {
            for (const auto& mode : perDevice.toArray()) {
                const QString id = mode.toObject()["LightName"].toString();
                ++names;
                EXPECT_TRUE(english.count(id)) << id.toStdString();
            }
        }
    }
    EXPECT_GT(names, 0);
}

}  // namespace
}  // namespace kestrion::test
