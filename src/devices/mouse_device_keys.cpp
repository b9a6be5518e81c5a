// The mouse's buttons: their assignments in the profile, and writing them with their macros.
#include "devices/mouse_device.h"

#include "devices/mouse_transfer.h"
#include "profiles/macro_library.h"

namespace kestrion {
namespace {

constexpr const char* kKeysLinkFailedTextId = "message_text_7";
constexpr const char* kMacrosDoNotFitTextId = "message_text_16";
constexpr const char* kMacrosLabel = "device_busy_macros_text";
constexpr const char* kKeysLabel = "device_busy_keys_text";
// The left button's function: mouse button 1.
constexpr std::uint8_t kMouseButtonType = 0x10;
constexpr std::uint8_t kLeftButtonNumber = 0x01;

bool isLeftButton(const KeyRecord& record)
{
    return record.type == kMouseButtonType && record.param1 == kLeftButtonNumber && record.param2 == 0;
}

}  // namespace

// Kept on disk at once, like every other change of the profile; the mouse gets it on saving.
bool CQuellonMouseDevice::setKey(int key, const KeyEntry& entry)
{
    std::vector<KeyEntry> keys = m_record.GetKeyList();
    if (key < 0 || key >= static_cast<int>(keys.size()))
        return false;
    keys[static_cast<std::size_t>(key)] = entry;
    m_record.SetKeyList(keys);
    saveRecord();
    return true;
}

// A mouse keeps at least one left button.
bool CQuellonMouseDevice::isLastLeftButton(int key)
{
    const std::vector<KeyEntry> keys = m_record.GetKeyList();
    if (key < 0 || key >= static_cast<int>(keys.size()) || !isLeftButton(keys[static_cast<std::size_t>(key)].current))
        return false;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (static_cast<int>(i) != key && isLeftButton(keys[i].current))
            return false;
    }
    return true;
}

void CQuellonMouseDevice::saveKeysToDevice()
{
    const std::vector<KeyEntry> keys = m_record.GetKeyList();
    runJob(kMacrosLabel, [this, keys]() -> UiStep {
        MouseTransfer transfer(commandChannel(), m_settings, pageSetup().dataFolder);
        const int result = transfer.writeMacros(transfer.macroAssignments(keys));
        return [this, result, keys] { macrosWrittenForKeys(result, keys); };
    });
}

// The key table refers to macros by their place in the container just written: it follows only
// a macro write that succeeded. A link failure leaves the buttons pending, written with the rest
// of the profile when the mouse answers again.
void CQuellonMouseDevice::macrosWrittenForKeys(int result, const std::vector<KeyEntry>& keys)
{
    if (result == kEventsWritten) {
        runJob(kKeysLabel, [this, keys]() -> UiStep {
            MouseTransfer transfer(commandChannel(), m_settings, pageSetup().dataFolder);
            const int written = transfer.writeKeys(0, keys);
            return [this, written] { keysWrittenToDevice(written); };
        });
        return;
    }
    if (result == kEventsLinkFailed) {
        keysWrittenToDevice(result);
        return;
    }
    showNotice(QString::fromLatin1(kMacrosDoNotFitTextId), result);
    emit macrosDidNotFit();
}

void CQuellonMouseDevice::keysWrittenToDevice(int result)
{
    if (result != kCommandOk) {
        showPending(Pending::Profile);
        showNotice(QString::fromLatin1(kKeysLinkFailedTextId));
    }
    saveRecord();
    emit keysWritten();
}

// The library renumbered the keys of the profile files; the record in memory and the mouse follow.
void CQuellonMouseDevice::followRemovedMacro(int index)
{
    std::vector<KeyEntry> keys = m_record.GetKeyList();
    if (!MacroLibrary::renumberKeys(keys, index))
        return;
    m_record.SetKeyList(keys);
    emit keysLoaded();
    saveKeysToDevice();
}

}  // namespace kestrion
