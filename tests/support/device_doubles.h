#pragma once

// What a device object needs from whoever keeps it, with nothing but QtCore: an event loop to
// wait in, a host that keeps what it is told, and a selector entry whose timers run for real.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <optional>
#include <tuple>
#include <utility>
#include <vector>

#include "devices/device_host.h"
#include "devices/device_selector.h"
#include "platform/timer_set.h"
#include "devices/usb_device.h"

namespace kestrion::test {

// Runs the event loop until condition() holds; false when it still does not after timeoutMs.
template <typename Condition>
bool waitFor(Condition condition, int timeoutMs = 3000)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

// The application object of a test binary without widgets.
inline void ensureCoreApp()
{
    static int argc = 1;
    static char name[] = "kestrion_test";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        new QCoreApplication(argc, argv);
}

using Message = std::tuple<std::uint32_t, std::intptr_t, std::intptr_t>;

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
    {1, 170, 170, "XML\\DeviceXml\\keyboarddevice.xml", "keyboard"},
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

// Whoever keeps a device object (a plain host, or a window's sink): what it sends, tells and
// asks is kept, and questions get `answer`.
template <typename Host = DeviceHost>
class RecordingHost : public Host {
public:
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
    void askLater(const QString& textId, std::function<void(bool yes)> answered) override { answered(ask(textId)); }
    std::vector<Message> messages;
    QStringList notices;
    QStringList questions;
    bool answer = true;
};

// A selector entry: real timers that drive the device, every arming kept, and the shown state
// the main window sets.
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
    bool wasArmed(int id, int ms) const
    {
        return std::find(armed.begin(), armed.end(), std::pair{id, ms}) != armed.end();
    }

    TimerSet timers;
    std::vector<std::pair<int, int>> armed;
    bool online = false;
};

}  // namespace kestrion::test
