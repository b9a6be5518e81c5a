#include "devices/pages/mouse_device.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QIntValidator>
#include <QLineEdit>
#include <QSlider>
#include <QStackedWidget>

#include <algorithm>
#include <climits>

#include "platform/diagnostics.h"
#include "profiles/json_file.h"
#include "profiles/program_folders.h"
#include "ui/device_profile.h"
#include "ui/power_display.h"

namespace kestrion {
namespace {

constexpr int kMouseKind = 2;
constexpr int kRereadDelayMs = 50;
constexpr int kFirstReadDelayMs = 500;
constexpr int kSubPageCount = 3;

constexpr const char* kSliderName = "DPI_slider_";
constexpr const char* kEditName = "DPI_edit_";
constexpr const char* kEnableName = "DPI_enable_check_";
constexpr const char* kSelectName = "DPI_select_check_";
constexpr const char* kColourName = "DPI_color_option_";
constexpr const char* kSubPageOption = "mouse_device_seting_option_";
constexpr const char* kSubPageSwitch = "mouse_device_seting_switch";
constexpr const char* kProfileSelector = "DeviceProfileItem";
constexpr const char* kLightFileName = "default_light.json";
constexpr const char* kMacroFileName = "macro.config";

// Option buttons "<prefix>0" .. "<prefix>count-1" showing one system word; a value above
// `highestShown` shows as option 0.
struct OptionFamily {
    const char* prefix;
    int count;
    int highestShown;
    std::uint16_t MouseSystemStages::*field;
};

constexpr OptionFamily kOptionFamilies[] = {
    {"polling_rate_option_", 5, 3, &MouseSystemStages::reportRate},
    {"Silent_Altitude_option_", 2, 1, &MouseSystemStages::silentAltitude},
    {"Linear_Calibration_option_", 2, 1, &MouseSystemStages::linearCalibration},
    {"Ripple_option_", 2, 1, &MouseSystemStages::ripple},
};

// Combos showing one system word, as the selected item's index or its value (sleep minutes).
struct ComboSetting {
    const char* name;
    bool byItemValue;
    std::uint16_t MouseSystemStages::*field;
};

constexpr ComboSetting kComboSettings[] = {
    {"Anti_Shake_combo_timeSelect", false, &MouseSystemStages::keyDebounceTime},
    {"ble_sleep1_combo", true, &MouseSystemStages::bleSleep1},
    {"ble_sleep2_combo", true, &MouseSystemStages::bleSleep2},
    {"device_sleep1_combo", true, &MouseSystemStages::deviceSleep1},
    {"device_sleep2_combo", true, &MouseSystemStages::deviceSleep2},
    {"logo_led_mode_combo", false, &MouseSystemStages::logoLedMode},
};

// The desktop-pointer values the profile keeps (the desktop's own settings are left alone):
// sliders by value, check boxes as 0 or 1.
struct ControlSetting {
    const char* name;
    std::uint16_t MouseSystemStages::*field;
};

constexpr ControlSetting kSliderSettings[] = {
    {"pointer_speed_slider", &MouseSystemStages::mouseSpeed},
    {"scroll_speed_slider", &MouseSystemStages::wheelScrollLines},
    {"double_click_slider", &MouseSystemStages::doubleClickTime},
};

constexpr ControlSetting kCheckSettings[] = {
    {"pointer_precision_check", &MouseSystemStages::pointerPrecision},
    {"scrolls_page_check", &MouseSystemStages::scrollPage},
};

QString numbered(const char* prefix, int index)
{
    return QString::fromLatin1(prefix) + QString::number(index);
}

QString swatchStyle(const DpiStage& stage)
{
    return QStringLiteral("background-color: %1;").arg(QColor(stage.red, stage.green, stage.blue).name());
}

std::vector<QString> lightNamesOf(const Json::Value& entries)
{
    std::vector<QString> names;
    for (const std::string& name : textMembersOf(entries, "LightName"))
        names.push_back(QString::fromStdString(name));
    return names;
}

// The element `index` of member `name` when it is an array, else null.
const Json::Value* listAt(const Json::Value& document, const char* name, int index)
{
    if (!document.isObject() || !document[name].isArray() || index < 0
        || index >= static_cast<int>(document[name].size()))
        return nullptr;
    const Json::Value& element = document[name][index];
    return element.isArray() ? &element : nullptr;
}

}  // namespace

CQuellonMouseDevice::CQuellonMouseDevice(QWidget* parent)
    : CQuellonUSBDevice(parent),
      m_settings(commandChannel(), [this](int message, std::intptr_t wParam, std::intptr_t lParam) {
          sendToMainWindow(static_cast<std::uint32_t>(message), wParam, lParam);
      }),
      m_lighting([this] { return commandChannel().isOpen(); })
{
    setProperty("controlClass", controlClass());
    setModelValue(1);
}

// The readers call into this object: they stop before its members go.
CQuellonMouseDevice::~CQuellonMouseDevice()
{
    closeLinks();
    m_lighting.stop();
}

QString CQuellonMouseDevice::controlClass() const
{
    return QStringLiteral("QuellonMouseDevice");
}

void CQuellonMouseDevice::setModelValue(int value)
{
    CQuellonUSBDevice::setModelValue(value);
    m_record.SetDeviceIndex(0);
}

// Nobody sees the preview while the window is hidden: its thread rests until it shows again.
void CQuellonMouseDevice::setWindowHidden(bool hidden)
{
    CQuellonUSBDevice::setWindowHidden(hidden);
    m_settings.setPaused(hidden);
    if (hidden)
        m_lighting.stop();
    else if (m_lightingWanted && !m_lighting.isRunning())
        m_lighting.start();
}

void CQuellonMouseDevice::initPage()
{
    CQuellonUSBDevice::initPage();
    if (!page())
        return;
    bindControls();
    // The profile list stands behind the page whether or not the skin shows its selector.
    const std::string& folder = pageSetup().dataFolder;
    if (!folder.empty()) {
        m_profiles = std::make_unique<ProfileListStore>(kMouseKind, folder, defaultDocumentPath(kMouseKind));
        m_profiles->init();
    }
    if (ui::CDeviceProfileUI* selector = profileSelector()) {
        selector->setStore(m_profiles.get());
        selector->InitProfileList();
        connect(selector, &ui::CDeviceProfileUI::profileChanged, this, &CQuellonMouseDevice::applySelectedProfile);
        showFunctionPage(2);
    }
    fillPageLists();
    selectSubPage(0);
}

void CQuellonMouseDevice::readAll()
{
    m_lighting.stop();
    if (m_settings.readDeviceData() == kCommandOk)
        applySliderRanges();
    loadProfile();
    int activeProfile = 0;
    m_settings.readSettingsPage(m_record, m_modeCodes, activeProfile);
    refreshPage();
    loadLightingPreview();
    m_lightingWanted = true;
    if (!windowHidden())
        m_lighting.start();
}

void CQuellonMouseDevice::rereadSettings()
{
    int activeProfile = 0;
    m_settings.readSettingsPage(m_record, m_modeCodes, activeProfile);
    refreshPage();
    loadLightingPreview();
}

void CQuellonMouseDevice::loadLightingPreview()
{
    m_lighting.loadLightingPreview(m_record);
}

void CQuellonMouseDevice::setKeyColour(int index, std::uint32_t colour)
{
    m_lighting.setKeyColour(index, colour);
}

std::uint32_t CQuellonMouseDevice::getKeyColour(int index) const
{
    return m_lighting.getKeyColour(index);
}

void CQuellonMouseDevice::readPowerStatus()
{
    if (m_settings.readPowerStatus(m_power) == kCommandOk && powerControl())
        powerControl()->showPowerRecord(m_power.bytes);
}

bool CQuellonMouseDevice::isLinkAlive()
{
    CommandChannel& channel = commandChannel();
    return channel.receiverMode() && channel.isOpen() && channel.queryReceiverLink();
}

int CQuellonMouseDevice::keepAliveMinutes()
{
    const MouseSystemStages system = m_record.GetSystemStages();
    return std::min(system.deviceSleep1, system.deviceSleep2);
}

void CQuellonMouseDevice::loadProfile()
{
    if (!m_profiles)
        return;
    const std::string& folder = pageSetup().dataFolder;
    m_record.SetDefaultPath(defaultDocumentPath(kMouseKind));
    m_record.SetLightConfigPath(folder + pageSetup().lightName.toStdString() + ".config");
    const std::string path = m_profiles->documentPathOf(m_profiles->selectedUuid());
    m_record.SetProfilePath(path);
    m_record.LoadProfile(path);
}

void CQuellonMouseDevice::reloadProfile()
{
    m_record.LoadProfile(m_record.GetDefaultPath());
    m_record.SetProfilePath(m_profiles ? m_profiles->documentPathOf(m_profiles->selectedUuid()) : "");
    m_record.SaveProfile();
    refreshPage();
}

void CQuellonMouseDevice::refreshPage()
{
    if (!page())
        return;
    showSystemSettings(m_record.GetSystemStages());
    showStages();
}

void CQuellonMouseDevice::collectPage()
{
    MouseSystemStages system = m_record.GetSystemStages();
    collectSystemSettings(system);
    m_record.SetSystemStages(system);
    collectStages();
}

ui::CDeviceProfileUI* CQuellonMouseDevice::profileSelector() const
{
    return control<ui::CDeviceProfileUI>(kProfileSelector);
}

void CQuellonMouseDevice::applySelectedProfile()
{
    loadProfile();
    refreshPage();
    loadLightingPreview();
    writeSettingsPage(0, 0);
}

int CQuellonMouseDevice::writeSettingsPage(int page, std::uint8_t byte0)
{
    return m_settings.writeSettingsPage(m_record, page, byte0);
}

int CQuellonMouseDevice::writeDeviceInfoAndStart()
{
    commandChannel().setSuspended(false);
    const int result = m_settings.writeInitialisedMarker();
    if (result == kCommandOk)
        armSelectorTimer(kTimerFirstRead, kFirstReadDelayMs, true);
    return result;
}

void CQuellonMouseDevice::fillPageLists()
{
    loadMacroNames();
    loadLightModes();
    loadCustomLightNames();
}

int CQuellonMouseDevice::dpiFromSlider(int slider) const
{
    return kestrion::dpiFromSlider(m_settings.deviceInfo().sensorInfo(), slider);
}

int CQuellonMouseDevice::sliderFromDpi(int dpi) const
{
    return kestrion::sliderFromDpi(m_settings.deviceInfo().sensorInfo(), dpi);
}

void CQuellonMouseDevice::selectStage(int stage)
{
    if (stage < 0 || stage >= kStageRows)
        return;
    for (int i = 0; i < kStageRows; ++i) {
        StageRow& row = m_stages[i];
        if (row.select)
            row.select->setChecked(i == stage);
        if (row.enable) {
            if (i == stage)
                row.enable->setChecked(true);
            row.enable->setEnabled(i != stage && row.slider && row.slider->isEnabled());
        }
    }
}

void CQuellonMouseDevice::applyDpiEdit(int stage)
{
    if (stage < 0 || stage >= kStageRows || !m_stages[stage].edit || !m_stages[stage].slider)
        return;
    const int dpi = clampEditDpi(m_stages[stage].edit->text().toInt());
    m_stages[stage].slider->setValue(sliderFromDpi(dpi));
    showDpi(stage);
}

void CQuellonMouseDevice::handleNotification(LinkKind link, const std::uint8_t* report, std::size_t length)
{
    debugTrace("接收到自动添加设备的同步信息要求  TEST");
    const MouseNotification notification = decodeNotification(notificationCode(report, length));
    if (notification.kind == MouseNotification::Kind::Ignored)
        return;
    if (notification.kind == MouseNotification::Kind::ButtonFlash) {
        if (link == LinkKind::Wired)
            m_lighting.triggerReactive();
        return;
    }
    runOnUiThread([this, notification] { applyNotification(notification); });
}

void CQuellonMouseDevice::applyNotification(const MouseNotification& notification)
{
    using Kind = MouseNotification::Kind;
    switch (notification.kind) {
    case Kind::Synchronise:
        debugTrace("接收到自动添加设备的同步信息要求");
        armSelectorTimer(kTimerReread, kRereadDelayMs, true);
        break;
    case Kind::ProfileAndStageChanged:
        if (m_settings.applyNotification(notification)) {
            m_record.SetCurrentStage(notification.stage);
            refreshPage();
        }
        break;
    case Kind::ProfileChanged:
        if (m_settings.applyNotification(notification))
            refreshPage();
        break;
    default:
        break;
    }
}

void CQuellonMouseDevice::bindControls()
{
    for (int i = 0; i < kStageRows; ++i) {
        StageRow& row = m_stages[i];
        row.slider = control<QSlider>(numbered(kSliderName, i));
        row.edit = control<QLineEdit>(numbered(kEditName, i));
        row.enable = control<QAbstractButton>(numbered(kEnableName, i));
        row.select = control<QAbstractButton>(numbered(kSelectName, i));
        row.colour = control<QWidget>(numbered(kColourName, i));
        if (row.edit) {
            row.edit->setValidator(new QIntValidator(0, kMaxEditDpi, row.edit));
            connect(row.edit, &QLineEdit::editingFinished, this, [this, i] { applyDpiEdit(i); });
        }
        if (row.slider)
            connect(row.slider, &QSlider::valueChanged, this, [this, i] { showDpi(i); });
    }
    for (int i = 0; i < kSubPageCount; ++i) {
        if (auto* option = control<QAbstractButton>(numbered(kSubPageOption, i)))
            connect(option, &QAbstractButton::clicked, this, [this, i] { selectSubPage(i); });
    }
}

void CQuellonMouseDevice::applySliderRanges()
{
    const int maximum = sliderMaximum(m_settings.deviceInfo().sensorInfo());
    for (StageRow& row : m_stages) {
        if (row.slider && maximum >= 0)
            row.slider->setRange(0, maximum);
    }
}

void CQuellonMouseDevice::showStages()
{
    const std::vector<DpiStage> stages = m_record.GetDpiStages();
    const int current = m_record.GetCurrentStage();
    for (int i = 0; i < kStageRows; ++i) {
        StageRow& row = m_stages[i];
        const bool present = i < static_cast<int>(stages.size());
        const DpiStage stage = present ? stages[i] : DpiStage{};
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

void CQuellonMouseDevice::showDpi(int stage)
{
    const StageRow& row = m_stages[stage];
    if (row.edit && row.slider)
        row.edit->setText(QString::number(dpiFromSlider(row.slider->value())));
}

void CQuellonMouseDevice::showSystemSettings(const MouseSystemStages& system)
{
    for (const OptionFamily& family : kOptionFamilies) {
        int value = system.*family.field;
        if (value > family.highestShown)
            value = 0;
        if (auto* option = control<QAbstractButton>(numbered(family.prefix, value)))
            option->setChecked(true);
    }
    for (const ComboSetting& setting : kComboSettings) {
        auto* combo = control<QComboBox>(setting.name);
        if (!combo)
            continue;
        const int value = system.*setting.field;
        combo->setCurrentIndex(setting.byItemValue ? combo->findData(value) : (value < combo->count() ? value : -1));
    }
    for (const ControlSetting& setting : kSliderSettings) {
        if (auto* slider = control<QSlider>(setting.name))
            slider->setValue(system.*setting.field);
    }
    for (const ControlSetting& setting : kCheckSettings) {
        if (auto* check = control<QAbstractButton>(setting.name))
            check->setChecked(system.*setting.field != 0);
    }
}

void CQuellonMouseDevice::collectStages()
{
    std::vector<DpiStage> stages = m_record.GetDpiStages();
    for (int i = 0; i < kStageRows && i < static_cast<int>(stages.size()); ++i) {
        const StageRow& row = m_stages[i];
        DpiStage& stage = stages[i];
        if (row.slider) {
            stage.setDpiX(static_cast<std::uint16_t>(row.slider->value()));
            if (!stage.separateXY)
                stage.setDpiY(stage.dpiX());
        }
        if (row.select && row.select->isChecked())
            m_record.SetCurrentStage(i);
        if (row.enable)
            stage.active = row.enable->isChecked() ? 1 : 0;
    }
    m_record.SetDpiStages(stages);
}

void CQuellonMouseDevice::collectSystemSettings(MouseSystemStages& system)
{
    for (const OptionFamily& family : kOptionFamilies) {
        for (int i = 0; i < family.count; ++i) {
            auto* option = control<QAbstractButton>(numbered(family.prefix, i));
            if (option && option->isChecked())
                system.*family.field = static_cast<std::uint16_t>(i);
        }
    }
    for (const ComboSetting& setting : kComboSettings) {
        auto* combo = control<QComboBox>(setting.name);
        if (!combo || combo->currentIndex() < 0)
            continue;
        const int value = setting.byItemValue ? combo->currentData().toInt() : combo->currentIndex();
        system.*setting.field = static_cast<std::uint16_t>(value);
    }
    for (const ControlSetting& setting : kSliderSettings) {
        if (auto* slider = control<QSlider>(setting.name))
            system.*setting.field = static_cast<std::uint16_t>(slider->value());
    }
    for (const ControlSetting& setting : kCheckSettings) {
        if (auto* check = control<QAbstractButton>(setting.name))
            system.*setting.field = check->isChecked() ? 1 : 0;
    }
}

void CQuellonMouseDevice::selectSubPage(int index)
{
    if (index < 0 || index >= kSubPageCount)
        index = 0;
    if (auto* option = control<QAbstractButton>(numbered(kSubPageOption, index)))
        option->setChecked(true);
    if (auto* pages = control<QStackedWidget>(kSubPageSwitch))
        pages->setCurrentIndex(index);
}

void CQuellonMouseDevice::loadLightModes()
{
    const Json::Value document = LoadJsonFile(programDataDir() + "/" + kLightFileName);
    if (const Json::Value* modes = listAt(document, "DefaultLightName", modelValue())) {
        m_modeNames = lightNamesOf(*modes);
        m_modeVisible.clear();
        m_modeCodes.clear();
        for (const Json::Value& mode : *modes) {
            m_modeVisible.push_back(truthOf(memberOf(mode, "visible")));
            const auto code = integerWithin(memberOf(mode, "value"), INT_MIN, INT_MAX);
            m_modeCodes.push_back(static_cast<int>(code.value_or(0)));
        }
    }
    if (const Json::Value* areas = listAt(document, "AreaLightName", modelValue()))
        m_areaNames = lightNamesOf(*areas);
}

void CQuellonMouseDevice::loadCustomLightNames()
{
    const std::string& folder = pageSetup().dataFolder;
    if (folder.empty())
        return;
    const Json::Value document = LoadJsonFile(folder + pageSetup().lightName.toStdString() + ".config");
    if (const Json::Value* lights = listAt(document, "LightInfo", modelValue()))
        m_customLightNames = lightNamesOf(*lights);
}

void CQuellonMouseDevice::loadMacroNames()
{
    m_macroNames.clear();
    const std::string& folder = pageSetup().dataFolder;
    if (folder.empty())
        return;
    const Json::Value document = LoadJsonFile(folder + kMacroFileName);
    for (const std::string& name : textMembersOf(memberOf(document, "MacroInfo"), "MacroName"))
        m_macroNames.push_back(QString::fromStdString(name));
}

template <typename T>
T* CQuellonMouseDevice::control(const QString& name) const
{
    return page() ? page()->findChild<T*>(name) : nullptr;
}

}  // namespace kestrion
