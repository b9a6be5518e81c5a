// Suspend and resume as logind announces them, sent on a private bus that stands in for the
// system bus: asleep, the window ignores the tray; awake, the receiver's link is checked again.
#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusMessage>

#include "shell/main_window/window_fixture.h"
#include "shell/sleep_watch.h"

namespace kestrion {
namespace {

using test::waitFor;

class Sleeping : public test::Application {
protected:
    void SetUp() override
    {
        Application::SetUp();
        if (!QDBusConnection::sessionBus().isConnected())
            GTEST_SKIP() << "no session bus: the test runs under dbus-run-session";
        logind = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("stand-in-logind")));
        ASSERT_TRUE(logind->registerService(QLatin1String(SleepWatch::kService)));
        ASSERT_TRUE(watch.watch(QDBusConnection::sessionBus()));
        QObject::connect(&watch, &SleepWatch::sleeping, &window, [this] { window.setSystemAwake(false); });
        QObject::connect(&watch, &SleepWatch::resumed, &window, [this] { window.setSystemAwake(true); });
    }

    void TearDown() override
    {
        if (logind) {
            logind->unregisterService(QLatin1String(SleepWatch::kService));
            QDBusConnection::disconnectFromBus(QStringLiteral("stand-in-logind"));
        }
    }

    void prepareForSleep(bool starting)
    {
        QDBusMessage signal = QDBusMessage::createSignal(QLatin1String(SleepWatch::kPath),
                                                         QLatin1String(SleepWatch::kInterface),
                                                         QStringLiteral("PrepareForSleep"));
        signal << starting;
        ASSERT_TRUE(logind->send(signal));
        ASSERT_TRUE(waitFor([&] { return window.systemAwake() == !starting; }, 5000));
    }

    // Without a tray the window minimises instead of hiding.
    bool showing() const { return window.isVisible() && !window.isMinimized(); }

    std::unique_ptr<QDBusConnection> logind;
    SleepWatch watch;
};

TEST_F(Sleeping, TrayAndLightsRestWhileAsleepAndTheReceiverIsAskedAgainOnWaking)
{
    ASSERT_TRUE(start());
    sim.command("plug receiver");
    ASSERT_TRUE(mouseOnline(true, 8000));
    const bool shown = showing();

    prepareForSleep(true);
    window.toggleFromTray();
    EXPECT_EQ(showing(), shown);
    // The lights are the system's while it sleeps; the window keeps its own status.
    EXPECT_FALSE(window.mouse()->lightControl());
    EXPECT_TRUE(window.lightControl());
    sim.command("mouse off");
    prepareForSleep(false);
    EXPECT_TRUE(window.mouse()->lightControl());
    EXPECT_TRUE(mouseAsleep(true, 8000));

    window.toggleFromTray();
    EXPECT_NE(showing(), shown);

    prepareForSleep(true);
    sim.command("mouse on");
    prepareForSleep(false);
    EXPECT_TRUE(mouseAsleep(false, 8000));
    EXPECT_TRUE(window.entry(0)->isOnline());
}

TEST(SleepWatchWithoutBus, SaysItCannotListen)
{
    SleepWatch watch;
    EXPECT_FALSE(watch.watch(QDBusConnection(QStringLiteral("no such connection"))));
}

}  // namespace
}  // namespace kestrion
