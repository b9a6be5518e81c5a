// The signals that end a desktop program reach the UI thread as a request to quit.
#include <gtest/gtest.h>

#include <QCoreApplication>

#include <csignal>
#include <vector>

#include "shell/quit_signals.h"
#include "support/device_doubles.h"

namespace kestrion {
namespace {

volatile std::sig_atomic_t g_earlier = 0;

void earlierHandler(int signal)
{
    g_earlier = signal;
}

TEST(QuitSignals, EachEndingSignalAsksToQuitAndTheEarlierHandlersComeBack)
{
    test::ensureCoreApp();
    for (const int signal : {SIGTERM, SIGINT, SIGHUP})
        std::signal(signal, earlierHandler);
    {
        QuitSignals watch;
        ASSERT_TRUE(watch.isWatching());
        std::vector<int> asked;
        QObject::connect(&watch, &QuitSignals::quitRequested, [&](int signal) { asked.push_back(signal); });
        for (const int signal : {SIGTERM, SIGINT, SIGHUP})
            std::raise(signal);
        EXPECT_TRUE(test::waitFor([&] { return asked.size() == 3; }, 2000));
        EXPECT_EQ(asked, (std::vector<int>{SIGTERM, SIGINT, SIGHUP}));
        EXPECT_EQ(g_earlier, 0) << "the process was not ended";
        QuitSignals second;
        EXPECT_FALSE(second.isWatching()) << "one owner at a time";
    }
    std::raise(SIGHUP);
    EXPECT_EQ(g_earlier, SIGHUP);
    for (const int signal : {SIGTERM, SIGINT, SIGHUP})
        std::signal(signal, SIG_DFL);
}

}  // namespace
}  // namespace kestrion
