#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QString>

#include <memory>

#include "ui/control_factory.h"
#include "ui/language_manager.h"
#include "ui/skin.h"

namespace kestrion::test {

// The one application object of the test binary, on the offscreen platform.
void ensureQtApp();

// A first member for fixtures whose other members are widgets.
struct QtApp {
    QtApp() { ensureQtApp(); }
};

// The real skin of the source tree, its control factory and its language texts (English).
struct RealSkin {
    RealSkin();
    ui::Skin skin;
    ui::ControlFactory factory;
    ui::LanguageManager language;
};

// A copy of the real mouse page; nullptr if the skin cannot build it.
std::unique_ptr<QWidget> buildMousePage(RealSkin& real);

QString uiTestData(const QString& relative);

// Runs the event loop until condition() holds; false when it still does not after timeoutMs.
template <typename Condition>
bool waitFor(Condition condition, int timeoutMs = 3000)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

}  // namespace kestrion::test
