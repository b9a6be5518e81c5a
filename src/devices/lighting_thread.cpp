#include "devices/lighting_thread.h"

#include <algorithm>
#include <chrono>

#include "profiles/basic_profile_data.h"

namespace kestrion {
namespace {

constexpr std::int64_t kClosedChannelWaitMs = 100;
// The preview is seen once per display frame: faster effects run their steps in one wake-up.
constexpr std::int64_t kDisplayFrameMs = 16;
// Beyond a frame's worth of the fastest effect (a step a tick), room for a late wake-up.
constexpr int kSpareCatchUpSteps = 4;

}  // namespace

std::int64_t LightingThread::steadyMilliseconds()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

LightingThread::LightingThread(ChannelOpen channelOpen, Clock clock)
    : m_channelOpen(std::move(channelOpen)), m_clock(std::move(clock)), m_framePeriodMs(kDisplayFrameMs)
{
}

LightingThread::~LightingThread()
{
    stop();
}

void LightingThread::start()
{
    stop();
    // An announcement the reader dropped while the thread rested must not silence the next one.
    m_announced = false;
    m_thread = std::thread(&LightingThread::run, this);
}

void LightingThread::setFrameListener(FrameListener listener)
{
    std::lock_guard lock(m_mutex);
    m_frameListener = std::move(listener);
}

void LightingThread::setFramePeriod(std::int64_t milliseconds)
{
    {
        std::lock_guard lock(m_mutex);
        m_framePeriodMs = std::max<std::int64_t>(milliseconds, 1);
        m_reloaded = true;
    }
    m_wake.notify_all();
}

void LightingThread::stop()
{
    if (!m_thread.joinable())
        return;
    {
        std::lock_guard lock(m_mutex);
        m_stopRequested = true;
    }
    m_wake.notify_all();
    m_thread.join();
    std::lock_guard lock(m_mutex);
    m_stopRequested = false;
}

void LightingThread::loadLightingPreview(CBasicProfiledata& record)
{
    const LightInfo light = record.GetLightInfo();
    load(light, record.GetCustomLightEffects());
}

void LightingThread::load(const LightInfo& light, std::vector<LedEffect> customEffects)
{
    {
        std::lock_guard lock(m_mutex);
        m_player.load(light, std::move(customEffects), m_clock());
        m_reloaded = true;
    }
    m_wake.notify_all();
}

void LightingThread::triggerReactive()
{
    std::uniform_int_distribution<int> wheelPosition(0, static_cast<int>(lighting::kWheelSize) - 1);
    std::lock_guard lock(m_mutex);
    std::array<std::uint8_t, lighting::kLedCount> positions {};
    for (std::uint8_t& position : positions)
        position = static_cast<std::uint8_t>(wheelPosition(m_random));
    m_player.triggerReactive(positions);
}

void LightingThread::showSyncColour(const std::optional<KeyColour>& colour)
{
    {
        std::lock_guard lock(m_mutex);
        m_syncColour = colour;
        m_reloaded = true;
    }
    m_wake.notify_all();
}

void LightingThread::showAudioFrame(const std::optional<LightFrame>& frame)
{
    {
        std::lock_guard lock(m_mutex);
        m_audioFrame = frame;
        m_reloaded = true;
    }
    m_wake.notify_all();
}

LightFrame LightingThread::snapshot() const
{
    std::lock_guard lock(m_mutex);
    m_announced = false;
    return m_player.preview().frame();
}

// The effect's next step paints over the colour as before; a still effect runs it at once.
void LightingThread::setKeyColour(int index, std::uint32_t colour)
{
    bool announce = false;
    {
        std::lock_guard lock(m_mutex);
        const LightFrame before = m_player.preview().frame();
        m_player.preview().setKeyColour(index, colour);
        announce = m_player.preview().frame() != before && takeAnnouncement();
        m_reloaded = true;
    }
    m_wake.notify_all();
    if (announce)
        m_frameListener();
}

std::uint32_t LightingThread::getKeyColour(int index) const
{
    std::lock_guard lock(m_mutex);
    return m_player.preview().getKeyColour(index);
}

void LightingThread::run()
{
    std::unique_lock lock(m_mutex);
    while (!m_stopRequested) {
        lock.unlock();
        const bool channelOpen = m_channelOpen();
        lock.lock();
        if (!channelOpen) {
            waitWhileRunning(lock, kClosedChannelWaitMs);
            continue;
        }
        const LightFrame before = m_player.preview().frame();
        const std::optional<std::int64_t> sleepMs = runFrame();
        if (m_player.preview().frame() != before && takeAnnouncement()) {
            lock.unlock();
            m_frameListener();
            lock.lock();
        }
        waitWhileRunning(lock, sleepMs);
    }
}

std::optional<std::int64_t> LightingThread::runFrame()
{
    if (m_syncColour || m_audioFrame) {
        for (int i = 0; i < static_cast<int>(lighting::kLedCount); ++i) {
            const KeyColour colour = m_syncColour ? *m_syncColour : (*m_audioFrame)[static_cast<std::size_t>(i)];
            m_player.preview().setKeyColour(i, packKeyColour(colour));
        }
        return std::nullopt;
    }
    const int maxSteps = static_cast<int>(m_framePeriodMs / lighting::kTickMs) + kSpareCatchUpSteps;
    const std::int64_t untilNextStep = m_player.catchUp(m_clock(), maxSteps);
    if (m_player.isStill())
        return std::nullopt;
    return std::max(untilNextStep, m_framePeriodMs);
}

bool LightingThread::takeAnnouncement()
{
    if (m_announced || !m_frameListener)
        return false;
    m_announced = true;
    return true;
}

// Sleeps for the given time, or with none until woken, unless a stop or a reload comes first.
void LightingThread::waitWhileRunning(std::unique_lock<std::mutex>& lock, std::optional<std::int64_t> milliseconds)
{
    m_reloaded = false;
    const auto woken = [this] { return m_stopRequested || m_reloaded; };
    if (milliseconds)
        m_wake.wait_for(lock, std::chrono::milliseconds(*milliseconds), woken);
    else
        m_wake.wait(lock, woken);
}

}  // namespace kestrion
