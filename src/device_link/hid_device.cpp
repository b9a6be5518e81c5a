#include "device_link/hid_device.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <linux/hidraw.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include "platform/hid/hid_enumeration.h"
#include "platform/hid/report_framing.h"

namespace kestrion {
namespace {

constexpr std::size_t kMaxReportUnit = 16384 + 1;  // the kernel's largest report plus a kind byte
constexpr int kDrainedBeforeWait = 64;              // the kernel's hidraw queue
constexpr int kMaxFlushedReports = 1024;
constexpr int kControlTimeoutMs = 5000;
constexpr std::size_t kMaxUsageList = 4096;
constexpr std::size_t kMaxValueElements = 1024;
constexpr std::size_t kReportIdBits = 8;

long long nowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

ssize_t sendUnit(int fd, const std::vector<std::uint8_t>& frame)
{
    ssize_t n = ::send(fd, frame.data(), frame.size(), MSG_NOSIGNAL);
    if (n < 0 && errno == ENOTSOCK)
        n = ::write(fd, frame.data(), frame.size());
    return n;
}

// Reads `size` bits (at most 32) starting `bitPos` bits into the report, least significant first.
std::uint32_t extractBits(const std::uint8_t* report, std::size_t bitPos, std::uint32_t size)
{
    std::uint64_t value = 0;
    for (std::uint32_t i = 0; i < size; ++i) {
        const std::size_t bit = bitPos + i;
        if (report[bit / 8] & (1u << (bit % 8)))
            value |= std::uint64_t{1} << i;
    }
    return static_cast<std::uint32_t>(value);
}

std::int32_t toLogical(std::uint32_t raw, std::uint32_t size, bool isSigned)
{
    if (isSigned && size > 0 && size < 32 && (raw & (1u << (size - 1))))
        return static_cast<std::int32_t>(raw | ~((1u << size) - 1));
    return static_cast<std::int32_t>(raw);
}

bool fieldFits(const HidInputField& field, std::size_t reportLength)
{
    const std::uint64_t needed = kReportIdBits + field.bitOffset + std::uint64_t{field.bitSize} * field.count;
    return needed <= std::uint64_t{reportLength} * 8;
}

std::int32_t scaleValue(const HidInputField& field, std::int32_t raw)
{
    const bool physicalSet = field.physicalMin != 0 || field.physicalMax != 0;
    const std::int64_t low = physicalSet ? field.physicalMin : field.logicalMin;
    const std::int64_t high = physicalSet ? field.physicalMax : field.logicalMax;
    if (field.logicalMax <= field.logicalMin)
        return raw;
    return static_cast<std::int32_t>(low + (std::int64_t{raw} - field.logicalMin) * (high - low) /
                                               (std::int64_t{field.logicalMax} - field.logicalMin));
}

// The usages that are on in one button field of a report.
void collectUsages(const HidInputField& field, const std::uint8_t* report, std::vector<std::uint16_t>& on)
{
    const bool isSigned = field.logicalMin < 0;
    for (std::uint32_t i = 0; i < field.count && on.size() < kMaxUsageList; ++i) {
        const std::size_t bitPos = kReportIdBits + field.bitOffset + std::size_t{i} * field.bitSize;
        const std::uint32_t raw = extractBits(report, bitPos, std::min<std::uint32_t>(field.bitSize, 32));
        std::uint16_t usage = 0;
        if (field.isArray) {
            const std::int64_t value = toLogical(raw, field.bitSize, isSigned);
            if (value < field.logicalMin || value > field.logicalMax)
                continue;
            usage = field.usageAt(static_cast<std::uint32_t>(value - field.logicalMin));
        } else if (raw != 0) {
            usage = field.usageAt(i);
        }
        if (usage != 0)
            on.push_back(usage);
    }
}

}  // namespace

class HidDevice::Use {
public:
    Use(HidDevice& device, std::atomic<bool>* pending) : m_device(device), m_pending(pending), m_fd(device.acquire())
    {
        if (m_fd >= 0 && m_pending)
            *m_pending = true;
    }
    ~Use()
    {
        if (m_fd < 0)
            return;
        if (m_pending)
            *m_pending = false;
        m_device.release();
    }
    Use(const Use&) = delete;
    Use& operator=(const Use&) = delete;
    int fd() const { return m_fd; }

private:
    HidDevice& m_device;
    std::atomic<bool>* m_pending;
    int m_fd;
};

HidDevice::HidDevice() : m_cancelFd(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

HidDevice::~HidDevice()
{
    close();
    if (m_cancelFd >= 0)
        ::close(m_cancelFd);
}

bool HidDevice::open(const std::string& path, bool readAccess, bool writeAccess, bool overlapped, bool exclusive)
{
    close();
    m_readAccess = readAccess;
    m_writeAccess = writeAccess;
    m_overlapped = overlapped;
    m_exclusive = exclusive;
    m_path = path;
    m_entry = HidInterfaceEntry{};
    m_interfaceNumber = parseInterfaceNumber(path);
    m_collectionNumber = parseCollectionNumber(path);

    const HidEnvironment environment = hidEnvironment();
    std::optional<HidInterfaceEntry> entry = resolveHidPath(environment, path);
    if (!entry) {
        m_lastOpenError = HidOpenError::NotFound;
        return false;
    }
    const int mode = readAccess && writeAccess ? O_RDWR : readAccess ? O_RDONLY : writeAccess ? O_WRONLY : O_PATH;
    const int fd = openHidInterface(environment, *entry, mode, m_lastOpenError);
    if (fd < 0)
        return false;

    m_entry = std::move(*entry);
    m_inputReport.assign(m_entry.collection.inputReportLength, 0);
    buildInputData();
    std::lock_guard lock(m_stateMutex);
    m_fd = fd;
    return true;
}

void HidDevice::close()
{
    std::unique_lock lock(m_stateMutex);
    if (m_closing) {
        m_idle.wait(lock, [this] { return !m_closing; });
        return;
    }
    if (m_fd < 0)
        return;
    m_closing = true;
    if (m_users > 0) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t signalled = ::write(m_cancelFd, &one, sizeof one);
    }
    m_idle.wait(lock, [this] { return m_users == 0; });
    ::close(m_fd);
    m_fd = -1;
    std::uint64_t drained = 0;
    [[maybe_unused]] const ssize_t cleared = ::read(m_cancelFd, &drained, sizeof drained);
    m_closing = false;
    m_idle.notify_all();
}

bool HidDevice::isOpen() const
{
    std::lock_guard lock(m_stateMutex);
    return m_fd >= 0 && !m_closing;
}

int HidDevice::acquire()
{
    std::lock_guard lock(m_stateMutex);
    if (m_fd < 0 || m_closing)
        return -1;
    ++m_users;
    return m_fd;
}

void HidDevice::release()
{
    std::lock_guard lock(m_stateMutex);
    if (--m_users == 0)
        m_idle.notify_all();
}

HidDevice::Wait HidDevice::waitFor(int fd, short events, std::optional<long long> deadlineMs) const
{
    pollfd fds[2] = {{fd, events, 0}, {m_cancelFd, POLLIN, 0}};
    for (;;) {
        const int timeout = deadlineMs ? static_cast<int>(std::max(0LL, *deadlineMs - nowMs())) : -1;
        const int ready = ::poll(fds, 2, timeout);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0)
            return Wait::Failed;
        if (fds[1].revents)
            return Wait::Cancelled;
        if (ready == 0)
            return Wait::TimedOut;
        if (fds[0].revents & events)
            return Wait::Ready;
        return Wait::Failed;
    }
}

// Waits on the cancel signal alone: TimedOut when the pause ran out.
HidDevice::Wait HidDevice::pause(int ms) const
{
    pollfd cancel = {m_cancelFd, POLLIN, 0};
    const int ready = ::poll(&cancel, 1, ms);
    return ready > 0 ? Wait::Cancelled : Wait::TimedOut;
}

bool HidDevice::readReport(std::uint8_t* buffer, std::size_t length, std::size_t* bytesRead, int timeoutMs)
{
    if (bytesRead)
        *bytesRead = 0;
    if (!buffer || length == 0 || !m_readAccess)
        return false;
    Use use(*this, &m_readPending);
    if (use.fd() < 0)
        return false;
    const std::optional<long long> deadline =
        timeoutMs < 0 ? std::nullopt : std::optional<long long>(nowMs() + timeoutMs);
    const HidCollectionInfo& collection = m_entry.collection;
    std::vector<std::uint8_t> unit(kMaxReportUnit);
    std::vector<std::uint8_t> report;
    // Reports of other collections are drained without a wait in between; the wait (which also
    // sees a close) comes back when the queue is empty, and at least every kDrainedBeforeWait reads.
    int drained = kDrainedBeforeWait;
    for (bool first = true;; first = false) {
        // Reports of other collections that keep coming must not hold the caller past its limit.
        if (!first && deadline && nowMs() > *deadline)
            return false;
        if (drained >= kDrainedBeforeWait) {
            if (waitFor(use.fd(), POLLIN, deadline) != Wait::Ready)
                return false;
            drained = 0;
        }
        const ssize_t n = ::read(use.fd(), unit.data(), unit.size());
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            // Only other collections' reports came: let more gather before the next wake-up.
            if (drained > 0 && m_foreignPauseMs > 0 && pause(m_foreignPauseMs) == Wait::Cancelled)
                return false;
            drained = kDrainedBeforeWait;
            continue;
        }
        if (n <= 0)
            return false;  // an error, or the peer of a virtual interface has gone
        ++drained;
        if (!unframeInputReport(m_entry.backend, collection.usesReportIds(), unit.data(),
                                static_cast<std::size_t>(n), report))
            continue;
        if (collection.usesReportIds() && !collection.ownsReportId(report[0]))
            continue;  // another collection of the same interface
        const std::size_t copied = std::min(length, report.size());
        std::memcpy(buffer, report.data(), copied);
        if (bytesRead)
            *bytesRead = copied;
        return true;
    }
}

bool HidDevice::writeReport(const std::uint8_t* buffer, std::size_t length, std::size_t* bytesWritten,
                            int timeoutMs)
{
    if (bytesWritten)
        *bytesWritten = 0;
    if (!buffer || length == 0 || !m_writeAccess)
        return false;
    return sendFrame(frameOutputReport(m_entry.backend, OutputPath::Interrupt, buffer, length), bytesWritten,
                     timeoutMs);
}

bool HidDevice::sendFrame(const std::vector<std::uint8_t>& frame, std::size_t* bytesWritten, int timeoutMs)
{
    Use use(*this, &m_writePending);
    if (use.fd() < 0)
        return false;
    const std::optional<long long> deadline =
        timeoutMs < 0 ? std::nullopt : std::optional<long long>(nowMs() + timeoutMs);
    for (;;) {
        if (waitFor(use.fd(), POLLOUT, deadline) != Wait::Ready)
            return false;
        const ssize_t n = sendUnit(use.fd(), frame);
        if (n < 0 && (errno == EAGAIN || errno == EINTR))
            continue;
        if (n < 0 || static_cast<std::size_t>(n) != frame.size())
            return false;
        if (bytesWritten)
            *bytesWritten = frame.size() - outputFrameOverhead(m_entry.backend);
        return true;
    }
}

bool HidDevice::setOutputReport(const std::uint8_t* buffer, std::size_t length)
{
    if (!buffer || length == 0 || !m_writeAccess)
        return false;
    if (m_entry.backend == HidBackend::Hidraw) {
        const Control sent = sendControl(buffer, length);
        if (sent != Control::Unsupported)
            return sent == Control::Sent;
    }
    // A kernel without the control-path request takes the report as a plain write.
    return sendFrame(frameOutputReport(m_entry.backend, OutputPath::Control, buffer, length), nullptr,
                     kControlTimeoutMs);
}

HidDevice::Control HidDevice::sendControl(const std::uint8_t* buffer, std::size_t length)
{
#ifdef HIDIOCSOUTPUT
    constexpr std::size_t kLargestRequest = (1u << _IOC_SIZEBITS) - 1;
    if (length > kLargestRequest)
        return Control::Failed;
    Use use(*this, &m_writePending);
    if (use.fd() < 0)
        return Control::Failed;
    std::vector<std::uint8_t> copy(buffer, buffer + length);
    if (::ioctl(use.fd(), HIDIOCSOUTPUT(length), copy.data()) >= 0)
        return Control::Sent;
    return errno == ENOTTY ? Control::Unsupported : Control::Failed;
#else
    (void)buffer;
    (void)length;
    return Control::Unsupported;
#endif
}

bool HidDevice::flushInputQueue()
{
    Use use(*this, nullptr);
    if (use.fd() < 0)
        return false;
    std::vector<std::uint8_t> unit(kMaxReportUnit);
    for (int i = 0; i < kMaxFlushedReports; ++i) {
        const ssize_t n = ::read(use.fd(), unit.data(), unit.size());
        if (n < 0 && errno == EAGAIN)
            return true;
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
    }
    return true;
}

void HidDevice::buildInputData()
{
    m_inputData.clear();
    const HidCollectionInfo& collection = m_entry.collection;
    for (std::size_t i = 0; i < collection.inputButtons.size(); ++i) {
        const HidInputField& field = collection.inputButtons[i];
        std::size_t capacity = 0;
        for (const HidInputField& other : collection.inputButtons)
            if (other.usagePage == field.usagePage)
                capacity += other.count;
        HidInputElement element;
        element.kind = HidInputElement::Kind::Button;
        element.reportId = field.reportId;
        element.usagePage = field.usagePage;
        element.usageMin = field.usageMin;
        element.usageMax = field.usageMax;
        element.usages.assign(std::min(capacity, kMaxUsageList), 0);
        element.field = i;
        m_inputData.push_back(std::move(element));
    }
    for (std::size_t i = 0; i < collection.inputValues.size(); ++i) {
        const HidInputField& field = collection.inputValues[i];
        const std::size_t usages = field.isRange ? std::size_t{field.usageMax} - field.usageMin + 1
                                                 : std::max<std::size_t>(field.usages.size(), 1);
        const std::size_t elements = std::min<std::size_t>(usages, std::max<std::uint32_t>(field.count, 1));
        for (std::uint32_t n = 0; n < elements && m_inputData.size() < kMaxValueElements; ++n) {
            HidInputElement element;
            element.kind = HidInputElement::Kind::Value;
            element.reportId = field.reportId;
            element.usagePage = field.usagePage;
            element.usage = field.usageAt(n);
            element.field = i;
            element.index = n;
            m_inputData.push_back(std::move(element));
        }
    }
}

bool HidDevice::decodeInputReport(const std::uint8_t* report, std::size_t length)
{
    if (!report || length == 0)
        return false;
    for (HidInputElement& element : m_inputData) {
        if (element.reportId != report[0])
            continue;
        const bool ok = element.kind == HidInputElement::Kind::Button ? decodeButton(element, report, length)
                                                                      : decodeValue(element, report, length);
        element.ok = ok;
        if (!ok)
            return false;
        element.isSet = true;
    }
    return true;
}

bool HidDevice::decodeButton(HidInputElement& element, const std::uint8_t* report, std::size_t length)
{
    std::vector<std::uint16_t> on;
    for (const HidInputField& field : m_entry.collection.inputButtons) {
        if (field.reportId != element.reportId || field.usagePage != element.usagePage)
            continue;
        if (!fieldFits(field, length))
            return false;
        collectUsages(field, report, on);
    }
    std::fill(element.usages.begin(), element.usages.end(), 0);
    element.usageCount = 0;
    for (const std::uint16_t usage : on) {
        if (usage < element.usageMin || usage > element.usageMax || element.usageCount >= element.usages.size())
            continue;
        element.usages[element.usageCount++] = usage;
    }
    return true;
}

bool HidDevice::decodeValue(HidInputElement& element, const std::uint8_t* report, std::size_t length)
{
    const HidInputField& field = m_entry.collection.inputValues[element.field];
    if (field.bitSize == 0 || field.bitSize > 32 || !fieldFits(field, length))
        return false;
    const std::size_t bitPos = kReportIdBits + field.bitOffset + std::size_t{element.index} * field.bitSize;
    element.rawValue = toLogical(extractBits(report, bitPos, field.bitSize), field.bitSize, field.logicalMin < 0);
    element.scaledValue = scaleValue(field, element.rawValue);
    return true;
}

std::uint16_t HidDevice::firstInputUsage() const
{
    if (m_inputData.empty() || m_inputData.front().usages.empty())
        return 0;
    return m_inputData.front().usages.front();
}

bool HidInterfaceList::refresh()
{
    clear();
    std::vector<HidInterfaceEntry> entries;
    if (!enumerateHidInterfaces(hidEnvironment(), entries))
        return false;
    for (HidInterfaceEntry& entry : entries)
        m_paths.push_back(std::move(entry.path));
    return true;
}

std::optional<std::string> HidInterfaceList::next()
{
    if (m_cursor >= m_paths.size())
        return std::nullopt;
    return m_paths[m_cursor++];
}

void HidInterfaceList::clear()
{
    m_paths.clear();
    m_cursor = 0;
}

bool hidInterfacePresent(const std::string& path)
{
    return hidPathPresent(hidEnvironment(), path);
}

}  // namespace kestrion
