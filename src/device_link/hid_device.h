#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/hid/hid_environment.h"
#include "platform/hid/hid_interface_entry.h"
#include "platform/hid/hid_path.h"

namespace kestrion {

inline constexpr int kHidInfinite = -1;

// One decoded piece of an input report: a button element (the usages that are on) or a value
// element (one usage's value).
struct HidInputElement {
    enum class Kind { Button, Value };
    Kind kind = Kind::Button;
    std::uint8_t reportId = 0;
    std::uint16_t usagePage = 0;
    // Button element.
    std::uint16_t usageMin = 0;
    std::uint16_t usageMax = 0;
    std::vector<std::uint16_t> usages;  // capacity: the most usages of its page that can be on
    std::size_t usageCount = 0;
    // Value element.
    std::uint16_t usage = 0;
    std::int32_t rawValue = 0;
    std::int32_t scaledValue = 0;
    bool ok = false;
    bool isSet = false;
    std::size_t field = 0;    // index into the collection's button or value fields
    std::uint32_t index = 0;  // value element: which element of its field
};

// One opened HID interface (one top-level collection). Reports at this interface always start
// with the report id byte, 0 when the collection uses no ids.
//
// One reader and one writer may run at once; close() may be called from any thread and ends a
// waiting read or write promptly. The node is only closed once no call uses it any more, and
// the input buffer and decoded data stay allocated until the next open, so that a notification
// thread still holding them after a cancelled read never touches freed memory.
class HidDevice {
public:
    HidDevice();
    ~HidDevice();
    HidDevice(const HidDevice&) = delete;
    HidDevice& operator=(const HidDevice&) = delete;

    bool open(const std::string& path, bool readAccess, bool writeAccess, bool overlapped, bool exclusive);
    void close();
    bool isOpen() const;

    bool readReport(std::uint8_t* buffer, std::size_t length, std::size_t* bytesRead, int timeoutMs);
    bool writeReport(const std::uint8_t* buffer, std::size_t length, std::size_t* bytesWritten, int timeoutMs);
    bool setOutputReport(const std::uint8_t* buffer, std::size_t length);
    bool flushInputQueue();

    // A reader that waits for rare reports among many of other collections (a notification
    // link among motion reports) lets those gather for `ms` once it has drained them, instead of
    // waking for each one. The kernel queues 64 reports, so the pause stays well under 64 of them.
    void setForeignReportPause(int ms) { m_foreignPauseMs = ms; }

    bool decodeInputReport(const std::uint8_t* report, std::size_t length);
    std::uint16_t firstInputUsage() const;

    std::uint16_t vendorId() const { return m_entry.vendorId; }
    std::uint16_t productId() const { return m_entry.productId; }
    std::uint16_t versionNumber() const { return m_entry.versionNumber; }
    std::uint16_t usagePage() const { return m_entry.collection.usagePage; }
    std::uint16_t usage() const { return m_entry.collection.usage; }
    std::uint16_t inputReportLength() const { return m_entry.collection.inputReportLength; }
    std::uint16_t outputReportLength() const { return m_entry.collection.outputReportLength; }
    std::uint16_t featureReportLength() const { return m_entry.collection.featureReportLength; }
    std::uint16_t interfaceNumber() const { return m_interfaceNumber; }
    std::uint16_t collectionNumber() const { return m_collectionNumber; }
    const std::string& path() const { return m_path; }
    std::vector<std::uint8_t>& inputReport() { return m_inputReport; }
    const std::vector<HidInputElement>& inputData() const { return m_inputData; }
    HidOpenError lastOpenError() const { return m_lastOpenError; }

private:
    enum class Wait { Ready, TimedOut, Cancelled, Failed };
    enum class Control { Sent, Unsupported, Failed };
    class Use;

    int acquire();
    void release();
    Wait waitFor(int fd, short events, std::optional<long long> deadlineMs) const;
    Wait pause(int ms) const;
    bool sendFrame(const std::vector<std::uint8_t>& frame, std::size_t* bytesWritten, int timeoutMs);
    Control sendControl(const std::uint8_t* buffer, std::size_t length);
    void buildInputData();
    bool decodeButton(HidInputElement& element, const std::uint8_t* report, std::size_t length);
    bool decodeValue(HidInputElement& element, const std::uint8_t* report, std::size_t length);

    bool m_readAccess = false;
    bool m_writeAccess = false;
    bool m_overlapped = false;
    bool m_exclusive = false;
    std::string m_path;
    HidInterfaceEntry m_entry;
    std::uint16_t m_interfaceNumber = 0;
    std::uint16_t m_collectionNumber = 0;
    std::vector<std::uint8_t> m_inputReport;
    std::vector<HidInputElement> m_inputData;
    HidOpenError m_lastOpenError = HidOpenError::None;

    mutable std::mutex m_stateMutex;
    std::condition_variable m_idle;
    int m_fd = -1;
    int m_cancelFd = -1;  // eventfd: signalled by close() to end waiting calls
    int m_users = 0;      // calls currently using m_fd
    bool m_closing = false;
    std::atomic<int> m_foreignPauseMs{0};
    std::atomic<bool> m_readPending{false};
    std::atomic<bool> m_writePending{false};
};

// The paths of one enumeration, handed out one by one.
class HidInterfaceList {
public:
    bool refresh();
    std::optional<std::string> next();
    void clear();
    std::size_t count() const { return m_paths.size(); }

private:
    std::vector<std::string> m_paths;
    std::size_t m_cursor = 0;
};

// Whether the interface a path names is still there (lacking rights still counts).
bool hidInterfacePresent(const std::string& path);

}  // namespace kestrion
