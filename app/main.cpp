// Kestrion Config: finds the supported devices, shows their settings and writes them back.
#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QLocale>
#include <QSettings>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QDBusConnection>

#include <cstdio>
#include <memory>

#include "audio/companion_link.h"
#include "platform/file_read.h"
#include "profiles/program_folders.h"
#include "profiles/update_rows.h"
#include "shell/bus/config_bus.h"
#include "shell/battery_notifier.h"
#include "shell/main_window/main_window.h"
#include "ui/about_window.h"
#include "ui/control_factory.h"
#include "ui/language_manager.h"
#include "ui/language_switch.h"
#include "ui/skin_settings.h"
#include "ui/product_names.h"
#include "shell/single_instance.h"
#include "shell/sleep_watch.h"
#include "ui/skin.h"
#include "shell/quit_signals.h"
#include "shell/tray.h"

namespace {

constexpr const char* kInstalledData = "/../share/kestrion-config/DefaultData";
constexpr int kScreenshotDelayMs = 2000;
constexpr int kModalShotDelayMs = 500;

// The factory documents installed beside the program, else those of the source tree.
QString defaultDataFolder()
{
    const QString installed = QDir::cleanPath(QCoreApplication::applicationDirPath() + kInstalledData);
    if (QFileInfo(installed).isDir())
        return installed;
    return QStringLiteral(KESTRION_SOURCE_ROOT "/DefaultData");
}

constexpr long long kEnglishId = 520;
constexpr long long kChineseId = 2052;
constexpr const char* kLanguageList = "/Language.config";
constexpr std::size_t kMaxSettingsBytes = 64 * 1024;

// The language of a first run, before the user chose one.
long long languageIdForLocale()
{
    return QLocale::system().language() == QLocale::Chinese ? kChineseId : kEnglishId;
}

// A button is clicked; "list=row" chooses a row of a drop-down list as the user does, "tabs=n" a tab.
void clickControl(QWidget& window, const QString& click)
{
    const QStringList parts = click.split('=');
    if (parts.size() == 2) {
        if (auto* list = window.findChild<QComboBox*>(parts[0])) {
            list->setCurrentIndex(parts[1].toInt());
            emit list->activated(list->currentIndex());
        } else if (auto* tabs = window.findChild<QTabWidget*>(parts[0])) {
            tabs->setCurrentIndex(parts[1].toInt());
        }
        return;
    }
    if (auto* control = window.findChild<QAbstractButton*>(click))
        control->click();
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kestrion-config"));
    QApplication::setApplicationVersion(QString::fromStdString(kestrion::applicationVersion()));
    QApplication::setQuitOnLastWindowClosed(false);
    QCommandLineParser options;
    options.setApplicationDescription(QStringLiteral("Configures Kestrion gaming peripherals."));
    options.addHelpOption();
    options.addVersionOption();
    const QCommandLineOption trayOption(QStringLiteral("tray"), QStringLiteral("Start hidden in the tray."));
    const QCommandLineOption shotOption(QStringLiteral("screenshot"),
                                        QStringLiteral("Save the window as a picture once it shows, then exit."),
                                        QStringLiteral("file"));
    const QCommandLineOption clickOption(
        QStringLiteral("click"),
        QStringLiteral("With --screenshot: click the named control first, or with name=row choose a row of the "
                       "named list (repeatable, in order)."),
        QStringLiteral("name"));
    options.addOption(trayOption);
    options.addOption(shotOption);
    options.addOption(clickOption);
    options.process(app);

    kestrion::ui::SingleInstance instance(QString::fromLatin1(kestrion::ui::kProductString));
    switch (instance.start()) {
    case kestrion::ui::SingleInstance::Role::Secondary:
        return 0;
    case kestrion::ui::SingleInstance::Role::Unanswered:
        std::fprintf(stderr, "kestrion-config: another copy holds %s but does not answer; giving up\n",
                     qPrintable(instance.lockPath()));
        return 1;
    case kestrion::ui::SingleInstance::Role::Primary:
    case kestrion::ui::SingleInstance::Role::Unguarded:
        break;
    }

    kestrion::ui::Skin skin;
    if (!skin.load()) {
        std::fprintf(stderr, "kestrion-config: cannot load the skin: %s\n", qPrintable(skin.errorText()));
        return 1;
    }
    kestrion::setProgramDataDir(defaultDataFolder().toStdString());
    app.setStyleSheet(skin.styleSheet());
    kestrion::ui::ControlFactory factory(&skin);
    kestrion::ui::LanguageManager language(skin);
    // Qt opens its settings file blocking: a FIFO in its place would hang the start. Something
    // other than a small regular file there is left alone and the choices last this run only.
    const QString settingsPath = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/Kestrion/kestrion-config.ini");
    QTemporaryDir scratch;
    const bool settingsUsable = kestrion::safeToOpen(settingsPath.toStdString(), kMaxSettingsBytes);
    if (!settingsUsable)
        std::fprintf(stderr, "kestrion-config: %s is not a settings file; it is left alone\n", qPrintable(settingsPath));
    QSettings settings(settingsUsable ? settingsPath : scratch.filePath(QStringLiteral("kestrion-config.ini")),
                       QSettings::IniFormat);
    kestrion::ui::LanguageSwitch languages(language, settings, defaultDataFolder().toStdString() + kLanguageList);
    // A list or a file the skin lacks leaves the built-in English texts of the skin's index.
    if (!languages.setLanguage(languages.storedIndex(languageIdForLocale())))
        language.load(QStringLiteral("lan_en.xml"));
    const kestrion::ui::UiResources resources{skin, factory, language};

    // Declared before the window, which tells it goodbye as it goes.
    kestrion::audio::AudioCompanionLink audioCompanion(QDBusConnection::sessionBus());
    kestrion::CMainWnd window(resources);
    window.setAudioCompanion(&audioCompanion);
    window.setLanguageSwitch(&languages);
    kestrion::ui::SkinSettings skinSettings(QString::fromStdString(kestrion::userDataFolder()));
    window.setSkinSettings(&skinSettings);
    const QIcon icon(skin.folder() + QStringLiteral("/images/logo.png"));
    window.setWindowIcon(icon);
    kestrion::ui::Tray tray(language, icon);
    QObject::connect(&tray, &kestrion::ui::Tray::toggleWindowRequested, &window,
                     &kestrion::CMainWnd::toggleFromTray);
    window.attachTray(tray);
    kestrion::BatteryNotifier batteryNotices(language);
    QObject::connect(&window, &kestrion::CMainWnd::batteryChanged, &batteryNotices,
                     &kestrion::BatteryNotifier::onBattery);
    QObject::connect(&tray, &kestrion::ui::Tray::aboutRequested, &window, [&resources, &window] {
        kestrion::ui::AboutWnd about(resources, &window);
        about.setVersionText(QString::fromStdString(kestrion::applicationVersionText()));
        about.run();
    });
    const auto quit = [&window] {
        window.stopThreads();
        QApplication::exit(0);
    };
    QObject::connect(&tray, &kestrion::ui::Tray::exitRequested, &window, quit);
    // A logout, Ctrl+C or a closed terminal ends the tool as its own Quit does.
    kestrion::QuitSignals quitSignals;
    QObject::connect(&quitSignals, &kestrion::QuitSignals::quitRequested, &window, quit);
    QObject::connect(&window, &kestrion::CMainWnd::exitRequested, &window, quit);
    QObject::connect(&instance, &kestrion::ui::SingleInstance::activationRequested, &window,
                     &kestrion::CMainWnd::activate);

    if (options.isSet(trayOption))
        QObject::connect(&window, &kestrion::CMainWnd::firstPassDone, &window, &kestrion::CMainWnd::hideToTray);
    if (options.isSet(shotOption)) {
        // Leaves the first read of an attached device time to reach the page.
        QObject::connect(&window, &kestrion::CMainWnd::firstPassDone, &window, [&window, &options, &shotOption,
                                                                                 &clickOption] {
            QTimer::singleShot(kScreenshotDelayMs, &window, [&window, file = options.value(shotOption),
                                                             clicks = options.values(clickOption)] {
                // A click that opens a modal window (the colour picker) returns only when it
                // closes: that window is shot instead, from its own event loop.
                auto shotTaken = std::make_shared<bool>(false);
                QTimer::singleShot(kModalShotDelayMs, &window, [&window, file, shotTaken] {
                    QWidget* modal = QApplication::activeModalWidget();
                    if (!modal || *shotTaken)
                        return;
                    *shotTaken = true;
                    const bool saved = modal->grab().save(file);
                    window.stopThreads();
                    QApplication::exit(saved ? 0 : 1);
                });
                // A click's notification is queued: what it opens is there for the next name.
                for (const QString& click : clicks) {
                    clickControl(window, click);
                    QCoreApplication::processEvents();
                }
                if (*shotTaken)
                    return;
                *shotTaken = true;
                const bool saved = window.grab().save(file);
                window.stopThreads();
                QApplication::exit(saved ? 0 : 1);
            });
        });
    }
    if (!window.initWindow()) {
        std::fprintf(stderr, "kestrion-config: the skin has no main window layout\n");
        return 1;
    }
    skinSettings.restore();
    // Without a session bus the tool runs all the same, only scripts cannot reach it.
    kestrion::ConfigBus bus(window);
    bus.publish(QDBusConnection::sessionBus());
    kestrion::SleepWatch sleep;
    QObject::connect(&sleep, &kestrion::SleepWatch::sleeping, &window, [&window] { window.setSystemAwake(false); });
    QObject::connect(&sleep, &kestrion::SleepWatch::resumed, &window, [&window] { window.setSystemAwake(true); });
    sleep.watch(QDBusConnection::systemBus());
    tray.show();
    const int result = app.exec();
    window.stopThreads();
    return result;
}
