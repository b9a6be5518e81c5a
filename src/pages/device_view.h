#pragma once

#include <QList>
#include <QString>
#include <QWidget>

class QLabel;
class QProgressBar;
class QTimer;

namespace kestrion {

class CMacroControlUI;
class CQuellonUSBDevice;
struct CapturedInput;

namespace ui {
class CDeviceKeyButtonUI;
class CDeviceProfileUI;
class CLightControlUI;
class ControlFactory;
class LanguageManager;
class Skin;
}  // namespace ui

// A device's page in the main window: the skin's layout for the device, built into this widget,
// showing what its device object announces (preview frames, the work it is busy with). The page
// can be built, hidden or dropped at any time; the device object works on without it.
class DeviceView : public QWidget {
    Q_OBJECT
public:
    explicit DeviceView(CQuellonUSBDevice& device, QWidget* parent = nullptr);
    ~DeviceView() override;

    CQuellonUSBDevice& device() const { return m_device; }
    // Builds the layout named by the device's setup and runs initPage; false when the layout is
    // unknown or does not build.
    bool build(const ui::Skin& skin, ui::ControlFactory& factory);
    // The built layout; null before build.
    QWidget* content() const { return m_content; }
    void setLanguage(const ui::LanguageManager* language) { m_language = language; }
    const ui::LanguageManager* language() const { return m_language; }

    const QList<ui::CDeviceKeyButtonUI*>& keyButtons() const { return m_keyButtons; }
    const QList<ui::CDeviceKeyButtonUI*>& lightButtons() const { return m_lightButtons; }
    // Shows the function page that the page layout numbers n (its property "functionPage").
    virtual void showFunctionPage(int page);
    int functionPage() const { return m_functionPage; }

    // Handles a notification of one of the page's own controls that changes the device; false
    // for any other control.
    virtual bool routeNotification(const QString&, const QString&, QWidget*) { return false; }
    // The page's profile selector, when the device keeps profiles and the skin shows one.
    virtual ui::CDeviceProfileUI* profileSelector() const;
    // The key editor and the macro page of a device that has them, for the window's routing and
    // input capture; the base has neither.
    virtual CMacroControlUI* macroPage() const { return nullptr; }
    // Handles a notification of the key editor's controls; false for any other control.
    virtual bool routeKeyEditor(const QString&, const QString&) { return false; }
    virtual void keyCaptured(const CapturedInput&) {}
    virtual void setKeyCapturePaused(bool) {}
    // The page's function tabs, kept still while a macro is recorded.
    virtual QWidget* functionTabs() const { return nullptr; }
    // The page's lighting editor, when the device has lights of its own.
    virtual ui::CLightControlUI* lightEditor() const { return m_lightEditor; }

protected:
    // The layout is built: bind its controls to the device.
    virtual void initPage() {}
    // A new preview frame: by default the device's preview colours on the light buttons.
    virtual void showFrame();
    // The lighting editor ("LightControlItem") filled with the device's modes, its changes handed
    // to the device; the profile selector ("DeviceProfileItem") over the device's profiles, a
    // choice handed to the device.
    void bindLightEditor();
    void bindProfileSelector();
    // The device loaded or replaced its profile: the page shows it (by default its lighting).
    virtual void showProfile();
    template <typename T>
    T* control(const QString& name) const
    {
        return m_content ? m_content->findChild<T*>(name) : nullptr;
    }

private:
    void bindKeyButtons();
    void followWork();
    void stopBusyDisplay();
    void showBusy();

    CQuellonUSBDevice& m_device;
    QWidget* m_content = nullptr;
    const ui::LanguageManager* m_language = nullptr;
    QList<ui::CDeviceKeyButtonUI*> m_keyButtons;
    QList<ui::CDeviceKeyButtonUI*> m_lightButtons;
    int m_functionPage = 1;
    ui::CLightControlUI* m_lightEditor = nullptr;
    QTimer* m_busyTimer = nullptr;
    QWidget* m_busyPanel = nullptr;
    QLabel* m_busyLabel = nullptr;
    QProgressBar* m_busyProgress = nullptr;
};

}  // namespace kestrion
