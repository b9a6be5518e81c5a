// Kestrion Config: finds the supported devices, shows their settings and writes them back.
#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QLocale>
#include <QTimer>

#include <cstdio>

#include "profiles/program_folders.h"
#include "shell/battery_notifier.h"
#include "shell/main_window/main_window.h"
#include "ui/about_window.h"
#include "ui/control_factory.h"
#include "ui/language_manager.h"
#include "ui/product_names.h"
#include "shell/single_instance.h"
#include "ui/skin.h"
#include "shell/tray.h"

namespace {

constexpr const char* kInstalledData = "/../share/kestrion-config/DefaultData";
constexpr int kScreenshotDelayMs = 2000;

// The factory documents installed beside the program, else those of the source tree.
QString defaultDataFolder()
{
    const QString installed = QDir::cleanPath(QCoreApplication::applicationDirPath() + kInstalledData);
    if (QFileInfo(installed).isDir())
        return installed;
    return QStringLiteral(KESTRION_SOURCE_ROOT "/DefaultData");
}

QString languageForLocale()
{
    return QLocale::system().language() == QLocale::Chinese ? QStringLiteral("lan_cn.xml")
                                                             : QStringLiteral("lan_en.xml");
}

// A button is clicked; "list=row" chooses a row of a drop-down list as the user does.
void clickControl(QWidget& window, const QString& click)
{
    const QStringList parts = click.split('=');
    if (parts.size() == 2) {
        if (auto* list = window.findChild<QComboBox*>(parts[0])) {
            list->setCurrentIndex(parts[1].toInt());
            emit list->activated(list->currentIndex());
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
    QApplication::setQuitOnLastWindowClosed(false);
    QCommandLineParser options;
    options.setApplicationDescription(QStringLiteral("Configures Kestrion gaming peripherals."));
    options.addHelpOption();
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
    if (instance.start() == kestrion::ui::SingleInstance::Role::Secondary)
        return 0;

    kestrion::ui::Skin skin;
    if (!skin.load()) {
        std::fprintf(stderr, "kestrion-config: cannot load the skin: %s\n", qPrintable(skin.errorText()));
        return 1;
    }
    kestrion::setProgramDataDir(defaultDataFolder().toStdString());
    app.setStyleSheet(skin.styleSheet());
    kestrion::ui::ControlFactory factory(&skin);
    kestrion::ui::LanguageManager language(skin);
    language.load(languageForLocale());
    const kestrion::ui::UiResources resources{skin, factory, language};

    kestrion::CMainWnd window(resources);
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
        about.run();
    });
    const auto quit = [&window] {
        window.stopThreads();
        QApplication::exit(0);
    };
    QObject::connect(&tray, &kestrion::ui::Tray::exitRequested, &window, quit);
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
                for (const QString& click : clicks)
                    clickControl(window, click);
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
    tray.show();
    const int result = app.exec();
    window.stopThreads();
    return result;
}
