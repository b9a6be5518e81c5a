// One pushLightFrame onto the mouse page built from the real skin (offscreen): the 15 light
// buttons take their LED's colour. Every tick changes every colour, the worst case; a steady
// frame only compares colours.
#include <benchmark/benchmark.h>

#include <QApplication>

#include <cstdlib>

#include "devices/mouse_device.h"
#include "pages/mouse_view.h"
#include "ui/control_factory.h"
#include "ui/skin.h"

namespace kestrion {
namespace {

struct Page {
    Page() : skin(QStringLiteral(KESTRION_SOURCE_ROOT "/skin")), factory(&skin)
    {
        skin.load();
        DevicePageSetup setup;
        setup.deviceKind = 2;
        setup.pageLayout = QStringLiteral("XML\\DeviceXml\\mousedevice.xml");
        device.setPageSetup(setup);
        device.prepare();
        view.build(skin, factory);
        view.show();
    }
    ui::Skin skin;
    ui::ControlFactory factory;
    CQuellonMouseDevice device;
    MouseView view{device};
};

void BM_PushLightFrame(benchmark::State& state)
{
    Page page;
    const bool changing = state.range(0) != 0;
    std::uint32_t tick = 0;
    for (auto _ : state) {
        if (changing) {
            ++tick;
            for (int led = 0; led < 15; ++led)
                page.device.setKeyColour(led, 0xFF000000u | ((tick * 7 + led) & 0xFFFFFFu));
        }
        page.device.pushLightFrame();
        QApplication::processEvents();
    }
    state.SetLabel(changing ? "every colour changes" : "steady frame");
}
BENCHMARK(BM_PushLightFrame)->Arg(1)->Arg(0);

}  // namespace
}  // namespace kestrion

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
