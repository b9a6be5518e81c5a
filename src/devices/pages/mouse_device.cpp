#include "devices/pages/mouse_device.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFileDialog>
#include <QIntValidator>
#include <QLineEdit>
#include <QSlider>
#include <QStackedWidget>

#include <algorithm>
#include <climits>
#include <filesystem>

#include "devices/mouse_transfer.h"
#include "editors/macro_control.h"

#include "editors/key_set_control.h"
#include "platform/diagnostics.h"
#include "platform/json_access.h"
#include "profiles/json_file.h"
#include "profiles/program_folders.h"
#include "ui/device_key_button.h"
#include "ui/device_profile.h"
#include "ui/language_manager.h"
#include "ui/light_control.h"
#include "ui/power_display.h"
#include "ui/shoot_control.h"

namespace kestrion {
namespace {

constexpr int kMouseKind = 2;
constexpr int kRereadDelayMs = 50;
constexpr int kSubPageCount = 3;
constexpr int kFirstTab = 2;

constexpr const char* kSliderName = "DPI_slider_";
constexpr const char* kEditName = "DPI_edit_";
constexpr const char* kEnableName = "DPI_enable_check_";
constexpr const char* kSelectName = "DPI_select_check_";
constexpr const char* kColourName = "DPI_color_option_";
constexpr const char* kSubPageOption = "mouse_device_seting_option_";
constexpr const char* kSubPageSwitch = "mouse_device_seting_switch";
constexpr const char* kProfileSelector = "DeviceProfileItem";
constexpr const char* kLightEditor = "LightControlItem";
constexpr int kLightLevels = 4;
constexpr const char* kProfileWriteFailedId = "profile_write_failed_text";
constexpr const char* kLightFileName = "default_light.json";
constexpr const char* kMacroFileName = "macro.config";
constexpr const char* kMacroPageName = "MacroControlItem";
// What had not reached the mouse when the tool last ended, and for which profile.
constexpr const char* kPendingFileName = "pending_write.json";
constexpr const char* kPendingQuestionId = "device_pending_question_text";
constexpr const char* kPendingMarkName = "device_pending_label";
constexpr const char* kLinkFailedTextId = "message_text_7";
constexpr const char* kMacrosTooLargeTextId = "message_text_26";
constexpr const char* kProfileLabel = "device_busy_profile_text";
constexpr const char* kWritingLabel = "device_busy_writing_text";
constexpr const char* kReadingLabel = "device_busy_reading_text";
constexpr const char* kShootLabel = "device_busy_shoot_text";
constexpr const char* kShootPage = "ShootControlItem";
constexpr const char* kShootTooLargeTextId = "shoot_too_large_text";

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

CQuellonMouseDevice::CQuellonMouseDevice(QObject* parent)
    : PagedUSBDevice(parent),
      m_settings(commandChannel(), [this](int message, std::intptr_t wParam, std::intptr_t lParam) {
          runOnUiThread([this, message, wParam, lParam] {
              sendToMainWindow(static_cast<std::uint32_t>(message), wParam, lParam);
          });
      }),
      m_lighting([this] { return commandChannel().isOpen(); })
{
    m_lighting.setFrameListener([this] { runOnUiThread([this] { lightFrameReady(); }); });
    setProperty("controlClass", controlClass());
    setModelValue(1);
}

// The readers and the worker call into this object: they stop before its members go.
CQuellonMouseDevice::~CQuellonMouseDevice()
{
    stopDeviceWork();
    m_lighting.stop();
}

QString CQuellonMouseDevice::controlClass() const
{
    return QStringLiteral("QuellonMouseDevice");
}

void CQuellonMouseDevice::setModelValue(int value)
{
    PagedUSBDevice::setModelValue(value);
    m_record.SetDeviceIndex(0);
}

// Nobody sees the preview while the window is hidden: its thread rests until it shows again.
void CQuellonMouseDevice::setWindowHidden(bool hidden)
{
    PagedUSBDevice::setWindowHidden(hidden);
    m_settings.setPaused(hidden);
    if (hidden)
        m_lighting.stop();
    else if (m_lightingWanted && !m_lighting.isRunning())
        m_lighting.start();
}

void CQuellonMouseDevice::initPage()
{

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
        openFirstTab(*selector);
    }
    bindMacroPage();

    bindKeyEditor();
    fillPageLists();
    selectSubPage(0);
    bindShootPage();
}

// The mouse page opens on its keys tab; while that tab waits for its editor, on the first shown one.
void CQuellonMouseDevice::openFirstTab(ui::CDeviceProfileUI& selector)
{
    selector.bindTabs(page());
    const int tab = selector.firstShownTab(kFirstTab);
    selector.SelectTab(tab);
    showFunctionPage(tab);
}

// Worker.
PagedUSBDevice::UiStep CQuellonMouseDevice::readAllOnWorker()
{
    const bool dataRead = m_settings.readDeviceData() == kCommandOk;
    const DeviceInfoBlock info = m_settings.deviceInfo();
    SettingsPage page{};
    std::uint8_t profile = 0;
    const bool pageRead = m_settings.readSettingsPage(modeCodesForWorker(), page, profile) == kCommandOk;
    return [this, dataRead, info, pageRead, page, profile] {
        m_lighting.stop();
        m_info = info;
        if (dataRead)
            applySliderRanges();
        loadProfile();
        restorePending();
        if (pageRead)
            showReadPage(page, profile);
        else if (commandChannel().isOpen() && !commandChannel().receiverMode())
            showNotice(QString::fromLatin1(kLinkFailedTextId));
        refreshPage();
        loadLightingPreview();
        m_lighting.setFramePeriod(lightFramePeriod());
        m_lightingWanted = true;
        if (!windowHidden())
            m_lighting.start();
    };
}

// Worker.
PagedUSBDevice::UiStep CQuellonMouseDevice::rereadOnWorker()
{
    SettingsPage page{};
    std::uint8_t profile = 0;
    if (m_settings.readSettingsPage(modeCodesForWorker(), page, profile) != kCommandOk)
        return {};
    return [this, page, profile] {
        showReadPage(page, profile);
        refreshPage();
        loadLightingPreview();
    };
}

std::vector<int> CQuellonMouseDevice::modeCodesForWorker()
{
    std::lock_guard lock(m_writeLock);
    return m_modeCodes;
}

// A page read from the mouse goes into the profile, unless the profile holds changes the mouse
// has not received yet: those are written instead.
void CQuellonMouseDevice::showReadPage(const SettingsPage& page, std::uint8_t profile)
{
    // A write queued since the read began carries newer settings than the ones read.
    if (m_writeJobs > 0)
        return;
    if (m_pending != Pending::None && keepPendingAfterRestart(page))
        writePending();
    else
        storeSettingsPage(m_record, page, profile, m_modeCodes);
}

// Changes left pending by an earlier run are offered, unless the mouse has them already; changes
// of this run are written without asking, as the page's mark said they would be.
bool CQuellonMouseDevice::keepPendingAfterRestart(const SettingsPage& page)
{
    if (!m_pendingFromLastRun)
        return true;
    m_pendingFromLastRun = false;
    const SettingsPage wanted = encodeRecordPage(m_record, page[0]);
    const bool sameSettings = wanted == page;
    bool accepted = false;
    if (m_pending == Pending::Profile || !sameSettings) {
        // The question runs an event loop: what other results arrive meanwhile must not write.
        m_questionOpen = true;
        accepted = ask(QString::fromLatin1(kPendingQuestionId));
        m_questionOpen = false;
    }
    if (!accepted)
        showPending(Pending::None);
    return accepted;
}

void CQuellonMouseDevice::restorePending()
{
    if (!m_profiles || m_pending != Pending::None)
        return;
    const Json::Value saved = LoadJsonFile(pageSetup().dataFolder + kPendingFileName);
    if (textOf(memberOf(saved, "profileUUID")) != m_profiles->selectedUuid())
        return;
    const std::string kind = textOf(memberOf(saved, "pending"));
    if (kind != "settings" && kind != "profile")
        return;
    m_pendingFromLastRun = true;
    showPending(kind == "profile" ? Pending::Profile : Pending::Settings);
}

// Kept on disk so that a restart before the mouse is back loses nothing.
void CQuellonMouseDevice::rememberPending()
{
    const std::string& folder = pageSetup().dataFolder;
    if (folder.empty() || !m_profiles)
        return;
    const std::string path = folder + kPendingFileName;
    if (m_pending == Pending::None) {
        std::error_code ignored;
        std::filesystem::remove(path, ignored);
        return;
    }
    Json::Value saved(Json::objectValue);
    saved["pending"] = m_pending == Pending::Profile ? "profile" : "settings";
    saved["profileUUID"] = m_profiles->selectedUuid();
    if (!SaveJsonFile(saved, path))
        debugTrace("pending write mark cannot be kept: " + path);
}

void CQuellonMouseDevice::writePending()
{
    if (m_questionOpen)
        return;
    if (m_pending == Pending::Profile)
        applyProfileToDevice();
    else if (m_pending == Pending::Settings)
        writeSettingsToDevice();
}

void CQuellonMouseDevice::loadLightingPreview()
{
    m_lighting.loadLightingPreview(m_record);
    m_lighting.showAudioFrame(m_audioLight.repaint(m_record.GetAudioLightInfo()));
}

void CQuellonMouseDevice::setKeyColour(int index, std::uint32_t colour)
{
    m_lighting.setKeyColour(index, colour);
}

std::uint32_t CQuellonMouseDevice::getKeyColour(int index) const
{
    return m_lighting.getKeyColour(index);
}

// One snapshot of the preview per frame: the lighting thread's lock is taken once, not per LED.
std::vector<std::uint32_t> CQuellonMouseDevice::previewColours() const
{
    return previewColoursOf(m_lighting.snapshot());
}

void CQuellonMouseDevice::showSyncColour(const std::optional<KeyColour>& colour)
{
    m_lighting.showSyncColour(colour);
}

// Worker.
PagedUSBDevice::UiStep CQuellonMouseDevice::readPowerOnWorker()
{
    PowerRecord power;
    if (m_settings.readPowerStatus(power) != kCommandOk)
        return {};
    return [this, power] {
        m_power = power;
        showPower(m_power.bytes.data(), m_power.bytes.size());
    };
}

// Worker.
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
    m_record.SetLightConfigPath(lightConfigPath());
    m_record.SetLightConfigRow(modelValue());
    if (!folder.empty())
        m_record.LoadLightConfig(lightConfigPath());
    const std::string path = m_profiles->documentPathOf(m_profiles->selectedUuid());
    m_record.SetProfilePath(path);
    m_record.LoadProfile(path);
    reloadKeyEditor();
}

void CQuellonMouseDevice::reloadProfile()
{
    m_record.LoadProfile(m_record.GetDefaultPath());
    m_record.SetProfilePath(m_profiles ? m_profiles->documentPathOf(m_profiles->selectedUuid()) : "");
    m_record.SaveProfile();
    reloadKeyEditor();
    refreshPage();
}

void CQuellonMouseDevice::refreshPage()
{
    if (!page())
        return;
    showSystemSettings(m_record.GetSystemStages());
    showStages();
    if (m_lightEditor) {
        m_lightEditor->showLight(m_record.GetLightInfo());
        m_lightEditor->showAudioLight(m_record.GetAudioLightInfo());
    }
    showKeyList();
}

void CQuellonMouseDevice::bindLightEditor()
{
    m_lightEditor = control<ui::CLightControlUI>(kLightEditor);
    if (!m_lightEditor)
        return;
    m_lightEditor->setDeviceKind(kMouseKind);
    connect(m_lightEditor, &ui::CLightControlUI::lightChanged, this, &CQuellonMouseDevice::applyLight);
    connect(m_lightEditor, &ui::CLightControlUI::audioLightChanged, this, &CQuellonMouseDevice::applyAudioLight);
    m_lightEditor->offerAudioLight(true);
    connect(m_lightEditor, &ui::CLightControlUI::customListsEdited, this, &CQuellonMouseDevice::reloadCustomLists);
    if (pageSetup().dataFolder.empty())
        return;
    m_customLists = std::make_unique<CustomLightLists>(lightConfigPath(), modelValue());
    m_lightEditor->setCustomLists(
        m_customLists.get(), [this](const QString& textId) { return ask(textId); },
        [this](const QString& textId) { showNotice(textId); });
}

std::string CQuellonMouseDevice::lightConfigPath() const
{
    return pageSetup().dataFolder + pageSetup().lightName.toStdString() + ".config";
}

// The preview plays the lists as they now stand on disk.
void CQuellonMouseDevice::reloadCustomLists()
{
    m_record.LoadLightConfig(lightConfigPath());
    loadCustomLightNames();
    loadLightingPreview();
}

// The preview shows the change at once; the write to the mouse follows on its worker.
std::optional<LightInfo> CQuellonMouseDevice::lightRecord()
{
    return m_record.GetLightInfo();
}

void CQuellonMouseDevice::applyLight(const LightInfo& light)
{
    m_record.SetLightInfo(light);
    loadLightingPreview();
    saveRecord();
    writeSettingsToDevice();
}

// The device keeps no audio light of its own: the record and the preview take it.
void CQuellonMouseDevice::applyAudioLight(const AudioLightInfo& light)
{
    m_record.SetAudioLightInfo(light);
    saveRecord();
    m_lighting.showAudioFrame(m_audioLight.repaint(light));
}

void CQuellonMouseDevice::showAudioLevels(const audio::Bands& bands, const audio::Loudness& loudness)
{
    const AudioLightInfo record = m_record.GetAudioLightInfo();
    const std::optional<LightFrame> frame = m_audioLight.paint(record, bands, loudness);
    if (frame)
        m_lighting.showAudioFrame(frame);
}

void CQuellonMouseDevice::setStageColour(int stage, std::uint8_t red, std::uint8_t green, std::uint8_t blue)
{
    std::vector<DpiStage> stages = m_record.GetDpiStages();
    if (stage < 0 || stage >= static_cast<int>(stages.size()))
        return;
    stages[stage].red = red;
    stages[stage].green = green;
    stages[stage].blue = blue;
    m_record.SetDpiStages(stages);
    saveRecord();
    writeSettingsToDevice();
    showStages();
}

// A change the profile file did not take is told: the user would lose it at the next start.
void CQuellonMouseDevice::saveRecord()
{
    if (!m_record.SaveProfile())
        showNotice(QString::fromLatin1(kProfileWriteFailedId));
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
    applyProfileToDevice();
}

void CQuellonMouseDevice::applyProfileToDevice()
{
    stageSettingsForWrite();
    const std::vector<KeyEntry> keys = m_record.GetKeyList();
    const unsigned generation = m_writeGeneration;
    runJob(kProfileLabel, [this, keys, generation]() -> UiStep {
        const ProfileWrite result = writeProfileOnWorker(keys);
        return [this, result, generation] {
            if (writeFinished(generation))
                profileWritten(result);
        };
    });
    writeQueued(Pending::Profile);
}

// The record's settings as the next write sends them; a write still queued sends them too.
void CQuellonMouseDevice::stageSettingsForWrite()
{
    const SettingsPage bytes = encodeRecordPage(m_record, 0);
    std::lock_guard lock(m_writeLock);
    m_settingsToWrite = bytes;
}

// Worker.
SettingsPage CQuellonMouseDevice::stagedSettings()
{
    std::lock_guard lock(m_writeLock);
    return m_settingsToWrite;
}

void CQuellonMouseDevice::writeQueued(Pending kind)
{
    ++m_writeJobs;
    m_queuedWrite = std::max(m_queuedWrite, kind);
}

// False for the result of a write that was given up when the links closed.
bool CQuellonMouseDevice::writeFinished(unsigned generation)
{
    if (generation != m_writeGeneration)
        return false;
    if (--m_writeJobs == 0)
        m_queuedWrite = Pending::None;
    return true;
}

// Writes that were queued or running when the links closed (unplugged, or the tool ends) did not
// reach the mouse: they wait for it like a failed one, on disk too.
void CQuellonMouseDevice::queuedWorkDropped()
{
    if (m_writeJobs == 0)
        return;
    const Pending dropped = std::max(m_pending, m_queuedWrite);
    m_writeJobs = 0;
    m_queuedWrite = Pending::None;
    ++m_writeGeneration;
    showPending(dropped);
}

// Worker. Keys refer to macros by their place in the list written just before them; keys whose
// macros did not fit are not written at all.
CQuellonMouseDevice::ProfileWrite CQuellonMouseDevice::writeProfileOnWorker(const std::vector<KeyEntry>& keys)
{
    MouseTransfer transfer(commandChannel(), m_settings, pageSetup().dataFolder);
    ProfileWrite result;
    result.macros = transfer.writeMacros(transfer.macroAssignments(keys));
    if (result.macros <= kEventsWritten)
        result.keys = transfer.writeKeys(0, keys);
    result.settings = m_settings.writeSettingsPage(stagedSettings(), 0);
    return result;
}

void CQuellonMouseDevice::writeSettingsToDevice()
{
    stageSettingsForWrite();
    queueSettingsWrite();
}

SettingChange CQuellonMouseDevice::setSetting(std::string_view name, int value)
{
    const MouseSetting* row = findMouseSetting(name);
    if (!row)
        return SettingChange::UnknownName;
    const std::optional<std::uint16_t> word = settingWord(*row, value);
    if (!word)
        return SettingChange::ValueRefused;
    MouseSystemStages system = m_record.GetSystemStages();
    system.*row->field = *word;
    m_record.SetSystemStages(system);
    saveRecord();
    showSystemSettings(system);
    writeSettingsToDevice();
    if (row->restartsKeepAlive)
        armSelectorTimer(kTimerKeepAlive, kKeepAliveRestartMs, true);
    return SettingChange::Done;
}

std::optional<int> CQuellonMouseDevice::setting(std::string_view name)
{
    const MouseSetting* row = findMouseSetting(name);
    return row ? settingValue(*row, m_record.GetSystemStages().*row->field) : std::nullopt;
}

std::optional<std::pair<int, int>> CQuellonMouseDevice::dpiRange() const
{
    const int maximum = sliderMaximum(m_info.sensorInfo());
    if (maximum < 0)
        return std::nullopt;
    return std::pair{dpiFromSlider(0), dpiFromSlider(maximum)};
}

bool CQuellonMouseDevice::setDpiStage(int stage, int dpi)
{
    std::vector<DpiStage> stages = m_record.GetDpiStages();
    const std::optional<std::pair<int, int>> range = dpiRange();
    if (stage < 0 || stage >= kStageRows || stage >= static_cast<int>(stages.size()) || !range || dpi < range->first
        || dpi > range->second)
        return false;
    DpiStage& changed = stages[static_cast<std::size_t>(stage)];
    changed.setDpiX(static_cast<std::uint16_t>(sliderFromDpi(dpi)));
    if (!changed.separateXY)
        changed.setDpiY(changed.dpiX());
    m_record.SetDpiStages(stages);
    saveRecord();
    showStages();
    writeSettingsToDevice();
    return true;
}

bool CQuellonMouseDevice::showGameLight(int field, int value)
{
    const LightInfo normal = m_record.GetLightInfo();
    LightInfo game = normal;
    if (field == 0 && value >= 0 && value < static_cast<int>(m_modeCodes.size())) {
        game.mode = static_cast<std::uint8_t>(value);
    } else if (field == 1 && value >= 0 && value <= 0xFFFFFF) {
        game.red = static_cast<std::uint8_t>(value >> 16);
        game.green = static_cast<std::uint8_t>(value >> 8);
        game.blue = static_cast<std::uint8_t>(value);
    } else if (field == 2 && value >= 0 && value <= 0xFF) {
        game.brightness = static_cast<std::uint8_t>(value);
    } else {
        return false;
    }
    m_record.SetLightInfo(game);
    stageSettingsForWrite();
    m_record.SetLightInfo(normal);
    queueSettingsWrite();
    return true;
}

void CQuellonMouseDevice::queueSettingsWrite()
{
    const bool behindReceiver = commandChannel().receiverMode();
    const unsigned generation = m_writeGeneration;
    const bool queued = runJob(kWritingLabel, [this, behindReceiver, generation]() -> UiStep {
        const int result = m_settings.writeSettingsPage(stagedSettings(), 0);
        return [this, result, behindReceiver, generation] {
            if (writeFinished(generation))
                settingsWritten(result, behindReceiver);
        };
    }, "settings-write");
    // Counted once: a write still waiting in the queue takes these settings with it.
    if (queued)
        writeQueued(Pending::Settings);
}

void CQuellonMouseDevice::linkRestored()
{
    writePending();
}

// A mouse the receiver cannot reach is a normal state (switched off, asleep): the pending mark
// says enough. A failure on the cable is told.
void CQuellonMouseDevice::settingsWritten(int result, bool behindReceiver)
{
    const bool written = result == kCommandOk;
    if (!written && !behindReceiver && commandChannel().isOpen())
        showNotice(QString::fromLatin1(kLinkFailedTextId));
    if (m_pending != Pending::Profile)
        showPending(written ? Pending::None : Pending::Settings);
}

// A profile is one choice of the user's: whatever of it failed is told, and it stays pending whole.
void CQuellonMouseDevice::profileWritten(const ProfileWrite& result)
{
    const bool linkFailed = result.macros == kEventsLinkFailed || result.keys != kCommandOk
        || result.settings != kCommandOk;
    if (result.macros > kEventsWritten)
        showNotice(QString::fromLatin1(kMacrosTooLargeTextId), result.macros);
    else if (linkFailed)
        showNotice(QString::fromLatin1(kLinkFailedTextId));
    showPending(linkFailed ? Pending::Profile : Pending::None);
}

void CQuellonMouseDevice::showPending(Pending pending)
{
    const bool changed = pending != m_pending;
    m_pending = pending;
    if (m_pendingMark)
        m_pendingMark->setVisible(pending != Pending::None);
    if (changed)
        rememberPending();
}

void CQuellonMouseDevice::writeDeviceInfoAndStart()
{
    runJob(kWritingLabel, [this]() -> UiStep {
        commandChannel().setSuspended(false);
        const int result = m_settings.writeInitialisedMarker();
        return [this, result] {
            if (result == kCommandOk)
                armSelectorTimer(kTimerFirstRead, kFirstReadDelayMs, true);
            else
                showNotice(QString::fromLatin1(kLinkFailedTextId));
        };
    });
}

void CQuellonMouseDevice::fillPageLists()
{
    loadMacroNames();
    loadLightModes();
    loadCustomLightNames();
}

int CQuellonMouseDevice::dpiFromSlider(int slider) const
{
    return kestrion::dpiFromSlider(m_info.sensorInfo(), slider);
}

int CQuellonMouseDevice::sliderFromDpi(int dpi) const
{
    return kestrion::sliderFromDpi(m_info.sensorInfo(), dpi);
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
        if (commandChannel().isOpen()) {
            keepNotifiedPage(notification);
            m_record.SetCurrentStage(notification.stage);
            refreshPage();
        }
        break;
    case Kind::ProfileChanged:
        if (commandChannel().isOpen()) {
            keepNotifiedPage(notification);
            refreshPage();
        }
        break;
    default:
        break;
    }
}

// The worker's page image follows the mouse's own changes, in turn with its exchanges.
void CQuellonMouseDevice::keepNotifiedPage(const MouseNotification& notification)
{
    runJob(kReadingLabel, [this, notification]() -> UiStep {
        m_settings.applyNotification(notification);
        return {};
    });
}

void CQuellonMouseDevice::bindControls()
{
    m_pendingMark = control<QWidget>(kPendingMarkName);
    bindLightEditor();
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
    const int maximum = sliderMaximum(m_info.sensorInfo());
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
        std::vector<int> codes;
        for (const Json::Value& mode : *modes) {
            m_modeVisible.push_back(truthOf(memberOf(mode, "visible")));
            const auto code = integerWithin(memberOf(mode, "value"), INT_MIN, INT_MAX);
            codes.push_back(static_cast<int>(code.value_or(0)));
        }
        // The worker reads them too, when it keeps its page image.
        std::lock_guard lock(m_writeLock);
        m_modeCodes = std::move(codes);
    }
    if (const Json::Value* areas = listAt(document, "AreaLightName", modelValue()))
        m_areaNames = lightNamesOf(*areas);
    if (m_lightEditor) {
        m_lightEditor->fillModes(m_modeNames, m_modeVisible, kLightLevels, kLightLevels);
        if (language())
            language()->apply(m_lightEditor);
    }
}

void CQuellonMouseDevice::loadCustomLightNames()
{
    const std::string& folder = pageSetup().dataFolder;
    if (folder.empty())
        return;
    const Json::Value document = LoadJsonFile(lightConfigPath());
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
    if (m_keyEditor)
        m_keyEditor->fillMacroList(m_macroNames);
}

void CQuellonMouseDevice::bindMacroPage()
{
    auto* root = control<QWidget>(kMacroPageName);
    const std::string& folder = pageSetup().dataFolder;
    if (!root || folder.empty())
        return;
    MacroPageHooks hooks;
    hooks.ask = [this](const QString& textId) { return ask(textId); };
    hooks.notice = [this](const QString& textId) { showNotice(textId); };
    hooks.macroInUse = [this](int index) { return MacroLibrary::keysPlayMacro(m_record.GetKeyList(), index); };
    hooks.chooseFile = [this](bool save) { return chooseMacroFile(save); };
    m_macroPage = new CMacroControlUI(*root, folder, language(), std::move(hooks));
    connect(m_macroPage, &CMacroControlUI::libraryChanged, this, [this] {
        loadMacroNames();
        showKeyList();
    });
    connect(m_macroPage, &CMacroControlUI::macroRemoved, this, &CQuellonMouseDevice::followRemovedMacro);
    connect(m_macroPage, &CMacroControlUI::deviceWriteWanted, this, &CQuellonMouseDevice::saveKeysToDevice);
}

// The library renumbered the keys of the profile files; the record in memory and the mouse follow.
void CQuellonMouseDevice::followRemovedMacro(int index)
{
    std::vector<KeyEntry> keys = m_record.GetKeyList();
    if (!MacroLibrary::renumberKeys(keys, index))
        return;
    m_record.SetKeyList(keys);
    reloadKeyEditor();
    saveKeysToDevice();
}

QString CQuellonMouseDevice::chooseMacroFile(bool save)
{
    const QString filter = QStringLiteral("Macro Files(*.mac)");
    return save ? QFileDialog::getSaveFileName(page(), QString(), QString(), filter)
                : QFileDialog::getOpenFileName(page(), QString(), QString(), filter);
}

template <typename T>
T* CQuellonMouseDevice::control(const QString& name) const
{
    return page() ? page()->findChild<T*>(name) : nullptr;
}

// The shoot page edits the pattern files of the data folder; writing them reads them from there.
void CQuellonMouseDevice::bindShootPage()
{
    ui::CShootControlUI* shoot = shootControl();
    const std::string& folder = pageSetup().dataFolder;
    if (!shoot || folder.empty())
        return;
    shoot->setLanguage(language());
    shoot->setNotifier([this](const QString& textId) { showNotice(textId); });
    shoot->setFolders(folder, programDataDir());
    connect(shoot, &ui::CShootControlUI::writeRequested, this, &CQuellonMouseDevice::writeShootPatterns);
}

ui::CShootControlUI* CQuellonMouseDevice::shootControl() const
{
    return control<ui::CShootControlUI>(kShootPage);
}

void CQuellonMouseDevice::writeShootPatterns()
{
    runJob(kShootLabel, [this]() -> UiStep {
        MouseTransfer transfer(commandChannel(), m_settings, pageSetup().dataFolder);
        const int result = transfer.writeShoot();
        return [this, result] { shootWritten(result); };
    });
}

void CQuellonMouseDevice::shootWritten(int result)
{
    if (result > kEventsWritten)
        showNotice(QString::fromLatin1(kShootTooLargeTextId), result);
    else if (result == kEventsLinkFailed)
        showNotice(QString::fromLatin1(kLinkFailedTextId));
}

}  // namespace kestrion
