#include "audio/companion.h"

#include <QDBusMessage>

#include <algorithm>

#include "audio/level_analysis.h"

namespace kestrion::audio {

AudioCompanion::AudioCompanion(QDBusConnection connection, CaptureFactory makeCapture, FailureReport report)
    : m_connection(std::move(connection)), m_makeCapture(std::move(makeCapture)), m_report(std::move(report))
{
}

AudioCompanion::~AudioCompanion()
{
    stop();
    if (m_connection.isConnected()) {
        m_connection.unregisterObject(QLatin1String(kPath));
        m_connection.unregisterService(QLatin1String(kService));
    }
}

bool AudioCompanion::publish()
{
    if (!m_connection.isConnected() || !m_connection.registerService(QLatin1String(kService)))
        return false;
    if (!m_connection.registerObject(QLatin1String(kPath), this, QDBusConnection::ExportScriptableSlots)) {
        m_connection.unregisterService(QLatin1String(kService));
        return false;
    }
    return true;
}

Colour AudioCompanion::colour() const
{
    std::lock_guard lock(m_lock);
    return m_colour;
}

void AudioCompanion::Message(int code, qlonglong value)
{
    switch (static_cast<audio::Message>(code)) {
    case Message::Hello: {
        std::lock_guard lock(m_lock);
        m_tool = calledFromDBus() ? message().service() : QString();
        break;
    }
    case Message::Start:
        start();
        break;
    case Message::Stop:
        stop();
        break;
    case Message::Reset: {
        std::lock_guard lock(m_lock);
        m_colour = Colour{};
        break;
    }
    case Message::Goodbye: {
        std::lock_guard lock(m_lock);
        m_tool.clear();
        break;
    }
    case Message::Idle: {
        stop();
        std::lock_guard lock(m_lock);
        m_tool.clear();
        break;
    }
    case Message::Red:
        setComponent(&Colour::red, value);
        break;
    case Message::Green:
        setComponent(&Colour::green, value);
        break;
    case Message::Blue:
        setComponent(&Colour::blue, value);
        break;
    }
}

void AudioCompanion::setComponent(std::uint8_t Colour::*component, qlonglong value)
{
    std::lock_guard lock(m_lock);
    m_colour.*component = static_cast<std::uint8_t>(std::clamp<qlonglong>(value, 0, 255));
}

void AudioCompanion::Data(int id, const QByteArray& block)
{
    if (id != kStyleColourId)
        return;
    const auto bytes = std::span(reinterpret_cast<const std::uint8_t*>(block.constData()),
                                 static_cast<std::size_t>(block.size()));
    if (const auto style = decodeStyleColour(bytes)) {
        std::lock_guard lock(m_lock);
        m_colour = colourOfStyle(*style);
    }
}

void AudioCompanion::start()
{
    if (m_thread.joinable())
        return;
    m_stopRequested = false;
    m_thread = std::thread(&AudioCompanion::run, this);
}

void AudioCompanion::stop()
{
    if (!m_thread.joinable())
        return;
    {
        std::lock_guard lock(m_waitLock);
        m_stopRequested = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

void AudioCompanion::run()
{
    std::unique_ptr<AudioCapture> capture = m_makeCapture();
    LevelAnalyser analyser;
    std::vector<float> samples(LevelAnalyser::kBlockSamples);
    std::string error;
    while (!m_stopRequested) {
        if (!openCapture(*capture))
            break;
        while (!m_stopRequested && capture->read(samples, error)) {
            Loudness loudness = LevelAnalyser::loudness(samples);
            const Levels levels = analyser.levels(samples);
            {
                std::lock_guard lock(m_lock);
                loudness.colour = m_colour;
            }
            // The loudness first: the tool lights each level block with the loudness before it.
            sendBlock(kLoudnessId, encodeLoudness(loudness));
            sendBlock(kLevelsId, encodeLevels(levels));
        }
        if (!m_stopRequested)
            m_report(error);
    }
    capture->close();
}

bool AudioCompanion::openCapture(AudioCapture& capture)
{
    std::string error;
    while (!m_stopRequested && !capture.open(error)) {
        m_report(error);
        std::unique_lock lock(m_waitLock);
        m_wake.wait_for(lock, std::chrono::milliseconds(kRetryMs), [this] { return m_stopRequested.load(); });
    }
    return !m_stopRequested;
}

void AudioCompanion::sendBlock(int id, const std::vector<std::uint8_t>& block)
{
    QString tool;
    {
        std::lock_guard lock(m_lock);
        tool = m_tool;
    }
    if (tool.isEmpty())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(tool, QLatin1String(kToolPath), QLatin1String(kToolInterface),
                                                      QLatin1String(kToolMethod));
    call.setAutoStartService(false);
    call << id << QByteArray(reinterpret_cast<const char*>(block.data()), static_cast<qsizetype>(block.size()));
    m_connection.send(call);
}

}  // namespace kestrion::audio
