// Renders the mouse page, its profile selector, its shoot page, a question prompt, the settings window in each
// language, the skin pop-up and the main window with no device from the skin into PNG files, for the
// documentation: kestrion-skinshot <output folder> [language name] [skin folder].
#include <QAbstractButton>
#include <QApplication>
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
#include "ui/product_names.h"
#include "ui/settings_window.h"
#include "ui/shoot_control.h"
#include "ui/skin.h"
#include "ui/skin_frame.h"
#include "ui/skin_settings.h"

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

// The settings window in each language of the list, from a scratch settings file and data folder.
bool saveSettingsWindows(const kestrion::ui::UiResources& resources, kestrion::ui::LanguageManager& texts,
                         const QString& factory, const QString& output)
{
    QTemporaryDir folder;
    QSettings settings(folder.filePath("settings.conf"), QSettings::IniFormat);
    kestrion::ui::LanguageSwitch languages(texts, settings, (factory + "/Language.config").toStdString());
    static constexpr const char* kFiles[] = {"settings-window-en.png", "settings-window-zh.png"};
    bool saved = true;
    for (int i = 0; i < static_cast<int>(std::size(kFiles)); ++i) {
        if (!languages.setLanguage(i)) {
            std::fprintf(stderr, "language %d of the list does not load\n", i);
            return false;
        }
        kestrion::ui::CSetWnd window(resources, languages, folder.path().toStdString(), nullptr);
        window.setAttribute(Qt::WA_DeleteOnClose, false);
        window.setVersionRows({{"MS", "V0104"}, {"AP", kestrion::ui::kApplicationVersionText}});
        saved = save(window, output + "/" + kFiles[i]) && saved;
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
