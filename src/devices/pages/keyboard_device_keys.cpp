// The keyboard page's keys tab and macro page: the key editor over the slot picked on the drawn
// layout, and writing the keys with the macros they play to the keyboard.
#include "devices/pages/keyboard_device.h"

#include <QFileDialog>

#include "devices/keyboard_keys.h"
#include "devices/pages/keyboard_layout_view.h"
#include "editors/key_set_control.h"
#include "editors/macro_control.h"
#include "profiles/macro_library.h"
#include "ui/family_name.h"
#include "ui/main_window_sink.h"

namespace kestrion {
namespace {

constexpr int kKeyboardKind = 1;
// The function page of the keys tab: there a clicked key is picked for the editor.
constexpr int kKeysPage = 2;

constexpr const char* kKeyEditorName = "KeySetControlItem";
constexpr const char* kMacroPageName = "MacroControlItem";
constexpr const char* kFunctionTabs = "keyboard_function_tabs";
constexpr const char* kKeyEditName = "keyset_keyboard_text_edit";
constexpr const char* kModifierPrefix = "key_ComBox_check_";
constexpr const char* kFunctionCombo = "keyset_function_combo";
constexpr const char* kRepeatCombo = "keyset_macro_over_combo";
constexpr const char* kLinkFailedTextId = "message_text_7";
constexpr const char* kMacrosDoNotFitTextId = "message_text_16";
constexpr const char* kMacrosLabel = "device_busy_macros_text";
constexpr const char* kKeysLabel = "device_busy_keys_text";

// Lists whose choice changes the key's code at once.
constexpr const char* kAppliedCombos[] = {
    "keyset_mousekey_combo", "keyset_mouseswing_combo", "keyset_mousewheel_combo", "keyset_media_combo",
    "keyset_system_combo",   "keyset_macro_combo",      "keyset_combokey_combo",
};

// Number edits whose value is applied when the user leaves them (or confirms with Enter).
constexpr const char* kAppliedEdits[] = {
    "keyset_mouseswing_num_edit", "keyset_mouseswing_delay_edit",   "keyset_mouseswing_speed_edit",
    "keyset_mousewheel_num_edit", "keyset_mousewheel_delay_edit",   "keyset_mousewheel_speed_edit",
    "keyset_mousefire_interval_edit", "keyset_mousefire_num_edit", "keyset_macro_cycle_edit",
};

KeyCode codeOf(const KeyRecord& record)
{
    return {record.type, record.param1, record.param2};
}

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

void CQuellonKeyboardDevice::bindKeyEditor()
{
    auto* root = control<QWidget>(QString::fromLatin1(kKeyEditorName));
    if (!root)
        return;
    m_keyEditor = new CKeySetControlUI(root, language(), this);
    m_keyEditor->setDeviceKind(kKeyboardKind);
    m_keyEditor->setSaveEnabled(false);
    loadMacroNames();
}

void CQuellonKeyboardDevice::bindMacroPage()
{
    auto* root = control<QWidget>(QString::fromLatin1(kMacroPageName));
    const std::string& folder = pageSetup().dataFolder;
    if (!root || folder.empty())
        return;
    MacroPageHooks hooks;
    hooks.ask = [this](const QString& textId) { return ask(textId); };
    hooks.notice = [this](const QString& textId) { showNotice(textId); };
    hooks.macroInUse = [this](int index) { return MacroLibrary::keysPlayMacro(keyList(), index); };
    hooks.chooseFile = [this](bool save) { return chooseMacroFile(save); };
    m_macroPage = new CMacroControlUI(*root, folder, language(), std::move(hooks));
    connect(m_macroPage, &CMacroControlUI::libraryChanged, this, &CQuellonKeyboardDevice::loadMacroNames);
    connect(m_macroPage, &CMacroControlUI::macroRemoved, this, &CQuellonKeyboardDevice::followRemovedMacro);
    connect(m_macroPage, &CMacroControlUI::deviceWriteWanted, this, &CQuellonKeyboardDevice::saveKeysToDevice);
}

QWidget* CQuellonKeyboardDevice::functionTabs() const
{
    return control<QWidget>(QString::fromLatin1(kFunctionTabs));
}

// On the keys tab a clicked key opens the editor; elsewhere it is painted in the per-key mode.
void CQuellonKeyboardDevice::layoutKeyClicked(int slot)
{
    if (functionPage() == kKeysPage)
        selectKey(slot);
    else
        paintKey(slot);
}

bool CQuellonKeyboardDevice::routeKeyEditor(const QString& type, const QString& name)
{
    if (!m_keyEditor)
        return false;
    if (type == QLatin1String("click"))
        return routeKeyEditorClick(name);
    if (type == QLatin1String("selectchanged") && ui::splitFamilyName(name).prefix == QLatin1String(kModifierPrefix)) {
        m_keyEditor->selectModifier(ui::splitFamilyName(name).index);
        applyKeyEdit();
        return true;
    }
    if (type == QLatin1String("itemselect"))
        return routeKeyEditorList(name);
    if (type == QLatin1String("setfocus") || type == QLatin1String("killfocus"))
        return routeKeyEditorFocus(type == QLatin1String("setfocus"), name);
    if (type == QLatin1String("return") && ui::isOneOf(name, kAppliedEdits)) {
        applyKeyEdit();
        return true;
    }
    return false;
}

bool CQuellonKeyboardDevice::routeKeyEditorClick(const QString& name)
{
    if (name == QLatin1String("key_butt_keysave")) {
        applyKeyEdit();
    } else if (name == QLatin1String("key_butt_keydefalut")) {
        m_keyEditor->showDefault();
        markKeysChanged(true);
    } else if (name == QLatin1String("key_butt_keycancel")) {
        m_keyEditor->showCurrent();
        markKeysChanged(false);
    } else if (name == QLatin1String("key_butt_prosave")) {
        saveKeysToDevice();
    } else {
        return false;
    }
    return true;
}

bool CQuellonKeyboardDevice::routeKeyEditorList(const QString& name)
{
    if (name == QLatin1String(kFunctionCombo))
        m_keyEditor->functionChosen();
    else if (name == QLatin1String(kRepeatCombo))
        m_keyEditor->repeatChosen();
    else if (!ui::isOneOf(name, kAppliedCombos))
        return false;
    applyKeyEdit();
    return true;
}

bool CQuellonKeyboardDevice::routeKeyEditorFocus(bool focused, const QString& name)
{
    if (name == QLatin1String(kKeyEditName)) {
        // The window losing the focus only pauses the capture; it goes on when the focus is back.
        if (focused || page()->isActiveWindow())
            sendToMainWindow(WM_USB_MAINMESS_HOOK_SWITCH, focused ? 1 : 0, 0);
        return true;
    }
    if (!focused && ui::isOneOf(name, kAppliedEdits)) {
        applyKeyEdit();
        return true;
    }
    return false;
}

void CQuellonKeyboardDevice::keyCaptured(const CapturedInput& input)
{
    if (m_keyEditor && m_keyEditor->shownPage() == KeyPage::Keyboard && m_keyEditor->keyCaptured(input))
        applyKeyEdit();
}

void CQuellonKeyboardDevice::setKeyCapturePaused(bool paused)
{
    if (m_keyEditor)
        m_keyEditor->setCapturePaused(paused);
}

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

void CQuellonKeyboardDevice::selectKey(int slot)
{
    const std::vector<KeyEntry> keys = keyList();
    if (!m_keyEditor || slot < 0 || slot >= static_cast<int>(keys.size()))
        return;
    m_selectedKey = slot;
    if (m_layoutView)
        m_layoutView->setSelectedSlot(slot);
    m_keyEditor->loadEntry(keys[static_cast<std::size_t>(slot)]);
    markKeysChanged(false);
}

void CQuellonKeyboardDevice::applyKeyEdit()
{
    std::vector<KeyEntry> keys = keyList();
    if (!m_keyEditor || m_selectedKey < 0 || m_selectedKey >= static_cast<int>(keys.size()))
        return;
    keys[static_cast<std::size_t>(m_selectedKey)] = m_keyEditor->readEntry();
    m_record.SetKeyList(keys);
    // Kept on disk at once, like every other change of the profile; the keyboard gets it on saving.
    saveRecord();
    markKeysChanged(true);
}

void CQuellonKeyboardDevice::markKeysChanged(bool changed)
{
    m_keysChanged = changed;
    if (m_keyEditor)
        m_keyEditor->setSaveEnabled(changed);
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
    reloadKeyEditor();
}

// The record changed under the editor (another profile, a read): it shows the selected slot's
// entry, with the library's macros as they are now.
void CQuellonKeyboardDevice::reloadKeyEditor()
{
    loadMacroNames();
    const std::vector<KeyEntry> keys = keyList();
    if (m_keyEditor && m_selectedKey >= 0 && m_selectedKey < static_cast<int>(keys.size()))
        m_keyEditor->loadEntry(keys[static_cast<std::size_t>(m_selectedKey)]);
    markKeysChanged(false);
}

void CQuellonKeyboardDevice::loadMacroNames()
{
    const std::string& folder = pageSetup().dataFolder;
    if (!m_keyEditor || folder.empty())
        return;
    MacroLibrary library(folder);
    library.load();
    std::vector<QString> names;
    for (int i = 0; i < library.count(); ++i)
        names.push_back(QString::fromStdString(library.nameAt(i)));
    m_keyEditor->fillMacroList(names);
}

// The library renumbered the keys of the profile files; the record in memory and the keyboard follow.
void CQuellonKeyboardDevice::followRemovedMacro(int index)
{
    std::vector<KeyEntry> keys = keyList();
    if (!MacroLibrary::renumberKeys(keys, index))
        return;
    m_record.SetKeyList(keys);
    reloadKeyEditor();
    saveKeysToDevice();
}

QString CQuellonKeyboardDevice::chooseMacroFile(bool save)
{
    const QString filter = QStringLiteral("Macro Files(*.mac)");
    return save ? QFileDialog::getSaveFileName(page(), QString(), QString(), filter)
                : QFileDialog::getOpenFileName(page(), QString(), QString(), filter);
}

// The macros the keys play, as one container, then the key table referring to them by place.
// A key whose default is shown but not applied yet is written with its default: what the page
// shows is what the user means to write.
void CQuellonKeyboardDevice::saveKeysToDevice()
{
    if (keySlots() == 0)
        return;
    if (m_keyEditor && m_keyEditor->shownPage() == KeyPage::Default
        && codeOf(m_keyEditor->entry().current) != codeOf(m_keyEditor->entry().defaults))
        applyKeyEdit();
    const std::vector<KeyEntry> keys = keyList();
    MacroLibrary library(pageSetup().dataFolder);
    library.load();
    std::vector<EventList> entries;
    for (const std::uint8_t number : keyboardMacroAssignments(keys, library.count())) {
        const std::optional<Json::Value> events = library.eventsAt(number);
        entries.push_back(events ? encodeEvents(*events) : EventList{});
    }
    const std::size_t capacity = std::size_t{m_info[keyboard_memory::kInfoMacroBlocks]} * keyboard_memory::kMacroBlockSize;
    if (const int overflow = macroOverflow(entries, capacity); overflow > 0) {
        // Nothing is written, and the edited key goes back to its default.
        showNotice(QString::fromLatin1(kMacrosDoNotFitTextId), overflow);
        if (m_keyEditor && m_selectedKey >= 0) {
            m_keyEditor->showDefault();
            applyKeyEdit();
        }
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
        keysWritten(result, table);
        return;
    }
    runJob(kKeysLabel, [this, table]() -> UiStep {
        const int written = m_link.writeKeys(table);
        return [this, written, table] { keysWritten(written, table); };
    });
}

void CQuellonKeyboardDevice::keysWritten(int result, const KeyboardLink::KeyTable& table)
{
    if (result == kCommandOk)
        m_keys = table;
    else
        showNotice(QString::fromLatin1(kLinkFailedTextId));
    markKeysChanged(false);
}

}  // namespace kestrion
