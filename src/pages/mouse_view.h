#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <memory>
#include <vector>

#include "devices/mouse_device.h"
#include "pages/device_view.h"
#include "pages/key_editor_router.h"

class QAbstractButton;
class QLineEdit;
class QListWidget;
class QSlider;

namespace kestrion {

class CKeySetControlUI;
class CustomLightLists;

namespace ui {
class CShootControlUI;
}

// The mouse's page: the DPI stages, the performance and pointer settings, the lighting editor
// with the audio light and custom lists, the buttons tab with its key editor and key list, the
// macro page and the shoot page. It shows what the mouse holds and hands every change to it.
class MouseView : public DeviceView {
    Q_OBJECT
public:
    explicit MouseView(CQuellonMouseDevice& mouse, QWidget* parent = nullptr);
    ~MouseView() override;

    bool routeNotification(const QString& type, const QString& name, QWidget* control) override;
    CMacroControlUI* macroPage() const override { return m_macroPage; }
    bool routeKeyEditor(const QString& type, const QString& name) override;
    void keyCaptured(const CapturedInput& input) override;
    void setKeyCapturePaused(bool paused) override;
    QWidget* functionTabs() const override;

    // A DPI typed into stage row n's edit box: limited to what the box takes, onto the sensor's
    // step, to the mouse.
    void applyDpiEdit(int stage);
    // The key editor on button n, unless it is the mouse's last left button (which it must keep).
    void selectKey(int key);
    int selectedKey() const { return m_selectedKey; }
    // The editor's code into the selected button, kept in the mouse's profile.
    void applyKeyEdit();
    bool keysChanged() const { return m_keysChanged; }
    // What the editor shows is written with the macros it plays: a default shown but not yet
    // applied is applied first.
    void saveKeys();
    CKeySetControlUI* keyEditor() const { return m_keyEditor; }
    QStringList keyListLines() const;
    const std::vector<QString>& macroNames() const { return m_macroNames; }
    ui::CShootControlUI* shootControl() const;

protected:
    void initPage() override;
    void showProfile() override;

private:
    struct StageRow {
        QSlider* slider = nullptr;
        QLineEdit* edit = nullptr;
        QAbstractButton* enable = nullptr;
        QAbstractButton* select = nullptr;
        QWidget* colour = nullptr;
    };

    void bindStageRows();
    void bindSubPages();
    void bindMouseLightEditor();
    void openFirstTab();
    void bindShootPage();
    void showPending(bool pending);
    void applySliderRanges();
    void showSettings();
    void showStages();
    void showDpi(int stage);
    void showSystemSettings();
    bool routeStageControl(const QString& type, const QString& name, QWidget* control);
    bool routeSettingControl(const QString& type, const QString& name, QWidget* control);
    void selectSubPage(int index);
    void notice(const QString& textId);
    bool askUser(const QString& textId);
    // The buttons tab.
    void bindKeyEditor();
    void bindMacroPage();
    bool routePictureClick(const QString& name);
    void switchCapture(bool focused);
    void showKeyList();
    QString keyListLine(int key, const KeyEntry& entry) const;
    void reloadKeyEditor();
    void markKeysChanged(bool changed);
    void takeBackEditedKey();
    void loadMacroNames();
    QString chooseMacroFile(bool save);

    CQuellonMouseDevice& m_mouse;
    std::array<StageRow, CQuellonMouseDevice::kStageRows> m_stages;
    QWidget* m_pendingMark = nullptr;
    std::unique_ptr<CustomLightLists> m_customLists;
    CKeySetControlUI* m_keyEditor = nullptr;
    CMacroControlUI* m_macroPage = nullptr;
    QListWidget* m_keyList = nullptr;
    KeyEditorRouter m_router;
    std::vector<QString> m_macroNames;
    int m_selectedKey = -1;
    bool m_keysChanged = false;
};

}  // namespace kestrion
