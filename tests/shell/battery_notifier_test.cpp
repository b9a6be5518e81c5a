// The low-battery notices reach the freedesktop notification service over a real session bus
// (the test runs under dbus-run-session), served here by a stand-in on a connection of its own.
#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

#include "shell/battery_notifier.h"
#include "ui/qt_app.h"

namespace kestrion {
namespace {

using test::waitFor;

const QString kServiceConnection = QStringLiteral("notification-service");

struct Notice {
    QString app;
    QString summary;
    QString body;
    int urgency;
};

// Answers Notify as a desktop's notification daemon does and keeps what it was asked to show.
class NotificationService : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    std::vector<Notice> notices;

public slots:
    uint Notify(const QString& app, uint, const QString&, const QString& summary, const QString& body,
                const QStringList&, const QVariantMap& hints, int)
    {
        notices.push_back({app, summary, body, hints.value("urgency").toInt()});
        return static_cast<uint>(notices.size());
    }
};

class BatteryNotifierTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!QDBusConnection::sessionBus().isConnected())
            GTEST_SKIP() << "no session bus (run under dbus-run-session)";
    }

    void TearDown() override { QDBusConnection::disconnectFromBus(kServiceConnection); }

    // The service on its own connection, so that calls travel over the bus.
    bool serve()
    {
        QDBusConnection connection = QDBusConnection::connectToBus(QDBusConnection::SessionBus, kServiceConnection);
        return connection.registerObject(BatteryNotifier::kPath, &service, QDBusConnection::ExportAllSlots)
               && connection.registerService(BatteryNotifier::kService);
    }

    test::QtApp app;
    test::RealSkin real;
    NotificationService service;
    BatteryNotifier notifier{real.language};
};

TEST_F(BatteryNotifierTest, FallingToFifteenAndToFivePercentEachNotifyOnce)
{
    ASSERT_TRUE(serve());
    for (const auto& [percent, onBattery] : {std::pair{40, true}, {15, true}, {14, true}, {9, true}, {5, true},
                                             {4, true}, {-1, false}, {30, false}, {13, true}})
        notifier.onBattery(percent, onBattery);
    ASSERT_TRUE(waitFor([&] { return service.notices.size() >= 3; }));
    waitFor([] { return false; }, 200);
    ASSERT_EQ(service.notices.size(), 3u);
    const int percents[] = {15, 5, 13};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(service.notices[i].app, "Kestrion Z880-ZIR Gaming Mouse");
        EXPECT_EQ(service.notices[i].summary, real.language.text("battery_low_title_text"));
        EXPECT_EQ(service.notices[i].body, real.language.textWithNumber("battery_low_text", percents[i]));
    }
    EXPECT_EQ(service.notices[1].urgency, 2) << "5 % is critical";
    EXPECT_EQ(service.notices[0].urgency, 1);
}

TEST_F(BatteryNotifierTest, WithoutTheServiceNothingIsShownAndNothingFails)
{
    ASSERT_FALSE(QDBusConnection::sessionBus().interface()->isServiceRegistered(BatteryNotifier::kService));
    notifier.onBattery(15, true);
    notifier.onBattery(5, true);
    waitFor([] { return false; }, 200);
    EXPECT_TRUE(service.notices.empty());
}

}  // namespace
}  // namespace kestrion

#include "battery_notifier_test.moc"
