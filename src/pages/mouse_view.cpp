#include "pages/mouse_view.h"

#include <QAbstractButton>
#include <QColor>
#include <QComboBox>
#include <QIntValidator>
#include <QLineEdit>
#include <QSlider>
#include <QStackedWidget>

#include "devices/dpi_conversion.h"
#include "editors/custom_light_lists.h"
#include "profiles/program_folders.h"
#include "ui/device_profile.h"
#include "ui/family_name.h"
#include "ui/language_manager.h"
#include "ui/light_control.h"
#include "ui/shoot_control.h"

namespace kestrion {
namespace {

constexpr int kSubPageCount = 3;
constexpr int kFirstTab = 2;

constexpr const char* kSliderName = "DPI_slider_";
constexpr const char* kEditName = "DPI_edit_";
constexpr const char* kEnableName = "DPI_enable_check_";
constexpr const char* kSelectName = "DPI_select_check_";
constexpr const char* kColourName = "DPI_color_option_";
constexpr const char* kSubPageOption = "mouse_device_seting_option_";
constexpr const char* kSubPageSwitch = "mouse_device_seting_switch";
constexpr const char* kPendingMarkName = "device_pending_label";
constexpr const char* kShootPage = "ShootControlItem";

// The key editor's lists whose choice changes the button's code at once.
constexpr const char* kMouseAppliedKeyCombos[] = {
    "keyset_mousekey_combo", "keyset_mouseswing_combo", "keyset_mousewheel_combo", "keyset_mousedpi_combo",
    "keyset_media_combo",    "keyset_system_combo",     "keyset_macro_combo",      "keyset_gunkey_combo",
    "keyset_combokey_combo",
};

// Option buttons "<prefix>0" .. "<prefix>count-1" choosing a setting's position; a stored
// position above `highestShown` shows as option 0.
struct OptionFamily {
    const char* prefix;
    int count;
    int highestShown;
    const char* setting;
};

constexpr OptionFamily kOptionFamilies[] = {
    {"polling_rate_option_", 5, 3, "report-rate"},
    {"Silent_Altitude_option_", 2, 1, "lift-off"},
    {"Linear_Calibration_option_", 2, 1, "linear-calibration"},
    {"Ripple_option_", 2, 1, "ripple"},
};

// A control holding one setting: a list by the chosen item's position or its value (sleep
// minutes), a slider by its value, a check box as 0 or 1.
enum class Holds { Position, ItemValue, Value, Checked };

struct SettingControl {
    const char* name;
    Holds holds;
    const char* setting;
};

constexpr SettingControl kSettingControls[] = {
    {"Anti_Shake_combo_timeSelect", Holds::Position, "debounce"},
    {"ble_sleep1_combo", Holds::ItemValue, "ble-sleep"},
    {"ble_sleep2_combo", Holds::ItemValue, "ble-deep-sleep"},
    {"device_sleep1_combo", Holds::ItemValue, "sleep"},
    {"device_sleep2_combo", Holds::ItemValue, "deep-sleep"},
    {"logo_led_mode_combo", Holds::Position, "logo-light"},
    {"pointer_speed_slider", Holds::Value, "pointer-speed"},
    {"scroll_speed_slider", Holds::Value, "scroll-lines"},
    {"double_click_slider", Holds::Value, "double-click"},
    {"pointer_precision_check", Holds::Checked, "pointer-precision"},
    {"scrolls_page_check", Holds::Checked, "scroll-page"},
};

// The notification each kind of control raises when the user changes it.
const char* changeNotification(Holds holds)
{
    switch (holds) {
    case Holds::Position:
    case Holds::ItemValue:
        return "itemselect";
    case Holds::Value:
        return "valuechanged";
    case Holds::Checked:
        return "selectchanged";
    }
    return "";
}

QString numbered(const char* prefix, int index)
{
    return QString::fromLatin1(prefix) + QString::number(index);
}

QString swatchStyle(const DpiStage& stage)
{
    return QStringLiteral("background-color: %1;").arg(QColor(stage.red, stage.green, stage.blue).name());
}

std::uint16_t storedWord(const MouseSystemStages& system, const char* setting)
{
    const MouseSetting* row = findMouseSetting(setting);
    return row ? system.*row->field : 0;
}

}  // namespace

MouseView::MouseView(CQuellonMouseDevice& mouse, QWidget* parent)
    : DeviceView(mouse, parent),
      m_mouse(mouse),
      m_router(kMouseAppliedKeyCombos, {[this] { applyKeyEdit(); }, [this](bool changed) { markKeysChanged(changed); },
                                        [this] { saveKeys(); }, [this](bool focused) { switchCapture(focused); },
                                        [this](const QString& name) { return routePictureClick(name); }})
{
    connect(&m_mouse, &CQuellonMouseDevice::settingsChanged, this, &MouseView::showSettings);
    connect(&m_mouse, &CQuellonMouseDevice::sensorRead, this, &MouseView::applySliderRanges);
    connect(&m_mouse, &CQuellonMouseDevice::pendingChanged, this, &MouseView::showPending);
    connect(&m_mouse, &CQuellonMouseDevice::keysLoaded, this, &MouseView::reloadKeyEditor);
    connect(&m_mouse, &CQuellonMouseDevice::keysWritten, this, [this] { markKeysChanged(false); });
    connect(&m_mouse, &CQuellonMouseDevice::macrosDidNotFit, this, &MouseView::takeBackEditedKey);
}

MouseView::~MouseView() = default;

void MouseView::initPage()
{
    m_pendingMark = control<QWidget>(QString::fromLatin1(kPendingMarkName));
    bindStageRows();
    bindSubPages();
    bindMouseLightEditor();
    bindProfileSelector();
    openFirstTab();
    bindMacroPage();
    bindKeyEditor();
    loadMacroNames();
    selectSubPage(0);
    bindShootPage();
    applySliderRanges();
    showProfile();
    showPending(m_mouse.settingsPending());
}

void MouseView::bindStageRows()
{
    for (int i = 0; i < CQuellonMouseDevice::kStageRows; ++i) {
        StageRow& row = m_stages[static_cast<std::size_t>(i)];
        row.slider = control<QSlider>(numbered(kSliderName, i));
        row.edit = control<QLineEdit>(numbered(kEditName, i));
        row.enable = control<QAbstractButton>(numbered(kEnableName, i));
        row.select = control<QAbstractButton>(numbered(kSelectName, i));
        row.colour = control<QWidget>(numbered(kColourName, i));
        if (row.edit)
            row.edit->setValidator(new QIntValidator(0, kMaxEditDpi, row.edit));
        if (row.slider)
            connect(row.slider, &QSlider::valueChanged, this, [this, i] { showDpi(i); });
    }
}

void MouseView::bindSubPages()
{
    for (int i = 0; i < kSubPageCount; ++i) {
        if (auto* option = control<QAbstractButton>(numbered(kSubPageOption, i)))
            connect(option, &QAbstractButton::clicked, this, [this, i] { selectSubPage(i); });
    }
}

// The mouse's editor also offers the audio light and the custom lists of its data folder.
void MouseView::bindMouseLightEditor()
{
    bindLightEditor();
    ui::CLightControlUI* editor = lightEditor();
    if (!editor)
        return;
    connect(editor, &ui::CLightControlUI::audioLightChanged, &m_mouse, &CQuellonMouseDevice::applyAudioLight);
    editor->offerAudioLight(true);
    connect(editor, &ui::CLightControlUI::customListsEdited, &m_mouse, &CQuellonMouseDevice::reloadCustomLists);
    if (m_mouse.pageSetup().dataFolder.empty())
        return;
    m_customLists = std::make_unique<CustomLightLists>(m_mouse.lightConfigPath(), m_mouse.modelValue());
    editor->setCustomLists(
        m_customLists.get(), [this](const QString& textId) { return askUser(textId); },
        [this](const QString& textId) { notice(textId); });
    if (language())
        language()->apply(editor);
}

// The mouse page opens on its keys tab; while that tab waits for its editor, on the first shown one.
void MouseView::openFirstTab()
{
    ui::CDeviceProfileUI* selector = profileSelector();
    if (!selector)
        return;
    selector->bindTabs(content());
    const int tab = selector->firstShownTab(kFirstTab);
    selector->SelectTab(tab);
    showFunctionPage(tab);
}

// The shoot page edits the pattern files of the data folder; the mouse writes them from there.
void MouseView::bindShootPage()
{
    ui::CShootControlUI* shoot = shootControl();
    const std::string& folder = m_mouse.pageSetup().dataFolder;
    if (!shoot || folder.empty())
        return;
    shoot->setLanguage(language());
    shoot->setNotifier([this](const QString& textId) { notice(textId); });
    shoot->setFolders(folder, programDataDir());
    connect(shoot, &ui::CShootControlUI::writeRequested, &m_mouse, &CQuellonMouseDevice::writeShootPatterns);
}

ui::CShootControlUI* MouseView::shootControl() const
{
    return control<ui::CShootControlUI>(QString::fromLatin1(kShootPage));
}

void MouseView::showPending(bool pending)
{
    if (m_pendingMark)
        m_pendingMark->setVisible(pending);
}

void MouseView::showProfile()
{
    DeviceView::showProfile();
    if (lightEditor())
        lightEditor()->showAudioLight(m_mouse.audioLightRecord());
    showSettings();
    showKeyList();
}

void MouseView::showSettings()
{
    showSystemSettings();
    showStages();
}

void MouseView::applySliderRanges()
{
    const int highest = m_mouse.highestStep();
    for (StageRow& row : m_stages) {
        if (row.slider && highest >= 0)
            row.slider->setRange(0, highest);
    }
    showStages();
}

void MouseView::showStages()
{
    const std::vector<DpiStage> stages = m_mouse.dpiStages();
    const int current = m_mouse.currentStage();
    for (int i = 0; i < CQuellonMouseDevice::kStageRows; ++i) {
        StageRow& row = m_stages[static_cast<std::size_t>(i)];
        const bool present = i < static_cast<int>(stages.size());
        const DpiStage stage = present ? stages[static_cast<std::size_t>(i)] : DpiStage{};
        if (row.slider) {
            row.slider->setEnabled(present);
            row.slider->setValue(stage.dpiX());
        }
        if (row.edit)
            row.edit->setEnabled(present);
        if (row.select) {
            row.select->setChecked(i == current);
            row.select->setEnabled(present);
        }
        if (row.enable) {
            row.enable->setChecked(stage.active != 0 || i == current);
            row.enable->setEnabled(present && i != current);
        }
        if (row.colour)
            row.colour->setStyleSheet(swatchStyle(stage));
        showDpi(i);
    }
}

void MouseView::showDpi(int stage)
{
    const StageRow& row = m_stages[static_cast<std::size_t>(stage)];
    if (row.edit && row.slider)
        row.edit->setText(QString::number(m_mouse.dpiFromSlider(row.slider->value())));
}

void MouseView::showSystemSettings()
{
    const MouseSystemStages system = m_mouse.systemSettings();
    for (const OptionFamily& family : kOptionFamilies) {
        int position = storedWord(system, family.setting);
        if (position > family.highestShown)
            position = 0;
        if (auto* option = control<QAbstractButton>(numbered(family.prefix, position)))
            option->setChecked(true);
    }
    for (const SettingControl& setting : kSettingControls) {
        const int word = storedWord(system, setting.setting);
        const QString name = QString::fromLatin1(setting.name);
        if (setting.holds == Holds::Value) {
            if (auto* slider = control<QSlider>(name))
                slider->setValue(word);
        } else if (setting.holds == Holds::Checked) {
            if (auto* check = control<QAbstractButton>(name))
                check->setChecked(word != 0);
        } else if (auto* combo = control<QComboBox>(name)) {
            combo->setCurrentIndex(setting.holds == Holds::ItemValue ? combo->findData(word)
                                                                      : (word < combo->count() ? word : -1));
        }
    }
}

bool MouseView::routeNotification(const QString& type, const QString& name, QWidget* control)
{
    return routeStageControl(type, name, control) || routeSettingControl(type, name, control);
}

bool MouseView::routeStageControl(const QString& type, const QString& name, QWidget* control)
{
    const ui::FamilyName family = ui::splitFamilyName(name);
    const int stage = family.index;
    if (type == QLatin1String("selectchanged") && family.prefix == QLatin1String(kSelectName)) {
        if (!m_mouse.selectStage(stage))
            showStages();
        return true;
    }
    if (type == QLatin1String("selectchanged") && family.prefix == QLatin1String(kEnableName)) {
        auto* check = qobject_cast<QAbstractButton*>(control);
        if (!check || !m_mouse.setStageActive(stage, check->isChecked()))
            showStages();
        return true;
    }
    if (type == QLatin1String("valuechanged") && family.prefix == QLatin1String(kSliderName)) {
        auto* slider = qobject_cast<QSlider*>(control);
        if (!slider || !m_mouse.setStageStep(stage, slider->value()))
            showStages();
        return true;
    }
    if ((type == QLatin1String("killfocus") || type == QLatin1String("return"))
        && family.prefix == QLatin1String(kEditName)) {
        applyDpiEdit(stage);
        return true;
    }
    return false;
}

bool MouseView::routeSettingControl(const QString& type, const QString& name, QWidget* control)
{
    if (type == QLatin1String("selectchanged")) {
        const ui::FamilyName family = ui::splitFamilyName(name);
        for (const OptionFamily& options : kOptionFamilies) {
            if (family.prefix == QLatin1String(options.prefix)) {
                if (m_mouse.setSettingWord(options.setting, family.index) != SettingChange::Done)
                    showSystemSettings();
                return true;
            }
        }
    }
    for (const SettingControl& setting : kSettingControls) {
        if (name != QLatin1String(setting.name) || type != QLatin1String(changeNotification(setting.holds)))
            continue;
        int word = -1;
        if (auto* combo = qobject_cast<QComboBox*>(control); combo && combo->currentIndex() >= 0)
            word = setting.holds == Holds::ItemValue ? combo->currentData().toInt() : combo->currentIndex();
        else if (auto* slider = qobject_cast<QSlider*>(control))
            word = slider->value();
        else if (auto* check = qobject_cast<QAbstractButton*>(control))
            word = check->isChecked() ? 1 : 0;
        if (m_mouse.setSettingWord(setting.setting, word) != SettingChange::Done)
            showSystemSettings();
        return true;
    }
    return false;
}

void MouseView::applyDpiEdit(int stage)
{
    if (stage < 0 || stage >= CQuellonMouseDevice::kStageRows)
        return;
    const StageRow& row = m_stages[static_cast<std::size_t>(stage)];
    if (!row.edit || !row.slider)
        return;
    row.slider->setValue(m_mouse.sliderFromDpi(clampEditDpi(row.edit->text().toInt())));
    showDpi(stage);
    if (!m_mouse.setStageStep(stage, row.slider->value()))
        showStages();
}

void MouseView::selectSubPage(int index)
{
    if (index < 0 || index >= kSubPageCount)
        index = 0;
    if (auto* option = control<QAbstractButton>(numbered(kSubPageOption, index)))
        option->setChecked(true);
    if (auto* pages = control<QStackedWidget>(QString::fromLatin1(kSubPageSwitch)))
        pages->setCurrentIndex(index);
}

void MouseView::notice(const QString& textId)
{
    if (m_mouse.host())
        m_mouse.host()->showNotice(textId, std::nullopt);
}

bool MouseView::askUser(const QString& textId)
{
    return m_mouse.host() && m_mouse.host()->ask(textId);
}

}  // namespace kestrion
