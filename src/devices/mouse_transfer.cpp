#include "devices/mouse_transfer.h"

#include <algorithm>
#include <optional>
#include <string>
#include <utility>

#include "profiles/macro_library.h"
#include "platform/json_access.h"
#include "profiles/json_file.h"
#include "profiles/program_folders.h"

namespace kestrion {
namespace {

constexpr std::size_t kBytesPerSlot = 3;
// Slot numbers must stay below kNoSlot.
constexpr std::size_t kMaxSlots = MouseSettingsLink::kKeyTableSize / kBytesPerSlot;
static_assert(kMaxSlots <= kNoSlot);

namespace slot {
constexpr std::size_t kType = 0;
constexpr std::size_t kParam1 = 1;
constexpr std::size_t kParam2 = 2;
}  // namespace slot

using Assignment = std::array<std::uint8_t, kBytesPerSlot>;

// The factory assignment that marks each key position in the device's key table.
constexpr std::array<Assignment, kKeyPositions> kFactoryAssignments = {{
    {0x10, 0x01, 0x00},
    {0x10, 0x02, 0x00},
    {0x10, 0x04, 0x00},
    {0x10, 0x10, 0x00},
    {0x10, 0x08, 0x00},
    {0x13, 0x01, 0x00},
    {0x13, 0x02, 0x00},
    {0x13, 0x03, 0x00},
    {0xA0, 0x1B, 0x00},
    {0x16, 0x90, 0x01},
    {0x14, 0x78, 0x02},
}};

constexpr std::uint8_t kMacroTypes[] = {0x70, 0x71};

// Byte 6 of the information block: the size of the macro area in blocks of 128 bytes.
constexpr std::size_t kInfoMacroBlocks = 6;
constexpr std::size_t kMacroBlockSize = 128;

// Beside the profiles in the device's data folder: {"positions": [{"slot": n, "written": [t, p1, p2]}, ...]}.
constexpr char kRememberedSlotsFile[] = "key_slots.json";

constexpr char kShootFilePrefix[] = "ShootData_";
constexpr char kShootFileSuffix[] = ".Shoot";

std::size_t positionCount(const std::vector<KeyEntry>& keys)
{
    return std::min(keys.size(), kKeyPositions);
}

bool inLibrary(const KeyRecord& key, int macroCount)
{
    return key.param1 < macroCount;
}

void putAssignment(std::uint8_t* at, const KeyRecord& key)
{
    at[slot::kType] = key.type;
    at[slot::kParam1] = key.param1;
    at[slot::kParam2] = key.param2;
}

std::string shootFileName(int gun)
{
    return kShootFilePrefix + std::to_string(gun) + kShootFileSuffix;
}

const Json::Value* patternEvents(const Json::Value& document)
{
    return document.isObject() ? arraySection(document, "Events") : nullptr;
}

}  // namespace

FunctionKeyIndex functionKeyIndex(const std::uint8_t* keyTable, std::size_t slots)
{
    FunctionKeyIndex index;
    index.fill(kNoSlot);
    const std::size_t count = std::min(slots, kMaxSlots);
    for (std::size_t position = 0; position < kKeyPositions; ++position) {
        const Assignment& wanted = kFactoryAssignments[position];
        for (std::size_t s = 0; s < count; ++s) {
            if (std::equal(wanted.begin(), wanted.end(), keyTable + s * kBytesPerSlot)) {
                index[position] = static_cast<std::uint8_t>(s);
                break;
            }
        }
    }
    return index;
}

void applyRememberedSlots(FunctionKeyIndex& index, const std::uint8_t* keyTable, std::size_t slots,
                          const RememberedKeySlots& remembered)
{
    const std::size_t count = std::min(slots, kMaxSlots);
    for (std::size_t position = 0; position < kKeyPositions; ++position) {
        const std::uint8_t s = remembered.slot[position];
        if (index[position] != kNoSlot || s >= count
            || std::find(index.begin(), index.end(), s) != index.end())
            continue;
        const std::uint8_t* held = keyTable + s * kBytesPerSlot;
        const Assignment& written = remembered.written[position];
        const Assignment& factory = kFactoryAssignments[position];
        if (std::equal(written.begin(), written.end(), held) || std::equal(factory.begin(), factory.end(), held))
            index[position] = s;
    }
}

bool playsMacro(const KeyRecord& key)
{
    return std::find(std::begin(kMacroTypes), std::end(kMacroTypes), key.type) != std::end(kMacroTypes);
}

std::vector<std::uint8_t> macroAssignments(const std::vector<KeyEntry>& keys, int macroCount)
{
    std::vector<std::uint8_t> macros;
    for (std::size_t k = 0; k < positionCount(keys); ++k) {
        const KeyRecord& key = keys[k].current;
        if (playsMacro(key) && inLibrary(key, macroCount)
            && std::find(macros.begin(), macros.end(), key.param1) == macros.end())
            macros.push_back(key.param1);
    }
    return macros;
}

void placeKeys(std::uint8_t* keyTable, const FunctionKeyIndex& index, const std::vector<KeyEntry>& keys,
               int macroCount)
{
    const std::vector<std::uint8_t> macros = macroAssignments(keys, macroCount);
    for (std::size_t k = 0; k < positionCount(keys); ++k) {
        if (index[k] == kNoSlot)
            continue;
        KeyRecord key = keys[k].current;
        if (playsMacro(key)) {
            const auto found = std::find(macros.begin(), macros.end(), key.param1);
            if (found == macros.end())
                key = keys[k].defaults;
            else
                key.param1 = static_cast<std::uint8_t>(found - macros.begin());
        }
        putAssignment(keyTable + index[k] * kBytesPerSlot, key);
    }
}

bool dropStaleMacroKeys(std::vector<KeyEntry>& keys, int macroCount)
{
    bool changed = false;
    for (KeyEntry& entry : keys) {
        if (playsMacro(entry.current) && !inLibrary(entry.current, macroCount)) {
            const std::uint16_t position = entry.current.keyIndex();
            entry.current = entry.defaults;
            entry.current.setKeyIndex(position);
            changed = true;
        }
    }
    return changed;
}

MouseTransfer::MouseTransfer(CommandChannel& channel, MouseSettingsLink& settings, std::filesystem::path deviceFolder)
    : m_channel(channel), m_settings(settings), m_folder(std::move(deviceFolder))
{
}

template <typename Write>
int MouseTransfer::configTransfer(Write write)
{
    if (!reachable())
        return kCommandReadFailed;
    const int begun = m_channel.beginConfig();
    if (begun != kCommandOk)
        return begun;
    const int written = reachable() ? write() : kCommandReadFailed;
    if (!reachable())
        return kCommandReadFailed;
    const int ended = m_channel.endConfig();
    return written != kCommandOk ? written : ended;
}

FunctionKeyIndex MouseTransfer::functionKeyIndex() const
{
    const std::uint8_t* table = m_settings.keyTable().data();
    const std::size_t slots = m_settings.deviceInfo().keyCount();
    FunctionKeyIndex index = kestrion::functionKeyIndex(table, slots);
    applyRememberedSlots(index, table, slots, loadRememberedSlots());
    return index;
}

RememberedKeySlots MouseTransfer::loadRememberedSlots() const
{
    RememberedKeySlots remembered;
    const Json::Value document = LoadJsonFile((m_folder / kRememberedSlotsFile).string());
    const Json::Value& positions = memberOf(document, "positions");
    for (std::size_t p = 0; p < kKeyPositions; ++p) {
        const Json::Value& entry = elementOf(positions, static_cast<Json::ArrayIndex>(p));
        const std::optional<std::int64_t> s = integerWithin(memberOf(entry, "slot"), 0, kMaxSlots - 1);
        const Json::Value& written = memberOf(entry, "written");
        std::array<std::uint8_t, kBytesPerSlot> bytes{};
        bool whole = s.has_value();
        for (std::size_t b = 0; b < kBytesPerSlot && whole; ++b) {
            const auto value = integerWithin(elementOf(written, static_cast<Json::ArrayIndex>(b)), 0, 0xFF);
            whole = value.has_value();
            bytes[b] = static_cast<std::uint8_t>(value.value_or(0));
        }
        if (whole) {
            remembered.slot[p] = static_cast<std::uint8_t>(*s);
            remembered.written[p] = bytes;
        }
    }
    return remembered;
}

void MouseTransfer::rememberSlots(const FunctionKeyIndex& index, const std::uint8_t* keyTable) const
{
    Json::Value positions(Json::arrayValue);
    for (std::size_t p = 0; p < kKeyPositions; ++p) {
        Json::Value entry(Json::objectValue);
        entry["slot"] = index[p] == kNoSlot ? -1 : index[p];
        Json::Value& written = entry["written"] = Json::Value(Json::arrayValue);
        for (std::size_t b = 0; b < kBytesPerSlot && index[p] != kNoSlot; ++b)
            written.append(keyTable[index[p] * kBytesPerSlot + b]);
        positions.append(entry);
    }
    Json::Value document(Json::objectValue);
    document["positions"] = positions;
    SaveJsonFile(document, (m_folder / kRememberedSlotsFile).string());
}

std::vector<std::uint8_t> MouseTransfer::macroAssignments(const std::vector<KeyEntry>& keys) const
{
    return kestrion::macroAssignments(keys, macroCount());
}

int MouseTransfer::writeKeys(int page, const std::vector<KeyEntry>& keys)
{
    if (m_settings.refreshDeviceInfo() != kCommandOk)
        return kCommandReadFailed;
    const std::size_t length = m_settings.deviceInfo().keyTableLength();
    if (length > MouseSettingsLink::kKeyTableSize)
        return kCommandReadFailed;
    std::array<std::uint8_t, MouseSettingsLink::kKeyTableSize> table = m_settings.keyTable();
    const FunctionKeyIndex index = functionKeyIndex();
    placeKeys(table.data(), index, keys, macroCount());
    const int result = configTransfer([&] {
        m_channel.setBlockLength(static_cast<std::uint16_t>(length));
        return m_channel.writeKeyTable(table.data(), page);
    });
    if (result == kCommandOk) {
        m_settings.keepWrittenKeyTable(table);
        rememberSlots(index, table.data());
    }
    return result;
}

int MouseTransfer::writeKeysFromProfile(CBasicProfiledata& record)
{
    return writeKeys(0, record.GetKeyList());
}

int MouseTransfer::writeMacros(const std::vector<std::uint8_t>& macros)
{
    if (m_settings.refreshDeviceInfo() != kCommandOk)
        return kEventsLinkFailed;
    MacroLibrary library(m_folder);
    library.load();
    std::vector<EventList> entries;
    for (const std::uint8_t number : macros) {
        const std::optional<std::vector<MacroEvent>> events = library.macroEventsAt(number);
        EventList list = events ? encodeEvents(*events) : EventList{};
        if (list.size() > static_cast<std::size_t>(MacroLibrary::kMaxEvents))
            return static_cast<int>(list.size());
        entries.push_back(std::move(list));
    }
    const std::size_t capacity = m_settings.deviceInfo().bytes()[kInfoMacroBlocks] * kMacroBlockSize;
    return writeContainer(entries, capacity, &CommandChannel::writeMacroData);
}

int MouseTransfer::writeShoot()
{
    std::vector<EventList> entries;
    for (int gun = 0; gun < kShootPatterns; ++gun)
        entries.push_back(shootPattern(gun));
    return writeContainer(entries, kMaxEventContainerSize, &CommandChannel::writeShootData);
}

bool MouseTransfer::dropStaleMacroKeys(CBasicProfiledata& record) const
{
    std::vector<KeyEntry> keys = record.GetKeyList();
    if (!kestrion::dropStaleMacroKeys(keys, macroCount()))
        return false;
    record.SetKeyList(keys);
    return true;
}

int MouseTransfer::macroCount() const
{
    MacroLibrary library(m_folder);
    library.load();
    return library.count();
}

EventList MouseTransfer::shootPattern(int gun) const
{
    const std::string name = shootFileName(gun);
    Json::Value document = LoadJsonFile((m_folder / name).string());
    if (!patternEvents(document))
        document = LoadJsonFile(programDataDir() + "/" + name);
    const Json::Value* events = patternEvents(document);
    return events ? encodeEvents(macroEventsOf(*events)) : EventList{};
}

bool MouseTransfer::reachable()
{
    return m_channel.isOpen() && (!m_channel.receiverMode() || m_channel.queryReceiverLink());
}

int MouseTransfer::writeContainer(const std::vector<EventList>& entries, std::size_t capacity,
                                  int (CommandChannel::*write)(const std::uint8_t*, std::size_t))
{
    const std::size_t total = eventContainerSize(entries);
    if (total > capacity)
        return static_cast<int>((total - capacity) / kDeviceEventSize + 1);
    const std::vector<std::uint8_t> bytes = encodeEventContainer(entries);
    const int result = configTransfer([&] { return (m_channel.*write)(bytes.data(), bytes.size()); });
    return result == kCommandOk ? kEventsWritten : kEventsLinkFailed;
}

}  // namespace kestrion
