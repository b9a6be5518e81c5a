// The audio companion: the CPU kestrion-audio takes while music plays, and the time from a sound
// to the light frame it makes in the tool. Runs on a session bus (under dbus-run-session).
//
// 1. kestrion-audio --generate (a generated tune in place of the sound server, paced in real
//    time) runs as its own process for 5 s after the tool's end greets it; its user and system
//    time over that span, from /proc, as a share of one core.
// 2. In this process, the companion with a capture that hands out a block on request: three
//    silent blocks, then a tone. The time from the tone's block leaving the capture to the
//    frame the mouse's music light paints from it (levels, D-Bus, band levels, painter), over 50
//    rounds.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QProcess>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <numeric>
#include <sstream>
#include <vector>

#include "audio/companion.h"
#include "audio/companion_link.h"
#include "audio/level_analysis.h"
#include "devices/audio_light.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace kestrion;

constexpr int kCpuSpanMs = 5000;
constexpr int kRounds = 50;
constexpr int kSilentBlocks = 3;

// The tool's object as the companion calls it: blocks go to the link, as in the tool.
class ToolObject : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kestrion.Config1")
public:
    explicit ToolObject(audio::AudioCompanionLink& link) : m_link(link) {}

public slots:
    Q_SCRIPTABLE Q_NOREPLY void AudioData(int id, const QByteArray& block)
    {
        m_link.receive(message().service(), id, block);
    }

private:
    audio::AudioCompanionLink& m_link;
};

void runFor(int milliseconds)
{
    const Clock::time_point end = Clock::now() + std::chrono::milliseconds(milliseconds);
    while (Clock::now() < end)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

// User plus system time of a process, in seconds.
double cpuSecondsOf(qint64 pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    double ticks = 0;
    for (int i = 3; fields >> field; ++i) {
        if (i == 14 || i == 15)
            ticks += std::stod(field);
        if (i == 15)
            break;
    }
    return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

double companionCpuShare(const QString& program, audio::AudioCompanionLink& link)
{
    QProcess companion;
    companion.start(program, {QStringLiteral("--generate")});
    if (!companion.waitForStarted(3000))
        return -1;
    runFor(300);
    link.greet();
    runFor(500);
    const double before = cpuSecondsOf(companion.processId());
    runFor(kCpuSpanMs);
    const double used = cpuSecondsOf(companion.processId()) - before;
    link.farewell();
    runFor(200);
    companion.terminate();
    companion.waitForFinished(3000);
    return used / (kCpuSpanMs / 1000.0) * 100.0;
}

// Hands out one block per request: silence, or the tone; notes when the tone left.
class RequestedCapture : public audio::AudioCapture {
public:
    bool open(std::string&) override { return true; }
    void close() override {}
    bool read(std::span<float> block, std::string&) override
    {
        std::unique_lock lock(m_lock);
        m_wake.wait(lock, [this] { return m_requested > 0 || m_closing; });
        if (m_closing)
            return false;
        --m_requested;
        const bool tone = m_tone;
        for (std::size_t i = 0; i < block.size(); ++i)
            block[i] = tone ? 0.8F * static_cast<float>(std::sin(0.3 * static_cast<double>(i))) : 0.0F;
        if (tone)
            m_toneLeft = Clock::now();
        return true;
    }
    void request(bool tone)
    {
        {
            std::lock_guard lock(m_lock);
            m_tone = tone;
            ++m_requested;
        }
        m_wake.notify_all();
    }
    void closeDown()
    {
        {
            std::lock_guard lock(m_lock);
            m_closing = true;
        }
        m_wake.notify_all();
    }
    Clock::time_point toneLeft()
    {
        std::lock_guard lock(m_lock);
        return m_toneLeft;
    }

private:
    std::mutex m_lock;
    std::condition_variable m_wake;
    int m_requested = 0;
    bool m_tone = false;
    bool m_closing = false;
    Clock::time_point m_toneLeft;
};

std::vector<double> soundToFrameMs(audio::AudioCompanionLink& link)
{
    QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("companion"));
    RequestedCapture* capture = nullptr;
    audio::AudioCompanion companion(
        bus,
        [&capture] {
            auto made = std::make_unique<RequestedCapture>();
            capture = made.get();
            return made;
        },
        [](const std::string&) {});
    std::vector<double> latencies;
    if (!companion.publish())
        return latencies;
    AudioLightInfo record{};
    record.audioMode = 2;
    record.foreRed = 255;
    AudioLightPainter painter;
    std::optional<Clock::time_point> lit;
    QObject::connect(&link, &audio::AudioCompanionLink::levelsArrived, &link,
                     [&](const audio::Bands& bands, const audio::Loudness& loudness) {
                         const auto frame = painter.paint(record, bands, loudness);
                         if (frame && (*frame)[0].red > 0 && !lit)
                             lit = Clock::now();
                     });
    link.greet();
    runFor(300);
    for (int round = 0; round < kRounds && capture; ++round) {
        for (int i = 0; i < kSilentBlocks + 8; ++i) {  // the fade of the last round runs out too
            capture->request(false);
            runFor(3);
        }
        lit.reset();
        capture->request(true);
        const Clock::time_point give = Clock::now() + std::chrono::seconds(1);
        while (!lit && Clock::now() < give)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        if (lit)
            latencies.push_back(std::chrono::duration<double, std::milli>(*lit - capture->toneLeft()).count());
    }
    link.farewell();
    if (capture)
        capture->closeDown();
    runFor(100);
    return latencies;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QDBusConnection toolBus = QDBusConnection::sessionBus();
    if (!toolBus.isConnected()) {
        std::fprintf(stderr, "audio_companion_bench: no session bus; run it under dbus-run-session\n");
        return 1;
    }
    QDBusConnection bus = toolBus;
    audio::AudioCompanionLink link(bus);
    ToolObject tool(link);
    bus.registerObject(QStringLiteral("/org/kestrion/Config"), &tool, QDBusConnection::ExportScriptableSlots);

    const double cpu = companionCpuShare(QStringLiteral(KESTRION_AUDIO), link);
    std::printf("kestrion-audio CPU while music plays: %.2f %% of one core (aim: under 2 %%)\n", cpu);

    std::vector<double> latencies = soundToFrameMs(link);
    if (latencies.empty()) {
        std::fprintf(stderr, "audio_companion_bench: no light frame followed the sound\n");
        return 1;
    }
    std::sort(latencies.begin(), latencies.end());
    const double mean = std::accumulate(latencies.begin(), latencies.end(), 0.0) / static_cast<double>(latencies.size());
    std::printf("sound to light frame over %zu rounds: median %.2f ms, mean %.2f ms, worst %.2f ms\n",
                latencies.size(), latencies[latencies.size() / 2], mean, latencies.back());
    return cpu >= 0 ? 0 : 1;
}

#include "audio_companion_bench.moc"
