#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <optional>

#include "audio/audio_blocks.h"

class QDBusServiceWatcher;

namespace kestrion::audio {

// The tool's end of the audio companion (kestrion-audio). It looks for the companion's bus name
// without ever waiting on the bus, greets it (hello, reset, start, then the active style's
// colour) when found at start or whenever it appears later, and tells it goodbye at shutdown.
// Blocks from the companion come in through receive(); the level blocks become band levels
// (see BandTracker) and are handed on with the latest loudness. With no companion nothing is
// sent and no levels come, so the audio light stays still.
class AudioCompanionLink : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kService = "org.kestrion.Audio";
    static constexpr const char* kPath = "/org/kestrion/Audio";
    static constexpr const char* kInterface = "org.kestrion.Audio1";

    explicit AudioCompanionLink(QDBusConnection connection, QObject* parent = nullptr);

    // Looks for the companion and greets it when it is there.
    void greet();
    // stop, goodbye, idle; only to a companion that was greeted, and once.
    void farewell();
    // The companion's colour, component by component: Message::Red, Green or Blue.
    void sendColourValue(Message component, int value);
    // The active audio style's colour (data id 10); kept and sent again at every greeting.
    void sendStyleColour(const StyleColour& colour);
    bool companionFound() const { return !m_owner.isEmpty(); }

    // A data block from the bus; blocks from anyone but the companion are ignored.
    void receive(const QString& sender, int id, const QByteArray& block);

signals:
    // Band levels of a new block, with the loudness the companion sent last.
    void levelsArrived(const kestrion::audio::Bands& bands, const kestrion::audio::Loudness& loudness);

private:
    void lookUp();
    void onOwnerFound(const QString& owner);
    void sendMessage(Message code, qlonglong value);
    void sendData(int id, const std::vector<std::uint8_t>& block);

    QDBusConnection m_connection;
    QDBusServiceWatcher* m_watcher = nullptr;
    QString m_owner;  // the companion's unique bus name once found
    bool m_greeted = false;
    std::optional<StyleColour> m_styleColour;
    BandTracker m_bands;
    Loudness m_loudness;
};

}  // namespace kestrion::audio
