#include "devsim/simulator.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "devsim/hex_text.h"
#include "devsim/report_descriptors.h"

namespace devsim {
namespace {

enum class Role { Notification, Command, Both };
enum class Descriptor { MouseInput, MouseCommand, PadInput, PadCommand, KeyboardInput, KeyboardCommand, Headset };

struct InterfaceRow {
    Port port;
    const char* stem;
    std::uint16_t vendor;
    std::uint16_t product;
    std::uint8_t interfaceNumber;
    std::uint8_t collection;  // the collection a host opens; 0 when the interface has only one
    Role role;
    Descriptor descriptor;
    std::uint8_t notificationReportId;
};

constexpr std::uint16_t kReceiverVersion = 0x0104;
constexpr std::uint16_t kAccessoryVersion = 0x0100;

constexpr std::array<InterfaceRow, 9> kInterfaces = {{
    {Port::Cable, "devsim-mouse-wired-if0", 0x320F, 0x22A4, 0, 3, Role::Notification, Descriptor::MouseInput,
     kMouseNotificationReportId},
    {Port::Cable, "devsim-mouse-wired-if1", 0x320F, 0x22A4, 1, 2, Role::Command, Descriptor::MouseCommand, 0},
    {Port::Receiver, "devsim-mouse-receiver-if0", 0x320F, 0x226F, 0, 3, Role::Notification,
     Descriptor::MouseInput, kMouseNotificationReportId},
    {Port::Receiver, "devsim-mouse-receiver-if1", 0x320F, 0x226F, 1, 2, Role::Command, Descriptor::MouseCommand, 0},
    {Port::Pad, "devsim-pad-if0", 0x320F, 0x1004, 0, 3, Role::Notification, Descriptor::PadInput,
     kPadNotificationReportId},
    {Port::Pad, "devsim-pad-if1", 0x320F, 0x1004, 1, 4, Role::Command, Descriptor::PadCommand, 0},
    {Port::Headset, "devsim-headset-if3", 0x0C76, 0x1630, 3, 0, Role::Both, Descriptor::Headset,
     kHeadsetNotificationReportId},
    {Port::Keyboard, "devsim-keyboard-if0", 0x320F, Simulator::kDefaultKeyboardProduct, 0, 3, Role::Notification,
     Descriptor::KeyboardInput, kKeyboardNotificationReportId},
    {Port::Keyboard, "devsim-keyboard-if1", 0x320F, Simulator::kDefaultKeyboardProduct, 1, 4, Role::Command,
     Descriptor::KeyboardCommand, 0},
}};

struct PortNameEntry {
    Port port;
    const char* name;
};
constexpr std::array<PortNameEntry, 5> kPortNames = {{
    {Port::Cable, "cable"}, {Port::Receiver, "receiver"}, {Port::Pad, "pad"}, {Port::Headset, "headset"},
    {Port::Keyboard, "keyboard"}}};

constexpr std::uint8_t kLightFrameCode = 0x12;

const std::vector<std::uint8_t>& descriptorBytes(Descriptor which)
{
    switch (which) {
    case Descriptor::MouseInput: return mouseInputDescriptor();
    case Descriptor::MouseCommand: return mouseCommandDescriptor();
    case Descriptor::PadInput: return padInputDescriptor();
    case Descriptor::PadCommand: return padCommandDescriptor();
    case Descriptor::KeyboardInput: return keyboardInputDescriptor();
    case Descriptor::KeyboardCommand: return keyboardCommandDescriptor();
    case Descriptor::Headset: break;
    }
    return headsetDescriptor();
}

Product productOf(Port port)
{
    switch (port) {
    case Port::Pad: return Product::Pad;
    case Port::Headset: return Product::Headset;
    case Port::Keyboard: return Product::Keyboard;
    default: return Product::Mouse;
    }
}

std::size_t portIndex(Port port)
{
    return static_cast<std::size_t>(port);
}

std::string hostPath(const InterfaceRow& row, std::uint16_t product)
{
    char ids[64];
    std::snprintf(ids, sizeof ids, "#vid_%04x&pid_%04x&mi_%02x", row.vendor, product, row.interfaceNumber);
    std::string path = std::string("vhid:") + row.stem + ids;
    if (row.collection != 0) {
        std::snprintf(ids, sizeof ids, "&col%02x", row.collection);
        path += ids;
    }
    return path;
}

// What a receiver sends back for a mouse that does not answer.
std::vector<std::uint8_t> unreachableReply()
{
    std::vector<std::uint8_t> reply(packet::kSize, 0);
    reply[packet::kReportId] = packet::kCommandReportId;
    reply[packet::kCode] = packet::kUnreachable;
    const std::uint16_t sum = packetChecksum(reply);
    reply[packet::kChecksumLow] = static_cast<std::uint8_t>(sum & 0xFF);
    reply[packet::kChecksumHigh] = static_cast<std::uint8_t>(sum >> 8);
    return reply;
}

}  // namespace

struct Simulator::Endpoint {
    const InterfaceRow& row;
    std::unique_ptr<VirtualHidInterface> iface;
};

const char* portName(Port port)
{
    return kPortNames[portIndex(port)].name;
}

bool portFromName(const std::string& name, Port& port)
{
    for (const PortNameEntry& entry : kPortNames) {
        if (name == entry.name) {
            port = entry.port;
            return true;
        }
    }
    return false;
}

Simulator::Simulator(std::string folder) : m_folder(std::move(folder)), m_sensor(kSensors[0].id)
{
    for (const InterfaceRow& row : kInterfaces)
        m_endpoints.push_back(std::make_unique<Endpoint>(Endpoint{row, nullptr}));
    refreshPowerState();
}

Simulator::~Simulator()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopTraffic = true;
    }
    m_trafficChanged.notify_all();
    if (m_traffic.joinable())
        m_traffic.join();
    for (const PortNameEntry& entry : kPortNames)
        unplug(entry.port);
}

void Simulator::setLogSink(LogSink sink)
{
    std::lock_guard lock(m_logMutex);
    m_logSink = std::move(sink);
}

void Simulator::log(const std::string& line) const
{
    std::lock_guard lock(m_logMutex);
    if (m_logSink)
        m_logSink(line);
}

bool Simulator::plug(Port port)
{
    std::lock_guard plugLock(m_plugMutex);
    {
        std::lock_guard lock(m_mutex);
        if (m_plugged[portIndex(port)])
            return true;
        m_plugged[portIndex(port)] = true;
        refreshPowerState();
    }
    for (auto& endpoint : m_endpoints) {
        if (endpoint->row.port == port && !publish(*endpoint)) {
            log(std::string("plug ") + portName(port) + " failed: cannot publish in " + m_folder);
            unpublishPort(port);
            return false;
        }
    }
    log(std::string("plugged ") + portName(port));
    return true;
}

void Simulator::unplug(Port port)
{
    std::lock_guard plugLock(m_plugMutex);
    if (!plugged(port))
        return;
    unpublishPort(port);
    log(std::string("unplugged ") + portName(port));
}

bool Simulator::plugged(Port port) const
{
    std::lock_guard lock(m_mutex);
    return m_plugged[portIndex(port)];
}

std::uint16_t Simulator::productIdOf(Port port, std::uint16_t listed) const
{
    if (port != Port::Keyboard)
        return listed;
    std::lock_guard lock(m_mutex);
    return m_keyboardProduct;
}

void Simulator::setKeyboardProduct(std::uint16_t product)
{
    std::lock_guard lock(m_mutex);
    m_keyboardProduct = product;
}

std::uint16_t Simulator::keyboardProduct() const
{
    std::lock_guard lock(m_mutex);
    return m_keyboardProduct;
}

bool Simulator::publish(Endpoint& endpoint)
{
    const InterfaceRow& row = endpoint.row;
    std::uint16_t version = kAccessoryVersion;
    if (row.port == Port::Cable) {
        std::lock_guard lock(m_mutex);
        version = m_firmwareVersion;
    } else if (row.port == Port::Receiver) {
        version = kReceiverVersion;
    }
    InterfaceIdentity identity{row.vendor, productIdOf(row.port, row.product), version, row.interfaceNumber,
                               descriptorBytes(row.descriptor)};
    endpoint.iface = std::make_unique<VirtualHidInterface>(
        m_folder, row.stem, identity,
        [this, &endpoint](char kind, const std::vector<std::uint8_t>& report) { onReport(endpoint, kind, report); });
    return endpoint.iface->publish();
}

// Called with the plug mutex held.
void Simulator::unpublishPort(Port port)
{
    {
        std::lock_guard lock(m_mutex);
        m_plugged[portIndex(port)] = false;
        ++m_interruptions;
        refreshPowerState();
    }
    m_interrupted.notify_all();
    for (auto& endpoint : m_endpoints) {
        if (endpoint->row.port == port && endpoint->iface)
            endpoint->iface->unpublish();
    }
}

std::string Simulator::commandPath(Port port) const
{
    for (const InterfaceRow& row : kInterfaces) {
        if (row.port == port && row.role != Role::Notification)
            return hostPath(row, productIdOf(row.port, row.product));
    }
    return {};
}

std::string Simulator::notificationPath(Port port) const
{
    for (const InterfaceRow& row : kInterfaces) {
        if (row.port == port && row.role != Role::Command)
            return hostPath(row, productIdOf(row.port, row.product));
    }
    return {};
}

std::size_t Simulator::connections(Port port) const
{
    std::lock_guard plugLock(m_plugMutex);
    std::size_t count = 0;
    for (const auto& endpoint : m_endpoints) {
        if (endpoint->row.port == port && endpoint->iface)
            count += endpoint->iface->connectionCount();
    }
    return count;
}

void Simulator::onReport(Endpoint& endpoint, char kind, const std::vector<std::uint8_t>& report)
{
    const InterfaceRow& row = endpoint.row;
    const std::string prefix = std::string(row.stem) + " " + kind + " ";
    if (row.role == Role::Notification)
        return;
    if (row.port == Port::Headset && !report.empty() && report[0] == kHeadsetLightReportId) {
        std::lock_guard lock(m_mutex);
        m_headsetReports.push_back({kind, report});
        ++m_headsetReportCount;
        if (m_headsetReports.size() > kKeptHeadsetReports)
            m_headsetReports.pop_front();
        log(prefix + "light " + hexText(report));
        return;
    }
    CommandRequest request;
    if (!decodeRequest(report, request)) {
        log(prefix + "ignored " + hexText(report));
        return;
    }
    std::unique_lock lock(m_mutex);
    log(prefix + "request " + hexText(report));
    std::vector<std::uint8_t> reply = answer(row.port, request);
    int delayMs = 0;
    switch (applyFault(reply, delayMs)) {
    case FaultAction::Drop:
        log(prefix + "reply dropped");
        return;
    case FaultAction::Delay:
        if (!waitWhilePlugged(lock, row.port, delayMs)) {
            log(prefix + "reply lost: unplugged while delayed");
            return;
        }
        break;
    case FaultAction::None:
        break;
    }
    if (const int lateMs = replyDelayMs(); lateMs > 0 && !waitWhilePlugged(lock, row.port, lateMs)) {
        log(prefix + "reply lost: unplugged while late");
        return;
    }
    log(prefix + "reply " + hexText(reply));
    lock.unlock();
    endpoint.iface->sendInput(reply);
}

std::vector<std::uint8_t> Simulator::answer(Port port, const CommandRequest& request)
{
    if (port == Port::Receiver && !m_mouseOn)
        return unreachableReply();
    DeviceModel::Outcome outcome = model(productOf(port)).handle(request);
    for (const std::string& note : outcome.notes)
        log(std::string(portName(port)) + ": " + note);
    if (port == Port::Keyboard && request.code == kLightFrameCode)
        keepKeyboardFrame(request);
    return outcome.reply;
}

// A frame is whole when its last chunk lands on the end of the key slots.
void Simulator::keepKeyboardFrame(const CommandRequest& request)
{
    const std::vector<std::uint8_t>& frame = m_keyboard.area(Area::LightFrame);
    const std::size_t frameLength = m_keyboard.area(Area::Info)[info::kKeyCount] * kKeySlotSize;
    if (frameLength == 0 || frameLength > frame.size() || request.offset + request.length != frameLength)
        return;
    m_keyboardFrames.emplace_back(frame.begin(), frame.begin() + static_cast<std::ptrdiff_t>(frameLength));
    ++m_keyboardFrameCount;
    if (m_keyboardFrames.size() > kKeptKeyboardFrames)
        m_keyboardFrames.pop_front();
}

Simulator::FaultAction Simulator::applyFault(std::vector<std::uint8_t>& reply, int& delayMs)
{
    if (m_fault.remaining == 0)
        return FaultAction::None;
    if (m_fault.spared > 0) {
        --m_fault.spared;
        return FaultAction::None;
    }
    if (m_fault.remaining > 0)
        --m_fault.remaining;
    switch (m_fault.kind) {
    case FaultKind::Drop:
        return FaultAction::Drop;
    case FaultKind::Corrupt:
        // A wrong echo is what a host can tell apart from a good answer.
        reply[packet::kCode] ^= 0x80;
        return FaultAction::None;
    case FaultKind::Delay:
        delayMs = m_fault.delayMs;
        return FaultAction::Delay;
    }
    return FaultAction::None;
}

// False when the port was unplugged meanwhile: the reply then has nowhere to go.
bool Simulator::waitWhilePlugged(std::unique_lock<std::mutex>& lock, Port port, int delayMs)
{
    const unsigned seen = m_interruptions;
    return !m_interrupted.wait_for(lock, std::chrono::milliseconds(delayMs), [&] {
        return m_interruptions != seen || !m_plugged[portIndex(port)];
    });
}

void Simulator::setMouseOn(bool on)
{
    std::lock_guard lock(m_mutex);
    m_mouseOn = on;
    log(std::string("mouse switched ") + (on ? "on" : "off"));
}

bool Simulator::mouseOn() const
{
    std::lock_guard lock(m_mutex);
    return m_mouseOn;
}

std::uint8_t Simulator::pressDpiButton()
{
    std::lock_guard plugLock(m_plugMutex);
    std::uint16_t code = 0;
    std::uint8_t stage = 0;
    {
        std::lock_guard lock(m_mutex);
        std::vector<std::uint8_t>& settings = m_mouse.area(Area::Settings);
        const std::size_t profile = settings[page::kActiveProfile] % page::kMouseCount;
        const std::size_t base = profile * page::kMouseStride;
        stage = nextDpiStage(settings, base);
        settings[base + page::kActiveStage] = stage;
        code = static_cast<std::uint16_t>(0x1100 | (stage & 0x0F) << 4 | (profile & 0x0F));
        log("dpi button: profile " + std::to_string(profile) + " stage " + std::to_string(stage));
    }
    for (Port port : {Port::Cable, Port::Receiver}) {
        notify(port, code);
        notify(port, 0x0401);
    }
    return stage;
}

bool Simulator::clickButton()
{
    std::lock_guard plugLock(m_plugMutex);
    {
        std::lock_guard lock(m_mutex);
        const std::vector<std::uint8_t>& settings = m_mouse.area(Area::Settings);
        const std::size_t base = (settings[page::kActiveProfile] % page::kMouseCount) * page::kMouseStride;
        if (settings[base + page::kLedMode] != page::kReactiveMode)
            return false;
    }
    for (Port port : {Port::Cable, Port::Receiver})
        notify(port, 0x0403);
    return true;
}

void Simulator::sendNotification(Port port, std::uint16_t code)
{
    std::lock_guard plugLock(m_plugMutex);
    notify(port, code);
}

// Called with the plug mutex held.
void Simulator::notify(Port port, std::uint16_t code)
{
    {
        std::lock_guard lock(m_mutex);
        if (!m_plugged[portIndex(port)] || (port == Port::Receiver && !m_mouseOn))
            return;
    }
    for (auto& endpoint : m_endpoints) {
        const InterfaceRow& row = endpoint->row;
        if (row.port != port || row.role == Role::Command || !endpoint->iface)
            continue;
        const std::vector<std::uint8_t> report = {row.notificationReportId, static_cast<std::uint8_t>(code & 0xFF),
                                                  static_cast<std::uint8_t>(code >> 8)};
        endpoint->iface->sendInput(report);
        log(std::string(row.stem) + " notification " + hexText(report));
    }
}

void Simulator::setBattery(int percent)
{
    std::lock_guard lock(m_mutex);
    m_battery = std::clamp(percent, 0, 100);
    refreshPowerState();
}

void Simulator::setCharging(bool charging)
{
    std::lock_guard lock(m_mutex);
    m_charging = charging;
    refreshPowerState();
}

// Called with the state mutex held (or before any thread runs).
void Simulator::refreshPowerState()
{
    std::vector<std::uint8_t>& bytes = m_mouse.area(Area::Status);
    bytes[status::kBattery] = static_cast<std::uint8_t>(m_battery);
    if (m_charging)
        bytes[status::kPowerState] = status::kCharging;
    else
        bytes[status::kPowerState] = m_plugged[portIndex(Port::Cable)] ? status::kExternal : status::kOnBattery;
}

void Simulator::loadFreshInfo()
{
    std::lock_guard lock(m_mutex);
    m_mouse.resetInfo(freshInfoBlock(*findSensor(m_sensor), Product::Mouse));
}

void Simulator::loadCorruptInfo()
{
    std::lock_guard lock(m_mutex);
    m_mouse.resetInfo(corruptInfoBlock());
}

bool Simulator::setSensor(std::uint16_t sensorId)
{
    const std::optional<SensorProfile> sensor = findSensor(sensorId);
    if (!sensor)
        return false;
    std::lock_guard lock(m_mutex);
    m_sensor = sensorId;
    std::vector<std::uint8_t>& block = m_mouse.area(Area::Info);
    writeWord(block, info::kSensor, sensor->id);
    block[info::kDpiStep] = sensor->dpiStep;
    writeWord(block, info::kSliderRange, sensor->sliderRange);
    writeWord(block, info::kDpiBase, sensor->dpiBase);
    return true;
}

void Simulator::setFirmwareVersion(std::uint16_t version)
{
    std::lock_guard plugLock(m_plugMutex);
    {
        std::lock_guard lock(m_mutex);
        m_firmwareVersion = version;
    }
    if (!plugged(Port::Cable))
        return;
    unpublishPort(Port::Cable);
    {
        std::lock_guard lock(m_mutex);
        m_plugged[portIndex(Port::Cable)] = true;
        refreshPowerState();
    }
    for (auto& endpoint : m_endpoints) {
        if (endpoint->row.port == Port::Cable && !publish(*endpoint)) {
            unpublishPort(Port::Cable);
            return;
        }
    }
}

std::uint16_t Simulator::firmwareVersion() const
{
    std::lock_guard lock(m_mutex);
    return m_firmwareVersion;
}

DeviceModel& Simulator::model(Product product)
{
    switch (product) {
    case Product::Pad: return m_pad;
    case Product::Headset: return m_headset;
    case Product::Keyboard: return m_keyboard;
    case Product::Mouse: break;
    }
    return m_mouse;
}

const DeviceModel& Simulator::model(Product product) const
{
    switch (product) {
    case Product::Pad: return m_pad;
    case Product::Headset: return m_headset;
    case Product::Keyboard: return m_keyboard;
    case Product::Mouse: break;
    }
    return m_mouse;
}

std::vector<std::uint8_t> Simulator::memory(Product product, Area area) const
{
    std::lock_guard lock(m_mutex);
    const DeviceModel& device = model(product);
    if (device.capacity(area) == 0)
        return {};
    return device.area(area);
}

bool Simulator::readMemory(Product product, Area area, std::size_t offset, std::size_t length,
                           std::vector<std::uint8_t>& out) const
{
    std::lock_guard lock(m_mutex);
    const DeviceModel& device = model(product);
    const std::size_t size = device.capacity(area) == 0 ? 0 : device.area(area).size();
    if (offset > size || length > size - offset)
        return false;
    const auto first = device.area(area).begin() + static_cast<std::ptrdiff_t>(offset);
    out.assign(first, first + static_cast<std::ptrdiff_t>(length));
    return true;
}

bool Simulator::writeMemory(Product product, Area area, std::size_t offset, const std::vector<std::uint8_t>& bytes)
{
    std::lock_guard lock(m_mutex);
    DeviceModel& device = model(product);
    const std::size_t size = device.capacity(area) == 0 ? 0 : device.area(area).size();
    if (offset > size || bytes.size() > size - offset)
        return false;
    std::copy(bytes.begin(), bytes.end(), device.area(area).begin() + static_cast<std::ptrdiff_t>(offset));
    return true;
}

std::vector<std::uint8_t> Simulator::settingsPage(int profile) const
{
    std::vector<std::uint8_t> bytes;
    if (profile < 0
        || !readMemory(Product::Mouse, Area::Settings, static_cast<std::size_t>(profile) * page::kMouseStride,
            page::kMouseStride, bytes))
        return {};
    return bytes;
}

ContainerCheck Simulator::macroCheck() const
{
    std::lock_guard lock(m_mutex);
    return m_mouse.check(Area::Macro);
}

ContainerCheck Simulator::shootCheck() const
{
    std::lock_guard lock(m_mutex);
    return m_mouse.check(Area::Shoot);
}

bool Simulator::softwareLightingEnabled() const
{
    std::lock_guard lock(m_mutex);
    return m_mouse.softwareLighting();
}

int Simulator::readyNotices() const
{
    std::lock_guard lock(m_mutex);
    return m_mouse.readyNotices();
}

std::vector<HostReport> Simulator::headsetLightReports() const
{
    std::lock_guard lock(m_mutex);
    return {m_headsetReports.begin(), m_headsetReports.end()};
}

std::size_t Simulator::headsetLightReportCount() const
{
    std::lock_guard lock(m_mutex);
    return m_headsetReportCount;
}

std::vector<std::vector<std::uint8_t>> Simulator::keyboardFrames() const
{
    std::lock_guard lock(m_mutex);
    return {m_keyboardFrames.begin(), m_keyboardFrames.end()};
}

std::size_t Simulator::keyboardFrameCount() const
{
    std::lock_guard lock(m_mutex);
    return m_keyboardFrameCount;
}

void Simulator::injectFault(FaultKind kind, int count, int delayMs, int spared)
{
    std::lock_guard lock(m_mutex);
    m_fault = {kind, count < 0 ? kAll : count, std::max(delayMs, 0), std::max(spared, 0)};
}

void Simulator::clearFaults()
{
    std::lock_guard lock(m_mutex);
    m_fault = {};
}

void Simulator::setLatency(int latencyMs, int jitterMs)
{
    std::lock_guard lock(m_mutex);
    m_latencyMs = std::max(latencyMs, 0);
    m_jitterMs = std::max(jitterMs, 0);
}

// Called with the state mutex held.
int Simulator::replyDelayMs()
{
    if (m_jitterMs == 0)
        return m_latencyMs;
    std::uniform_int_distribution<int> spread(-m_jitterMs, m_jitterMs);
    return std::max(m_latencyMs + spread(m_jitter), 0);
}

void Simulator::setMotionRate(int reportsPerSecond)
{
    {
        std::lock_guard lock(m_mutex);
        m_motionRate = std::clamp(reportsPerSecond, 0, kMaxInputRate);
        if (!m_traffic.joinable() && m_motionRate > 0)
            m_traffic = std::thread(&Simulator::runInputTraffic, this);
    }
    m_trafficChanged.notify_all();
}

void Simulator::setTypingRate(int reportsPerSecond)
{
    {
        std::lock_guard lock(m_mutex);
        m_typingRate = std::clamp(reportsPerSecond, 0, kMaxInputRate);
        if (!m_traffic.joinable() && m_typingRate > 0)
            m_traffic = std::thread(&Simulator::runInputTraffic, this);
    }
    m_trafficChanged.notify_all();
}

std::size_t Simulator::droppedInputReports() const
{
    std::lock_guard plugLock(m_plugMutex);
    std::size_t dropped = 0;
    for (const auto& endpoint : m_endpoints) {
        if (endpoint->iface)
            dropped += endpoint->iface->droppedReports();
    }
    return dropped;
}

// Sends what the rates ask for each millisecond, counted from when a rate last changed, so that
// the average holds whatever the sleep's precision.
void Simulator::runInputTraffic()
{
    using Clock = std::chrono::steady_clock;
    static const std::vector<std::uint8_t> kMotion = {kMouseMotionReportId, 0x00, 0x01, 0x00, 0xFF, 0xFF, 0x00};
    static const std::vector<std::uint8_t> kKeyDown = {kMouseKeyboardReportId, 0, 0, 0x04, 0, 0, 0, 0, 0};
    static const std::vector<std::uint8_t> kKeyUp = {kMouseKeyboardReportId, 0, 0, 0, 0, 0, 0, 0, 0};
    std::unique_lock lock(m_mutex);
    int motionRate = -1;
    int typingRate = -1;
    Clock::time_point since;
    long long motionSent = 0;
    long long typingSent = 0;
    while (!m_stopTraffic) {
        if (motionRate != m_motionRate || typingRate != m_typingRate) {
            motionRate = m_motionRate;
            typingRate = m_typingRate;
            since = Clock::now();
            motionSent = typingSent = 0;
        }
        if (motionRate == 0 && typingRate == 0) {
            m_trafficChanged.wait(lock);
            continue;
        }
        m_trafficChanged.wait_for(lock, std::chrono::milliseconds(1));
        const double seconds = std::chrono::duration<double>(Clock::now() - since).count();
        const int motionDue = static_cast<int>(static_cast<long long>(seconds * motionRate) - motionSent);
        const int typingDue = static_cast<int>(static_cast<long long>(seconds * typingRate) - typingSent);
        motionSent += motionDue;
        typingSent += typingDue;
        lock.unlock();
        sendInputTraffic(false, kMotion, motionDue);
        for (int i = 0; i < typingDue; ++i)
            sendInputTraffic(true, (typingSent - typingDue + i) % 2 == 0 ? kKeyDown : kKeyUp, 1);
        lock.lock();
    }
}

void Simulator::sendInputTraffic(bool commandInterface, const std::vector<std::uint8_t>& report, int count)
{
    if (count <= 0)
        return;
    std::lock_guard plugLock(m_plugMutex);
    Port port;
    {
        std::lock_guard lock(m_mutex);
        if (m_plugged[portIndex(Port::Cable)])
            port = Port::Cable;
        else if (m_plugged[portIndex(Port::Receiver)] && m_mouseOn)
            port = Port::Receiver;
        else
            return;
    }
    const Role role = commandInterface ? Role::Command : Role::Notification;
    for (auto& endpoint : m_endpoints) {
        if (endpoint->row.port != port || endpoint->row.role != role || !endpoint->iface)
            continue;
        for (int i = 0; i < count; ++i)
            endpoint->iface->sendInput(report);
    }
}

std::string Simulator::describeState() const
{
    std::lock_guard lock(m_mutex);
    static constexpr const char* kFaultNames[] = {"drop", "corrupt", "delay"};
    char text[256];
    std::snprintf(text, sizeof text,
                  "cable=%d receiver=%d pad=%d headset=%d keyboard=%d mouse=%s battery=%d charging=%d firmware=%04X "
                  "sensor=%04X fault=%s latency=%d jitter=%d motion=%d typing=%d",
                  m_plugged[0], m_plugged[1], m_plugged[2], m_plugged[3], m_plugged[4], m_mouseOn ? "on" : "off", m_battery,
                  m_charging, m_firmwareVersion, m_sensor,
                  m_fault.remaining == 0 ? "none" : kFaultNames[static_cast<int>(m_fault.kind)], m_latencyMs,
                  m_jitterMs, m_motionRate, m_typingRate);
    return text;
}

}  // namespace devsim
