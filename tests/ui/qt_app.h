#pragma once

#include <QString>

#include <memory>

#include "support/device_doubles.h"
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

}  // namespace kestrion::test
