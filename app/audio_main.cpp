// kestrion-audio: captures the sound output for the music-reactive light of Kestrion Config.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QSocketNotifier>

#include <sys/signalfd.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>

#include "audio/audio_capture.h"
#include "audio/companion.h"
#include "audio/level_analysis.h"

namespace {

// SIGINT and SIGTERM end the event loop, so the capture thread is stopped and joined.
int blockEndSignals()
{
    sigset_t endSignals;
    sigemptyset(&endSignals);
    sigaddset(&endSignals, SIGINT);
    sigaddset(&endSignals, SIGTERM);
    if (pthread_sigmask(SIG_BLOCK, &endSignals, nullptr) != 0)
        return -1;
    return signalfd(-1, &endSignals, SFD_CLOEXEC | SFD_NONBLOCK);
}

}  // namespace

int main(int argc, char** argv)
{
    // Before any thread starts, so that every thread leaves the signals to the loop.
    const int signalFd = blockEndSignals();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kestrion-audio"));
    QCommandLineParser options;
    options.setApplicationDescription(
        QStringLiteral("Captures the sound output for the music light of Kestrion Config."));
    options.addHelpOption();
    const QCommandLineOption generateOption(
        QStringLiteral("generate"), QStringLiteral("Play a generated tune instead of capturing (no sound server needed)."));
    options.addOption(generateOption);
    options.process(app);

    if (signalFd >= 0) {
        auto* notifier = new QSocketNotifier(signalFd, QSocketNotifier::Read, &app);
        QObject::connect(notifier, &QSocketNotifier::activated, &app, [signalFd] {
            signalfd_siginfo info{};
            while (read(signalFd, &info, sizeof info) == sizeof info) {
            }
            QCoreApplication::quit();
        });
    }
    const bool generated = options.isSet(generateOption);
    auto makeCapture = [generated]() -> std::unique_ptr<kestrion::audio::AudioCapture> {
        if (generated)
            return std::make_unique<kestrion::audio::GeneratedCapture>(
                kestrion::audio::GeneratedCapture::music(kestrion::audio::LevelAnalyser::kBlockSamples), true);
        return kestrion::audio::makeOutputMonitorCapture();
    };
    auto report = [](const std::string& error) {
        std::fprintf(stderr, "kestrion-audio: cannot capture the sound output: %s\n", error.c_str());
    };
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        std::fprintf(stderr, "kestrion-audio: no session bus\n");
        return 1;
    }
    kestrion::audio::AudioCompanion companion(bus, makeCapture, report);
    if (!companion.publish()) {
        std::fprintf(stderr, "kestrion-audio: another companion already runs (%s is taken)\n",
                     kestrion::audio::AudioCompanion::kService);
        return 1;
    }
    const int result = app.exec();
    if (signalFd >= 0)
        close(signalFd);
    return result;
}
