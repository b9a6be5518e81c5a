#pragma once

#include "pages/device_view.h"

namespace kestrion {

class CQuellonMousePadDevice;

namespace ui {
class CLightControlUI;
}

// The mouse pad's page: its zones, its lighting editor and its profile selector, showing the
// pad's selected profile and handing every change to the pad.
class PadView : public DeviceView {
    Q_OBJECT
public:
    explicit PadView(CQuellonMousePadDevice& pad, QWidget* parent = nullptr);

    ui::CLightControlUI* lightEditor() const override { return m_lightEditor; }

protected:
    void initPage() override;
    // The pad loaded or replaced its profile: the page shows it.
    virtual void showProfile();
    CQuellonMousePadDevice& pad() const { return m_pad; }

private:
    void bindLightEditor();
    void bindProfileSelector();

    CQuellonMousePadDevice& m_pad;
    ui::CLightControlUI* m_lightEditor = nullptr;
};

}  // namespace kestrion
