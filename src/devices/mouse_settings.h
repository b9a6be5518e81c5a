#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

#include "device_link/command_channel.h"
#include "devices/mouse_memory.h"
#include "profiles/mouse_profile_data.h"

namespace kestrion {

// Messages to the main window (wparam, lparam as noted).
inline constexpr int kMessagePowerStatus = 0xD01;     // power record byte 4, 0
inline constexpr int kMessageFirmwareVersion = 0xD04;  // product id, version
inline constexpr int kMessageDeviceState = 0xD05;      // 1 usable, 0 information block invalid,
                                                       // else the failed marker write's result

// Six bytes for the battery display.
struct PowerRecord {
    static constexpr std::size_t kPercent = 0;
    static constexpr std::size_t kState = 1;  // 0 external power, 1 charging, 2 on battery
    static constexpr std::size_t kReceiverMode = 3;
    static constexpr std::size_t kMessageByte = 4;
    std::array<std::uint8_t, 6> bytes{};
};

// What a report on the mouse's notification link asks for.
struct MouseNotification {
    enum class Kind { Ignored, Synchronise, ButtonFlash, ProfileChanged, ProfileAndStageChanged };
    Kind kind = Kind::Ignored;
    std::uint8_t profile = 0;
    std::uint8_t stage = 0;
};

// The record's settings as page bytes, byte 0 given.
SettingsPage encodeRecordPage(CMouseProfiledata& record, std::uint8_t byte0);
// A page read from the device into the record, which is saved.
void storeSettingsPage(CMouseProfiledata& record, const SettingsPage& page, std::uint8_t profile,
                       const std::vector<int>& modeCodes);

// The code of a notification report: bytes 1 and 2, little-endian.
std::uint16_t notificationCode(const std::uint8_t* report, std::size_t length);
MouseNotification decodeNotification(std::uint16_t code);

// Reads and writes the mouse's information block, key table, settings pages and power state
// through its command channel. Every operation does nothing while the channel is closed or,
// behind the receiver, while the mouse does not answer. Used from the device's worker thread;
// setPaused may come from any thread.
class MouseSettingsLink {
public:
    using MessageSink = std::function<void(int message, std::intptr_t wparam, std::intptr_t lparam)>;
    static constexpr std::size_t kKeyTableSize = CommandChannel::kMaxBlockLength;

    MouseSettingsLink(CommandChannel& channel, MessageSink sink);

    // Information block, then the key table; 1 when both were read.
    int readDeviceData();
    // Reads the information block alone again, as a transfer does before it writes; 1 when read.
    int refreshDeviceInfo();
    // Reads the active profile's page as the device holds it, and its number; 1 on success.
    int readSettingsPage(const std::vector<int>& modeCodes, SettingsPage& page, std::uint8_t& profile);
    // Writes settings page n; 1 when every step was sent.
    int writeSettingsPage(const SettingsPage& bytes, int page);
    // Battery state; 1 when read. Skipped while paused (window hidden to the tray).
    int readPowerStatus(PowerRecord& record);
    // Marks the information block initialised and writes it back; the result of the write.
    int writeInitialisedMarker();
    // Keeps the device's own profile and stage changes in the page image; false when ignored.
    bool applyNotification(const MouseNotification& notification);
    // The key table image follows a table written to the device, so the next write starts from it.
    void keepWrittenKeyTable(const std::array<std::uint8_t, kKeyTableSize>& table) { m_keyTable = table; }

    void setPaused(bool paused) { m_paused = paused; }
    const DeviceInfoBlock& deviceInfo() const { return m_info; }
    const std::array<std::uint8_t, kKeyTableSize>& keyTable() const { return m_keyTable; }
    const SettingsPage& lastPage() const { return m_page; }
    int activeProfile() const { return m_activeProfile; }

private:
    bool deviceReachable();
    int readInfoBlock();
    void reportDeviceState(int state);
    int readKeyTable();
    void checkFirmware();
    int readActivePage(SettingsPage& page, std::uint8_t& profile);
    void send(int message, std::intptr_t wparam, std::intptr_t lparam);

    CommandChannel& m_channel;
    MessageSink m_sink;
    DeviceInfoBlock m_info;
    std::array<std::uint8_t, kKeyTableSize> m_keyTable{};
    SettingsPage m_page{};
    int m_activeProfile = 0;
    std::atomic<bool> m_paused{false};
};

}  // namespace kestrion
