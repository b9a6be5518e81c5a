// The input capture of the main window: the editors start and stop it, its events go to them.
#include "shell/main_window/main_window.h"

#include "pages/device_view.h"

namespace kestrion {

bool CMainWnd::routeToKeyEditor(const ui::UiNotification& notification)
{
    DeviceView* view = selectedView();
    return view && view->routeKeyEditor(notification.type, notification.sender);
}

// The key edit losing the focus ends only its own capture, never a recording.
void CMainWnd::switchCapture(bool on)
{
    if (on)
        m_capture.start(CaptureMode::KeyEdit, this);
    else if (m_capture.mode() == CaptureMode::KeyEdit)
        m_capture.stop();
}

// Key edit to the key editor, the recording modes to the macro page; asleep, nothing goes.
void CMainWnd::onCaptured(CaptureMode mode, const CapturedInput& input)
{
    if (!m_awake)
        return;
    if (mode != CaptureMode::KeyEdit) {
        onMacroCaptured(input);
        return;
    }
    if (DeviceView* view = selectedView())
        view->keyCaptured(input);
}

void CMainWnd::onCapturePaused(bool paused)
{
    if (m_capture.mode() != CaptureMode::KeyEdit) {
        onMacroCapturePaused(paused);
        return;
    }
    if (DeviceView* view = selectedView())
        view->setKeyCapturePaused(paused);
}

}  // namespace kestrion
