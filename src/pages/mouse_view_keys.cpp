// The mouse page's buttons tab: the key list, the key editor over the chosen button, the macro page.
#include "pages/mouse_view.h"

#include <QFileDialog>
#include <QListWidget>

#include "editors/key_function.h"
#include "pages/key_set_control.h"
#include "pages/macro_control.h"
#include "profiles/macro_library.h"
#include "ui/device_key_button.h"
#include "ui/family_name.h"
#include "ui/language_manager.h"

namespace kestrion {
namespace {

constexpr const char* kKeyEditorName = "KeySetControlItem";
constexpr const char* kFunctionTabs = "mouse_function_tabs";
constexpr const char* kKeyListName = "device_setkeyinfo_list";
constexpr const char* kMacroPageName = "MacroControlItem";
constexpr const char* kKeyPicturePrefix = "key_";
constexpr const char* kLastLeftButtonTextId = "message_text_6";
constexpr const char* kLineSeparator = ": ";

KeyCode codeOf(const KeyRecord& record)
{
    return {record.type, record.param1, record.param2};
}

}  // namespace

void MouseView::bindKeyEditor()
{
    m_keyList = control<QListWidget>(QString::fromLatin1(kKeyListName));
    if (m_keyList) {
        connect(m_keyList, &QListWidget::itemClicked, this,
                [this](QListWidgetItem* item) { selectKey(item->data(Qt::UserRole).toInt()); });
    }
    if (language())
        connect(language(), &ui::LanguageManager::languageChanged, this, &MouseView::showKeyList);
    auto* root = control<QWidget>(QString::fromLatin1(kKeyEditorName));
    if (!root)
        return;
    m_keyEditor = new CKeySetControlUI(root, language(), this);
    m_keyEditor->setDeviceKind(m_mouse.deviceKind());
    m_keyEditor->setSaveEnabled(false);
    m_router.setEditor(m_keyEditor);
}

void MouseView::bindMacroPage()
{
    auto* root = control<QWidget>(QString::fromLatin1(kMacroPageName));
    const std::string& folder = m_mouse.pageSetup().dataFolder;
    if (!root || folder.empty())
        return;
    MacroPageHooks hooks;
    hooks.ask = [this](const QString& textId) { return askUser(textId); };
    hooks.notice = [this](const QString& textId) { notice(textId); };
    hooks.macroInUse = [this](int index) { return MacroLibrary::keysPlayMacro(m_mouse.keyList(), index); };
    hooks.chooseFile = [this](bool save) { return chooseMacroFile(save); };
    m_macroPage = new CMacroControlUI(*root, folder, language(), std::move(hooks));
    connect(m_macroPage, &CMacroControlUI::libraryChanged, this, [this] {
        loadMacroNames();
        showKeyList();
    });
    connect(m_macroPage, &CMacroControlUI::macroRemoved, &m_mouse, &CQuellonMouseDevice::followRemovedMacro);
    connect(m_macroPage, &CMacroControlUI::deviceWriteWanted, this, &MouseView::saveKeys);
}

QWidget* MouseView::functionTabs() const
{
    return control<QWidget>(QString::fromLatin1(kFunctionTabs));
}

bool MouseView::routeKeyEditor(const QString& type, const QString& name)
{
    return m_router.route(type, name);
}

bool MouseView::routePictureClick(const QString& name)
{
    const ui::FamilyName family = ui::splitFamilyName(name);
    if (family.prefix != QLatin1String(kKeyPicturePrefix))
        return false;
    selectKey(family.index);
    return true;
}

// The window losing the focus only pauses the capture; it goes on when the focus is back.
void MouseView::switchCapture(bool focused)
{
    if ((focused || isActiveWindow()) && m_mouse.host())
        m_mouse.host()->sendMessage(WM_USB_MAINMESS_HOOK_SWITCH, focused ? 1 : 0, 0);
}

void MouseView::keyCaptured(const CapturedInput& input)
{
    if (m_keyEditor && m_keyEditor->shownPage() == KeyPage::Keyboard && m_keyEditor->keyCaptured(input))
        applyKeyEdit();
}

void MouseView::setKeyCapturePaused(bool paused)
{
    if (m_keyEditor)
        m_keyEditor->setCapturePaused(paused);
}

void MouseView::selectKey(int key)
{
    const std::vector<KeyEntry> keys = m_mouse.keyList();
    if (!m_keyEditor || key < 0 || key >= static_cast<int>(keys.size()))
        return;
    if (m_mouse.isLastLeftButton(key)) {
        notice(QString::fromLatin1(kLastLeftButtonTextId));
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

void MouseView::applyKeyEdit()
{
    if (!m_keyEditor || !m_mouse.setKey(m_selectedKey, m_keyEditor->readEntry()))
        return;
    showKeyList();
    markKeysChanged(true);
}

void MouseView::saveKeys()
{
    if (m_keyEditor && m_keyEditor->shownPage() == KeyPage::Default
        && codeOf(m_keyEditor->entry().current) != codeOf(m_keyEditor->entry().defaults))
        applyKeyEdit();
    m_mouse.saveKeysToDevice();
}

// Macros that do not fit were not written: the edited button goes back to its default.
void MouseView::takeBackEditedKey()
{
    if (!m_keyEditor || m_selectedKey < 0)
        return;
    m_keyEditor->showDefault();
    applyKeyEdit();
}

void MouseView::markKeysChanged(bool changed)
{
    m_keysChanged = changed;
    if (m_keyEditor)
        m_keyEditor->setSaveEnabled(changed);
}

// The key list changed under the editor (another profile, the factory settings, a renumbering):
// it shows the selected button's entry of the new list.
void MouseView::reloadKeyEditor()
{
    const std::vector<KeyEntry> keys = m_mouse.keyList();
    if (m_keyEditor && m_selectedKey >= 0 && m_selectedKey < static_cast<int>(keys.size()))
        m_keyEditor->loadEntry(keys[static_cast<std::size_t>(m_selectedKey)]);
    markKeysChanged(false);
    showKeyList();
}

void MouseView::showKeyList()
{
    if (!m_keyList)
        return;
    m_keyList->clear();
    const std::vector<KeyEntry> keys = m_mouse.keyList();
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
QString MouseView::keyListLine(int key, const KeyEntry& entry) const
{
    std::vector<std::string> macros;
    for (const QString& name : m_macroNames)
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

QStringList MouseView::keyListLines() const
{
    QStringList lines;
    for (int i = 0; m_keyList && i < m_keyList->count(); ++i)
        lines.append(m_keyList->item(i)->text());
    return lines;
}

void MouseView::loadMacroNames()
{
    m_macroNames.clear();
    const std::string& folder = m_mouse.pageSetup().dataFolder;
    if (!folder.empty()) {
        MacroLibrary library(folder);
        library.load();
        for (int i = 0; i < library.count(); ++i)
            m_macroNames.push_back(QString::fromStdString(library.nameAt(i)));
    }
    if (m_keyEditor)
        m_keyEditor->fillMacroList(m_macroNames);
}

QString MouseView::chooseMacroFile(bool save)
{
    const QString filter = QStringLiteral("Macro Files(*.mac)");
    return save ? QFileDialog::getSaveFileName(this, QString(), QString(), filter)
                : QFileDialog::getOpenFileName(this, QString(), QString(), filter);
}

}  // namespace kestrion
