#include "pages/key_set_control.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QSize>
#include <QStackedWidget>
#include <QVariant>

#include "ui/language_manager.h"

namespace kestrion {

namespace {

constexpr int kKeyboardKind = 1;
constexpr int kMacroItemHeight = 30;
constexpr const char* kModifierPrefix = "key_ComBox_check_";
constexpr const char* kKeyPageProperty = "keyPage";
constexpr const char* kTextIdProperty = "textId";

// Pages a keyboard has no use for.
constexpr int kMouseOnlyPages[] = {KeyPage::Dpi, KeyPage::GunKey};

int selectedRow(const QComboBox* combo)
{
    return combo ? combo->currentIndex() : -1;
}

void selectRow(QComboBox* combo, int row)
{
    if (combo)
        combo->setCurrentIndex(row < combo->count() ? row : -1);
}

std::string textOf(const QLineEdit* edit)
{
    return edit ? edit->text().toStdString() : std::string();
}

void setTextOf(QLineEdit* edit, const std::string& text)
{
    if (edit)
        edit->setText(QString::fromStdString(text));
}

KeyCode codeOf(const KeyRecord& record)
{
    return {record.type, record.param1, record.param2};
}

}  // namespace

CKeySetControlUI::CKeySetControlUI(QWidget* root, const ui::LanguageManager* language, QObject* parent)
    : QObject(parent), m_root(root), m_language(language)
{
    bindControls();
    setEditorShown(false);
}

template <typename T>
T* CKeySetControlUI::find(const char* name) const
{
    return m_root ? m_root->findChild<T*>(QString::fromLatin1(name)) : nullptr;
}

void CKeySetControlUI::bindControls()
{
    m_editor = find<QWidget>("keyset_layout");
    m_function = find<QComboBox>("keyset_function_combo");
    m_pages = find<QStackedWidget>("function_switch_tablayout");
    m_mouseButton = find<QComboBox>("keyset_mousekey_combo");
    m_swingDirection = find<QComboBox>("keyset_mouseswing_combo");
    m_swingCount = find<QLineEdit>("keyset_mouseswing_num_edit");
    m_swingDelay = find<QLineEdit>("keyset_mouseswing_delay_edit");
    m_swingSpeed = find<QLineEdit>("keyset_mouseswing_speed_edit");
    m_wheelDirection = find<QComboBox>("keyset_mousewheel_combo");
    m_wheelCount = find<QLineEdit>("keyset_mousewheel_num_edit");
    m_wheelDelay = find<QLineEdit>("keyset_mousewheel_delay_edit");
    m_wheelSpeed = find<QLineEdit>("keyset_mousewheel_speed_edit");
    m_dpi = find<QComboBox>("keyset_mousedpi_combo");
    m_fireInterval = find<QLineEdit>("keyset_mousefire_interval_edit");
    m_fireCount = find<QLineEdit>("keyset_mousefire_num_edit");
    m_keyEdit = find<QLineEdit>("keyset_keyboard_text_edit");
    for (int i = 0; i < kModifierOptions; ++i)
        m_modifiers[i] = find<QAbstractButton>((kModifierPrefix + std::to_string(i)).c_str());
    m_pausedMark = find<QWidget>("keyset_capture_paused_label");
    m_media = find<QComboBox>("keyset_media_combo");
    m_system = find<QComboBox>("keyset_system_combo");
    m_macro = find<QComboBox>("keyset_macro_combo");
    m_macroRepeat = find<QComboBox>("keyset_macro_over_combo");
    m_macroCycleLayout = find<QWidget>("keyset_macro_cycle_layout");
    m_macroCycles = find<QLineEdit>("keyset_macro_cycle_edit");
    m_gun = find<QComboBox>("keyset_gunkey_combo");
    m_shortcut = find<QComboBox>("keyset_combokey_combo");
    m_saveButtons[0] = find<QAbstractButton>("key_butt_keysave");
    m_saveButtons[1] = find<QAbstractButton>("key_butt_keycancel");
    m_saveButtons[2] = find<QAbstractButton>("key_butt_prosave");
}

void CKeySetControlUI::setDeviceKind(int kind)
{
    if (kind != kKeyboardKind || !m_function)
        return;
    for (int page : kMouseOnlyPages) {
        if (const int item = functionItemOf(page); item >= 0)
            m_function->removeItem(item);
    }
}

void CKeySetControlUI::fillMacroList(const std::vector<QString>& names)
{
    if (!m_macro)
        return;
    m_macro->clear();
    for (const QString& name : names)
        addMacroItem(name);
    m_macro->setCurrentIndex(-1);
}

void CKeySetControlUI::addMacroItem(const QString& name)
{
    if (!m_macro)
        return;
    const int row = m_macro->count();
    m_macro->addItem(name);
    m_macro->setItemData(row, name, Qt::ToolTipRole);
    m_macro->setItemData(row, QSize(0, kMacroItemHeight), Qt::SizeHintRole);
}

void CKeySetControlUI::removeMacroItem(int index)
{
    if (m_macro && index >= 0 && index < m_macro->count())
        m_macro->removeItem(index);
}

void CKeySetControlUI::renameMacroItem(int index, const QString& name)
{
    if (!m_macro || name.isEmpty() || index < 0 || index >= m_macro->count())
        return;
    m_macro->setItemText(index, name);
    m_macro->setItemData(index, name, Qt::ToolTipRole);
}

void CKeySetControlUI::loadEntry(const KeyEntry& entry)
{
    m_entry = entry;
    showCurrent();
}

KeyEntry CKeySetControlUI::readEntry()
{
    KeyPageState state = pageState();
    const std::string interval = state.fireInterval;
    const KeyCode code = readKeyCode(state, codeOf(m_entry.current), codeOf(m_entry.defaults), macroCount());
    if (state.fireInterval != interval)
        setTextOf(m_fireInterval, state.fireInterval);
    m_entry.current.type = code.type;
    m_entry.current.param1 = code.p1;
    m_entry.current.param2 = code.p2;
    return m_entry;
}

void CKeySetControlUI::showDefault()
{
    show(codeOf(m_entry.defaults));
}

void CKeySetControlUI::showCurrent()
{
    show(codeOf(m_entry.current));
}

void CKeySetControlUI::setCurrent(const KeyRecord& record)
{
    m_entry.current.type = record.type;
    m_entry.current.param1 = record.param1;
    m_entry.current.param2 = record.param2;
}

void CKeySetControlUI::show(KeyCode code)
{
    KeyPageState state = pageState();
    KeyCode current = codeOf(m_entry.current);
    showKeyCode(state, code, codeOf(m_entry.defaults), macroCount(), current);
    setCurrent(KeyRecord{{}, current.type, current.p1, current.p2});
    showPageState(state);
    switchToPage(state.page);
}

void CKeySetControlUI::switchToPage(int page)
{
    const int item = functionItemOf(page);
    setEditorShown(item >= 0);
    if (item < 0)
        return;
    m_function->setCurrentIndex(item);
    if (!m_pages)
        return;
    for (int i = 0; i < m_pages->count(); ++i) {
        if (m_pages->widget(i)->property(kKeyPageProperty).toInt() == page)
            m_pages->setCurrentIndex(i);
    }
}

// The item of the function list whose value is the page, or -1.
int CKeySetControlUI::functionItemOf(int page) const
{
    if (!m_function || page < 0)
        return -1;
    return m_function->findData(page);
}

int CKeySetControlUI::shownPage() const
{
    if (!m_function || m_function->currentIndex() < 0)
        return KeyPage::None;
    return m_function->currentData().toInt();
}

int CKeySetControlUI::macroCount() const
{
    return m_macro ? m_macro->count() : 0;
}

KeyPageState CKeySetControlUI::pageState() const
{
    KeyPageState s;
    s.page = shownPage();
    s.mouseButton = selectedRow(m_mouseButton);
    s.swingDirection = selectedRow(m_swingDirection);
    s.swingCount = textOf(m_swingCount);
    s.swingDelay = textOf(m_swingDelay);
    s.swingSpeed = textOf(m_swingSpeed);
    s.wheelDirection = selectedRow(m_wheelDirection);
    s.wheelCount = textOf(m_wheelCount);
    s.wheelDelay = textOf(m_wheelDelay);
    s.wheelSpeed = textOf(m_wheelSpeed);
    s.dpiFunction = selectedRow(m_dpi);
    s.fireInterval = textOf(m_fireInterval);
    s.fireCount = textOf(m_fireCount);
    s.modifier = selectedModifier();
    s.keyText = keyText().toStdString();
    s.media = selectedRow(m_media);
    s.system = selectedRow(m_system);
    s.macro = selectedRow(m_macro);
    s.macroRepeat = selectedRow(m_macroRepeat);
    s.macroCycles = textOf(m_macroCycles);
    s.macroCyclesShown = m_macroCycleLayout && !m_macroCycleLayout->isHidden();
    s.gun = selectedRow(m_gun);
    s.shortcut = selectedRow(m_shortcut);
    return s;
}

void CKeySetControlUI::showPageState(const KeyPageState& s)
{
    selectRow(m_mouseButton, s.mouseButton);
    selectRow(m_swingDirection, s.swingDirection);
    setTextOf(m_swingCount, s.swingCount);
    setTextOf(m_swingDelay, s.swingDelay);
    setTextOf(m_swingSpeed, s.swingSpeed);
    selectRow(m_wheelDirection, s.wheelDirection);
    setTextOf(m_wheelCount, s.wheelCount);
    setTextOf(m_wheelDelay, s.wheelDelay);
    setTextOf(m_wheelSpeed, s.wheelSpeed);
    selectRow(m_dpi, s.dpiFunction);
    setTextOf(m_fireInterval, s.fireInterval);
    setTextOf(m_fireCount, s.fireCount);
    selectModifier(s.modifier);
    setKeyText(QString::fromStdString(s.keyText));
    selectRow(m_media, s.media);
    selectRow(m_system, s.system);
    selectRow(m_macro, s.macro);
    selectRow(m_macroRepeat, s.macroRepeat);
    setTextOf(m_macroCycles, s.macroCycles);
    if (m_macroCycleLayout)
        m_macroCycleLayout->setVisible(s.macroCyclesShown);
    selectRow(m_gun, s.gun);
    selectRow(m_shortcut, s.shortcut);
}

void CKeySetControlUI::selectModifier(int option)
{
    for (int i = 0; i < kModifierOptions; ++i) {
        if (m_modifiers[i])
            m_modifiers[i]->setChecked(i == option);
    }
}

int CKeySetControlUI::selectedModifier() const
{
    for (int i = 0; i < kModifierOptions; ++i) {
        if (m_modifiers[i] && m_modifiers[i]->isChecked())
            return i;
    }
    return -1;
}

void CKeySetControlUI::setKeyText(const QString& id)
{
    if (!m_keyEdit)
        return;
    // The id stays on the edit, so that a change of language shows the key's new name.
    if (id.isEmpty()) {
        m_keyEdit->setProperty(kTextIdProperty, QVariant());
        m_keyEdit->clear();
    } else if (m_language) {
        m_language->setTextId(m_keyEdit, id);
    } else {
        m_keyEdit->setProperty(kTextIdProperty, id);
        m_keyEdit->setText(id);
    }
}

QString CKeySetControlUI::keyText() const
{
    return m_keyEdit ? m_keyEdit->property(kTextIdProperty).toString() : QString();
}

void CKeySetControlUI::setSaveEnabled(bool enabled)
{
    for (QAbstractButton* button : m_saveButtons) {
        if (button)
            button->setEnabled(enabled);
    }
}

void CKeySetControlUI::setEditorShown(bool shown)
{
    if (m_editor)
        m_editor->setVisible(shown);
}

bool CKeySetControlUI::isEditorShown() const
{
    return m_editor && !m_editor->isHidden();
}

void CKeySetControlUI::functionChosen()
{
    const int page = shownPage();
    switchToPage(page);
    if (page == KeyPage::Keyboard) {
        setKeyText(QString());
        selectModifier(-1);
    }
}

// A count chosen without a number plays the macro once rather than never.
void CKeySetControlUI::repeatChosen()
{
    const bool counted = selectedRow(m_macroRepeat) == kMacroCountedRepeat;
    if (m_macroCycleLayout)
        m_macroCycleLayout->setVisible(counted);
    if (counted && m_macroCycles && m_macroCycles->text().isEmpty())
        m_macroCycles->setText(QStringLiteral("1"));
}

// Only presses count: releasing the modifier of a combination would otherwise clear its key.
bool CKeySetControlUI::keyCaptured(const CapturedInput& input)
{
    if (input.kind != CapturedInput::Kind::Key || !input.pressed || input.scanCode == 0)
        return false;
    const int row = scanCodeRow(input.scanCode, input.extended);
    const auto captured = captureKey(row, selectedModifier(), codeOf(m_entry.current));
    if (!captured)
        return false;
    selectModifier(captured->modifier);
    setKeyText(QString::fromStdString(captured->keyText));
    setCurrent(KeyRecord{{}, captured->code.type, captured->code.p1, captured->code.p2});
    return true;
}

void CKeySetControlUI::setCapturePaused(bool paused)
{
    if (m_pausedMark)
        m_pausedMark->setVisible(paused);
}

}  // namespace kestrion
