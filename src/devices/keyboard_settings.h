#pragma once

#include <array>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

#include "device_link/command_channel.h"
#include "devices/lighting_preview.h"
#include "profiles/profile_records.h"

namespace kestrion {

// The keyboard's settings page: 45 bytes per profile. Pages sit 64 bytes apart, so writing one
// profile never overwrites the tail of the one before it.
namespace keyboard_page {
inline constexpr std::size_t kSize = 45;
inline constexpr std::uint16_t kStride = 64;
inline constexpr int kProfileCount = 5;
inline constexpr std::size_t kProfile = 0;
inline constexpr std::size_t kMode = 1;
inline constexpr std::size_t kBrightness = 2;
inline constexpr std::size_t kSpeed = 3;  // stored as kTopSpeed - speed
inline constexpr std::size_t kEffectVariant = 4;
inline constexpr std::size_t kMultiColour = 5;
inline constexpr std::size_t kRed = 6;
inline constexpr std::size_t kGreen = 7;
inline constexpr std::size_t kBlue = 8;
inline constexpr std::size_t kAlwaysZero = 16;
inline constexpr std::size_t kSecondMode = 18;
inline constexpr std::size_t kWFlag = 19;
inline constexpr std::size_t kKey6Flag = 20;
inline constexpr std::size_t kWinFlag = 21;
inline constexpr std::size_t kPollingRate = 22;
inline constexpr std::size_t kCustomGroup = 25;
inline constexpr std::uint8_t kTopSpeed = 4;
// A mode code that tells the host to keep its own mode; the host-driven modes are sent as it.
inline constexpr std::uint8_t kKeepModeCode = 254;
}  // namespace keyboard_page

namespace keyboard_memory {
inline constexpr std::size_t kInfoLength = 34;
inline constexpr std::size_t kInfoKeySlots = 5;
// The macro area holds this many blocks of kMacroBlockSize bytes.
inline constexpr std::size_t kInfoMacroBlocks = 6;
inline constexpr std::size_t kMacroBlockSize = 128;
inline constexpr std::size_t kPowerLength = 6;
inline constexpr std::size_t kKeyTableSize = CommandChannel::kMaxBlockLength;
inline constexpr std::size_t kBytesPerSlot = 3;
inline constexpr int kLightTableStride = 512;
inline constexpr int kLightTableCount = 5;
// The most key slots a light table (and a streamed frame) can carry.
inline constexpr std::size_t kMaxKeySlots = kLightTableStride / kBytesPerSlot;
}  // namespace keyboard_memory

using KeyboardPage = std::array<std::uint8_t, keyboard_page::kSize>;

// What the page carries of the profile record.
struct KeyboardSettings {
    LightInfo light{};
    KeyboardSystemStages system{};
};

std::uint16_t keyboardPageOffset(int profile);

// The page as read: the light mode becomes its position in `modeCodes` (the keep code leaves
// `current`'s mode), speed counts up; the polling rate is not taken from the page.
KeyboardSettings decodeKeyboardPage(const KeyboardPage& bytes, const std::vector<int>& modeCodes,
                                    const KeyboardSettings& current);
// The settings as the keyboard takes them, over `base` (the bytes the tool does not edit, as
// the keyboard gave them); byte 0 is `profile`.
KeyboardPage encodeKeyboardPage(const KeyboardSettings& settings, std::uint8_t profile,
                                const std::vector<int>& modeCodes, const KeyboardPage& base);
// The reactive mode (by its position), in which a code of 0 on the cable also asks for a reread.
inline constexpr int kKeyboardReactiveMode = 20;
// The modes whose colours the host sends frame by frame (by their code).
bool isHostDrivenMode(int modeCode);

// Where profile `index`'s light table starts, and a key slot's colour inside it.
std::uint16_t lightTableOffset(int index);
std::size_t keySlotOffset(std::size_t slot);
std::size_t lightTableLength(std::size_t keySlots);

// One streamed frame: three bytes per key slot, each colour channel × brightness / 256. Slots
// past `keys` are dark; keys past `keySlots` are left out.
std::vector<std::uint8_t> keyboardFrame(const std::vector<KeyColour>& keys, std::size_t keySlots);

// What a report on a notification link asks for.
struct KeyboardNotification {
    enum class Kind { Ignored, Reread, RereadPending, DeviceState };
    Kind kind = Kind::Ignored;
    std::uint8_t profile = 0;
    std::optional<std::uint8_t> lightValue;
};
// `lightMode` is the record's current mode (its position); `wired` which link the code came on.
KeyboardNotification decodeKeyboardNotification(std::uint16_t code, bool wired, int lightMode);

// The keyboard's command traffic, used on its device's worker thread and, for frames, on the
// streamer's. A frame and a configuration exchange on the link at once could each take the
// other's reply, so they never overlap: a frame gives way to configuration traffic (answering
// kCommandOk with nothing sent), configuration waits for a frame on its way. Every operation
// answers kCommandReadFailed while the channel is closed.
class KeyboardLink {
public:
    using KeyTable = std::array<std::uint8_t, keyboard_memory::kKeyTableSize>;
    using Info = std::array<std::uint8_t, keyboard_memory::kInfoLength>;
    using LightTable = std::vector<std::uint8_t>;

    explicit KeyboardLink(CommandChannel& channel) : m_channel(channel) {}

    // Information block, block length, both key tables; 1 when all were read.
    int readDeviceData(Info& info, KeyTable& keys, KeyTable& keys2);
    // The active profile and its page.
    int readPage(KeyboardPage& page, std::uint8_t& profile);
    int writePage(const KeyboardPage& bytes, int page);
    int readPower(std::array<std::uint8_t, keyboard_memory::kPowerLength>& power);
    int readLightTables(std::size_t keySlots, std::vector<LightTable>& tables);
    int writeLightTable(const LightTable& table, int index);
    int writeKeys(const KeyTable& keys);
    int writeMacros(const std::vector<std::uint8_t>& container);
    int streamFrame(const std::vector<std::uint8_t>& frame);
    // Behind the receiver: whether the keyboard answers. Wired links have no such question.
    bool isLinkAlive();

private:
    template <typename Step>
    int configure(Step step);

    CommandChannel& m_channel;
    std::mutex m_exchangeLock;
};

}  // namespace kestrion
