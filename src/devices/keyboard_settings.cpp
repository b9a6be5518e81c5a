#include "devices/keyboard_settings.h"

#include <algorithm>

namespace kestrion {
namespace {

using namespace keyboard_page;
using namespace keyboard_memory;

constexpr int kHostDrivenModes[] = {29, 30};

constexpr std::uint16_t kRereadCode = 0x0401;
constexpr std::uint16_t kPendingCode = 0x0402;
constexpr std::uint16_t kProfileCode = 0x1000;
constexpr std::uint16_t kProfileAndLightCode = 0x1100;
constexpr std::uint16_t kCodeFamilyMask = 0xFF00;

// The one-byte fields of the page and the record fields they carry, both ways.
struct LightByte {
    std::size_t offset;
    std::uint8_t LightInfo::*field;
};
constexpr LightByte kLightBytes[] = {
    {kBrightness, &LightInfo::brightness}, {kEffectVariant, &LightInfo::direction},
    {kMultiColour, &LightInfo::multiColor}, {kRed, &LightInfo::red},
    {kGreen, &LightInfo::green},           {kBlue, &LightInfo::blue},
    {kSecondMode, &LightInfo::zzccLedMode}, {kCustomGroup, &LightInfo::customGroup},
};

struct SystemByte {
    std::size_t offset;
    std::uint16_t KeyboardSystemStages::*field;
};
constexpr SystemByte kSystemBytes[] = {
    {kWFlag, &KeyboardSystemStages::wFlag},
    {kKey6Flag, &KeyboardSystemStages::key6Flag},
    {kWinFlag, &KeyboardSystemStages::winFlag},
};

std::optional<std::uint8_t> positionOfCode(int code, const std::vector<int>& modeCodes)
{
    const auto found = std::find(modeCodes.begin(), modeCodes.end(), code);
    if (found == modeCodes.end())
        return std::nullopt;
    return static_cast<std::uint8_t>(found - modeCodes.begin());
}

// A position past the list sends the list's first mode: the keyboard never receives a code the
// tool does not know.
int codeOfPosition(int position, const std::vector<int>& modeCodes)
{
    if (modeCodes.empty())
        return 0;
    const bool known = position >= 0 && position < static_cast<int>(modeCodes.size());
    return modeCodes[known ? position : 0];
}

// The keyboard counts speed downwards; a value past the top level is taken as the top.
std::uint8_t flipSpeed(std::uint8_t value)
{
    return static_cast<std::uint8_t>(kTopSpeed - std::min(value, kTopSpeed));
}

std::uint8_t byteOf(std::uint16_t value)
{
    return static_cast<std::uint8_t>(std::min<std::uint16_t>(value, 0xFF));
}

std::uint8_t scaled(std::uint8_t channel, std::uint8_t brightness)
{
    return static_cast<std::uint8_t>(channel * brightness / 256);
}

}  // namespace

std::uint16_t keyboardPageOffset(int profile)
{
    return static_cast<std::uint16_t>(profile * kStride);
}

KeyboardSettings decodeKeyboardPage(const KeyboardPage& bytes, const std::vector<int>& modeCodes,
                                    const KeyboardSettings& current)
{
    KeyboardSettings settings = current;
    if (bytes[kMode] != kKeepModeCode)
        settings.light.mode = positionOfCode(bytes[kMode], modeCodes).value_or(0);
    settings.light.speed = flipSpeed(bytes[kSpeed]);
    for (const LightByte& b : kLightBytes)
        settings.light.*b.field = bytes[b.offset];
    for (const SystemByte& b : kSystemBytes)
        settings.system.*b.field = bytes[b.offset];
    return settings;
}

KeyboardPage encodeKeyboardPage(const KeyboardSettings& settings, std::uint8_t profile,
                                const std::vector<int>& modeCodes, const KeyboardPage& base)
{
    KeyboardPage bytes = base;
    bytes[kProfile] = profile;
    const int code = codeOfPosition(settings.light.mode, modeCodes);
    bytes[kMode] = isHostDrivenMode(code) ? kKeepModeCode : static_cast<std::uint8_t>(code);
    bytes[kSpeed] = flipSpeed(settings.light.speed);
    for (const LightByte& b : kLightBytes)
        bytes[b.offset] = settings.light.*b.field;
    for (const SystemByte& b : kSystemBytes)
        bytes[b.offset] = byteOf(settings.system.*b.field);
    bytes[kPollingRate] = byteOf(settings.system.pollingRate);
    bytes[kAlwaysZero] = 0;
    return bytes;
}

bool isHostDrivenMode(int modeCode)
{
    return std::find(std::begin(kHostDrivenModes), std::end(kHostDrivenModes), modeCode) != std::end(kHostDrivenModes);
}

std::uint16_t lightTableOffset(int index)
{
    return static_cast<std::uint16_t>(index * kLightTableStride);
}

std::size_t keySlotOffset(std::size_t slot)
{
    return slot * kBytesPerSlot;
}

std::size_t lightTableLength(std::size_t keySlots)
{
    return std::min(keySlots, kMaxKeySlots) * kBytesPerSlot;
}

std::vector<std::uint8_t> keyboardFrame(const std::vector<KeyColour>& keys, std::size_t keySlots)
{
    std::vector<std::uint8_t> frame(lightTableLength(keySlots), 0);
    const std::size_t lit = std::min(keys.size(), frame.size() / kBytesPerSlot);
    for (std::size_t slot = 0; slot < lit; ++slot) {
        const KeyColour& key = keys[slot];
        const std::size_t at = keySlotOffset(slot);
        frame[at] = scaled(key.red, key.brightness);
        frame[at + 1] = scaled(key.green, key.brightness);
        frame[at + 2] = scaled(key.blue, key.brightness);
    }
    return frame;
}

KeyboardNotification decodeKeyboardNotification(std::uint16_t code, bool wired, int lightMode)
{
    using Kind = KeyboardNotification::Kind;
    if (code == kRereadCode || (code == 0 && wired && lightMode == kKeyboardReactiveMode))
        return {Kind::Reread, 0, std::nullopt};
    if (code == kPendingCode)
        return {Kind::RereadPending, 0, std::nullopt};
    const auto low = static_cast<std::uint8_t>(code & 0xFF);
    const auto profile = static_cast<std::uint8_t>(low & 0x0F);
    if ((code & kCodeFamilyMask) == kProfileCode)
        return {Kind::DeviceState, profile, std::nullopt};
    if ((code & kCodeFamilyMask) == kProfileAndLightCode)
        return {Kind::DeviceState, profile, static_cast<std::uint8_t>(low >> 4)};
    return {};
}

template <typename Step>
int KeyboardLink::configure(Step step)
{
    std::lock_guard lock(m_exchangeLock);
    if (!m_channel.isOpen())
        return kCommandReadFailed;
    if (m_channel.receiverMode() && !m_channel.queryReceiverLink())
        return kCommandUnreachable;
    int result = m_channel.beginConfig();
    if (result == kCommandOk)
        result = step();
    const int ended = m_channel.endConfig();
    return result == kCommandOk ? ended : result;
}

int KeyboardLink::readDeviceData(Info& info, KeyTable& keys, KeyTable& keys2)
{
    return configure([&] {
        int result = m_channel.readDeviceInfo(info.data());
        if (result != kCommandOk)
            return result;
        const std::size_t slots = std::min<std::size_t>(info[kInfoKeySlots], kMaxKeySlots);
        m_channel.setBlockLength(static_cast<std::uint16_t>(slots * kBytesPerSlot));
        keys.fill(0);
        keys2.fill(0);
        result = m_channel.readKeyTable(keys.data());
        return result == kCommandOk ? m_channel.readSecondKeyTable(keys2.data()) : result;
    });
}

int KeyboardLink::readPage(KeyboardPage& page, std::uint8_t& profile)
{
    std::lock_guard lock(m_exchangeLock);
    if (!m_channel.isOpen())
        return kCommandReadFailed;
    if (m_channel.receiverMode() && !m_channel.queryReceiverLink())
        return kCommandUnreachable;
    std::uint8_t active = 0;
    int result = m_channel.readSettings(&active, 1, 0);
    if (result != kCommandOk)
        return result;
    // A profile number past the pages is the keyboard's mistake: the first page is read instead
    // of memory that belongs to nothing.
    if (active >= kProfileCount)
        active = 0;
    result = m_channel.readSettings(page.data(), page.size(), keyboardPageOffset(active));
    if (result != kCommandOk)
        return result;
    profile = active;
    page[kProfile] = active;
    return kCommandOk;
}

int KeyboardLink::writePage(const KeyboardPage& bytes, int page)
{
    if (page < 0 || page >= kProfileCount)
        return kCommandWriteFailed;
    return configure([&] { return m_channel.writeSettings(bytes.data(), bytes.size(), keyboardPageOffset(page)); });
}

int KeyboardLink::readPower(std::array<std::uint8_t, kPowerLength>& power)
{
    std::lock_guard lock(m_exchangeLock);
    if (!m_channel.isOpen())
        return kCommandReadFailed;
    return m_channel.readStatus(power.data(), power.size(), 0);
}

int KeyboardLink::readLightTables(std::size_t keySlots, std::vector<LightTable>& tables)
{
    const std::size_t length = lightTableLength(keySlots);
    tables.assign(kLightTableCount, LightTable(length, 0));
    if (length == 0)
        return m_channel.isOpen() ? kCommandOk : kCommandReadFailed;
    return configure([&] {
        for (int index = 0; index < kLightTableCount; ++index) {
            const int result = m_channel.readLightTable(tables[index].data(), length, index, kLightTableStride);
            if (result != kCommandOk)
                return result;
        }
        return static_cast<int>(kCommandOk);
    });
}

int KeyboardLink::writeLightTable(const LightTable& table, int index)
{
    if (index < 0 || index >= kLightTableCount || table.size() > static_cast<std::size_t>(kLightTableStride))
        return kCommandWriteFailed;
    return configure([&] { return m_channel.writeLightTable(table.data(), table.size(), index, kLightTableStride); });
}

int KeyboardLink::writeKeys(const KeyTable& keys)
{
    return configure([&] { return m_channel.writeKeyTable(keys.data(), 0); });
}

int KeyboardLink::writeMacros(const std::vector<std::uint8_t>& container)
{
    return configure([&] { return m_channel.writeMacroData(container.data(), container.size()); });
}

int KeyboardLink::streamFrame(const std::vector<std::uint8_t>& frame)
{
    if (!m_channel.isOpen() || m_channel.receiverMode())
        return kCommandReadFailed;
    std::unique_lock lock(m_exchangeLock, std::try_to_lock);
    if (!lock.owns_lock())
        return kCommandOk;
    return m_channel.streamLightFrame(frame.data(), frame.size());
}

bool KeyboardLink::isLinkAlive()
{
    std::lock_guard lock(m_exchangeLock);
    return m_channel.receiverMode() && m_channel.isOpen() && m_channel.queryReceiverLink();
}

}  // namespace kestrion
