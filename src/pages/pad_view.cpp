#include "pages/pad_view.h"

#include "devices/mouse_pad_device.h"

namespace kestrion {

PadView::PadView(CQuellonMousePadDevice& pad, QWidget* parent) : DeviceView(pad, parent) {}

void PadView::initPage()
{
    bindLightEditor();
    bindProfileSelector();
    showProfile();
}

}  // namespace kestrion
