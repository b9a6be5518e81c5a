#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "device_link/hid_device.h"
#include "device_link/supported_devices.h"
#include "platform/hid/hid_change_watch.h"

namespace kestrion {

// What the discovery thread tells its owner. Every callback runs on the discovery thread;
// arrived and removed return only once the UI thread has handled the slot, so the thread never
// runs ahead of the window. An empty callback is not called.
struct DiscoveryCallbacks {
    std::function<void(int slot)> arrived;    // the slot is already marked when this runs
    std::function<void(int slot)> removed;    // the slot is already free when this runs
    std::function<void()> firstPassDone;      // once per start, after the first enumeration
    // A supported interface the user may not open (no udev rule). Told again only after the
    // path went away or could be opened in between.
    std::function<void(const std::string& path)> accessDenied;
};

// Finds the supported HID interfaces as they come and go and keeps the slot list: one slot per
// row of kSupportedDeviceTable, same index. It looks when the system says something changed, and
// for a short while after (a node's access rights and a socket's listening may lag its
// announcement); where no change notification can be had, it looks on a timer.
class DeviceDiscovery {
public:
    static constexpr std::chrono::milliseconds kPassInterval{100};
    static constexpr std::chrono::milliseconds kSettleTime{1000};
    enum class Looking { OnChanges, OnTimer };

    explicit DeviceDiscovery(DiscoveryCallbacks callbacks, std::chrono::milliseconds passInterval = kPassInterval,
                             Looking looking = Looking::OnChanges);
    ~DeviceDiscovery();
    DeviceDiscovery(const DeviceDiscovery&) = delete;
    DeviceDiscovery& operator=(const DeviceDiscovery&) = delete;

    // start() and stop() belong to the owner's thread. stop() wakes the thread out of its wait
    // between passes and joins it, so a callback that blocks on the owner's thread must give up
    // once stopRequested() is true. Called from inside a callback, stop() only asks; the next
    // stop() or the destructor joins.
    void start();
    void stop();
    bool stopRequested() const;
    // False while it looks on a timer.
    bool watchesChanges() const;

    // Copies for the UI thread; nullopt for an index outside the table.
    std::optional<DeviceSlot> slot(int index) const;
    std::vector<DeviceSlot> slotList() const;
    std::size_t slotCount() const { return kSupportedDeviceTable.size(); }

private:
    void run();
    void discover();
    void offer(const std::string& path, std::set<std::string>& denied);
    void checkPresence();
    bool hasFreeSlot() const;
    void publish(int index);
    bool waitForNextPass();

    const DiscoveryCallbacks m_callbacks;
    const std::chrono::milliseconds m_passInterval;
    const Looking m_looking;
    // Made by start() before the thread runs, so no change between the two is missed.
    std::unique_ptr<HidChangeWatch> m_watch;
    std::chrono::steady_clock::time_point m_settleUntil;

    // The discovery thread's own state.
    std::vector<DeviceSlot> m_workSlots;
    HidInterfaceList m_interfaces;
    std::set<std::string> m_deniedPaths;
    bool m_enumerationFailing = false;

    // The copy the UI thread reads.
    mutable std::mutex m_slotMutex;
    std::vector<DeviceSlot> m_slots;

    mutable std::mutex m_stopMutex;
    std::condition_variable m_wake;
    bool m_stopRequested = false;
    std::thread m_thread;
};

}  // namespace kestrion
