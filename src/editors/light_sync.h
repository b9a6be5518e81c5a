#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

#include "devices/lighting_preview.h"

namespace kestrion {

// Synchronised lighting: one colour and brightness for every device that takes part, stepped
// from a millisecond clock. A tick counts whenever the clock has moved on by more than 1 ms
// since the last counted one; when the count reaches the speed's tick number the mode steps.
class LightSync {
public:
    enum class Mode : std::uint8_t { Breathing = 0, Steady = 1, Blinking = 2, ColourCycle = 3, Off = 4 };
    static constexpr int kModeCount = 5;

    struct Settings {
        Mode mode = Mode::Steady;
        std::uint8_t speed = 0;       // level 0-4, 4 fastest
        std::uint8_t brightness = 4;  // level 0-4
        lighting::Rgb colour{255, 255, 255};
        bool rainbow = false;         // the colour wheel instead of the colour
    };

    // Settings out of range are brought into it; the mode's phase starts over.
    void configure(const Settings& settings);
    const Settings& settings() const { return m_settings; }

    // Counts ticks up to nowMs; returns the colour to show when the mode stepped.
    std::optional<KeyColour> advance(std::int64_t nowMs);
    // The tick count a step of the current mode and speed waits for.
    int ticksPerStep() const;

    int breathPhase() const { return m_breathPhase; }
    int wheelPosition() const { return m_wheel; }

private:
    KeyColour step(std::int64_t nowMs);
    KeyColour breathe();
    KeyColour blink(std::int64_t nowMs);
    KeyColour lit(const lighting::Rgb& colour) const;
    lighting::Rgb chosenColour() const;

    Settings m_settings;
    std::optional<std::int64_t> m_lastTickMs;
    int m_ticks = 0;
    int m_breathPhase = 0;
    int m_breathDirection = 1;
    int m_wheel = 0;
    bool m_blinkOn = false;
    std::optional<std::int64_t> m_lastToggleMs;
};

// The thread that runs synchronised lighting. While nobody takes part it looks again once a
// second; otherwise it checks every millisecond and hands each step's colour to the sink, from
// its own thread. The destructor stops it.
class LightSyncThread {
public:
    using Clock = std::function<std::int64_t()>;
    // Called from the thread: must be thread-safe.
    using Participants = std::function<bool()>;
    using Sink = std::function<void(const KeyColour& colour)>;

    static constexpr int kIdleWaitMs = 1000;
    static constexpr int kPassWaitMs = 1;

    LightSyncThread(Participants participants, Sink sink, Clock clock);
    ~LightSyncThread();
    LightSyncThread(const LightSyncThread&) = delete;
    LightSyncThread& operator=(const LightSyncThread&) = delete;

    void start();
    void stop();
    bool isRunning() const { return m_thread.joinable(); }
    void configure(const LightSync::Settings& settings);
    // Wakes an idle thread at once (someone started taking part).
    void wake();

private:
    void run();

    Participants m_participants;
    Sink m_sink;
    Clock m_clock;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stopRequested = false;
    bool m_woken = false;
    LightSync m_sync;
    std::thread m_thread;
};

}  // namespace kestrion
