#pragma once

namespace kestrion {

// The timers a device's selector entry runs for it, by id.
enum SelectorTimer : int {
    kTimerLightFrame = 1000,
    kTimerFirstRead = 1001,
    kTimerReread = 1002,
    kTimerHookA = 1003,
    kTimerHookB = 1004,
    kTimerPower = 1005,
    kTimerLinkWatch = 1007,
    kTimerKeepAlive = 1008,
};

// The first read follows an arrival after this delay; a keep-alive restarts after this one.
inline constexpr int kFirstReadDelayMs = 500;
inline constexpr int kKeepAliveRestartMs = 50;

// What a device object needs of its entry in the device selector: the entry owns the device's
// timers (and hands each one that fires to CQuellonUSBDevice::runSelectorTimer) and knows whether
// the device is reached (shown connected, not asleep).
class DeviceSelector {
public:
    virtual ~DeviceSelector() = default;
    virtual void setTimer(int id, int ms, bool oneShot) = 0;
    virtual void killTimer(int id) = 0;
    virtual bool isOnline() const = 0;
};

}  // namespace kestrion
