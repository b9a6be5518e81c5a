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

// A device page as the model tables give it, with its data in `dataFolder` (ending in '/').
struct PageRow {
    int kind;
    int lightCount;
    int keyCount;
    const char* layout;
    const char* kindName;
};
inline constexpr PageRow kPageRows[] = {
    {2, 15, 11, "XML\\DeviceXml\\mousedevice.xml", "mouse"},
    {3, 15, 0, "XML\\DeviceXml\\mousepaddevice.xml", "MousePad"},
    {7, 13, 0, "XML\\DeviceXml\\hs6533device.xml", "HD"},
};

inline DevicePageSetup pageSetupOf(int kind, const std::string& dataFolder)
{
    DevicePageSetup setup;
    for (const PageRow& row : kPageRows) {
        if (row.kind != kind)
            continue;
        setup.deviceKind = row.kind;
        setup.lightCount = row.lightCount;
        setup.keyCount = row.keyCount;
        setup.pageLayout = QString::fromLatin1(row.layout);
        setup.kindName = QString::fromLatin1(row.kindName);
        setup.lightName = QStringLiteral("brylo_light");
        setup.dataFolder = dataFolder;
    }
    return setup;
}

inline DevicePageSetup mousePageSetup(const std::string& dataFolder)
{
    return pageSetupOf(2, dataFolder);
}

}  // namespace kestrion::test
