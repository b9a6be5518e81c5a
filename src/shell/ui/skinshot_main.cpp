// Renders the mouse page, a question prompt and the main window with no device from the skin
// into PNG files, for the documentation: kestrion-skinshot <output folder> [language name] [skin folder].
#include <QApplication>
#include <QDir>
#include <QPixmap>

#include <cstdio>
#include <memory>

#include "shell/ui/control_factory.h"
#include "shell/ui/language_manager.h"
#include "shell/ui/message_box.h"
#include "shell/ui/skin.h"

namespace {

constexpr const char* kMousePage = "XML\\DeviceXml\\mousedevice.xml";
constexpr const char* kMainWindow = "XML_MAIN";
constexpr const char* kPromptText = "message_text_22";

bool save(QWidget& widget, const QString& file)
{
    widget.show();
    QApplication::processEvents();
    if (widget.grab().save(file))
        return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
    return false;
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
