#pragma once

#include <QPointer>
#include <QString>

#include "devices/usb_device.h"
#include "pages/device_view.h"

namespace kestrion::ui {
class CLightControlUI;
}

namespace kestrion {

// A device object that still binds its page's controls itself. It builds a page of its own and
// answers the page's questions (profile selector, key editor, macro page) for it.
class PagedUSBDevice : public CQuellonUSBDevice {
    Q_OBJECT
public:
    explicit PagedUSBDevice(QObject* parent = nullptr);
    ~PagedUSBDevice() override;

    // A new page forwarding its questions to this object, not yet built; it goes with this object
    // unless its owner deletes it first.
    DeviceView* createView();
    // Builds the page named by the setup and runs initPage; false when the layout is unknown or
    // does not build.
    bool buildPage(const ui::Skin& skin, ui::ControlFactory& factory);
    DeviceView* view() const { return m_view; }
    // The built layout; null before buildPage.
    QWidget* page() const { return m_view ? m_view->content() : nullptr; }
    void setLanguage(const ui::LanguageManager* language);
    // The language of its page, as whoever built the page set it.
    const ui::LanguageManager* language() const { return m_view ? m_view->language() : m_language; }
    const QList<ui::CDeviceKeyButtonUI*>& keyButtons() const;
    const QList<ui::CDeviceKeyButtonUI*>& lightButtons() const;
    void showFunctionPage(int page);
    int functionPage() const { return m_view ? m_view->functionPage() : 1; }

    virtual void initPage() {}
    virtual ui::CDeviceProfileUI* profileSelector() const;
    virtual CMacroControlUI* macroPage() const { return nullptr; }
    virtual bool routeKeyEditor(const QString&, const QString&) { return false; }
    virtual void keyCaptured(const CapturedInput&) {}
    virtual void setKeyCapturePaused(bool) {}
    virtual QWidget* functionTabs() const { return nullptr; }
    // The page's lighting editor, when the device has lights of its own.
    virtual ui::CLightControlUI* lightEditor() const { return nullptr; }

private:
    QPointer<DeviceView> m_view;
    const ui::LanguageManager* m_language = nullptr;
};

}  // namespace kestrion
