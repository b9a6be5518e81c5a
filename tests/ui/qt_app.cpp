#include "ui/qt_app.h"

#include <QApplication>
#include <QWidget>

#include <cstdlib>

namespace kestrion::test {

void ensureQtApp()
{
    if (QApplication::instance())
        return;
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "ui_test";
    static char* argv[] = {name, nullptr};
    // Kept until the process ends and never destroyed: destroying it among the static objects
    // of the exiting process runs after parts of Qt it needs are gone.
    static QApplication* app = new QApplication(argc, argv);
    static_cast<void>(app);
}

RealSkin::RealSkin()
    : skin((ensureQtApp(), QStringLiteral(KESTRION_SOURCE_ROOT "/skin"))), factory(&skin), language(skin)
{
    skin.load();
    language.load("lan_en.xml");
}

std::unique_ptr<QWidget> buildMousePage(RealSkin& real)
{
    std::unique_ptr<QWidget> page(real.skin.build("XML\\DeviceXml\\mousedevice.xml", real.factory));
    real.language.apply(page.get());
    return page;
}

QString uiTestData(const QString& relative)
{
    return QStringLiteral(KESTRION_UI_TEST_DATA "/") + relative;
}

}  // namespace kestrion::test

#if defined(__SANITIZE_ADDRESS__)
// Fontconfig keeps a cache block for the life of the process that it never frees; Qt's font
// database loads it on first text layout. Under X11, libdbus keeps the buffer of the session bus
// connection that Qt's platform opens.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\nleak:libdbus-1.so\n";
}
#endif
