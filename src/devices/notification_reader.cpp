#include "devices/notification_reader.h"

#include <chrono>
#include <pthread.h>
#include <utility>
#include <vector>

#include "device_link/hid_device.h"
#include "platform/diagnostics.h"

namespace kestrion {
namespace {

constexpr std::size_t kReportCapacity = 65;
constexpr auto kFailurePause = std::chrono::milliseconds(5);
// Motion at 8000 reports a second fills 40 of the 64 queued reports in this time; a notice
// waits at most this long, which nobody sees.
constexpr int kMotionGatherMs = 5;

}  // namespace

NotificationReader::NotificationReader(HidDevice& link, Handler handler)
    : m_link(link), m_handler(std::move(handler))
{
}

NotificationReader::~NotificationReader()
{
    stop();
}

void NotificationReader::start()
{
    stop();
    m_stop = false;
    m_link.setForeignReportPause(kMotionGatherMs);
    m_thread = std::thread(&NotificationReader::run, this);
}

void NotificationReader::stop()
{
    if (!m_thread.joinable())
        return;
    m_stop = true;
    m_link.close();
    m_thread.join();
    debugTrace("notification reader stopped");
}

void NotificationReader::run()
{
    pthread_setname_np(pthread_self(), "kc-notify");
    std::vector<std::uint8_t> report(kReportCapacity);
    while (!m_stop) {
        std::size_t length = 0;
        if (!m_link.readReport(report.data(), report.size(), &length, kHidInfinite)) {
            // A closed or vanished link fails at once; the pause keeps that from spinning.
            std::this_thread::sleep_for(kFailurePause);
            continue;
        }
        if (!m_stop && m_handler)
            m_handler(report.data(), length);
    }
}

}  // namespace kestrion
