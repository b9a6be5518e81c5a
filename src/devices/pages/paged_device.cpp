#include "devices/pages/paged_device.h"

namespace kestrion {
namespace {

// The page of a device that binds its page itself: every question goes to the device.
class ForwardingPage : public DeviceView {
public:
    explicit ForwardingPage(PagedUSBDevice& device) : DeviceView(device), m_paged(device) {}

    ui::CDeviceProfileUI* profileSelector() const override { return m_paged.profileSelector(); }
    CMacroControlUI* macroPage() const override { return m_paged.macroPage(); }
    bool routeKeyEditor(const QString& type, const QString& name) override
    {
        return m_paged.routeKeyEditor(type, name);
    }
    void keyCaptured(const CapturedInput& input) override { m_paged.keyCaptured(input); }
    void setKeyCapturePaused(bool paused) override { m_paged.setKeyCapturePaused(paused); }
    QWidget* functionTabs() const override { return m_paged.functionTabs(); }
    ui::CLightControlUI* lightEditor() const override { return m_paged.lightEditor(); }

protected:
    void initPage() override { m_paged.initPage(); }

private:
    PagedUSBDevice& m_paged;
};

}  // namespace

PagedUSBDevice::PagedUSBDevice(QObject* parent) : CQuellonUSBDevice(parent) {}

// The page shows this object: it goes first.
PagedUSBDevice::~PagedUSBDevice()
{
    delete m_view;
}

DeviceView* PagedUSBDevice::createView()
{
    delete m_view;
    m_view = new ForwardingPage(*this);
    m_view->setLanguage(m_language);
    return m_view;
}

bool PagedUSBDevice::buildPage(const ui::Skin& skin, ui::ControlFactory& factory)
{
    return createView()->build(skin, factory);
}

void PagedUSBDevice::setLanguage(const ui::LanguageManager* language)
{
    m_language = language;
    if (m_view)
        m_view->setLanguage(language);
}

const QList<ui::CDeviceKeyButtonUI*>& PagedUSBDevice::keyButtons() const
{
    static const QList<ui::CDeviceKeyButtonUI*> kNone;
    return m_view ? m_view->keyButtons() : kNone;
}

const QList<ui::CDeviceKeyButtonUI*>& PagedUSBDevice::lightButtons() const
{
    static const QList<ui::CDeviceKeyButtonUI*> kNone;
    return m_view ? m_view->lightButtons() : kNone;
}

void PagedUSBDevice::showFunctionPage(int page)
{
    if (m_view)
        m_view->showFunctionPage(page);
}

ui::CDeviceProfileUI* PagedUSBDevice::profileSelector() const
{
    return m_view ? m_view->DeviceView::profileSelector() : nullptr;
}

}  // namespace kestrion
