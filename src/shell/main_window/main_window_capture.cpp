// The input capture of the main window: the editors start and stop it, its events go to them.
#include "shell/main_window/main_window.h"

#include "devices/pages/mouse_device.h"

namespace kestrion {

bool CMainWnd::routeToKeyEditor(const ui::UiNotification& notification)
{
    auto* mouse = qobject_cast<CQuellonMouseDevice*>(selectedDevice());
    return mouse && mouse->routeKeyEditor(notification.type, notification.sender);
}

void CMainWnd::switchCapture(bool on)
{
    if (on)
        m_capture.start(CaptureMode::KeyEdit, this);
    else
        m_capture.stop();
}

void CMainWnd::onCaptured(CaptureMode mode, const CapturedInput& input)
{
    auto* mouse = qobject_cast<CQuellonMouseDevice*>(selectedDevice());
    if (mouse && mode == CaptureMode::KeyEdit)
        mouse->keyCaptured(input);
}

void CMainWnd::onCapturePaused(bool paused)
{
    auto* mouse = qobject_cast<CQuellonMouseDevice*>(selectedDevice());
    if (mouse && m_capture.mode() == CaptureMode::KeyEdit)
        mouse->setKeyCapturePaused(paused);
}

}  // namespace kestrion
