#include "platform/hid/hid_change_watch.h"

#include <libudev.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <string_view>

#include "platform/diagnostics.h"

namespace kestrion {
namespace {

constexpr std::uint32_t kDeviceFolderEvents = IN_CREATE | IN_DELETE | IN_ATTRIB;
constexpr std::uint32_t kVirtualFolderEvents =
    IN_CREATE | IN_DELETE | IN_MOVED_TO | IN_MOVED_FROM | IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF;
constexpr std::uint32_t kVirtualParentEvents = IN_CREATE | IN_MOVED_TO | IN_DELETE | IN_MOVED_FROM;

// udev announces a node only after its rules (and the user's access to it) are applied; it
// keeps this socket while it runs.
bool udevRunning()
{
    return ::access("/run/udev/control", F_OK) == 0;
}

bool isHidrawName(std::string_view name)
{
    return name.starts_with("hidraw");
}

}  // namespace

HidChangeWatch::HidChangeWatch(const HidEnvironment& environment)
    : m_environment(environment), m_inotify(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)),
      m_wake(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC))
{
    const std::filesystem::path folder(m_environment.effectiveVirtualDir());
    m_virtualFolder = folder.string();
    m_virtualName = folder.filename().string();
    if (m_wake.get() < 0)
        return;
    if (m_environment.sysfsRoot == "/sys" && udevRunning())
        openUdevMonitor();
    else
        watchDeviceFolder();
    watchVirtualFolder();
    if (!complete())
        debugTrace("discovery: no change notification for every source, looking on a timer");
}

HidChangeWatch::~HidChangeWatch()
{
    if (m_monitor)
        udev_monitor_unref(m_monitor);
    if (m_udev)
        udev_unref(m_udev);
}

void HidChangeWatch::openUdevMonitor()
{
    m_udev = udev_new();
    if (!m_udev)
        return;
    m_monitor = udev_monitor_new_from_netlink(m_udev, "udev");
    if (!m_monitor || udev_monitor_filter_add_match_subsystem_devtype(m_monitor, "hidraw", nullptr) < 0 ||
        udev_monitor_enable_receiving(m_monitor) < 0)
        return;
    const int fd = udev_monitor_get_fd(m_monitor);
    m_hidrawWatched = fd >= 0 && ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK) == 0;
}

// The kernel creates hidraw nodes in devtmpfs even when no udev runs.
void HidChangeWatch::watchDeviceFolder()
{
    if (m_inotify.get() < 0)
        return;
    m_deviceFolderWatch = ::inotify_add_watch(m_inotify.get(), m_environment.devRoot.c_str(), kDeviceFolderEvents);
    m_hidrawWatched = m_deviceFolderWatch >= 0;
}

// The folder may come and go with the simulator: its parent tells when.
void HidChangeWatch::watchVirtualFolder()
{
    if (m_inotify.get() < 0)
        return;
    if (m_virtualParentWatch < 0) {
        const std::string parent = std::filesystem::path(m_virtualFolder).parent_path().string();
        m_virtualParentWatch = ::inotify_add_watch(m_inotify.get(), parent.c_str(), kVirtualParentEvents);
    }
    m_virtualWatch = ::inotify_add_watch(m_inotify.get(), m_virtualFolder.c_str(), kVirtualFolderEvents);
    m_virtualWatched = m_virtualParentWatch >= 0;
}

HidChangeWatch::Wake HidChangeWatch::wait(std::chrono::milliseconds timeout)
{
    std::array<pollfd, 3> fds{};
    nfds_t count = 0;
    fds[count++] = {m_wake.get(), POLLIN, 0};
    if (m_inotify.get() >= 0)
        fds[count++] = {m_inotify.get(), POLLIN, 0};
    if (m_monitor && m_hidrawWatched)
        fds[count++] = {udev_monitor_get_fd(m_monitor), POLLIN, 0};
    const int ready = ::poll(fds.data(), count, timeout.count() < 0 ? -1 : static_cast<int>(timeout.count()));
    if (ready < 0 && errno != EINTR)
        debugTrace("discovery: waiting for device changes failed");
    if (ready <= 0)
        return Wake::TimedOut;
    if (fds[0].revents) {
        std::uint64_t value = 0;
        [[maybe_unused]] const ssize_t got = ::read(m_wake.get(), &value, sizeof value);
        return Wake::Woken;
    }
    bool changed = false;
    for (nfds_t i = 1; i < count; ++i) {
        if (!fds[i].revents)
            continue;
        changed |= fds[i].fd == m_inotify.get() ? drainInotify() : drainUdev();
    }
    return changed ? Wake::Changed : Wake::TimedOut;
}

void HidChangeWatch::wake()
{
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(m_wake.get(), &one, sizeof one);
}

bool HidChangeWatch::drainUdev()
{
    bool any = false;
    while (udev_device* device = udev_monitor_receive_device(m_monitor)) {
        udev_device_unref(device);
        any = true;
    }
    return any;
}

bool HidChangeWatch::drainInotify()
{
    alignas(inotify_event) std::array<char, 4096> buffer;
    bool changed = false;
    for (;;) {
        const ssize_t got = ::read(m_inotify.get(), buffer.data(), buffer.size());
        if (got <= 0)
            return changed;
        for (ssize_t offset = 0; offset < got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer.data() + offset);
            offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            const std::string_view name = event->len ? std::string_view(event->name) : std::string_view();
            if (event->mask & IN_Q_OVERFLOW) {
                changed = true;
            } else if (event->wd == m_deviceFolderWatch) {
                changed |= isHidrawName(name);
            } else if (event->wd == m_virtualParentWatch) {
                if (name != m_virtualName)
                    continue;
                watchVirtualFolder();
                changed = true;
            } else if (event->wd == m_virtualWatch) {
                changed = true;
            }
        }
    }
}

}  // namespace kestrion
