#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <vector>

#include "device_link/command_channel.h"
#include "devices/event_container.h"
#include "devices/mouse_settings.h"
#include "profiles/basic_profile_data.h"

namespace kestrion {

// The mouse page's key positions. Each is found on the device as the key-table slot that holds its
// factory assignment.
inline constexpr std::size_t kKeyPositions = 11;
inline constexpr std::uint8_t kNoSlot = 0xAA;
using FunctionKeyIndex = std::array<std::uint8_t, kKeyPositions>;

// Slot of each position in a key table of `slots` three-byte slots (the first one holding its
// factory assignment), or kNoSlot.
FunctionKeyIndex functionKeyIndex(const std::uint8_t* keyTable, std::size_t slots);

// Where the tool last wrote each position and what it wrote there. Once a position holds another
// assignment its factory one is gone from the table, so without this it could never be written
// again, not even back to its default.
struct RememberedKeySlots {
    FunctionKeyIndex slot;  // kNoSlot: never written
    std::array<std::array<std::uint8_t, 3>, kKeyPositions> written{};
    RememberedKeySlots() { slot.fill(kNoSlot); }
};

// Gives a position that `index` could not find its remembered slot, when that slot still holds what
// was written there or the position's factory assignment and no other position has it.
void applyRememberedSlots(FunctionKeyIndex& index, const std::uint8_t* keyTable, std::size_t slots,
                          const RememberedKeySlots& remembered);

// Key function types that play macro number param1.
bool playsMacro(const KeyRecord& key);

// The distinct macro numbers the key positions play, in position order; numbers at or past
// macroCount (the library's size) are left out. The device's macro entries follow this order.
std::vector<std::uint8_t> macroAssignments(const std::vector<KeyEntry>& keys, int macroCount);

// Puts each position's assignment into its slot of keyTable. A macro key refers to its macro by the
// place of the macro in macroAssignments(keys, macroCount); a key whose macro is not in the library
// gets its factory assignment. Positions without a slot are left out.
void placeKeys(std::uint8_t* keyTable, const FunctionKeyIndex& index, const std::vector<KeyEntry>& keys,
               int macroCount);

// Gives every key whose macro is not in the library (number at or past macroCount) its factory
// assignment; true when any changed.
bool dropStaleMacroKeys(std::vector<KeyEntry>& keys, int macroCount);

// Results of writeMacros and writeShoot besides a positive count: for a macro of more than 60
// events, its event count; for a container larger than the device's area, (excess bytes / 4) + 1.
enum EventWriteResult : int {
    kEventsWritten = 0,
    kEventsLinkFailed = -1,
};

// Writes the key table, the macros and the shoot patterns of the mouse. The macro library and the
// shoot pattern files are read from the device's data folder at every call, so the device always
// gets what is on disk. Used on the device's worker thread, like the settings link.
class MouseTransfer {
public:
    static constexpr int kShootPatterns = 4;

    MouseTransfer(CommandChannel& channel, MouseSettingsLink& settings, std::filesystem::path deviceFolder);

    // From the key table last read by the settings link and the slots remembered in the device's
    // data folder.
    FunctionKeyIndex functionKeyIndex() const;
    std::vector<std::uint8_t> macroAssignments(const std::vector<KeyEntry>& keys) const;

    // Writes the positions' assignments over the key table last read. 1 on success; 0 when the
    // mouse is not reachable or its information block cannot be read (nothing written); otherwise
    // the failing command's result code.
    int writeKeys(int page, const std::vector<KeyEntry>& keys);
    int writeKeysFromProfile(CBasicProfiledata& record);

    // Writes one entry per macro number of `macros` (macroAssignments), in that order. A macro
    // whose file is missing becomes an empty entry, so the entries keep their places. 0, -1 when
    // the mouse is not reachable or a command fails, or a positive count (EventWriteResult).
    int writeMacros(const std::vector<std::uint8_t>& macros);

    // Writes the four "ShootData_<n>.Shoot" patterns; a file that cannot be read is taken from
    // the factory copy in the program's data folder. Results as writeMacros.
    int writeShoot();

    // Gives keys whose macro has left the library their factory assignment and stores the list
    // back into the record; true when any changed (the caller saves and redraws).
    bool dropStaleMacroKeys(CBasicProfiledata& record) const;

private:
    int macroCount() const;
    RememberedKeySlots loadRememberedSlots() const;
    void rememberSlots(const FunctionKeyIndex& index, const std::uint8_t* keyTable) const;
    EventList shootPattern(int gun) const;
    bool reachable();
    // Sends the container after checking that it fits `capacity` bytes.
    int writeContainer(const std::vector<EventList>& entries, std::size_t capacity,
                       int (CommandChannel::*write)(const std::uint8_t*, std::size_t));
    // beginConfig, the write, endConfig, each only while the mouse answers; endConfig follows a
    // successful beginConfig even when the write failed. 1, 0 when unreachable, else the first
    // failing command's result.
    template <typename Write>
    int configTransfer(Write write);

    CommandChannel& m_channel;
    MouseSettingsLink& m_settings;
    std::filesystem::path m_folder;
};

}  // namespace kestrion
