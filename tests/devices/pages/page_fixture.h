#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "devices/pages/paged_device.h"
#include "support/device_doubles.h"
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

}  // namespace kestrion::test
