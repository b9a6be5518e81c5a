// The keyboard's keys: the profile's assignment per key slot, and writing the keys with the
// macros they play to the keyboard.
#include "devices/keyboard_device.h"

#include "devices/keyboard_keys.h"
#include "profiles/macro_library.h"

namespace kestrion {
namespace {

constexpr const char* kLinkFailedTextId = "message_text_7";
constexpr const char* kMacrosDoNotFitTextId = "message_text_16";
constexpr const char* kMacrosLabel = "device_busy_macros_text";
constexpr const char* kKeysLabel = "device_busy_keys_text";

// Bytes by which the container overflows the area, told as the mouse tells it ((excess / 4) + 1),
// or a macro's event count past the limit; 0 when the macros fit.
int macroOverflow(const std::vector<EventList>& entries, std::size_t capacity)
{
    for (const EventList& entry : entries) {
        if (entry.size() > CQuellonKeyboardDevice::kMaxMacroEvents)
            return static_cast<int>(entry.size());
    }
    const std::size_t total = eventContainerSize(entries);
    return total > capacity ? static_cast<int>((total - capacity) / kDeviceEventSize + 1) : 0;
}

}  // namespace

// The profile keeps each slot's assignment; its default is always the layout's key.
std::vector<KeyEntry> CQuellonKeyboardDevice::keyList()
{
    std::vector<KeyEntry> keys = keyboardFactoryKeys(keySlots());
    const std::vector<KeyEntry> stored = m_record.GetKeyList();
    if (stored.size() == keys.size()) {
        for (std::size_t slot = 0; slot < keys.size(); ++slot)
            keys[slot].current = stored[slot].current;
    }
    return keys;
}

void CQuellonKeyboardDevice::setKey(int slot, const KeyEntry& key)
{
    std::vector<KeyEntry> keys = keyList();
    if (slot < 0 || slot >= static_cast<int>(keys.size()))
        return;
    keys[static_cast<std::size_t>(slot)] = key;
    m_record.SetKeyList(keys);
    // Kept on disk at once, like every other change of the profile; the keyboard gets it on saving.
    saveRecord();
}

// A profile without a key list for every slot takes the keys as the keyboard holds them, with
// its layout's own keys as the defaults: saving then leaves the keys the user did not touch as
// they were.
void CQuellonKeyboardDevice::adoptDeviceKeys()
{
    if (keySlots() > 0 && m_record.GetKeyList().size() != keySlots()) {
        std::vector<KeyEntry> keys = keyboardFactoryKeys(keySlots());
        for (std::size_t slot = 0; slot < keys.size(); ++slot) {
            const std::size_t at = keySlotOffset(slot);
            keys[slot].current.type = m_keys[at];
            keys[slot].current.param1 = m_keys[at + 1];
            keys[slot].current.param2 = m_keys[at + 2];
        }
        m_record.SetKeyList(keys);
        saveRecord();
    }
    emit keysLoaded();
}

// The library renumbered the keys of the profile files; the record in memory and the keyboard follow.
void CQuellonKeyboardDevice::followRemovedMacro(int index)
{
    std::vector<KeyEntry> keys = keyList();
    if (!MacroLibrary::renumberKeys(keys, index))
        return;
    m_record.SetKeyList(keys);
    emit keysLoaded();
    saveKeysToDevice();
}

// The macros the keys play, as one container, then the key table referring to them by place.
void CQuellonKeyboardDevice::saveKeysToDevice()
{
    if (keySlots() == 0)
        return;
    const std::vector<KeyEntry> keys = keyList();
    MacroLibrary library(pageSetup().dataFolder);
    library.load();
    std::vector<EventList> entries;
    for (const std::uint8_t number : keyboardMacroAssignments(keys, library.count())) {
        const std::optional<std::vector<MacroEvent>> events = library.macroEventsAt(number);
        entries.push_back(events ? encodeEvents(*events) : EventList{});
    }
    const std::size_t capacity = std::size_t{m_info[keyboard_memory::kInfoMacroBlocks]} * keyboard_memory::kMacroBlockSize;
    if (const int overflow = macroOverflow(entries, capacity); overflow > 0) {
        showNotice(QString::fromLatin1(kMacrosDoNotFitTextId), overflow);
        emit macrosDidNotFit();
        return;
    }
    KeyboardLink::KeyTable table = m_keys;
    placeKeyboardKeys(table, keys, library.count());
    const std::vector<std::uint8_t> container = encodeEventContainer(entries);
    runJob(kMacrosLabel, [this, container, table]() -> UiStep {
        const int result = m_link.writeMacros(container);
        return [this, result, table] { macrosWrittenForKeys(result, table); };
    });
}

// The key table refers to macros by their place in the container just written: it follows only
// a macro write that succeeded.
void CQuellonKeyboardDevice::macrosWrittenForKeys(int result, const KeyboardLink::KeyTable& table)
{
    if (result != kCommandOk) {
        keysWrittenToDevice(result, table);
        return;
    }
    runJob(kKeysLabel, [this, table]() -> UiStep {
        const int written = m_link.writeKeys(table);
        return [this, written, table] { keysWrittenToDevice(written, table); };
    });
}

void CQuellonKeyboardDevice::keysWrittenToDevice(int result, const KeyboardLink::KeyTable& table)
{
    if (result == kCommandOk)
        m_keys = table;
    else
        showNotice(QString::fromLatin1(kLinkFailedTextId));
    emit keysWritten();
}

}  // namespace kestrion
