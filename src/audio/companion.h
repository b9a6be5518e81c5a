#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QObject>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "audio/audio_blocks.h"
#include "audio/audio_capture.h"

namespace kestrion::audio {

// kestrion-audio on the session bus: it owns org.kestrion.Audio and takes the tool's messages
// and data blocks (docs/dbus-interface.md). While started it captures on a thread of its own and
// sends the tool, per captured block, the levels (data id 1) and the loudness with its colour
// (data id 2) as calls that want no reply, so a busy tool never holds it up.
class AudioCompanion : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kestrion.Audio1")
public:
    static constexpr const char* kService = "org.kestrion.Audio";
    static constexpr const char* kPath = "/org/kestrion/Audio";
    static constexpr const char* kInterface = "org.kestrion.Audio1";
    // Where the blocks go: the tool's object and its method.
    static constexpr const char* kToolPath = "/org/kestrion/Config";
    static constexpr const char* kToolInterface = "org.kestrion.Config1";
    static constexpr const char* kToolMethod = "AudioData";
    static constexpr int kRetryMs = 2000;

    using CaptureFactory = std::function<std::unique_ptr<AudioCapture>()>;
    // Told when the capture cannot be opened or breaks (it is tried again every kRetryMs).
    using FailureReport = std::function<void(const std::string&)>;

    AudioCompanion(QDBusConnection connection, CaptureFactory makeCapture, FailureReport report);
    ~AudioCompanion() override;

    // Takes the bus name and publishes the object; false when the bus is absent or the name is
    // taken (another companion runs).
    bool publish();
    bool capturing() const { return m_thread.joinable(); }
    Colour colour() const;

public slots:
    Q_SCRIPTABLE Q_NOREPLY void Message(int code, qlonglong value);
    Q_SCRIPTABLE Q_NOREPLY void Data(int id, const QByteArray& block);

private:
    void start();
    void stop();
    void run();
    // Opens the capture, waiting kRetryMs between tries; false when stopped meanwhile.
    bool openCapture(AudioCapture& capture);
    void sendBlock(int id, const std::vector<std::uint8_t>& block);
    void setComponent(std::uint8_t Colour::*component, qlonglong value);

    QDBusConnection m_connection;
    CaptureFactory m_makeCapture;
    FailureReport m_report;
    mutable std::mutex m_lock;  // guards the two below, shared with the capture thread
    QString m_tool;
    Colour m_colour;
    std::atomic<bool> m_stopRequested{false};
    std::mutex m_waitLock;
    std::condition_variable m_wake;
    std::thread m_thread;
};

}  // namespace kestrion::audio
