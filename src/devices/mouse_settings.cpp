#include "devices/mouse_settings.h"

#include <utility>

#include "devices/lighting_tables.h"
#include "platform/log.h"

namespace kestrion {
namespace {

constexpr std::uint16_t kUpdatableVendor = 0x320F;
constexpr std::uint16_t kUpdatableProduct = 0x22A4;
constexpr std::uint16_t kCurrentFirmware = 0x0104;

constexpr std::size_t kPageActiveStage = 12;
constexpr std::size_t kPageProfileIndex = 0;
constexpr std::size_t kStatusLength = 2;
constexpr std::uint32_t kSettingsAreaEnd = 0x10000;

constexpr std::uint16_t kCodeSynchronise = 0x0401;
constexpr std::uint16_t kCodeButtonFlash = 0x0403;
constexpr std::uint16_t kCodeProfile = 0x10;
constexpr std::uint16_t kCodeProfileAndStage = 0x11;

std::string deviceStateLine(int state)
{
    return "ReadDeviceData>WM_USB_MAINMESS_DEVICE_IS_INITUI    " + std::to_string(state);
}

// Offset of page n, or -1 when the page would not fit the 16-bit offsets.
int pageOffset(int page)
{
    if (page < 0)
        return -1;
    const std::uint32_t offset = static_cast<std::uint32_t>(page) * kSettingsPageStride;
    return offset + kSettingsPageSize <= kSettingsAreaEnd ? static_cast<int>(offset) : -1;
}

MouseSettingsValues valuesOf(CMouseProfiledata& record)
{
    return {record.GetLightInfo(), record.GetSystemStages(), record.GetCurrentStage(), record.GetDpiStages()};
}

}  // namespace

SettingsPage encodeRecordPage(CMouseProfiledata& record, std::uint8_t byte0)
{
    return encodeSettingsPage(valuesOf(record), byte0);
}

void storeSettingsPage(CMouseProfiledata& record, const SettingsPage& page, std::uint8_t profile,
                       const std::vector<int>& modeCodes)
{
    MouseSettingsValues values = valuesOf(record);
    const std::uint8_t recordMode = values.light.mode;
    SettingsPage hostForm = page;
    decodeSettingsPage(hostForm, profile, modeCodes, values);
    // A custom list plays on the preview only: the mouse holds a fixed mode, the profile its list.
    if (recordMode > lighting::kLastFixedMode)
        values.light.mode = recordMode;
    record.SetSystemStages(values.system);
    record.SetCurrentStage(values.currentStage);
    record.SetLightInfo(values.light);
    record.SaveProfile();
}

std::uint16_t notificationCode(const std::uint8_t* report, std::size_t length)
{
    if (length < 3)
        return 0;
    return static_cast<std::uint16_t>(report[1] | report[2] << 8);
}

MouseNotification decodeNotification(std::uint16_t code)
{
    using Kind = MouseNotification::Kind;
    const std::uint8_t low = static_cast<std::uint8_t>(code);
    const std::uint8_t profile = low & 0x0F;
    const std::uint8_t stage = low >> 4;
    if (code == kCodeSynchronise)
        return {Kind::Synchronise, 0, 0};
    if (code == kCodeButtonFlash)
        return {Kind::ButtonFlash, 0, 0};
    if (code >> 8 == kCodeProfile)
        return {Kind::ProfileChanged, profile, 0};
    if (code >> 8 == kCodeProfileAndStage)
        return {Kind::ProfileAndStageChanged, profile, stage};
    return {};
}

MouseSettingsLink::MouseSettingsLink(CommandChannel& channel, MessageSink sink)
    : m_channel(channel), m_sink(std::move(sink))
{
}

int MouseSettingsLink::readDeviceData()
{
    m_channel.setSuspended(false);
    if (!deviceReachable())
        return kCommandReadFailed;
    int result = readInfoBlock();
    if (result != kCommandOk)
        return result;
    if (m_info.isFresh()) {
        result = writeInitialisedMarker();
        if (result != kCommandOk) {
            // The window must learn the outcome either way: the failure is the state it gets.
            reportDeviceState(result);
            return result;
        }
    }
    if (!m_info.isInitialised()) {
        reportDeviceState(0);
        return kCommandReadFailed;
    }
    reportDeviceState(1);
    result = readKeyTable();
    if (result != kCommandOk)
        return result;
    checkFirmware();
    return kCommandOk;
}

int MouseSettingsLink::refreshDeviceInfo()
{
    return deviceReachable() ? readInfoBlock() : kCommandReadFailed;
}

int MouseSettingsLink::readSettingsPage(const std::vector<int>& modeCodes, SettingsPage& page, std::uint8_t& profile)
{
    if (!deviceReachable())
        return kCommandReadFailed;
    SettingsPage bytes{};
    std::uint8_t active = 0;
    if (readActivePage(bytes, active) != kCommandOk)
        return kCommandReadFailed;
    // The image kept here is in the host's form.
    m_page = bytes;
    MouseSettingsValues unused;
    decodeSettingsPage(m_page, active, modeCodes, unused);
    m_activeProfile = active;
    page = bytes;
    profile = active;
    return kCommandOk;
}

int MouseSettingsLink::writeSettingsPage(const SettingsPage& bytes, int page)
{
    const int offset = pageOffset(page);
    if (offset < 0 || !deviceReachable())
        return kCommandReadFailed;
    m_channel.beginConfig();
    if (!deviceReachable())
        return kCommandReadFailed;
    // The closing steps go out even after a failed write, but the failure is what is reported.
    const int written = m_channel.writeSettings(bytes.data(), bytes.size(), static_cast<std::uint16_t>(offset));
    if (!deviceReachable())
        return kCommandReadFailed;
    m_channel.endConfig();
    return written;
}

int MouseSettingsLink::readPowerStatus(PowerRecord& record)
{
    if (m_paused || !deviceReachable())
        return kCommandReadFailed;
    std::uint8_t status[kStatusLength] = {};
    const int result = m_channel.readStatus(status, kStatusLength, 0);
    if (result != kCommandOk)
        return result;
    record = PowerRecord{};
    record.bytes[PowerRecord::kPercent] = status[0];
    record.bytes[PowerRecord::kState] = status[1];
    record.bytes[PowerRecord::kReceiverMode] = m_channel.receiverMode() ? 1 : 0;
    send(kMessagePowerStatus, record.bytes[PowerRecord::kMessageByte], 0);
    return kCommandOk;
}

bool MouseSettingsLink::applyNotification(const MouseNotification& notification)
{
    using Kind = MouseNotification::Kind;
    const bool carriesProfile =
        notification.kind == Kind::ProfileChanged || notification.kind == Kind::ProfileAndStageChanged;
    if (!carriesProfile || !m_channel.isOpen())
        return false;
    m_activeProfile = notification.profile;
    m_page[kPageProfileIndex] = notification.profile;
    if (notification.kind == Kind::ProfileAndStageChanged)
        m_page[kPageActiveStage] = notification.stage;
    return true;
}

bool MouseSettingsLink::deviceReachable()
{
    if (!m_channel.isOpen())
        return false;
    return !m_channel.receiverMode() || m_channel.queryReceiverLink();
}

int MouseSettingsLink::readInfoBlock()
{
    // A read that fails half-way must not leave a half-new image behind.
    DeviceInfoBlock block;
    m_channel.beginConfig();
    const int result = m_channel.readDeviceInfo(block.data());
    if (result != kCommandOk)
        return result;
    m_info = block;
    m_channel.endConfig();
    return kCommandOk;
}

int MouseSettingsLink::writeInitialisedMarker()
{
    m_info.setMarker(DeviceInfoBlock::kMarkerInitialised);
    m_channel.beginConfig();
    const int result = m_channel.writeDeviceInfo(m_info.data());
    m_channel.endConfig();
    if (result != kCommandOk)
        m_info.setMarker(DeviceInfoBlock::kMarkerFresh);
    return result;
}

void MouseSettingsLink::reportDeviceState(int state)
{
    send(kMessageDeviceState, state, 0);
    writeLog(deviceStateLine(state));
}

int MouseSettingsLink::readKeyTable()
{
    const std::size_t length = m_info.keyTableLength();
    if (length > kKeyTableSize)
        return kCommandReadFailed;
    m_channel.beginConfig();
    m_channel.setBlockLength(static_cast<std::uint16_t>(length));
    std::array<std::uint8_t, kKeyTableSize> table{};
    const int result = m_channel.readKeyTable(table.data());
    if (result != kCommandOk)
        return result;
    m_keyTable = table;
    m_channel.endConfig();
    return kCommandOk;
}

void MouseSettingsLink::checkFirmware()
{
    HidDevice& wired = m_channel.wiredLink();
    if (wired.vendorId() == kUpdatableVendor && wired.productId() == kUpdatableProduct
        && wired.versionNumber() < kCurrentFirmware)
        send(kMessageFirmwareVersion, wired.productId(), wired.versionNumber());
}

int MouseSettingsLink::readActivePage(SettingsPage& page, std::uint8_t& profile)
{
    int result = m_channel.readSettings(&profile, 1, 0);
    if (result != kCommandOk)
        return result;
    const auto offset = static_cast<std::uint16_t>(profile * kSettingsPageStride);
    return m_channel.readSettings(page.data(), page.size(), offset);
}

void MouseSettingsLink::send(int message, std::intptr_t wparam, std::intptr_t lparam)
{
    if (m_sink)
        m_sink(message, wparam, lparam);
}

}  // namespace kestrion
