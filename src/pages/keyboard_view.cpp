#include "pages/keyboard_view.h"

#include <QFileDialog>
#include <QVBoxLayout>

#include "devices/keyboard_device.h"
#include "pages/key_set_control.h"
#include "pages/macro_control.h"
#include "pages/keyboard_layout_view.h"
#include "profiles/macro_library.h"
#include "ui/device_profile.h"

namespace kestrion {
namespace {

constexpr int kKeyboardKind = 1;
constexpr int kLightingTab = 1;
// The function page of the keys tab: there a clicked key is picked for the editor.
constexpr int kKeysPage = 2;

constexpr const char* kLayoutHolder = "keyboard_picture";
constexpr const char* kKeyEditorName = "KeySetControlItem";
constexpr const char* kMacroPageName = "MacroControlItem";
constexpr const char* kFunctionTabs = "keyboard_function_tabs";
// Lists whose choice changes the key's code at once.
constexpr const char* kAppliedCombos[] = {
    "keyset_mousekey_combo", "keyset_mouseswing_combo", "keyset_mousewheel_combo", "keyset_media_combo",
    "keyset_system_combo",   "keyset_macro_combo",      "keyset_combokey_combo",
};

KeyCode codeOf(const KeyRecord& record)
{
    return {record.type, record.param1, record.param2};
}

}  // namespace

KeyboardView::KeyboardView(CQuellonKeyboardDevice& keyboard, QWidget* parent)
    : DeviceView(keyboard, parent),
      m_keyboard(keyboard),
      m_router(kAppliedCombos, {[this] { applyKeyEdit(); }, [this](bool changed) { markKeysChanged(changed); },
                                [this] { saveKeys(); }, [this](bool focused) { switchCapture(focused); }, {}})
{
    connect(&m_keyboard, &CQuellonKeyboardDevice::keysLoaded, this, &KeyboardView::reloadKeyEditor);
    connect(&m_keyboard, &CQuellonKeyboardDevice::keysWritten, this, [this] { markKeysChanged(false); });
    connect(&m_keyboard, &CQuellonKeyboardDevice::macrosDidNotFit, this, &KeyboardView::takeBackEditedKey);
}

void KeyboardView::initPage()
{
    bindLightEditor();
    bindProfileSelector();
    bindProfileTabs();
    bindLayoutView();
    bindKeyEditor();
    bindMacroPage();
    showProfile();
    reloadKeyEditor();
    showFrame();
}

// The page opens on its lighting tab.
void KeyboardView::bindProfileTabs()
{
    if (ui::CDeviceProfileUI* selector = profileSelector()) {
        selector->bindTabs(content());
        selector->SelectTab(kLightingTab);
    }
    showFunctionPage(kLightingTab);
}

void KeyboardView::bindLayoutView()
{
    QWidget* holder = control<QWidget>(QString::fromLatin1(kLayoutHolder));
    if (!holder)
        return;
    auto* box = new QVBoxLayout(holder);
    box->setContentsMargins(8, 8, 8, 8);
    m_layoutView = new KeyboardLayoutView(holder);
    box->addWidget(m_layoutView);
    connect(m_layoutView, &KeyboardLayoutView::keyClicked, this, &KeyboardView::layoutKeyClicked);
}

void KeyboardView::showFrame()
{
    if (m_layoutView)
        m_layoutView->showColours(m_keyboard.frameKeys());
}

void KeyboardView::bindKeyEditor()
{
    auto* root = control<QWidget>(QString::fromLatin1(kKeyEditorName));
    if (!root)
        return;
    m_keyEditor = new CKeySetControlUI(root, language(), this);
    m_keyEditor->setDeviceKind(kKeyboardKind);
    m_keyEditor->setSaveEnabled(false);
    m_router.setEditor(m_keyEditor);
    loadMacroNames();
}

void KeyboardView::bindMacroPage()
{
    auto* root = control<QWidget>(QString::fromLatin1(kMacroPageName));
    const std::string& folder = m_keyboard.pageSetup().dataFolder;
    if (!root || folder.empty())
        return;
    MacroPageHooks hooks;
    hooks.ask = [this](const QString& textId) { return m_keyboard.host() && m_keyboard.host()->ask(textId); };
    hooks.notice = [this](const QString& textId) {
        if (m_keyboard.host())
            m_keyboard.host()->showNotice(textId, std::nullopt);
    };
    hooks.macroInUse = [this](int index) { return MacroLibrary::keysPlayMacro(m_keyboard.keyList(), index); };
    hooks.chooseFile = [this](bool save) { return chooseMacroFile(save); };
    m_macroPage = new CMacroControlUI(*root, folder, language(), std::move(hooks));
    connect(m_macroPage, &CMacroControlUI::libraryChanged, this, &KeyboardView::loadMacroNames);
    connect(m_macroPage, &CMacroControlUI::macroRemoved, &m_keyboard, &CQuellonKeyboardDevice::followRemovedMacro);
    connect(m_macroPage, &CMacroControlUI::deviceWriteWanted, this, &KeyboardView::saveKeys);
}

QWidget* KeyboardView::functionTabs() const
{
    return control<QWidget>(QString::fromLatin1(kFunctionTabs));
}

// On the keys tab a clicked key opens the editor; elsewhere it is painted in the per-key mode.
void KeyboardView::layoutKeyClicked(int slot)
{
    if (functionPage() == kKeysPage)
        selectKey(slot);
    else
        m_keyboard.paintKey(slot);
}

bool KeyboardView::routeKeyEditor(const QString& type, const QString& name)
{
    return m_router.route(type, name);
}

// The window losing the focus only pauses the capture; it goes on when the focus is back.
void KeyboardView::switchCapture(bool focused)
{
    if ((focused || isActiveWindow()) && m_keyboard.host())
        m_keyboard.host()->sendMessage(WM_USB_MAINMESS_HOOK_SWITCH, focused ? 1 : 0, 0);
}

void KeyboardView::keyCaptured(const CapturedInput& input)
{
    if (m_keyEditor && m_keyEditor->shownPage() == KeyPage::Keyboard && m_keyEditor->keyCaptured(input))
        applyKeyEdit();
}

void KeyboardView::setKeyCapturePaused(bool paused)
{
    if (m_keyEditor)
        m_keyEditor->setCapturePaused(paused);
}

void KeyboardView::selectKey(int slot)
{
    const std::vector<KeyEntry> keys = m_keyboard.keyList();
    if (!m_keyEditor || slot < 0 || slot >= static_cast<int>(keys.size()))
        return;
    m_selectedKey = slot;
    if (m_layoutView)
        m_layoutView->setSelectedSlot(slot);
    m_keyEditor->loadEntry(keys[static_cast<std::size_t>(slot)]);
    markKeysChanged(false);
}

void KeyboardView::applyKeyEdit()
{
    if (!m_keyEditor || m_selectedKey < 0 || m_selectedKey >= static_cast<int>(m_keyboard.keyList().size()))
        return;
    m_keyboard.setKey(m_selectedKey, m_keyEditor->readEntry());
    markKeysChanged(true);
}

void KeyboardView::saveKeys()
{
    if (m_keyEditor && m_keyEditor->shownPage() == KeyPage::Default
        && codeOf(m_keyEditor->entry().current) != codeOf(m_keyEditor->entry().defaults))
        applyKeyEdit();
    m_keyboard.saveKeysToDevice();
}

// Macros that do not fit were not written: the edited key goes back to its default.
void KeyboardView::takeBackEditedKey()
{
    if (!m_keyEditor || m_selectedKey < 0)
        return;
    m_keyEditor->showDefault();
    applyKeyEdit();
}

void KeyboardView::markKeysChanged(bool changed)
{
    m_keysChanged = changed;
    if (m_keyEditor)
        m_keyEditor->setSaveEnabled(changed);
}

// The key list changed under the editor (another profile, a read): it shows the selected slot's
// entry, with the library's macros as they are now.
void KeyboardView::reloadKeyEditor()
{
    loadMacroNames();
    const std::vector<KeyEntry> keys = m_keyboard.keyList();
    if (m_keyEditor && m_selectedKey >= 0 && m_selectedKey < static_cast<int>(keys.size()))
        m_keyEditor->loadEntry(keys[static_cast<std::size_t>(m_selectedKey)]);
    markKeysChanged(false);
}

void KeyboardView::loadMacroNames()
{
    const std::string& folder = m_keyboard.pageSetup().dataFolder;
    if (!m_keyEditor || folder.empty())
        return;
    MacroLibrary library(folder);
    library.load();
    std::vector<QString> names;
    for (int i = 0; i < library.count(); ++i)
        names.push_back(QString::fromStdString(library.nameAt(i)));
    m_keyEditor->fillMacroList(names);
}

QString KeyboardView::chooseMacroFile(bool save)
{
    const QString filter = QStringLiteral("Macro Files(*.mac)");
    return save ? QFileDialog::getSaveFileName(this, QString(), QString(), filter)
                : QFileDialog::getOpenFileName(this, QString(), QString(), filter);
}

}  // namespace kestrion
