#pragma once

#include <chrono>
#include <string>

#include "platform/file_descriptor.h"
#include "platform/hid/hid_environment.h"

struct udev;
struct udev_monitor;

namespace kestrion {

// Tells when a HID interface may have come or gone, so that discovery only looks when something
// changed: udev's hidraw events (or, without a running udev, the hidraw nodes appearing in the
// device folder) and the files of the virtual-device folder. A watch that could not open one of
// its sources is incomplete, and its owner has to keep looking on a timer.
class HidChangeWatch {
public:
    enum class Wake { Changed, Woken, TimedOut };

    explicit HidChangeWatch(const HidEnvironment& environment);
    ~HidChangeWatch();
    HidChangeWatch(const HidChangeWatch&) = delete;
    HidChangeWatch& operator=(const HidChangeWatch&) = delete;

    bool complete() const { return m_hidrawWatched && m_virtualWatched; }

    // Blocks until a change, wake() or the timeout (negative: none). Callable from one thread.
    Wake wait(std::chrono::milliseconds timeout);
    // Ends a wait() from any thread.
    void wake();

private:
    void openUdevMonitor();
    void watchDeviceFolder();
    void watchVirtualFolder();
    bool drainUdev();
    bool drainInotify();

    HidEnvironment m_environment;
    std::string m_virtualFolder;
    std::string m_virtualName;
    struct udev* m_udev = nullptr;
    struct udev_monitor* m_monitor = nullptr;
    FileDescriptor m_inotify;
    FileDescriptor m_wake;
    int m_deviceFolderWatch = -1;
    int m_virtualParentWatch = -1;
    int m_virtualWatch = -1;
    bool m_hidrawWatched = false;
    bool m_virtualWatched = false;
};

}  // namespace kestrion
