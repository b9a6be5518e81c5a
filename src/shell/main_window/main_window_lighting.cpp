// Lighting in the main window: the lighting-control status other programs may take, the colour
// picker of the DPI stages, the same lighting on every device and synchronised lighting.
#include "shell/main_window/main_window.h"

#include <filesystem>

#include "devices/mouse_device.h"
#include "editors/colour_options.h"
#include "editors/light_rules.h"
#include "editors/light_sync.h"
#include "devices/lighting_thread.h"
#include "profiles/program_folders.h"
#include "ui/colour_select_window.h"
#include "ui/device_option.h"
#include "ui/family_name.h"
#include "ui/language_manager.h"
#include "ui/light_control.h"

namespace kestrion {
namespace {

namespace rules = lighting_editor;

constexpr const char* kLightStatus = "control_light_status";
constexpr const char* kLightOnText = "control_light_on_text";
constexpr const char* kLightOffText = "control_light_off_text";
constexpr const char* kSameLighting = "deng_same_mode";
constexpr const char* kStageColourPrefix = "DPI_color_option_";
constexpr int kPickerDpi = 96;

// Synchronised lighting plays the common effect: breathing, steady, blinking, colour cycle, off.
LightSync::Settings syncSettingsOf(const LightInfo& light, int effect)
{
    LightSync::Settings settings;
    settings.mode = static_cast<LightSync::Mode>(effect);
    settings.speed = light.speed;
    settings.brightness = light.brightness;
    settings.colour = {light.red, light.green, light.blue};
    settings.rainbow = light.multiColor != 0;
    return settings;
}

}  // namespace

bool CMainWnd::routeLightingClick(const QString& name)
{
    if (name == QLatin1String(kSameLighting)) {
        applySameLighting();
        return true;
    }
    const ui::FamilyName family = ui::splitFamilyName(name);
    if (family.prefix == QLatin1String(kStageColourPrefix)) {
        openStageColour(family.index);
        return true;
    }
    return false;
}

void CMainWnd::setLightControl(bool on)
{
    const bool changed = on != m_lightControl;
    m_lightControl = on;
    showLightControl();
    for (DeviceRecord& record : m_devices)
        record.device->setLightControl(on);
    if (changed)
        emit lightControlChanged(on);
}

void CMainWnd::showLightControl()
{
    if (QWidget* status = control(QString::fromLatin1(kLightStatus)))
        m_resources.language.setTextId(status, QString::fromLatin1(m_lightControl ? kLightOnText : kLightOffText));
}

ui::CColorSelectWnd* CMainWnd::colourPicker() const
{
    return m_colourPicker;
}

void CMainWnd::openStageColour(int stage)
{
    auto* mouse = qobject_cast<CQuellonMouseDevice*>(selectedDevice());
    if (m_colourPicker || !mouse)
        return;
    const std::vector<DpiStage> stages = mouse->profile().GetDpiStages();
    if (stage < 0 || stage >= static_cast<int>(stages.size()))
        return;
    const std::string folder = userDataFolder();
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    ColourOptionsFile file(folder + "/" + ColourOptionsFile::kFileName,
                           programDataDir() + "/" + ColourOptionsFile::kFileName);
    auto picker = std::make_unique<ui::CColorSelectWnd>(m_resources, std::move(file), this);
    m_colourPicker = picker.get();
    picker->setScale(kPickerDpi);
    const DpiStage& current = stages[stage];
    picker->setColour(rules::colourWord(current.red, current.green, current.blue));
    picker->enableSevenColour(false);
    const bool confirmed = picker->showModal() == ui::CColorSelectWnd::kConfirmed;
    const std::uint32_t colour = picker->chosenColour();
    picker.reset();
    if (confirmed)
        mouse->setStageColour(stage, rules::redOf(colour), rules::greenOf(colour), rules::blueOf(colour));
}

// Every other online device takes the selected one's lighting in its own mode for the same
// effect, and synchronised lighting plays that effect.
void CMainWnd::applySameLighting()
{
    CQuellonUSBDevice* source = selectedDevice();
    const std::optional<LightInfo> sourceLight = source ? source->lightRecord() : std::nullopt;
    if (!sourceLight)
        return;
    const LightInfo light = *sourceLight;
    const int sourceKind = source->pageSetup().deviceKind;
    const auto column = rules::columnOfKind(sourceKind);
    const auto effect = column ? rules::commonEffectOf(*column, light.mode) : std::nullopt;
    if (!effect)
        return;
    for (DeviceRecord& record : m_devices) {
        CQuellonUSBDevice* target = record.device;
        const std::optional<LightInfo> targetLight = target->lightRecord();
        if (target == source || !targetLight || !record.entry->isOnline())
            continue;
        const auto same = rules::sameLightingFor(light, sourceKind, *targetLight, target->pageSetup().deviceKind);
        if (same) {
            target->applyLight(*same);
            target->announceProfile();
        }
    }
    if (m_lightSync)
        m_lightSync->configure(syncSettingsOf(light, *effect));
}

// Counts who takes part: online entries whose light-sync option is selected, when there are at
// least two; otherwise the option is cleared everywhere. Each editor is told whether the same
// lighting command makes sense (more than one device online).
void CMainWnd::refreshLightSync()
{
    std::vector<CQuellonUSBDevice*> taking;
    int online = 0;
    for (DeviceRecord& record : m_devices) {
        if (!record.entry->isOnline())
            continue;
        ++online;
        if (record.entry->isSynchro())
            taking.push_back(record.device);
    }
    if (taking.size() < 2) {
        for (DeviceRecord& record : m_devices)
            record.entry->setSynchro(false);
        taking.clear();
    }
    for (DeviceRecord& record : m_devices) {
        if (ui::CLightControlUI* editor = record.view->lightEditor())
            editor->setSameModeOffered(online > 1);
        const bool takesPart = std::find(taking.begin(), taking.end(), record.device) != taking.end();
        if (!takesPart)
            record.device->showSyncColour(std::nullopt);
    }
    {
        std::lock_guard lock(m_syncLock);
        m_syncDevices = taking;
    }
    m_syncTakingPart = !taking.empty();
    if (m_lightSync && m_syncTakingPart)
        m_lightSync->wake();
}

void CMainWnd::startLightSync()
{
    auto participants = [this] { return m_syncTakingPart.load(); };
    auto sink = [this](const KeyColour& colour) {
        std::lock_guard lock(m_syncLock);
        for (CQuellonUSBDevice* device : m_syncDevices) {
            if (device->lightControl())
                device->showSyncColour(colour);
        }
    };
    m_lightSync = std::make_unique<LightSyncThread>(participants, sink, LightingThread::steadyMilliseconds);
    m_lightSync->start();
}

void CMainWnd::stopLightSync()
{
    if (m_lightSync)
        m_lightSync->stop();
}

}  // namespace kestrion
