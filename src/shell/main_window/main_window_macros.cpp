// Macro recording: the macro page of the selected device asks for the window's input capture, gets
// the captured keys and buttons, and gives the capture back when its recording ends.
#include "shell/main_window/main_window.h"

#include "pages/macro_control.h"
#include "shell/main_window/main_window_names.h"
#include "ui/device_profile.h"

namespace kestrion {
namespace {

using namespace main_window;

constexpr const char* kCaptureFailedTextId = "macro_capture_failed_text";

CMacroControlUI* macroPageOf(DeviceView* view)
{
    return view ? view->macroPage() : nullptr;
}

}  // namespace

void CMainWnd::bindMacroPage(DeviceView& view)
{
    CMacroControlUI* page = view.macroPage();
    if (!page)
        return;
    connect(page, &CMacroControlUI::captureRequested, this, &CMainWnd::startMacroCapture);
    connect(page, &CMacroControlUI::recordingFinished, this, &CMainWnd::endMacroCapture);
}

void CMainWnd::startMacroCapture(int mode)
{
    if (!m_capture.start(static_cast<CaptureMode>(mode), this)) {
        showNotice(QString::fromLatin1(kCaptureFailedTextId), std::nullopt);
        if (CMacroControlUI* page = macroPageOf(selectedView()))
            page->stopRecording();
        return;
    }
    lockForRecording(true);
}

void CMainWnd::endMacroCapture()
{
    if (m_capture.isActive() && m_capture.mode() != CaptureMode::KeyEdit)
        m_capture.stop();
    lockForRecording(false);
}

void CMainWnd::onMacroCaptured(const CapturedInput& input)
{
    if (CMacroControlUI* page = macroPageOf(selectedView()))
        page->recordCaptured(input);
}

void CMainWnd::onMacroCapturePaused(bool paused)
{
    if (CMacroControlUI* page = macroPageOf(selectedView()))
        page->setCapturePaused(paused);
}

// Another device or profile chosen mid-recording would take the recording's target away; another
// tab would hide the recording and its Stop button while keys are still taken.
void CMainWnd::lockForRecording(bool locked)
{
    if (QWidget* selector = control(kSelectorContainer))
        selector->setEnabled(!locked);
    DeviceView* view = selectedView();
    if (!view)
        return;
    if (ui::CDeviceProfileUI* profiles = view->profileSelector())
        profiles->setEnabled(!locked);
    if (QWidget* tabs = view->functionTabs())
        tabs->setEnabled(!locked);
}

}  // namespace kestrion
