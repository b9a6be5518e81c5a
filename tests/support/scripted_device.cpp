#include "support/scripted_device.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/paths.h"

namespace kestrion::test {
namespace {

// One vendor-defined collection: report id 4, 63 data bytes each way.
const std::vector<std::uint8_t> kCommandDescriptor = {
    0x06, 0x1C, 0xFF, 0x09, 0x92, 0xA1, 0x01, 0x85, 0x04, 0x09, 0x01, 0x15, 0x00, 0x26,
    0xFF, 0x00, 0x75, 0x08, 0x95, 0x3F, 0x81, 0x02, 0x09, 0x01, 0x91, 0x02, 0xC0,
};

// Read and write commands of one memory area share it.
std::uint8_t areaKey(std::uint8_t code)
{
    switch (code) {
    case 0x04: return 0x03;
    case 0x06: return 0x05;
    case 0x09: return 0x07;
    case 0x0B: return 0x0A;
    default: return code;
    }
}

bool isRead(std::uint8_t code)
{
    constexpr std::uint8_t reads[] = {0x03, 0x05, 0x07, 0x0A, 0x1A, 0x1B};
    return std::find(std::begin(reads), std::end(reads), code) != std::end(reads);
}

}  // namespace

ScriptedDevice::ScriptedDevice(const std::string& stem, std::uint16_t product)
{
    char ids[64];
    std::snprintf(ids, sizeof ids, "#vid_320f&pid_%04x&mi_01", product);
    m_path = "vhid:" + stem + ids;
    devsim::InterfaceIdentity identity{0x320F, product, 0x0104, 1, kCommandDescriptor};
    m_interface = std::make_unique<devsim::VirtualHidInterface>(
        virtualHidDir(), stem, identity,
        [this](char kind, const std::vector<std::uint8_t>& report) { onReport(kind, report); });
    m_interface->publish();
}

ScriptedDevice::~ScriptedDevice()
{
    m_interface->unpublish();
}

void ScriptedDevice::queueFaults(std::initializer_list<Fault> faults)
{
    std::lock_guard lock(m_mutex);
    m_faults.insert(m_faults.end(), faults);
}

std::vector<ScriptedDevice::Request> ScriptedDevice::requests() const
{
    std::lock_guard lock(m_mutex);
    return m_requests;
}

void ScriptedDevice::clearRequests()
{
    std::lock_guard lock(m_mutex);
    m_requests.clear();
}

bool ScriptedDevice::waitForRequests(std::size_t n) const
{
    std::unique_lock lock(m_mutex);
    return m_arrived.wait_for(lock, std::chrono::seconds(1), [&] { return m_requests.size() >= n; });
}

std::vector<std::uint8_t>& ScriptedDevice::area(std::uint8_t code)
{
    std::vector<std::uint8_t>& memory = m_areas[areaKey(code)];
    if (memory.empty())
        memory.resize(0x10000);
    return memory;
}

void ScriptedDevice::onReport(char kind, const std::vector<std::uint8_t>& report)
{
    if (kind != 'O' || report.size() < 64)
        return;
    Fault fault = Fault::None;
    std::vector<std::uint8_t> reply;
    {
        std::lock_guard lock(m_mutex);
        Request r{report[3], report[4], static_cast<std::uint16_t>(report[5] | report[6] << 8), {}};
        std::copy_n(report.begin(), 64, r.bytes.begin());
        m_requests.push_back(r);
        if (!m_faults.empty()) {
            fault = m_faults.front();
            m_faults.pop_front();
        }
        reply = answer(report, fault);
    }
    m_arrived.notify_all();
    if (fault == Fault::Silent)
        return;
    if (fault == Fault::Slow)
        std::this_thread::sleep_for(std::chrono::milliseconds(m_slowReplyMs));
    m_interface->sendInput(reply);
}

std::vector<std::uint8_t> ScriptedDevice::answer(const std::vector<std::uint8_t>& report, Fault fault)
{
    std::vector<std::uint8_t> reply(report.begin(), report.begin() + 64);
    const std::uint8_t code = report[3];
    const std::size_t length = std::min<std::size_t>(report[4], 56);
    const std::size_t offset = report[5] | report[6] << 8;
    std::vector<std::uint8_t>& memory = area(code);
    if (isRead(code))
        std::copy_n(memory.begin() + offset, length, reply.begin() + 8);
    else
        std::copy_n(report.begin() + 8, length, memory.begin() + offset);
    reply[7] = 0;
    if (code == 0xAA)
        reply[8] = m_linkAnswer;

    switch (fault) {
    case Fault::WrongEcho: reply[3] = static_cast<std::uint8_t>(code + 1); break;
    case Fault::ReceiverNoAnswer: reply[3] = 0xAA; reply[8] = 0; break;
    case Fault::StatusInvalid: reply[7] = 0xFF; break;
    case Fault::StatusRejected: reply[7] = 0xFE; break;
    default: break;
    }
    return reply;
}

}  // namespace kestrion::test
