#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <vector>

#include "editors/key_function.h"
#include "platform/input_capture.h"
#include "profiles/profile_records.h"

class QAbstractButton;
class QComboBox;
class QLineEdit;
class QStackedWidget;
class QWidget;

namespace kestrion {

namespace ui {
class LanguageManager;
}

// The key assignment editor over the skin's "KeySetControlItem" layout: shows the function of the
// selected key on one of its function pages and turns the user's choices back into a key function
// code. It holds a working copy of the key's entry and never talks to the device; the device page
// applies what it reads. Controls the skin lacks are skipped.
class CKeySetControlUI : public QObject {
    Q_OBJECT
public:
    static constexpr int kModifierOptions = 5;

    CKeySetControlUI(QWidget* root, const ui::LanguageManager* language, QObject* parent = nullptr);

    // A keyboard has no DPI and no gun-key functions: their pages leave the function list. Called
    // once, when the editor is made.
    void setDeviceKind(int kind);

    // The macro list follows the macro library's names, in library order.
    void fillMacroList(const std::vector<QString>& names);
    void addMacroItem(const QString& name);
    void removeMacroItem(int index);
    void renameMacroItem(int index, const QString& name);

    // Stores the entry as the working copy and shows its current code.
    void loadEntry(const KeyEntry& entry);
    // Builds the current code from the page shown into the working copy and returns the copy.
    KeyEntry readEntry();
    void showDefault();
    void showCurrent();
    void setCurrent(const KeyRecord& record);
    const KeyEntry& entry() const { return m_entry; }

    // -1 clears the five modifier options.
    void selectModifier(int option);
    int selectedModifier() const;
    // Shows the language text of a key name id in the key edit ("" clears it).
    void setKeyText(const QString& id);
    QString keyText() const;
    void setSaveEnabled(bool enabled);
    void setEditorShown(bool shown);
    bool isEditorShown() const;
    int shownPage() const;

    // What the function list and the repeat list do when the user picks an item; the device page
    // applies the key's code afterwards.
    void functionChosen();
    void repeatChosen();
    // A key event captured while the key edit has the focus: presses of keyboard keys are taken,
    // releases and keys without a keyboard code are ignored. True when the code changed.
    bool keyCaptured(const CapturedInput& input);
    void setCapturePaused(bool paused);

private:
    void bindControls();
    template <typename T>
    T* find(const char* name) const;
    KeyPageState pageState() const;
    void showPageState(const KeyPageState& state);
    void show(KeyCode code);
    void switchToPage(int page);
    int functionItemOf(int page) const;
    int macroCount() const;

    QPointer<QWidget> m_root;
    const ui::LanguageManager* m_language;
    KeyEntry m_entry{};

    QWidget* m_editor = nullptr;
    QComboBox* m_function = nullptr;
    QStackedWidget* m_pages = nullptr;
    QComboBox* m_mouseButton = nullptr;
    QComboBox* m_swingDirection = nullptr;
    QLineEdit* m_swingCount = nullptr;
    QLineEdit* m_swingDelay = nullptr;
    QLineEdit* m_swingSpeed = nullptr;
    QComboBox* m_wheelDirection = nullptr;
    QLineEdit* m_wheelCount = nullptr;
    QLineEdit* m_wheelDelay = nullptr;
    QLineEdit* m_wheelSpeed = nullptr;
    QComboBox* m_dpi = nullptr;
    QLineEdit* m_fireInterval = nullptr;
    QLineEdit* m_fireCount = nullptr;
    QLineEdit* m_keyEdit = nullptr;
    QAbstractButton* m_modifiers[kModifierOptions] = {};
    QWidget* m_pausedMark = nullptr;
    QComboBox* m_media = nullptr;
    QComboBox* m_system = nullptr;
    QComboBox* m_macro = nullptr;
    QComboBox* m_macroRepeat = nullptr;
    QWidget* m_macroCycleLayout = nullptr;
    QLineEdit* m_macroCycles = nullptr;
    QComboBox* m_gun = nullptr;
    QComboBox* m_shortcut = nullptr;
    QAbstractButton* m_saveButtons[3] = {};
};

}  // namespace kestrion
