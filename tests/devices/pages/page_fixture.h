#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "devices/pages/paged_device.h"
#include "ui/timer_set.h"
#include "ui/main_window_sink.h"

namespace kestrion::test {

using Message = std::tuple<std::uint32_t, std::intptr_t, std::intptr_t>;

// The main window as a device page sees it: what the page sends, tells and asks is kept.
class RecordingMainWindow : public ui::MainWindowSink {
public:
    void notify(const ui::UiNotification&) override {}
    void sendMessage(std::uint32_t message, std::intptr_t wParam, std::intptr_t lParam) override
    {
        messages.emplace_back(message, wParam, lParam);
    }
    void showNotice(const QString& textId, std::optional<int> number) override
    {
        notices.push_back(number ? textId + " " + QString::number(*number) : textId);
    }
    bool ask(const QString& textId) override
    {
        questions.push_back(textId);
        return answer;
    }
    std::vector<Message> messages;
    QStringList notices;
    QStringList questions;
    bool answer = true;
};

// A selector entry: real timers that drive the device, and the shown state the main window sets.
class TestSelector : public DeviceSelector {
public:
    explicit TestSelector(CQuellonUSBDevice& device)
        : timers([&device](int id) { device.runSelectorTimer(id); })
    {
    }
    void setTimer(int id, int ms, bool oneShot) override
    {
        armed.emplace_back(id, ms);
        timers.setTimer(id, ms, oneShot);
    }
    void killTimer(int id) override { timers.killTimer(id); }
    bool isOnline() const override { return online; }

    ui::TimerSet timers;
    std::vector<std::pair<int, int>> armed;
    bool online = false;
};

// The mouse page as the model tables give it, with its data in `dataFolder` (ending in '/').
inline DevicePageSetup mousePageSetup(const std::string& dataFolder)
{
    DevicePageSetup setup;
    setup.deviceKind = 2;
    setup.lightCount = 15;
    setup.keyCount = 11;
    setup.pageLayout = QStringLiteral("XML\\DeviceXml\\mousedevice.xml");
    setup.kindName = QStringLiteral("mouse");
    setup.lightName = QStringLiteral("brylo_light");
    setup.dataFolder = dataFolder;
    return setup;
}

}  // namespace kestrion::test
