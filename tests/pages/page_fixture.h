#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "devices/mouse_device.h"
#include "pages/mouse_view.h"
#include "support/device_doubles.h"
#include "ui/qt_app.h"
#include "ui/main_window_sink.h"

namespace kestrion::test {

// The main window as a device page sees it: what the page sends, tells and asks is kept.
class RecordingMainWindow : public RecordingHost<ui::MainWindowSink> {
public:
    void notify(const ui::UiNotification&) override {}
};

inline DevicePageSetup mousePageSetup(const std::string& dataFolder)
{
    return pageSetupOf(2, dataFolder);
}

// The mouse prepared and its page built over it, as the window does; null when the page does not build.
inline std::unique_ptr<MouseView> mouseViewOf(CQuellonMouseDevice& mouse, RealSkin& real,
                                              const ui::LanguageManager* language = nullptr)
{
    mouse.prepare();
    auto view = std::make_unique<MouseView>(mouse);
    view->setLanguage(language);
    if (!view->build(real.skin, real.factory))
        return nullptr;
    return view;
}

}  // namespace kestrion::test
