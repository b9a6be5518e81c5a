#pragma once

#include <array>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "devsim/device_model.h"
#include "devsim/virtual_hid_server.h"

namespace devsim {

// How the simulated hardware can be attached: the mouse by cable or through its receiver (one
// mouse, one memory), the mouse pad, the headset, the keyboard.
enum class Port { Cable, Receiver, Pad, Headset, Keyboard };

enum class FaultKind { Drop, Corrupt, Delay };

// A lighting report the headset received, with the way it came ('S' or 'O').
struct HostReport {
    char kind;
    std::vector<std::uint8_t> bytes;
};

// The simulated devices behind the virtual HID transport. Every operation is thread-safe: the
// transport threads and the caller's thread share the device state under one mutex.
class Simulator {
public:
    // Receives one line per request, reply and event. Called from any thread; it must not call
    // back into the simulator.
    using LogSink = std::function<void(const std::string& line)>;
    static constexpr int kAll = -1;

    explicit Simulator(std::string folder);
    ~Simulator();
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    const std::string& folder() const { return m_folder; }
    void setLogSink(LogSink sink);

    // Publishes or removes the port's interfaces. plug() is false when publishing failed.
    bool plug(Port port);
    void unplug(Port port);
    bool plugged(Port port) const;
    bool plugCable() { return plug(Port::Cable); }
    void unplugCable() { unplug(Port::Cable); }
    bool plugReceiver() { return plug(Port::Receiver); }
    void unplugReceiver() { unplug(Port::Receiver); }
    // The paths a host opens, e.g. "vhid:devsim-mouse-wired-if1#vid_320f&pid_22a4&mi_01&col02".
    std::string commandPath(Port port) const;
    std::string notificationPath(Port port) const;
    // Open host connections to the port's interfaces (a notification reaches only those).
    std::size_t connections(Port port) const;

    // The mouse's power switch: while off, its receiver answers every command with 0xAA.
    void setMouseOn(bool on);
    bool mouseOn() const;
    // Moves to the next enabled DPI stage and announces it (0x11nn, then 0x0401); the new stage.
    std::uint8_t pressDpiButton();
    // A button click; announced with 0x0403 only in the reactive lighting mode. True when sent.
    bool clickButton();
    // A code of the host's choosing on the port's notification collection.
    void sendNotification(Port port, std::uint16_t code);

    void setBattery(int percent);
    void setCharging(bool charging);
    void loadFreshInfo();
    void loadCorruptInfo();
    bool setSensor(std::uint16_t sensorId);
    // The wired mouse's USB version; a plugged cable re-enumerates so hosts see the new one.
    void setFirmwareVersion(std::uint16_t version);
    std::uint16_t firmwareVersion() const;
    // The keyboard's product id from its next plug: 0 makes it the product the shipped supported
    // table names for a keyboard (which no real keyboard has), so tests can show it in the tool.
    void setKeyboardProduct(std::uint16_t product);
    std::uint16_t keyboardProduct() const;
    static constexpr std::uint16_t kDefaultKeyboardProduct = 0x2B0A;

    // Memory, for tests and for the control protocol.
    std::vector<std::uint8_t> memory(Product product, Area area) const;
    bool readMemory(Product product, Area area, std::size_t offset, std::size_t length,
                    std::vector<std::uint8_t>& out) const;
    bool writeMemory(Product product, Area area, std::size_t offset, const std::vector<std::uint8_t>& bytes);
    std::vector<std::uint8_t> info() const { return memory(Product::Mouse, Area::Info); }
    std::vector<std::uint8_t> settingsPage(int profile) const;
    std::vector<std::uint8_t> keyTable() const { return memory(Product::Mouse, Area::KeyTable); }
    std::vector<std::uint8_t> macroArea() const { return memory(Product::Mouse, Area::Macro); }
    std::vector<std::uint8_t> shootArea() const { return memory(Product::Mouse, Area::Shoot); }
    std::vector<std::uint8_t> lightTable() const { return memory(Product::Mouse, Area::LightTable); }
    ContainerCheck macroCheck() const;
    ContainerCheck shootCheck() const;
    bool softwareLightingEnabled() const;
    int readyNotices() const;
    // The most recent lighting reports (at most kKeptHeadsetReports), oldest first, and how many
    // arrived in all: a streaming host sends a dozen per frame.
    std::vector<HostReport> headsetLightReports() const;
    std::size_t headsetLightReportCount() const;
    static constexpr std::size_t kKeptHeadsetReports = 1200;
    // The keyboard's most recent whole streamed frames (at most kKeptKeyboardFrames), oldest
    // first, and how many arrived in all.
    std::vector<std::vector<std::uint8_t>> keyboardFrames() const;
    std::size_t keyboardFrameCount() const;
    static constexpr std::size_t kKeptKeyboardFrames = 64;

    // Misbehaviour of the next count command replies (kAll: every one until cleared), once
    // `spared` replies have gone out as usual.
    void injectFault(FaultKind kind, int count, int delayMs = 0, int spared = 0);
    void clearFaults();
    // Every command reply comes `latencyMs` late, give or take up to `jitterMs`.
    void setLatency(int latencyMs, int jitterMs);

    // Input traffic of the plugged mouse (cable first, else the receiver while the mouse is on),
    // in reports a second: motion on interface 0, key presses and releases on interface 1's
    // keyboard collection. 0 stops it.
    void setMotionRate(int reportsPerSecond);
    void setTypingRate(int reportsPerSecond);
    static constexpr int kMaxInputRate = 8000;
    // Input reports dropped so far because a reader's queue was full.
    std::size_t droppedInputReports() const;

    std::string describeState() const;

private:
    struct Endpoint;
    struct FaultPlan {
        FaultKind kind = FaultKind::Drop;
        int remaining = 0;
        int delayMs = 0;
        int spared = 0;
    };
    enum class FaultAction { None, Drop, Delay };

    void onReport(Endpoint& endpoint, char kind, const std::vector<std::uint8_t>& report);
    std::vector<std::uint8_t> answer(Port port, const CommandRequest& request);
    FaultAction applyFault(std::vector<std::uint8_t>& reply, int& delayMs);
    bool waitWhilePlugged(std::unique_lock<std::mutex>& lock, Port port, int delayMs);
    bool publish(Endpoint& endpoint);
    void unpublishPort(Port port);
    void notify(Port port, std::uint16_t code);
    void runInputTraffic();
    void sendInputTraffic(bool commandInterface, const std::vector<std::uint8_t>& report, int count);
    int replyDelayMs();
    void refreshPowerState();
    DeviceModel& model(Product product);
    const DeviceModel& model(Product product) const;
    void log(const std::string& line) const;

    const std::string m_folder;
    std::vector<std::unique_ptr<Endpoint>> m_endpoints;

    // Serialises plugging and notifications; never taken by a transport thread, so a port can
    // be unplugged (its thread joined) while the state mutex is free for that thread.
    mutable std::mutex m_plugMutex;

    mutable std::mutex m_mutex;
    std::condition_variable m_interrupted;
    unsigned m_interruptions = 0;
    void keepKeyboardFrame(const CommandRequest& request);
    // The product id a port's interface shows: the keyboard's as set, the others' as listed.
    std::uint16_t productIdOf(Port port, std::uint16_t listed) const;

    std::array<bool, 5> m_plugged{};
    DeviceModel m_mouse{Product::Mouse};
    DeviceModel m_pad{Product::Pad};
    DeviceModel m_headset{Product::Headset};
    DeviceModel m_keyboard{Product::Keyboard};
    bool m_mouseOn = true;
    int m_battery = 80;
    bool m_charging = false;
    std::uint16_t m_sensor;
    std::uint16_t m_firmwareVersion = 0x0104;
    std::uint16_t m_keyboardProduct = kDefaultKeyboardProduct;
    FaultPlan m_fault;
    int m_latencyMs = 0;
    int m_jitterMs = 0;
    std::minstd_rand m_jitter{7};
    // The input traffic thread, running while a rate is set.
    int m_motionRate = 0;
    int m_typingRate = 0;
    bool m_stopTraffic = false;
    std::condition_variable m_trafficChanged;
    std::thread m_traffic;
    std::deque<HostReport> m_headsetReports;
    std::size_t m_headsetReportCount = 0;
    std::deque<std::vector<std::uint8_t>> m_keyboardFrames;
    std::size_t m_keyboardFrameCount = 0;

    mutable std::mutex m_logMutex;
    LogSink m_logSink;
};

const char* portName(Port port);
bool portFromName(const std::string& name, Port& port);

}  // namespace devsim
