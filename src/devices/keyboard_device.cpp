#include "devices/keyboard_device.h"

#include <algorithm>
#include <chrono>

#include "devices/keyboard_effects.h"
#include "devices/mouse_settings.h"
#include "profiles/program_folders.h"

namespace kestrion {
namespace {

constexpr int kKeyboardKind = 1;
// The live mode whose keys show the active profile's light table.
constexpr int kPerKeyModeCode = 29;

constexpr const char* kLinkFailedTextId = "message_text_7";
constexpr const char* kWritingLabel = "device_busy_writing_text";

std::int64_t steadyMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

CQuellonKeyboardDevice::CQuellonKeyboardDevice(QObject* parent)
    : CQuellonUSBDevice(parent),
      m_link(commandChannel()),
      m_streamer([this](const FrameStreamer::Frame& frame) { return sendFrame(frame); })
{
    setModelValue(0);
}

// The readers, the streamer and the worker call into this object: they stop before its members go.
CQuellonKeyboardDevice::~CQuellonKeyboardDevice()
{
    m_streamer.stop();
    stopDeviceWork();
}

QString CQuellonKeyboardDevice::controlClass() const
{
    return QStringLiteral("QuellonKeyboardDevice");
}

void CQuellonKeyboardDevice::setModelValue(int value)
{
    CQuellonUSBDevice::setModelValue(value);
    m_record.SetDeviceIndex(0);
}

std::size_t CQuellonKeyboardDevice::keySlots() const
{
    return std::min<std::size_t>(m_info[keyboard_memory::kInfoKeySlots], keyboard_memory::kMaxKeySlots);
}

void CQuellonKeyboardDevice::prepare()
{
    const std::string& folder = pageSetup().dataFolder;
    if (!folder.empty()) {
        m_profiles = std::make_unique<ProfileListStore>(kKeyboardKind, folder, defaultDocumentPath(kKeyboardKind));
        m_profiles->init();
    }
    m_modes = loadLightModes(modelValue());
    m_modeCodes = modeCodesOf(m_modes);
}

void CQuellonKeyboardDevice::paintKey(int slot)
{
    if (currentModeCode() != kPerKeyModeCode || slot < 0 || static_cast<std::size_t>(slot) >= keySlots()
        || m_activeProfile >= m_lightTables.size())
        return;
    KeyboardLink::LightTable& table = m_lightTables[m_activeProfile];
    const std::size_t at = keySlotOffset(static_cast<std::size_t>(slot));
    if (at + 2 >= table.size())
        return;
    table[at] = m_light.red;
    table[at + 1] = m_light.green;
    table[at + 2] = m_light.blue;
    writeLightTable(table, m_activeProfile);
    pushLightFrame();
}

// Worker. The page is read too: a write carries the bytes the tool does not edit, and before
// any read it would set them to zero on the keyboard.
CQuellonUSBDevice::UiStep CQuellonKeyboardDevice::readAllOnWorker()
{
    KeyboardLink::Info info{};
    KeyboardLink::KeyTable keys{}, keys2{};
    const bool dataRead = m_link.readDeviceData(info, keys, keys2) == kCommandOk;
    std::vector<KeyboardLink::LightTable> tables;
    const bool tablesRead = dataRead && m_link.readLightTables(info[keyboard_memory::kInfoKeySlots], tables) == kCommandOk;
    KeyboardPage page{};
    std::uint8_t profile = 0;
    const bool pageRead = m_link.readPage(page, profile) == kCommandOk;
    return [this, dataRead, info, keys, keys2, tablesRead, tables, pageRead, page, profile] {
        if (dataRead) {
            m_info = info;
            m_slotCount = keySlots();
            m_keys = keys;
            m_keys2 = keys2;
        }
        if (tablesRead)
            m_lightTables = tables;
        loadProfile();
        if (dataRead)
            adoptDeviceKeys();
        if (pageRead)
            storePage(page, profile);
        announceProfile();
        loadLightingPreview();
        armKeepAlive();
    };
}

// Worker. After a 0x0402 notice the keyboard changed more than its page (its per-key colours
// among it): the light tables are read again too.
CQuellonUSBDevice::UiStep CQuellonKeyboardDevice::rereadOnWorker()
{
    KeyboardPage page{};
    std::uint8_t profile = 0;
    if (m_link.readPage(page, profile) != kCommandOk)
        return {};
    std::vector<KeyboardLink::LightTable> tables;
    const bool tablesRead = m_changePending.exchange(false)
                            && m_link.readLightTables(m_slotCount, tables) == kCommandOk;
    return [this, page, profile, tablesRead, tables] {
        if (tablesRead)
            m_lightTables = tables;
        storePage(page, profile);
        announceProfile();
        loadLightingPreview();
        sendToMainWindow(WM_USB_MAINMESS_PROFILE_INDEX, profile, 0);
    };
}

// Worker.
CQuellonUSBDevice::UiStep CQuellonKeyboardDevice::readPowerOnWorker()
{
    std::array<std::uint8_t, keyboard_memory::kPowerLength> power{};
    if (m_link.readPower(power) != kCommandOk)
        return {};
    return [this, power] {
        m_power = power;
        sendToMainWindow(kMessagePowerStatus, power[PowerRecord::kMessageByte], 0);
        showPower(m_power.data(), m_power.size());
    };
}

// Worker.
bool CQuellonKeyboardDevice::isLinkAlive()
{
    return m_link.isLinkAlive();
}

// The page as the keyboard holds it goes into the record, which is saved; a new mode starts
// the reactive buffers over.
void CQuellonKeyboardDevice::storePage(const KeyboardPage& page, std::uint8_t profile)
{
    m_page = page;
    m_activeProfile = profile;
    KeyboardSettings current{m_record.GetLightInfo(), m_record.GetSystemStages()};
    const KeyboardSettings read = decodeKeyboardPage(page, m_modeCodes, current);
    m_record.SetSystemStages(read.system);
    m_record.SetLightInfo(read.light);
    saveRecord();
    m_reactive.resetAfterRead(current.light.mode, read.light.mode);
}

void CQuellonKeyboardDevice::handleNotification(LinkKind link, const std::uint8_t* report, std::size_t length)
{
    const KeyboardNotification notice =
        decodeKeyboardNotification(notificationCode(report, length), link == LinkKind::Wired, m_lightMode);
    switch (notice.kind) {
    case KeyboardNotification::Kind::RereadPending:
        m_changePending = true;
        [[fallthrough]];
    case KeyboardNotification::Kind::Reread:
        runOnUiThread([this] { armSelectorTimer(kTimerReread, kRereadDelayMs, true); });
        break;
    case KeyboardNotification::Kind::DeviceState:
        if (commandChannel().isOpen())
            runOnUiThread([this, notice] { showDeviceState(notice.profile, notice.lightValue); });
        break;
    case KeyboardNotification::Kind::Ignored:
        break;
    }
}

// The keyboard changed profile (and lighting level) by itself.
void CQuellonKeyboardDevice::showDeviceState(std::uint8_t profile, std::optional<std::uint8_t> lightValue)
{
    m_activeProfile = profile;
    m_page[keyboard_page::kProfile] = profile;
    if (lightValue) {
        LightInfo light = m_record.GetLightInfo();
        light.brightness = *lightValue;
        m_record.SetLightInfo(light);
        saveRecord();
    }
    announceProfile();
    loadLightingPreview();
}

void CQuellonKeyboardDevice::loadLightingPreview()
{
    m_light = m_record.GetLightInfo();
    m_lightMode = m_light.mode;
    // The streamer's thread, once started, waits idle for frames: stopping it would wait for
    // a frame on its way to a keyboard that may not answer.
    if (!streaming())
        m_streamer.clear();
    else if (!m_streamer.isRunning())
        m_streamer.start();
    pushLightFrame();
}

int CQuellonKeyboardDevice::currentModeCode() const
{
    const int mode = m_light.mode;
    return mode < static_cast<int>(m_modeCodes.size()) ? m_modeCodes[mode] : -1;
}

// The host draws the keyboard's lights itself over the cable only.
bool CQuellonKeyboardDevice::streaming()
{
    CommandChannel& channel = commandChannel();
    return channel.isOpen() && !channel.receiverMode() && isHostDrivenMode(currentModeCode());
}

void CQuellonKeyboardDevice::pushLightFrame()
{
    const bool toKeyboard = streaming() && lightControl();
    // Hidden, a frame is only worth its work when the keyboard shows it.
    if (windowHidden() && !toKeyboard)
        return;
    const std::size_t slotCount = std::max(keySlots(), kFullSizeKeys);
    m_frameKeys = currentModeCode() == kPerKeyModeCode
                      ? perKeyFrame(activeLightTable(), m_light, slotCount)
                      : keyboardEffectFrame(currentModeCode(), m_light, slotCount, steadyMs());
    CQuellonUSBDevice::pushLightFrame();
    if (toKeyboard)
        m_streamer.offer(keyboardFrame(m_frameKeys, keySlots()));
}

const KeyboardLink::LightTable& CQuellonKeyboardDevice::activeLightTable() const
{
    static const KeyboardLink::LightTable kNone;
    return m_activeProfile < m_lightTables.size() ? m_lightTables[m_activeProfile] : kNone;
}

// Streamer thread.
bool CQuellonKeyboardDevice::sendFrame(const FrameStreamer::Frame& frame)
{
    return m_link.streamFrame(frame) == kCommandOk;
}

void CQuellonKeyboardDevice::loadProfile()
{
    if (!m_profiles)
        return;
    m_record.SetDefaultPath(defaultDocumentPath(kKeyboardKind));
    m_record.SetLightConfigPath(pageSetup().dataFolder + pageSetup().lightName.toStdString() + ".config");
    const std::string path = m_profiles->documentPathOf(m_profiles->selectedUuid());
    m_record.SetProfilePath(path);
    m_record.LoadProfile(path);
}

std::optional<LightInfo> CQuellonKeyboardDevice::lightRecord()
{
    return m_record.GetLightInfo();
}

void CQuellonKeyboardDevice::applyLight(const LightInfo& light)
{
    m_record.SetLightInfo(light);
    saveRecord();
    loadLightingPreview();
    writeSettingsPage(m_activeProfile);
}

void CQuellonKeyboardDevice::applySelectedProfile()
{
    loadProfile();
    announceProfile();
    emit keysLoaded();
    loadLightingPreview();
    writeSettingsPage(m_activeProfile);
    saveKeysToDevice();
}

// A change the profile file did not take is told: the user would lose it at the next start.
void CQuellonKeyboardDevice::saveRecord()
{
    saveProfileRecord(m_record);
}

void CQuellonKeyboardDevice::writeSettingsPage(int page)
{
    {
        const KeyboardSettings settings{m_record.GetLightInfo(), m_record.GetSystemStages()};
        std::lock_guard lock(m_stagedLock);
        m_staged = encodeKeyboardPage(settings, static_cast<std::uint8_t>(page), m_modeCodes, m_page);
    }
    queueWrite("settings-write", [this, page] { return m_link.writePage(stagedPage(), page); });
}

void CQuellonKeyboardDevice::writeKeys(const KeyboardLink::KeyTable& table)
{
    queueWrite(nullptr, [this, table] { return m_link.writeKeys(table); });
}

bool CQuellonKeyboardDevice::writeMacros(const std::vector<EventList>& macros)
{
    for (const EventList& macro : macros) {
        if (macro.size() > kMaxMacroEvents)
            return false;
    }
    std::vector<std::uint8_t> container = encodeEventContainer(macros);
    const std::size_t capacity = std::size_t{m_info[keyboard_memory::kInfoMacroBlocks]} * keyboard_memory::kMacroBlockSize;
    if (container.empty() || container.size() > capacity)
        return false;
    queueWrite(nullptr, [this, container] { return m_link.writeMacros(container); });
    return true;
}

void CQuellonKeyboardDevice::writeLightTable(const KeyboardLink::LightTable& table, int index)
{
    queueWrite(nullptr, [this, table, index] { return m_link.writeLightTable(table, index); });
}

void CQuellonKeyboardDevice::queueWrite(const char* key, std::function<int()> write)
{
    runJob(kWritingLabel, [this, write = std::move(write)]() -> UiStep {
        const int result = write();
        return [this, result] { writeFailed(result); };
    }, key);
}

// Worker.
KeyboardPage CQuellonKeyboardDevice::stagedPage()
{
    std::lock_guard lock(m_stagedLock);
    return m_staged;
}

void CQuellonKeyboardDevice::writeFailed(int result)
{
    if (result != kCommandOk && commandChannel().isOpen())
        showNotice(QString::fromLatin1(kLinkFailedTextId));
}

}  // namespace kestrion
