#include "devices/mouse_device.h"

#include <QVariant>

#include <algorithm>
#include <filesystem>

#include "devices/mouse_transfer.h"
#include "platform/diagnostics.h"
#include "platform/json_access.h"
#include "profiles/json_file.h"
#include "profiles/program_folders.h"

namespace kestrion {
namespace {

constexpr int kMouseKind = 2;
constexpr int kRereadDelayMs = 50;

// What had not reached the mouse when the tool last ended, and for which profile.
constexpr const char* kPendingFileName = "pending_write.json";
constexpr const char* kPendingQuestionId = "device_pending_question_text";
constexpr const char* kLinkFailedTextId = "message_text_7";
constexpr const char* kMacrosTooLargeTextId = "message_text_26";
constexpr const char* kProfileLabel = "device_busy_profile_text";
constexpr const char* kWritingLabel = "device_busy_writing_text";
constexpr const char* kReadingLabel = "device_busy_reading_text";
constexpr const char* kShootLabel = "device_busy_shoot_text";
constexpr const char* kShootTooLargeTextId = "shoot_too_large_text";

}  // namespace

CQuellonMouseDevice::CQuellonMouseDevice(QObject* parent)
    : CQuellonUSBDevice(parent),
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

void CQuellonMouseDevice::prepare()
{
    m_modes = loadLightModes(modelValue());
    m_modeCodes = modeCodesOf(m_modes);
    const std::string& folder = pageSetup().dataFolder;
    if (folder.empty())
        return;
    m_profiles = std::make_unique<ProfileListStore>(kMouseKind, folder, defaultDocumentPath(kMouseKind));
    m_profiles->init();
    loadProfile();
}

// Worker.
CQuellonUSBDevice::UiStep CQuellonMouseDevice::readAllOnWorker()
{
    const bool dataRead = m_settings.readDeviceData() == kCommandOk;
    const DeviceInfoBlock info = m_settings.deviceInfo();
    SettingsPage page{};
    std::uint8_t profile = 0;
    const bool pageRead = m_settings.readSettingsPage(m_modeCodes, page, profile) == kCommandOk;
    return [this, dataRead, info, pageRead, page, profile] {
        m_lighting.stop();
        m_info = info;
        loadProfile();
        restorePending();
        if (pageRead)
            showReadPage(page, profile);
        else if (commandChannel().isOpen() && !commandChannel().receiverMode())
            showNotice(QString::fromLatin1(kLinkFailedTextId));
        if (dataRead)
            emit sensorRead();
        announceProfile();
        loadLightingPreview();
        m_lighting.setFramePeriod(lightFramePeriod());
        m_lightingWanted = true;
        if (!windowHidden())
            m_lighting.start();
    };
}

// Worker.
CQuellonUSBDevice::UiStep CQuellonMouseDevice::rereadOnWorker()
{
    SettingsPage page{};
    std::uint8_t profile = 0;
    if (m_settings.readSettingsPage(m_modeCodes, page, profile) != kCommandOk)
        return {};
    return [this, page, profile] {
        showReadPage(page, profile);
        announceProfile();
        loadLightingPreview();
    };
}

// A page read from the mouse goes into the profile, unless the profile holds changes the mouse
// has not received yet: those are written instead.
void CQuellonMouseDevice::showReadPage(const SettingsPage& page, std::uint8_t profile)
{
    // A write queued since the read began carries newer settings than the ones read.
    if (m_writeJobs > 0)
        return;
    if (m_pending == Pending::None)
        storeSettingsPage(m_record, page, profile, m_modeCodes);
    else if (m_pendingFromLastRun)
        offerPendingFromLastRun(page, profile);
    else
        writePending();
}

// Changes left pending by an earlier run are offered, unless the mouse has them already; changes
// of this run are written without asking, as the pending mark said they would be. While the
// question waits for its answer the profile keeps the changes and nothing is written.
void CQuellonMouseDevice::offerPendingFromLastRun(const SettingsPage& page, std::uint8_t profile)
{
    m_pendingFromLastRun = false;
    const auto takeTheMouses = [this, page, profile] {
        showPending(Pending::None);
        storeSettingsPage(m_record, page, profile, m_modeCodes);
    };
    if (m_pending != Pending::Profile && encodeRecordPage(m_record, page[0]) == page) {
        takeTheMouses();
        return;
    }
    m_questionOpen = true;
    askLater(QString::fromLatin1(kPendingQuestionId), [this, takeTheMouses](bool yes) {
        m_questionOpen = false;
        if (yes) {
            writePending();
            return;
        }
        takeTheMouses();
        announceProfile();
        loadLightingPreview();
    });
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
CQuellonUSBDevice::UiStep CQuellonMouseDevice::readPowerOnWorker()
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
    m_record.SetDefaultPath(defaultDocumentPath(kMouseKind));
    m_record.SetLightConfigPath(lightConfigPath());
    m_record.SetLightConfigRow(modelValue());
    m_record.LoadLightConfig(lightConfigPath());
    const std::string path = m_profiles->documentPathOf(m_profiles->selectedUuid());
    m_record.SetProfilePath(path);
    m_record.LoadProfile(path);
    emit keysLoaded();
}

void CQuellonMouseDevice::reloadProfile()
{
    m_record.LoadProfile(m_record.GetDefaultPath());
    m_record.SetProfilePath(m_profiles ? m_profiles->documentPathOf(m_profiles->selectedUuid()) : "");
    saveRecord();
    emit keysLoaded();
    announceProfile();
}

std::string CQuellonMouseDevice::lightConfigPath() const
{
    return pageSetup().dataFolder + pageSetup().lightName.toStdString() + ".config";
}

void CQuellonMouseDevice::reloadCustomLists()
{
    m_record.LoadLightConfig(lightConfigPath());
    loadLightingPreview();
}

std::optional<LightInfo> CQuellonMouseDevice::lightRecord()
{
    return m_record.GetLightInfo();
}

// The preview shows the change at once; the write to the mouse follows on its worker.
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
    storeStages(stages);
}

// A change the profile file did not take is told: the user would lose it at the next start.
void CQuellonMouseDevice::saveRecord()
{
    saveProfileRecord(m_record);
}

void CQuellonMouseDevice::applySelectedProfile()
{
    loadProfile();
    announceProfile();
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

std::vector<SettingInfo> CQuellonMouseDevice::settings()
{
    std::vector<SettingInfo> infos;
    for (const MouseSetting& row : kMouseSettings)
        infos.push_back({row.name, row.unit, row.lowest, row.highest, {row.choices.begin(), row.choices.end()}});
    for (SettingInfo& light : CQuellonUSBDevice::settings())
        infos.push_back(std::move(light));
    return infos;
}

SettingChange CQuellonMouseDevice::setSetting(std::string_view name, int value)
{
    const MouseSetting* row = findMouseSetting(name);
    if (!row)
        return CQuellonUSBDevice::setSetting(name, value);
    const std::optional<std::uint16_t> word = settingWord(*row, value);
    return word ? storeWord(*row, *word) : SettingChange::ValueRefused;
}

SettingChange CQuellonMouseDevice::setSettingWord(std::string_view name, int word)
{
    const MouseSetting* row = findMouseSetting(name);
    if (!row)
        return SettingChange::UnknownName;
    if (!pageWordAccepted(*row, word))
        return SettingChange::ValueRefused;
    return storeWord(*row, static_cast<std::uint16_t>(word));
}

SettingChange CQuellonMouseDevice::storeWord(const MouseSetting& row, std::uint16_t word)
{
    MouseSystemStages system = m_record.GetSystemStages();
    system.*row.field = word;
    if (row.clears)
        system.*row.clears = 0;
    m_record.SetSystemStages(system);
    saveRecord();
    if (!row.profileOnly)
        writeSettingsToDevice();
    if (row.restartsKeepAlive)
        armSelectorTimer(kTimerKeepAlive, kKeepAliveRestartMs, true);
    emit settingsChanged();
    emit settingChanged(QString::fromUtf8(row.name.data(), static_cast<qsizetype>(row.name.size())));
    return SettingChange::Done;
}

std::optional<int> CQuellonMouseDevice::setting(std::string_view name)
{
    const MouseSetting* row = findMouseSetting(name);
    return row ? settingValue(*row, m_record.GetSystemStages().*row->field) : CQuellonUSBDevice::setting(name);
}

int CQuellonMouseDevice::highestStep() const
{
    return sliderMaximum(m_info.sensorInfo());
}

std::optional<std::pair<int, int>> CQuellonMouseDevice::dpiRange() const
{
    const int maximum = highestStep();
    if (maximum < 0)
        return std::nullopt;
    return std::pair{dpiFromSlider(0), dpiFromSlider(maximum)};
}

int CQuellonMouseDevice::dpiFromSlider(int slider) const
{
    return kestrion::dpiFromSlider(m_info.sensorInfo(), slider);
}

int CQuellonMouseDevice::sliderFromDpi(int dpi) const
{
    return kestrion::sliderFromDpi(m_info.sensorInfo(), dpi);
}

bool CQuellonMouseDevice::setDpiStage(int stage, int dpi)
{
    const std::optional<std::pair<int, int>> range = dpiRange();
    if (!range || dpi < range->first || dpi > range->second)
        return false;
    return setStageStep(stage, sliderFromDpi(dpi));
}

bool CQuellonMouseDevice::setStageStep(int stage, int step)
{
    std::vector<DpiStage> stages = m_record.GetDpiStages();
    const int highest = highestStep() >= 0 ? highestStep() : 0xFFFF;
    if (stage < 0 || stage >= kStageRows || stage >= static_cast<int>(stages.size()) || step < 0 || step > highest)
        return false;
    DpiStage& changed = stages[static_cast<std::size_t>(stage)];
    changed.setDpiX(static_cast<std::uint16_t>(step));
    if (!changed.separateXY)
        changed.setDpiY(changed.dpiX());
    return storeStages(stages);
}

bool CQuellonMouseDevice::selectStage(int stage)
{
    std::vector<DpiStage> stages = m_record.GetDpiStages();
    if (stage < 0 || stage >= kStageRows || stage >= static_cast<int>(stages.size()))
        return false;
    m_record.SetCurrentStage(stage);
    stages[static_cast<std::size_t>(stage)].active = 1;
    return storeStages(stages);
}

// The current stage stays active whatever is asked.
bool CQuellonMouseDevice::setStageActive(int stage, bool active)
{
    std::vector<DpiStage> stages = m_record.GetDpiStages();
    if (stage < 0 || stage >= kStageRows || stage >= static_cast<int>(stages.size()))
        return false;
    stages[static_cast<std::size_t>(stage)].active = active || stage == m_record.GetCurrentStage() ? 1 : 0;
    return storeStages(stages);
}

bool CQuellonMouseDevice::storeStages(const std::vector<DpiStage>& stages)
{
    m_record.SetDpiStages(stages);
    saveRecord();
    writeSettingsToDevice();
    emit settingsChanged();
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
    if (m_pending != Pending::Profile)
        showPending(written ? Pending::None : Pending::Settings);
    if (!written && !behindReceiver && commandChannel().isOpen())
        showNotice(QString::fromLatin1(kLinkFailedTextId));
}

// A profile is one choice of the user's: it stays pending whole (marked first, on disk too),
// then whatever of it failed is told.
void CQuellonMouseDevice::profileWritten(const ProfileWrite& result)
{
    const bool linkFailed = result.macros == kEventsLinkFailed || result.keys != kCommandOk
        || result.settings != kCommandOk;
    showPending(linkFailed ? Pending::Profile : Pending::None);
    if (result.macros > kEventsWritten)
        showNotice(QString::fromLatin1(kMacrosTooLargeTextId), result.macros);
    else if (linkFailed)
        showNotice(QString::fromLatin1(kLinkFailedTextId));
}

void CQuellonMouseDevice::showPending(Pending pending)
{
    if (pending == m_pending)
        return;
    m_pending = pending;
    rememberPending();
    emit pendingChanged(pending != Pending::None);
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
            announceProfile();
        }
        break;
    case Kind::ProfileChanged:
        if (commandChannel().isOpen()) {
            keepNotifiedPage(notification);
            announceProfile();
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

// The shoot patterns are the files of the data folder; writing them reads them from there.
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
