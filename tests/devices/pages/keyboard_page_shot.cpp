// Renders the keyboard page into a PNG: the page from the real skin, the simulated keyboard
// attached over its socket and read, its live wave streaming. The shipped table matches no
// keyboard, so the window itself never shows this page; the screenshots script runs this instead.
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>

#include <iostream>

#include "devices/pages/keyboard_device.h"
#include "devices/pages/page_fixture.h"
#include "devsim/simulator.h"
#include "platform/paths.h"
#include "profiles/program_folders.h"
#include "ui/control_factory.h"
#include "ui/language_manager.h"
#include "ui/light_control.h"
#include "ui/skin.h"

namespace {

template <typename Condition>
bool waitFor(Condition condition, int timeoutMs)
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

}  // namespace

int main(int argc, char** argv)
{
    using namespace kestrion;
    QApplication app(argc, argv);
    if (argc != 3) {
        std::cerr << "usage: keyboard_page_shot DATA_FOLDER OUTPUT.png\n";
        return 2;
    }
    setProgramDataDir(KESTRION_SOURCE_ROOT "/DefaultData");
    ui::Skin skin(QStringLiteral(KESTRION_SOURCE_ROOT "/skin"));
    skin.load();
    ui::ControlFactory factory(&skin);
    ui::LanguageManager language(skin);
    language.load("lan_en.xml");
    app.setStyleSheet(skin.styleSheet());

    devsim::Simulator sim(virtualHidDir());
    test::RecordingMainWindow mainWindow;
    CQuellonKeyboardDevice device;
    test::TestSelector selector(device);
    DevicePageSetup setup;
    setup.deviceKind = 1;
    setup.lightCount = 170;
    setup.keyCount = 170;
    setup.pageLayout = QStringLiteral("XML\\DeviceXml\\keyboarddevice.xml");
    setup.kindName = QStringLiteral("keyboard");
    setup.lightName = QStringLiteral("brylo_light");
    setup.dataFolder = std::string(argv[1]) + "/";
    device.setPageSetup(setup);
    device.setMainWindow(&mainWindow);
    device.setLanguage(&language);
    device.setSelectorEntry(&selector);
    if (!device.buildPage(skin, factory) || !sim.plug(devsim::Port::Keyboard)
        || !device.attachCommandLink(sim.commandPath(devsim::Port::Keyboard), 1)) {
        std::cerr << "keyboard_page_shot: the page or the simulated keyboard did not come up\n";
        return 1;
    }
    language.apply(&device);
    device.resize(800, 500);
    device.show();
    device.runSelectorTimer(kTimerFirstRead);
    waitFor([&] { return !device.hasDeviceWork() && device.keySlots() > 0; }, 15000);

    auto* modes = device.lightEditor()->findChild<QComboBox*>("light_combo_modeSelect");
    const int liveWave = 6;
    modes->setCurrentIndex(liveWave);
    emit modes->activated(liveWave);
    const std::size_t before = sim.keyboardFrameCount();
    const bool streaming = waitFor([&] { return sim.keyboardFrameCount() > before + 20; }, 5000);
    if (!device.grab().save(QString::fromLocal8Bit(argv[2]))) {
        std::cerr << "keyboard_page_shot: cannot write " << argv[2] << "\n";
        return 1;
    }
    device.closeLinks();
    return streaming ? 0 : 1;
}
