#include "editors/light_sync.h"

#include <algorithm>
#include <chrono>

namespace kestrion {
namespace {

// Ticks per step by speed level; every mode uses the same row.
constexpr std::array<int, lighting::kLevelCount> kSyncStepTicks = {28, 23, 18, 13, 7};
constexpr int kBlinkUnitMs = 200;
constexpr int kBlinkWheelStep = 14;
constexpr int kBreathWheelStep = 16;
constexpr int kBreathLastPhase = static_cast<int>(lighting::kBreathSteps) - 1;
constexpr int kWheelSize = static_cast<int>(lighting::kWheelSize);

}  // namespace

void LightSync::configure(const Settings& settings)
{
    m_settings = settings;
    if (static_cast<int>(m_settings.mode) >= kModeCount)
        m_settings.mode = Mode::Off;
    m_settings.speed = std::min(m_settings.speed, lighting::kMaxLevel);
    m_settings.brightness = std::min(m_settings.brightness, lighting::kMaxLevel);
    m_ticks = 0;
    m_breathPhase = 0;
    m_breathDirection = 1;
    m_blinkOn = false;
    m_lastToggleMs.reset();
}

int LightSync::ticksPerStep() const
{
    return kSyncStepTicks[m_settings.speed];
}

std::optional<KeyColour> LightSync::advance(std::int64_t nowMs)
{
    if (!m_lastTickMs) {
        m_lastTickMs = nowMs;
        return std::nullopt;
    }
    if (nowMs - *m_lastTickMs <= 1)
        return std::nullopt;
    m_lastTickMs = nowMs;
    if (++m_ticks < ticksPerStep())
        return std::nullopt;
    m_ticks = 0;
    return step(nowMs);
}

KeyColour LightSync::step(std::int64_t nowMs)
{
    switch (m_settings.mode) {
    case Mode::Breathing:
        return breathe();
    case Mode::Steady:
        return lit(m_settings.colour);
    case Mode::Blinking:
        return blink(nowMs);
    case Mode::ColourCycle:
        m_wheel = (m_wheel + 1) % kWheelSize;
        return lit(lighting::kColourWheel[m_wheel]);
    case Mode::Off:
        break;
    }
    return KeyColour{};
}

// The phase runs 0 up to the curve's last entry and back down, turning at each end.
KeyColour LightSync::breathe()
{
    m_breathPhase += m_breathDirection;
    if (m_breathPhase >= kBreathLastPhase || m_breathPhase <= 0) {
        m_breathPhase = std::clamp(m_breathPhase, 0, kBreathLastPhase);
        m_breathDirection = -m_breathDirection;
    }
    if (m_settings.rainbow && m_breathPhase < 2)
        m_wheel = (m_wheel + kBreathWheelStep) % kWheelSize;
    KeyColour colour = lit(chosenColour());
    colour.brightness = static_cast<std::uint8_t>(lighting::kBrightnessScale[m_settings.brightness]
                                                  * lighting::kBreathCurve[m_breathPhase] / 256);
    return colour;
}

KeyColour LightSync::blink(std::int64_t nowMs)
{
    const std::int64_t period = std::int64_t(kSyncStepTicks[m_settings.speed]) * kBlinkUnitMs;
    if (!m_lastToggleMs || nowMs - *m_lastToggleMs >= period) {
        m_lastToggleMs = nowMs;
        m_blinkOn = !m_blinkOn;
        m_wheel = (m_wheel + kBlinkWheelStep) % kWheelSize;
    }
    return m_blinkOn ? lit(chosenColour()) : KeyColour{};
}

lighting::Rgb LightSync::chosenColour() const
{
    return m_settings.rainbow ? lighting::kColourWheel[m_wheel] : m_settings.colour;
}

KeyColour LightSync::lit(const lighting::Rgb& colour) const
{
    return KeyColour{colour.red, colour.green, colour.blue, lighting::kBrightnessScale[m_settings.brightness]};
}

LightSyncThread::LightSyncThread(Participants participants, Sink sink, Clock clock)
    : m_participants(std::move(participants)), m_sink(std::move(sink)), m_clock(std::move(clock))
{
}

LightSyncThread::~LightSyncThread()
{
    stop();
}

void LightSyncThread::start()
{
    stop();
    m_stopRequested = false;
    m_thread = std::thread([this] { run(); });
}

void LightSyncThread::stop()
{
    if (!m_thread.joinable())
        return;
    {
        std::lock_guard lock(m_mutex);
        m_stopRequested = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

void LightSyncThread::configure(const LightSync::Settings& settings)
{
    std::lock_guard lock(m_mutex);
    m_sync.configure(settings);
}

void LightSyncThread::wake()
{
    {
        std::lock_guard lock(m_mutex);
        m_woken = true;
    }
    m_wake.notify_all();
}

void LightSyncThread::run()
{
    std::unique_lock lock(m_mutex);
    while (!m_stopRequested) {
        lock.unlock();
        const bool takingPart = m_participants();
        lock.lock();
        const int waitMs = takingPart ? kPassWaitMs : kIdleWaitMs;
        m_wake.wait_for(lock, std::chrono::milliseconds(waitMs), [this] { return m_stopRequested || m_woken; });
        m_woken = false;
        if (m_stopRequested || !takingPart)
            continue;
        const std::optional<KeyColour> colour = m_sync.advance(m_clock());
        if (!colour)
            continue;
        lock.unlock();
        m_sink(*colour);
        lock.lock();
    }
}

}  // namespace kestrion
