#include "audio/companion_link.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>

namespace kestrion::audio {
namespace {

constexpr Message kGreeting[] = {Message::Hello, Message::Reset, Message::Start};
constexpr Message kFarewell[] = {Message::Stop, Message::Goodbye, Message::Idle};

std::span<const std::uint8_t> bytesOf(const QByteArray& block)
{
    return {reinterpret_cast<const std::uint8_t*>(block.constData()), static_cast<std::size_t>(block.size())};
}

}  // namespace

AudioCompanionLink::AudioCompanionLink(QDBusConnection connection, QObject* parent)
    : QObject(parent), m_connection(std::move(connection))
{
}

void AudioCompanionLink::greet()
{
    if (!m_connection.isConnected())
        return;
    if (!m_watcher) {
        // A companion started after the tool is greeted when it takes its name.
        m_watcher = new QDBusServiceWatcher(QLatin1String(kService), m_connection,
                                            QDBusServiceWatcher::WatchForOwnerChange, this);
        connect(m_watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
                [this](const QString&, const QString&, const QString& owner) { onOwnerFound(owner); });
    }
    lookUp();
}

void AudioCompanionLink::lookUp()
{
    const QDBusMessage query = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("GetNameOwner")) << QLatin1String(kService);
    auto* pending = new QDBusPendingCallWatcher(m_connection.asyncCall(query), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* call) {
        const QDBusPendingReply<QString> reply = *call;
        call->deleteLater();
        if (reply.isValid() && m_owner.isEmpty())
            onOwnerFound(reply.value());
    });
}

void AudioCompanionLink::onOwnerFound(const QString& owner)
{
    m_owner = owner;
    m_greeted = false;
    m_bands.reset();
    if (owner.isEmpty())
        return;
    for (const Message code : kGreeting)
        sendMessage(code, 0);
    if (m_styleColour)
        sendData(kStyleColourId, encodeStyleColour(*m_styleColour));
    m_greeted = true;
}

void AudioCompanionLink::farewell()
{
    if (!m_greeted)
        return;
    for (const Message code : kFarewell)
        sendMessage(code, 0);
    m_greeted = false;
}

void AudioCompanionLink::sendColourValue(Message component, int value)
{
    if (m_greeted)
        sendMessage(component, value);
}

void AudioCompanionLink::sendStyleColour(const StyleColour& colour)
{
    m_styleColour = colour;
    if (m_greeted)
        sendData(kStyleColourId, encodeStyleColour(colour));
}

void AudioCompanionLink::sendMessage(Message code, qlonglong value)
{
    QDBusMessage call = QDBusMessage::createMethodCall(m_owner, QLatin1String(kPath), QLatin1String(kInterface),
                                                      QStringLiteral("Message"));
    call.setAutoStartService(false);
    call << static_cast<int>(code) << value;
    m_connection.send(call);
}

void AudioCompanionLink::sendData(int id, const std::vector<std::uint8_t>& block)
{
    QDBusMessage call = QDBusMessage::createMethodCall(m_owner, QLatin1String(kPath), QLatin1String(kInterface),
                                                      QStringLiteral("Data"));
    call.setAutoStartService(false);
    call << id << QByteArray(reinterpret_cast<const char*>(block.data()), static_cast<qsizetype>(block.size()));
    m_connection.send(call);
}

void AudioCompanionLink::receive(const QString& sender, int id, const QByteArray& block)
{
    if (sender.isEmpty() || sender != m_owner)
        return;
    if (id == kLoudnessId) {
        if (const auto loudness = decodeLoudness(bytesOf(block)))
            m_loudness = *loudness;
        return;
    }
    if (id != kLevelsId)
        return;
    const auto levels = decodeLevels(bytesOf(block));
    if (!levels)
        return;
    if (const auto bands = m_bands.take(*levels))
        emit levelsArrived(*bands, m_loudness);
}

}  // namespace kestrion::audio
