#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <random>
#include <thread>
#include <vector>

#include "devices/lighting_player.h"
#include "devices/lighting_preview.h"

namespace kestrion {

class CBasicProfiledata;

// The mouse object's lighting thread and the preview state it animates. Everything is guarded
// by one mutex; the page reads the frame as a snapshot. The thread sleeps until the next step is
// due, at least one frame period (100 ms while the command channel is closed), runs the steps
// that fell due meanwhile, and wakes at once for stop and reload; a still effect sleeps until one
// of them. A new frame is announced to the frame listener once until the next snapshot, so a
// static effect costs its reader nothing.
// The destructor stops it; an owner whose channelOpen reads one of its own members stops it first.
class LightingThread {
public:
    using Clock = std::function<std::int64_t()>;  // monotonic milliseconds
    using ChannelOpen = std::function<bool()>;    // called from the thread, must be thread-safe
    using FrameListener = std::function<void()>;  // called from either thread, must not block

    static std::int64_t steadyMilliseconds();

    explicit LightingThread(ChannelOpen channelOpen, Clock clock = steadyMilliseconds);
    ~LightingThread();
    LightingThread(const LightingThread&) = delete;
    LightingThread& operator=(const LightingThread&) = delete;

    // Starts the thread, first stopping one that runs (readAll restarts it).
    void start();
    // Asks the thread to end and joins it; returns at once when none runs.
    void stop();
    bool isRunning() const { return m_thread.joinable(); }

    // Set before start: called when the frame changed and no announcement waits for a snapshot.
    void setFrameListener(FrameListener listener);
    // The shortest time between two frames; one display frame unless set.
    void setFramePeriod(std::int64_t milliseconds);

    // loadLightingPreview from the record: its lighting, then the effect list of its mode
    // (the record's light configuration must be loaded for modes above 10).
    void loadLightingPreview(CBasicProfiledata& record);
    void load(const LightInfo& light, std::vector<LedEffect> customEffects);
    // Notification 0x0403 from the wired notification link.
    void triggerReactive();

    // Synchronised lighting: while a colour is given every LED shows it instead of the effect.
    void showSyncColour(const std::optional<KeyColour>& colour);
    // The audio-reactive light: while a frame is given the LEDs show it instead of the effect.
    void showAudioFrame(const std::optional<LightFrame>& frame);

    // The current frame; the next change is announced again.
    LightFrame snapshot() const;
    void setKeyColour(int index, std::uint32_t colour);
    std::uint32_t getKeyColour(int index) const;

private:
    void run();
    // Runs what the thread shows now: the sync colour, the audio frame or the effect's due steps.
    // Returns how long to sleep; none when only a reload can change the frame.
    std::optional<std::int64_t> runFrame();
    void waitWhileRunning(std::unique_lock<std::mutex>& lock, std::optional<std::int64_t> milliseconds);
    // Under the lock: whether the listener is to be told (and marks the announcement as made).
    bool takeAnnouncement();

    ChannelOpen m_channelOpen;
    Clock m_clock;
    FrameListener m_frameListener;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stopRequested = false;
    bool m_reloaded = false;
    mutable bool m_announced = false;
    std::int64_t m_framePeriodMs;
    LightingPlayer m_player;
    std::optional<KeyColour> m_syncColour;
    std::optional<LightFrame> m_audioFrame;
    std::minstd_rand m_random {std::random_device {}()};
    std::thread m_thread;
};

}  // namespace kestrion
