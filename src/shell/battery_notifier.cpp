#include "shell/battery_notifier.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QStringList>
#include <QVariantMap>

#include "ui/language_manager.h"
#include "ui/product_names.h"

namespace kestrion {
namespace {

constexpr const char* kMethod = "Notify";
constexpr const char* kIcon = "battery-caution";
constexpr const char* kTitle = "battery_low_title_text";
constexpr const char* kBody = "battery_low_text";
constexpr const char* kUrgencyHint = "urgency";
constexpr unsigned char kNormalUrgency = 1;
constexpr unsigned char kCriticalUrgency = 2;
constexpr int kCriticalLevel = 5;
constexpr int kServerTimeout = -1;

}  // namespace

BatteryNotifier::BatteryNotifier(const ui::LanguageManager& language, QObject* parent)
    : QObject(parent), m_language(language)
{
}

void BatteryNotifier::onBattery(int percent, bool onBattery)
{
    if (percent < 0)
        return;
    if (m_alerts.onReading(percent, onBattery))
        notify(percent);
}

void BatteryNotifier::notify(int percent)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(QString::fromLatin1(kService), QString::fromLatin1(kPath),
                                                       QString::fromLatin1(kInterface), QString::fromLatin1(kMethod));
    QVariantMap hints;
    hints.insert(QString::fromLatin1(kUrgencyHint),
                 QVariant::fromValue(percent <= kCriticalLevel ? kCriticalUrgency : kNormalUrgency));
    call << QString::fromLatin1(ui::kWindowTitle) << 0u << QString::fromLatin1(kIcon)
         << m_language.text(QString::fromLatin1(kTitle)) << m_language.textWithNumber(QString::fromLatin1(kBody), percent)
         << QStringList() << hints << kServerTimeout;
    // No answer is awaited: a missing service only leaves the notification unseen.
    bus.asyncCall(call);
}

}  // namespace kestrion
