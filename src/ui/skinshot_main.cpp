// Renders the mouse page, its profile selector, a question prompt and the main window with no device from the skin
// into PNG files, for the documentation: kestrion-skinshot <output folder> [language name] [skin folder].
#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <memory>

#include "profiles/profile_list_store.h"
#include "ui/control_factory.h"
#include "ui/device_profile.h"
#include "ui/language_manager.h"
#include "ui/message_box.h"
#include "ui/skin.h"

namespace {

constexpr const char* kMousePage = "XML\\DeviceXml\\mousedevice.xml";
constexpr const char* kMainWindow = "XML_MAIN";
constexpr const char* kPromptText = "message_text_22";
constexpr const char* kProfileSelector = "DeviceProfileItem";
constexpr int kMouseKind = 2;
constexpr int kShownProfiles = 3;
constexpr int kShotMargin = 8;

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

    kestrion::ui::CMsgWnd prompt({skin, factory, texts}, nullptr);
    prompt.setMessage(kPromptText, true);
    prompt.setMode(kestrion::ui::CMsgWnd::Question);
    saved = save(prompt, output + "/prompt.png") && saved;
    delete page;

    std::unique_ptr<QWidget> main(skin.build(kMainWindow, factory));
    if (!main) {
        std::fprintf(stderr, "the skin does not build the main window\n");
        return 1;
    }
    texts.apply(main.get());
    saved = save(*main, output + "/main-no-device.png") && saved;
    return saved ? 0 : 1;
}
