#include "pages/pad_view.h"

#include <vector>

#include "devices/mouse_pad_device.h"
#include "ui/device_profile.h"
#include "ui/language_manager.h"
#include "ui/light_control.h"

namespace kestrion {
namespace {

constexpr int kLightLevels = 4;
constexpr const char* kLightEditor = "LightControlItem";

}  // namespace

PadView::PadView(CQuellonMousePadDevice& pad, QWidget* parent) : DeviceView(pad, parent), m_pad(pad)
{
    connect(&m_pad, &CQuellonMousePadDevice::profileLoaded, this, &PadView::showProfile);
}

void PadView::initPage()
{
    bindLightEditor();
    bindProfileSelector();
    showProfile();
}

void PadView::bindLightEditor()
{
    m_lightEditor = control<ui::CLightControlUI>(QString::fromLatin1(kLightEditor));
    if (!m_lightEditor)
        return;
    m_lightEditor->setDeviceKind(m_pad.deviceKind());
    std::vector<QString> names;
    std::vector<bool> visible;
    for (const LightModeEntry& mode : m_pad.lightModes()) {
        names.push_back(mode.name);
        visible.push_back(mode.visible);
    }
    m_lightEditor->fillModes(names, visible, kLightLevels, kLightLevels);
    if (language())
        language()->apply(m_lightEditor);
    connect(m_lightEditor, &ui::CLightControlUI::lightChanged, &m_pad, &CQuellonMousePadDevice::applyLight);
}

void PadView::bindProfileSelector()
{
    ui::CDeviceProfileUI* selector = profileSelector();
    if (!selector)
        return;
    selector->setStore(m_pad.profileList());
    selector->InitProfileList();
    connect(selector, &ui::CDeviceProfileUI::profileChanged, &m_pad, &CQuellonMousePadDevice::applySelectedProfile);
}

void PadView::showProfile()
{
    if (m_lightEditor)
        m_lightEditor->showLight(m_pad.profile().GetLightInfo());
}

}  // namespace kestrion
