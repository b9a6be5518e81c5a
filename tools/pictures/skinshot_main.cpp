// Renders the mouse page, its profile selector, its shoot page, a question prompt, the settings window and its
// update page's states in each language, the skin pop-up and the main window with no device from the skin into PNG files, for the
// documentation: kestrion-skinshot <output folder> [language name] [skin folder].
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QDir>
#include <QPixmap>
#include <QSettings>
#include <QStackedWidget>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <memory>

#include "profiles/profile_list_store.h"
#include "ui/control_factory.h"
#include "ui/device_profile.h"
#include "ui/language_manager.h"
#include "ui/language_switch.h"
#include "ui/message_box.h"
#include "ui/settings_window.h"
#include "ui/shoot_control.h"
#include "ui/skin.h"
#include "ui/skin_frame.h"
#include "ui/skin_settings.h"
#include "ui/update_model.h"

namespace {

constexpr const char* kMousePage = "XML\\DeviceXml\\mousedevice.xml";
constexpr const char* kMainWindow = "XML_MAIN";
constexpr const char* kPromptText = "message_text_22";
constexpr const char* kProfileSelector = "DeviceProfileItem";
constexpr int kMouseKind = 2;
constexpr int kShownProfiles = 3;
constexpr int kShotMargin = 8;
constexpr const char* kFactoryFolder = "/../DefaultData";
constexpr const char* kFunctionPages = "mouse_function_switch";
constexpr const char* kShootPage = "ShootControlItem";
constexpr const char* kMacroTab = "macro_Op_tab";
constexpr int kShownGun = 1;
constexpr int kShownBullet = 6;
constexpr int kShownFirmware = 0x0104;
constexpr int kShotWaitMs = 10000;

bool save(QWidget& widget, const QString& file)
{
    widget.show();
    QApplication::processEvents();
    if (widget.grab().save(file))
        return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
    return false;
}

// The selector with a few profiles of a scratch folder and its panel dropped down.
bool saveProfileSelector(QWidget& page, const QString& file)
{
    auto* selector = page.findChild<kestrion::ui::CDeviceProfileUI*>(kProfileSelector);
    QTemporaryDir folder;
    if (!selector || !folder.isValid()) {
        std::fprintf(stderr, "no profile selector on the mouse page or no temporary folder\n");
        return false;
    }
    kestrion::ProfileListStore store(kMouseKind, folder.path().toStdString(), std::string());
    store.init();
    for (int i = 1; i < kShownProfiles; ++i)
        store.add();
    selector->setStore(&store);
    selector->InitProfileList();
    page.show();
    selector->showProfileMenu(true);
    QApplication::processEvents();
    // From the selector's left edge to the page's right edge, down to below the panel.
    const int left = std::min(selector->mapTo(&page, QPoint(0, 0)).x(), selector->profileMenu()->x());
    const QRect shown = QRect(QPoint(left - kShotMargin, 0),
                              QPoint(page.width() - 1, selector->profileMenu()->geometry().bottom() + kShotMargin))
                            .intersected(page.rect());
    const bool saved = page.grab(shown).save(file);
    selector->showProfileMenu(false);
    selector->setStore(nullptr);
    if (!saved)
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
    return saved;
}

// The mouse page on its macro tab, the shoot page showing a factory pattern from a scratch folder.
bool saveShootPage(QWidget& page, const QString& factory, kestrion::ui::LanguageManager& texts, const QString& file)
{
    auto* pages = page.findChild<QStackedWidget*>(kFunctionPages);
    auto* shoot = page.findChild<kestrion::ui::CShootControlUI*>(kShootPage);
    QTemporaryDir folder;
    if (!pages || !shoot || !folder.isValid()) {
        std::fprintf(stderr, "no shoot page on the mouse page or no temporary folder\n");
        return false;
    }
    pages->setCurrentWidget(shoot->parentWidget());
    if (auto* tab = page.findChild<QAbstractButton*>(kMacroTab))
        tab->setChecked(true);
    shoot->setLanguage(&texts);
    shoot->setFolders(folder.path().toStdString(), factory.toStdString());
    shoot->selectGun(kShownGun);
    shoot->selectBullet(kShownBullet);
    return save(page, file);
}

// The devices the update page shows in the pictures: the mouse on firmware 0104.
class ShownDevices : public kestrion::ui::UpdateDevices {
public:
    Version version(int deviceKind) const override
    {
        return deviceKind == kMouseKind ? Version{kShownFirmware, false} : Version{};
    }
    void suspend(int, bool) override {}
    void reread(int) override {}
};

// Update programs for the pictures: the mouse's offers 0105 and stops at 40 % until released, the
// program's own offers 0.2.0 and fails.
bool writeShownPrograms(const QString& folder)
{
    const std::pair<const char*, const char*> programs[] = {
        {"MS", "#!/bin/sh\n[ \"$1\" = --version ] && { echo 0105; exit 0; }\n"
               "echo 40\nwhile [ ! -e release ]; do sleep 0.02; done\necho 100\n"},
        {"AP", "#!/bin/sh\n[ \"$1\" = --version ] && { echo 0.2.0; exit 0; }\nexit 1\n"},
    };
    for (const auto& [name, script] : programs) {
        QFile file(folder + "/" + name);
        if (!file.open(QIODevice::WriteOnly) || file.write(script) < 0)
            return false;
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    return true;
}

template <typename Condition>
bool waitFor(Condition condition)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > kShotWaitMs)
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

void click(QWidget& window, const char* name)
{
    if (auto* button = window.findChild<QAbstractButton*>(QString::fromLatin1(name)))
        button->click();
}

// The update page through its states: an update found and ticked, the confirmation, one row
// updating, and the end with one row updated and one failed. File names end in the language.
bool saveUpdatePage(const kestrion::ui::UiResources& resources, kestrion::ui::LanguageSwitch& languages,
                    const QString& dataFolder, const QString& output, const QString& suffix)
{
    QTemporaryDir programs;
    ShownDevices devices;
    if (!programs.isValid() || !writeShownPrograms(programs.path()))
        return false;
    auto model = std::make_unique<kestrion::ui::UpdateModel>(
        devices, std::vector<std::string>{programs.path().toStdString()});
    kestrion::ui::UpdateModel& state = *model;
    kestrion::ui::CSetWnd window(resources, languages, dataFolder.toStdString(), std::move(model), nullptr);
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    window.show();
    if (!waitFor([&] { return state.status() == kestrion::kStatusAvailable; })) {
        std::fprintf(stderr, "the update page found no update to show\n");
        return false;
    }
    for (QCheckBox* tick : window.findChildren<QCheckBox*>("check_name_select")) {
        if (tick->isVisibleTo(&window))
            tick->click();
    }
    bool saved = save(window, output + "/settings-update-available-" + suffix + ".png");
    click(window, "update_fw_and_ap");
    saved = save(window, output + "/settings-update-confirm-" + suffix + ".png") && saved;
    click(window, "update_OK_btn");
    saved = waitFor([&] { return state.rows()[0].progress == 40; })
        && save(window, output + "/settings-update-running-" + suffix + ".png") && saved;
    QFile(programs.filePath("release")).open(QIODevice::WriteOnly);
    saved = waitFor([&] { return state.closable(); })
        && save(window, output + "/settings-update-done-" + suffix + ".png") && saved;
    return saved;
}

// The settings window in each language of the list, from a scratch settings file and data folder:
// up to date, and the update page's states.
bool saveSettingsWindows(const kestrion::ui::UiResources& resources, kestrion::ui::LanguageManager& texts,
                         const QString& factory, const QString& output)
{
    QTemporaryDir folder;
    QSettings settings(folder.filePath("settings.conf"), QSettings::IniFormat);
    kestrion::ui::LanguageSwitch languages(texts, settings, (factory + "/Language.config").toStdString());
    static constexpr const char* kSuffixes[] = {"en", "zh"};
    bool saved = true;
    for (int i = 0; i < static_cast<int>(std::size(kSuffixes)); ++i) {
        if (!languages.setLanguage(i)) {
            std::fprintf(stderr, "language %d of the list does not load\n", i);
            return false;
        }
        const QString suffix = QString::fromLatin1(kSuffixes[i]);
        {
            ShownDevices devices;
            auto model = std::make_unique<kestrion::ui::UpdateModel>(devices, std::vector<std::string>{});
            kestrion::ui::CSetWnd window(resources, languages, folder.path().toStdString(), std::move(model), nullptr);
            window.setAttribute(Qt::WA_DeleteOnClose, false);
            saved = save(window, output + "/settings-window-" + suffix + ".png") && saved;
        }
        saved = saveUpdatePage(resources, languages, folder.path(), output, suffix) && saved;
    }
    return saved;
}

bool saveSkinFrame(const kestrion::ui::UiResources& resources, const QString& file)
{
    QTemporaryDir folder;
    kestrion::ui::SkinSettings settings(folder.path());
    QWidget anchor;
    anchor.resize(30, 30);
    auto* frame = new kestrion::ui::CSkinFrame(resources, settings, &anchor);
    frame->setAttribute(Qt::WA_DeleteOnClose, false);
    const bool saved = frame->isBuilt() && save(*frame, file);
    delete frame;
    return saved;
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <output folder> [language name] [skin folder]\n", argv[0]);
        return 2;
    }
    const QString output = QString::fromLocal8Bit(argv[1]);
    const QString language = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("lan_en.xml");
    kestrion::ui::Skin skin(argc > 3 ? QString::fromLocal8Bit(argv[3]) : kestrion::ui::Skin::defaultFolder());
    if (!skin.load()) {
        std::fprintf(stderr, "%s\n", qPrintable(skin.errorText()));
        return 1;
    }
    app.setStyleSheet(skin.styleSheet());
    kestrion::ui::ControlFactory factory(&skin);
    kestrion::ui::LanguageManager texts(skin);

    QWidget* page = skin.build(kMousePage, factory);
    if (!page || !texts.load(language)) {
        std::fprintf(stderr, "the skin does not build the mouse page or language %s\n", qPrintable(language));
        return 1;
    }
    QDir().mkpath(output);
    bool saved = save(*page, output + "/mouse-page.png");
    saved = saveProfileSelector(*page, output + "/profile-selector.png") && saved;
    const QString factoryData = QDir::cleanPath(skin.folder() + kFactoryFolder);
    saved = saveShootPage(*page, factoryData, texts, output + "/shoot-page.png") && saved;

    kestrion::ui::CMsgWnd prompt({skin, factory, texts}, nullptr);
    prompt.setMessage(kPromptText, true);
    prompt.setMode(kestrion::ui::CMsgWnd::Question);
    saved = save(prompt, output + "/prompt.png") && saved;
    delete page;
    const kestrion::ui::UiResources resources{skin, factory, texts};
    saved = saveSettingsWindows(resources, texts, factoryData, output) && saved;
    saved = saveSkinFrame(resources, output + "/skin-popup.png") && saved;
    texts.load(language);

    std::unique_ptr<QWidget> main(skin.build(kMainWindow, factory));
    if (!main) {
        std::fprintf(stderr, "the skin does not build the main window\n");
        return 1;
    }
    texts.apply(main.get());
    saved = save(*main, output + "/main-no-device.png") && saved;
    return saved ? 0 : 1;
}
