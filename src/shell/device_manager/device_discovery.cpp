#include "shell/device_manager/device_discovery.h"

#include <algorithm>

#include "platform/diagnostics.h"

namespace kestrion {

DeviceDiscovery::DeviceDiscovery(DiscoveryCallbacks callbacks, std::chrono::milliseconds passInterval,
                                 Looking looking)
    : m_callbacks(std::move(callbacks)), m_passInterval(passInterval), m_looking(looking),
      m_workSlots(makeDeviceSlots()),
      m_slots(m_workSlots)
{
}

DeviceDiscovery::~DeviceDiscovery()
{
    stop();
}

void DeviceDiscovery::start()
{
    if (m_thread.joinable()) {
        if (!stopRequested())
            return;
        m_thread.join();
    }
    {
        std::lock_guard lock(m_stopMutex);
        m_stopRequested = false;
    }
    if (m_looking == Looking::OnChanges && !m_watch)
        m_watch = std::make_unique<HidChangeWatch>(hidEnvironment());
    m_settleUntil = std::chrono::steady_clock::now() + kSettleTime;
    m_thread = std::thread([this] { run(); });
}

void DeviceDiscovery::stop()
{
    {
        std::lock_guard lock(m_stopMutex);
        m_stopRequested = true;
    }
    m_wake.notify_all();
    if (m_watch)
        m_watch->wake();
    if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id())
        m_thread.join();
}

bool DeviceDiscovery::stopRequested() const
{
    std::lock_guard lock(m_stopMutex);
    return m_stopRequested;
}

bool DeviceDiscovery::watchesChanges() const
{
    return m_watch && m_watch->complete();
}

std::optional<DeviceSlot> DeviceDiscovery::slot(int index) const
{
    std::lock_guard lock(m_slotMutex);
    if (index < 0 || static_cast<std::size_t>(index) >= m_slots.size())
        return std::nullopt;
    return m_slots[static_cast<std::size_t>(index)];
}

std::vector<DeviceSlot> DeviceDiscovery::slotList() const
{
    std::lock_guard lock(m_slotMutex);
    return m_slots;
}

void DeviceDiscovery::run()
{
    bool firstPass = true;
    do {
        discover();
        // Stopping: whoever handles the callbacks may be the one waiting for this thread.
        if (stopRequested())
            return;
        if (firstPass && m_callbacks.firstPassDone)
            m_callbacks.firstPassDone();
        firstPass = false;
        checkPresence();
    } while (waitForNextPass());
}

// Enumeration runs only while some slot can still take an interface. A list that cannot be read
// skips this pass's arrivals; the next pass tries again, so a passing sysfs hiccup does not end
// hot-plugging for the rest of the session.
void DeviceDiscovery::discover()
{
    if (!hasFreeSlot())
        return;
    const bool listed = m_interfaces.refresh();
    if (listed == m_enumerationFailing)
        debugTrace(listed ? "discovery: HID interfaces listed again" : "discovery: HID interfaces cannot be listed");
    m_enumerationFailing = !listed;
    if (!listed)
        return;

    std::set<std::string> denied;
    bool complete = true;
    while (const std::optional<std::string> path = m_interfaces.next()) {
        if (stopRequested()) {
            complete = false;
            break;
        }
        offer(*path, denied);
    }
    // A pass cut short has not seen every path: it only adds to what was told.
    if (complete)
        m_deniedPaths = std::move(denied);
    else
        m_deniedPaths.merge(denied);
    m_interfaces.clear();
}

// Matches one listed path; a slot it takes is marked before it is told.
void DeviceDiscovery::offer(const std::string& path, std::set<std::string>& denied)
{
    HidOpenError why = HidOpenError::None;
    const int index = matchSupportedInterface(m_workSlots, path, &why);
    if (index >= 0) {
        publish(index);
        if (m_callbacks.arrived)
            m_callbacks.arrived(index);
        return;
    }
    if (why != HidOpenError::AccessDenied)
        return;
    denied.insert(path);
    if (!m_deniedPaths.contains(path) && m_callbacks.accessDenied)
        m_callbacks.accessDenied(path);
}

// Every vanished slot is freed before the first removal is told, so a handler looking at a
// partner slot sees what is actually plugged in.
void DeviceDiscovery::checkPresence()
{
    const std::vector<int> freed = releaseVanishedSlots(m_workSlots);
    for (int index : freed)
        publish(index);
    if (!m_callbacks.removed)
        return;
    for (int index : freed)
        m_callbacks.removed(index);
}

bool DeviceDiscovery::hasFreeSlot() const
{
    return std::any_of(m_workSlots.begin(), m_workSlots.end(), [](const DeviceSlot& s) { return s.isFree(); });
}

void DeviceDiscovery::publish(int index)
{
    std::lock_guard lock(m_slotMutex);
    m_slots[static_cast<std::size_t>(index)] = m_workSlots[static_cast<std::size_t>(index)];
}

// A list that could not be read is tried again on the timer, changes or not.
bool DeviceDiscovery::waitForNextPass()
{
    if (!watchesChanges()) {
        std::unique_lock lock(m_stopMutex);
        return !m_wake.wait_for(lock, m_passInterval, [this] { return m_stopRequested; });
    }
    const bool settling = m_enumerationFailing || std::chrono::steady_clock::now() < m_settleUntil;
    const HidChangeWatch::Wake wake = m_watch->wait(settling ? m_passInterval : std::chrono::milliseconds(-1));
    if (stopRequested())
        return false;
    if (wake == HidChangeWatch::Wake::Changed)
        m_settleUntil = std::chrono::steady_clock::now() + kSettleTime;
    return true;
}

}  // namespace kestrion
