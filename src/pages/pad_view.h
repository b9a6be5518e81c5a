#pragma once

#include "pages/device_view.h"

namespace kestrion {

class CQuellonMousePadDevice;

// The mouse pad's page: its zones, its lighting editor and its profile selector, showing the
// pad's selected profile and handing every change to the pad.
class PadView : public DeviceView {
    Q_OBJECT
public:
    explicit PadView(CQuellonMousePadDevice& pad, QWidget* parent = nullptr);

protected:
    void initPage() override;
};

}  // namespace kestrion
