#pragma once

#include "pages/device_view.h"
#include "pages/key_editor_router.h"

namespace kestrion {

class CKeySetControlUI;
class CQuellonKeyboardDevice;
class KeyboardLayoutView;

// The keyboard's page: the drawn keyboard showing the keyboard's frames, the lighting editor and
// the profile selector, and on the keys tab the key editor over the slot clicked on the drawing
// and the macro page. Every change goes to the keyboard.
class KeyboardView : public DeviceView {
    Q_OBJECT
public:
    explicit KeyboardView(CQuellonKeyboardDevice& keyboard, QWidget* parent = nullptr);

    CMacroControlUI* macroPage() const override { return m_macroPage; }
    bool routeKeyEditor(const QString& type, const QString& name) override;
    void keyCaptured(const CapturedInput& input) override;
    void setKeyCapturePaused(bool paused) override;
    QWidget* functionTabs() const override;

    CKeySetControlUI* keyEditor() const { return m_keyEditor; }
    KeyboardLayoutView* layoutView() const { return m_layoutView; }
    // Opens the key editor on key slot n.
    void selectKey(int slot);
    int selectedKey() const { return m_selectedKey; }
    // The editor's code into the selected slot, kept in the keyboard's profile.
    void applyKeyEdit();
    bool keysChanged() const { return m_keysChanged; }
    // What the editor shows is written with the macros it plays: a default shown but not yet
    // applied is applied first.
    void saveKeys();

protected:
    void initPage() override;
    void showFrame() override;

private:
    void bindProfileTabs();
    void bindLayoutView();
    void bindKeyEditor();
    void bindMacroPage();
    void layoutKeyClicked(int slot);
    void switchCapture(bool focused);
    void reloadKeyEditor();
    void markKeysChanged(bool changed);
    void loadMacroNames();
    void takeBackEditedKey();
    QString chooseMacroFile(bool save);

    CQuellonKeyboardDevice& m_keyboard;
    KeyboardLayoutView* m_layoutView = nullptr;
    CKeySetControlUI* m_keyEditor = nullptr;
    CMacroControlUI* m_macroPage = nullptr;
    KeyEditorRouter m_router;
    int m_selectedKey = -1;
    bool m_keysChanged = false;
};

}  // namespace kestrion
