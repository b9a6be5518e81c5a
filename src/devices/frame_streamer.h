#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace kestrion {

// When the next light frame may go: at once, unless the last one failed less than the pause ago.
class FramePacer {
public:
    static constexpr std::int64_t kPauseAfterFailureMs = 200;

    // Milliseconds to wait before the next frame may be sent; 0 when it may go now.
    std::int64_t waitBefore(std::int64_t nowMs) const;
    void frameSent(bool ok, std::int64_t nowMs);

private:
    std::optional<std::int64_t> m_failedAt;
};

// Sends host-driven light frames on its own thread, one at a time: a frame offered while
// another is on its way replaces any that still waits, so a slow or failing link is never
// flooded. The owner starts it and the destructor stops and joins it; stop() waits for a frame
// on its way, so an owner on the UI thread clears instead and stops only when it goes.
class FrameStreamer {
public:
    using Frame = std::vector<std::uint8_t>;
    // Sends one frame; true when the device took it. Called on the streamer's thread.
    using Send = std::function<bool(const Frame&)>;

    explicit FrameStreamer(Send send);
    ~FrameStreamer();
    FrameStreamer(const FrameStreamer&) = delete;
    FrameStreamer& operator=(const FrameStreamer&) = delete;

    void start();
    void stop();
    bool isRunning() const { return m_thread.joinable(); }
    // The newest frame to show; an older one not yet sent is dropped.
    void offer(Frame frame);
    // Drops the frame that waits, if any; one on its way still goes. Never waits for the device.
    void clear();

private:
    void run();

    Send m_send;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::optional<Frame> m_pending;
    bool m_stopRequested = false;
    FramePacer m_pacer;
    std::thread m_thread;
};

}  // namespace kestrion
