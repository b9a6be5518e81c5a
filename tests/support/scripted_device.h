#pragma once

#include <array>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "devsim/virtual_hid_server.h"

namespace kestrion::test {

// A command interface on the virtual HID transport whose answers a test scripts: by default it
// echoes every request and serves reads and writes from a plain memory per command area, and
// the next requests can be told to misbehave.
class ScriptedDevice {
public:
    enum class Fault { None, Silent, WrongEcho, ReceiverNoAnswer, StatusInvalid, StatusRejected, Slow };
    struct Request {
        std::uint8_t code;
        std::uint8_t length;
        std::uint16_t offset;
        std::array<std::uint8_t, 64> bytes;
    };

    explicit ScriptedDevice(const std::string& stem, std::uint16_t product = 0x22A4);
    ~ScriptedDevice();

    // The path the tool opens, e.g. "vhid:<stem>#vid_320f&pid_22a4&mi_01".
    const std::string& path() const { return m_path; }

    // Faults for the next requests, one each, in order.
    void queueFaults(std::initializer_list<Fault> faults);
    void setSlowReplyMs(int ms) { m_slowReplyMs = ms; }
    // Byte 8 of the answer to the receiver link query.
    void setLinkAnswer(std::uint8_t byte8) { m_linkAnswer = byte8; }

    std::vector<Request> requests() const;
    void clearRequests();
    // Blocks until at least n requests arrived (or a second passed); false on time-out.
    bool waitForRequests(std::size_t n) const;

    std::vector<std::uint8_t>& area(std::uint8_t readOrWriteCode);

private:
    void onReport(char kind, const std::vector<std::uint8_t>& report);
    std::vector<std::uint8_t> answer(const std::vector<std::uint8_t>& report, Fault fault);

    std::string m_path;
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_arrived;
    std::vector<Request> m_requests;
    std::deque<Fault> m_faults;
    std::map<std::uint8_t, std::vector<std::uint8_t>> m_areas;
    int m_slowReplyMs = 300;
    std::uint8_t m_linkAnswer = 0xFF;
    std::unique_ptr<devsim::VirtualHidInterface> m_interface;
};

}  // namespace kestrion::test
