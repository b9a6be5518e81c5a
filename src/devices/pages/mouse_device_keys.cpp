// The mouse page's buttons tab: the key list, the key assignment editor over it, and writing the
// buttons with their macros to the mouse.
#include "devices/pages/mouse_device.h"

#include <QListWidget>

#include <algorithm>

#include "devices/mouse_transfer.h"
#include "editors/key_function.h"
#include "editors/key_set_control.h"
#include "pages/key_editor_router.h"
#include "ui/device_key_button.h"
#include "ui/family_name.h"
#include "ui/language_manager.h"
#include "ui/main_window_sink.h"

namespace kestrion {
namespace {

constexpr const char* kKeyEditorName = "KeySetControlItem";
constexpr const char* kFunctionTabs = "mouse_function_tabs";
constexpr const char* kKeyListName = "device_setkeyinfo_list";
constexpr const char* kKeyPicturePrefix = "key_";
constexpr const char* kLastLeftButtonTextId = "message_text_6";
constexpr const char* kKeysLinkFailedTextId = "message_text_7";
constexpr const char* kMacrosDoNotFitTextId = "message_text_16";
constexpr const char* kMacrosLabel = "device_busy_macros_text";
constexpr const char* kKeysLabel = "device_busy_keys_text";
constexpr const char* kLineSeparator = ": ";
constexpr KeyCode kLeftButton{KeyType::MouseButton, 0x01, 0x00};
constexpr int kMouseKinds[] = {2, 6};

// Lists whose choice changes the key's code at once.
constexpr const char* kAppliedCombos[] = {
    "keyset_mousekey_combo", "keyset_mouseswing_combo", "keyset_mousewheel_combo", "keyset_mousedpi_combo",
    "keyset_media_combo",    "keyset_system_combo",     "keyset_macro_combo",      "keyset_gunkey_combo",
    "keyset_combokey_combo",
};

KeyCode codeOf(const KeyRecord& record)
{
    return {record.type, record.param1, record.param2};
}

}  // namespace

void CQuellonMouseDevice::bindKeyEditor()
{
    m_keyList = page()->findChild<QListWidget*>(QString::fromLatin1(kKeyListName));
    if (m_keyList) {
        connect(m_keyList, &QListWidget::itemClicked, this,
                [this](QListWidgetItem* item) { selectKey(item->data(Qt::UserRole).toInt()); });
    }
    auto* root = page()->findChild<QWidget*>(QString::fromLatin1(kKeyEditorName));
    if (!root)
        return;
    m_keyEditor = new CKeySetControlUI(root, language(), this);
    m_keyEditor->setDeviceKind(pageSetup().deviceKind);
    m_keyEditor->setSaveEnabled(false);
    m_router = std::make_unique<KeyEditorRouter>(
        kAppliedCombos, KeyEditorRouter::Hooks{[this] { applyKeyEdit(); }, [this](bool changed) { markKeysChanged(changed); },
                                               [this] { saveKeysToDevice(); },
                                               [this](bool focused) { switchCapture(focused); },
                                               [this](const QString& name) { return routePictureClick(name); }});
    m_router->setEditor(m_keyEditor);
    if (language())
        connect(language(), &ui::LanguageManager::languageChanged, this, &CQuellonMouseDevice::showKeyList);
}

bool CQuellonMouseDevice::routeKeyEditor(const QString& type, const QString& name)
{
    return m_router && m_router->route(type, name);
}

bool CQuellonMouseDevice::routePictureClick(const QString& name)
{
    const ui::FamilyName family = ui::splitFamilyName(name);
    if (family.prefix != QLatin1String(kKeyPicturePrefix))
        return false;
    selectKey(family.index);
    return true;
}

// The window losing the focus only pauses the capture; it goes on when the focus is back.
void CQuellonMouseDevice::switchCapture(bool focused)
{
    if (focused || page()->isActiveWindow())
        sendToMainWindow(WM_USB_MAINMESS_HOOK_SWITCH, focused ? 1 : 0, 0);
}

void CQuellonMouseDevice::selectKey(int key)
{
    const std::vector<KeyEntry> keys = m_record.GetKeyList();
    if (!m_keyEditor || key < 0 || key >= static_cast<int>(keys.size()))
        return;
    if (isLastLeftButton(key)) {
        showNotice(QString::fromLatin1(kLastLeftButtonTextId));
        return;
    }
    m_selectedKey = key;
    for (int i = 0; i < keyButtons().size(); ++i) {
        if (keyButtons()[i])
            keyButtons()[i]->setKeySelected(i == key);
    }
    m_keyEditor->loadEntry(keys[static_cast<std::size_t>(key)]);
    showKeyList();
}

// A mouse keeps at least one left button: the editor does not open on the last one.
bool CQuellonMouseDevice::isLastLeftButton(int key)
{
    if (std::find(std::begin(kMouseKinds), std::end(kMouseKinds), pageSetup().deviceKind) == std::end(kMouseKinds))
        return false;
    const std::vector<KeyEntry> keys = m_record.GetKeyList();
    if (codeOf(keys[static_cast<std::size_t>(key)].current) != kLeftButton)
        return false;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (static_cast<int>(i) != key && codeOf(keys[i].current) == kLeftButton)
            return false;
    }
    return true;
}

void CQuellonMouseDevice::applyKeyEdit()
{
    std::vector<KeyEntry> keys = m_record.GetKeyList();
    if (!m_keyEditor || m_selectedKey < 0 || m_selectedKey >= static_cast<int>(keys.size()))
        return;
    keys[static_cast<std::size_t>(m_selectedKey)] = m_keyEditor->readEntry();
    m_record.SetKeyList(keys);
    // Kept on disk at once, like every other change of the profile; the mouse gets it on saving.
    saveKeysToProfile();
    showKeyList();
    markKeysChanged(true);
}

void CQuellonMouseDevice::markKeysChanged(bool changed)
{
    m_keysChanged = changed;
    if (m_keyEditor)
        m_keyEditor->setSaveEnabled(changed);
}

// The record changed under the editor (another profile, the factory settings): it shows the
// selected key's entry of the new record.
void CQuellonMouseDevice::reloadKeyEditor()
{
    const std::vector<KeyEntry> keys = m_record.GetKeyList();
    if (m_keyEditor && m_selectedKey >= 0 && m_selectedKey < static_cast<int>(keys.size()))
        m_keyEditor->loadEntry(keys[static_cast<std::size_t>(m_selectedKey)]);
    markKeysChanged(false);
}

void CQuellonMouseDevice::showKeyList()
{
    if (!m_keyList)
        return;
    m_keyList->clear();
    const std::vector<KeyEntry> keys = m_record.GetKeyList();
    for (int i = 0; i < static_cast<int>(keys.size()); ++i) {
        const QString line = keyListLine(i, keys[static_cast<std::size_t>(i)]);
        if (line.isEmpty())
            continue;
        auto* item = new QListWidgetItem(line, m_keyList);
        item->setData(Qt::UserRole, i);
        if (i == m_selectedKey)
            m_keyList->setCurrentItem(item);
    }
}

// "<button>: <function>"; empty for a key whose function gets no line.
QString CQuellonMouseDevice::keyListLine(int key, const KeyEntry& entry) const
{
    std::vector<std::string> macros;
    for (const QString& name : macroNames())
        macros.push_back(name.toStdString());
    const KeyFunctionLabel label = keyFunctionLabel(codeOf(entry.current), macros);
    if (!label.shown)
        return {};
    auto text = [this](const QString& id) { return language() ? language()->text(id) : id; };
    QStringList parts;
    for (const std::string& id : label.ids)
        parts.append(text(QString::fromStdString(id)));
    const QString function = label.ids.empty() ? QString::fromStdString(label.literal) : parts.join('+');
    const ui::CDeviceKeyButtonUI* button = key < keyButtons().size() ? keyButtons()[key] : nullptr;
    const QString buttonId = button ? button->property("textId").toString() : QString();
    const QString buttonName = buttonId.isEmpty() ? QString::number(key + 1) : text(buttonId);
    return buttonName + QString::fromLatin1(kLineSeparator) + function;
}

QStringList CQuellonMouseDevice::keyListLines() const
{
    QStringList lines;
    for (int i = 0; m_keyList && i < m_keyList->count(); ++i)
        lines.append(m_keyList->item(i)->text());
    return lines;
}

void CQuellonMouseDevice::keyCaptured(const CapturedInput& input)
{
    if (m_keyEditor && m_keyEditor->shownPage() == KeyPage::Keyboard && m_keyEditor->keyCaptured(input))
        applyKeyEdit();
}

void CQuellonMouseDevice::setKeyCapturePaused(bool paused)
{
    if (m_keyEditor)
        m_keyEditor->setCapturePaused(paused);
}

QWidget* CQuellonMouseDevice::functionTabs() const
{
    return page() ? page()->findChild<QWidget*>(QString::fromLatin1(kFunctionTabs)) : nullptr;
}

// A key whose default is shown but not applied yet is written with its default: what the page
// shows is what the user means to write.
void CQuellonMouseDevice::saveKeysToDevice()
{
    if (m_keyEditor && m_keyEditor->shownPage() == KeyPage::Default
        && codeOf(m_keyEditor->entry().current) != codeOf(m_keyEditor->entry().defaults))
        applyKeyEdit();
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
    // The macros do not fit: nothing was written, and the edited key goes back to its default.
    showNotice(QString::fromLatin1(kMacrosDoNotFitTextId), result);
    if (m_keyEditor && m_selectedKey >= 0) {
        m_keyEditor->showDefault();
        applyKeyEdit();
    }
}

void CQuellonMouseDevice::keysWrittenToDevice(int result)
{
    if (result != kCommandOk) {
        showNotice(QString::fromLatin1(kKeysLinkFailedTextId));
        showPending(Pending::Profile);
    }
    keysSaved();
}

void CQuellonMouseDevice::keysSaved()
{
    saveKeysToProfile();
    markKeysChanged(false);
}

void CQuellonMouseDevice::saveKeysToProfile()
{
    if (!m_record.SaveProfile())
        showNotice(QStringLiteral("profile_write_failed_text"));
}

}  // namespace kestrion
