// What scripts see and change, on the device they name. Settings and DPI stages go through the
// mouse into its profile, its page and the device, as a change on its page does.
#include "shell/main_window/main_window.h"

#include <array>

#include "devices/mouse_pad_device.h"
#include "devices/keyboard_device.h"
#include "devices/mouse_device.h"
#include "ui/device_option.h"
#include "ui/device_profile.h"
#include "ui/product_names.h"

namespace kestrion {
namespace {

constexpr const char* kPowerStates[] = {"external", "charging", "battery"};
constexpr int kGameLightMs = 5000;

QString noMouse(const CQuellonUSBDevice* device)
{
    return device ? QStringLiteral("%1 is not a mouse").arg(device->pageSetup().kindName)
                  : QStringLiteral("no mouse is selected");
}

QString noProfiles()
{
    return QStringLiteral("no device with profiles is selected");
}

}  // namespace

CQuellonUSBDevice* CMainWnd::scriptDevice() const
{
    if (CQuellonUSBDevice* found = mouse())
        return found;
    return m_devices.empty() ? nullptr : m_devices.front().device;
}

std::vector<CMainWnd::DeviceReport> CMainWnd::deviceReports() const
{
    std::vector<DeviceReport> reports;
    for (std::size_t i = 0; i < m_devices.size(); ++i) {
        const DeviceRecord& record = m_devices[i];
        DeviceReport report;
        report.index = static_cast<int>(i);
        report.kind = record.device->pageSetup().kindName;
        report.name = qobject_cast<const CQuellonMouseDevice*>(record.device) ? QString::fromLatin1(ui::kWindowTitle)
                                                                               : report.kind;
        const bool receiver = record.device->commandChannel().receiverMode();
        report.link = receiver ? QStringLiteral("receiver") : QStringLiteral("cable");
        report.online = record.entry->isOnline();
        report.selected = record.device == selectedDevice();
        if (const auto* mouse = qobject_cast<const CQuellonMouseDevice*>(record.device); mouse && report.online) {
            const PowerRecord& power = mouse->powerRecord();
            const std::uint8_t state = power.bytes[PowerRecord::kState];
            if (receiver && state < std::size(kPowerStates)) {
                report.battery = power.bytes[PowerRecord::kPercent];
                report.power = QLatin1String(kPowerStates[state]);
            }
        }
        reports.push_back(report);
    }
    return reports;
}

QString CMainWnd::selectProfileNamed(CQuellonUSBDevice* device, const QString& name)
{
    const int index = profileNamesOf(device).indexOf(name);
    if (!profileSelectorOf(device))
        return noProfiles();
    if (index < 0)
        return QStringLiteral("no profile is named \"%1\"").arg(name);
    chooseProfileOf(device, index);
    return {};
}

QString CMainWnd::importProfileFrom(CQuellonUSBDevice* device, const QString& path, QString* importedName)
{
    ui::CDeviceProfileUI* selector = profileSelectorOf(device);
    if (!selector)
        return noProfiles();
    const QStringList before = profileNamesOf(device);
    switch (selector->importFile(path)) {
    case ProfileImportResult::Imported:
        break;
    case ProfileImportResult::NotAProfile:
        return QStringLiteral("%1 is not a profile of this device").arg(path);
    case ProfileImportResult::NameTooLong:
        return QStringLiteral("the file name is too long for a profile name");
    case ProfileImportResult::LimitReached:
        return QStringLiteral("the device already has the most profiles it can keep");
    case ProfileImportResult::WriteFailed:
        return QStringLiteral("the profile could not be written");
    }
    if (importedName) {
        for (const QString& name : profileNamesOf(device)) {
            if (!before.contains(name))
                *importedName = name;
        }
    }
    return {};
}

QString CMainWnd::exportSelectedProfile(CQuellonUSBDevice* device, const QString& path)
{
    ui::CDeviceProfileUI* selector = profileSelectorOf(device);
    if (!selector)
        return noProfiles();
    return selector->exportFile(path) ? QString() : QStringLiteral("%1 could not be written").arg(path);
}

std::vector<CMainWnd::DpiStageReport> CMainWnd::dpiStages(CQuellonUSBDevice* target) const
{
    std::vector<DpiStageReport> stages;
    auto* device = qobject_cast<CQuellonMouseDevice*>(target);
    if (!device)
        return stages;
    const int current = device->profile().GetCurrentStage();
    const std::vector<DpiStage> stored = device->profile().GetDpiStages();
    for (int i = 0; i < CQuellonMouseDevice::kStageRows && i < static_cast<int>(stored.size()); ++i)
        stages.push_back({device->dpiFromSlider(stored[i].dpiX()), stored[i].active != 0, i == current});
    return stages;
}

QString CMainWnd::setDpiStage(CQuellonUSBDevice* target, int stage, int dpi)
{
    auto* device = qobject_cast<CQuellonMouseDevice*>(target);
    if (!device)
        return noMouse(target);
    if (stage < 1 || stage > CQuellonMouseDevice::kStageRows)
        return QStringLiteral("there is no DPI stage %1").arg(stage);
    const std::optional<std::pair<int, int>> range = device->dpiRange();
    if (!range)
        return QStringLiteral("the mouse has not told its sensor yet");
    if (dpi < range->first || dpi > range->second)
        return QStringLiteral("%1 DPI is outside %2..%3").arg(dpi).arg(range->first).arg(range->second);
    return device->setDpiStage(stage - 1, dpi) ? QString() : QStringLiteral("there is no DPI stage %1").arg(stage);
}

QVariantMap CMainWnd::performanceSettings(CQuellonUSBDevice* device) const
{
    QVariantMap settings;
    if (!device)
        return settings;
    for (const SettingInfo& info : device->settings()) {
        if (const std::optional<int> value = device->setting(info.name))
            settings.insert(QString::fromLatin1(info.name.data(), static_cast<qsizetype>(info.name.size())), *value);
    }
    return settings;
}

QString CMainWnd::setPerformanceSetting(CQuellonUSBDevice* device, const QString& name, int value)
{
    if (!device)
        return QStringLiteral("no device is known");
    const QString kind = device->pageSetup().kindName.toLower();
    switch (device->setSetting(name.toStdString(), value)) {
    case SettingChange::Done:
        return {};
    case SettingChange::ValueRefused:
        return QStringLiteral("%1 cannot be %2 on this %3").arg(name).arg(value).arg(kind);
    case SettingChange::UnknownName:
        break;
    }
    return QStringLiteral("there is no setting named \"%1\" on this %2").arg(name, kind);
}

// Each kind writes its selected profile its own way; a device without profiles has none to write.
QString CMainWnd::applySelectedProfile(CQuellonUSBDevice* device)
{
    if (auto* mouse = qobject_cast<CQuellonMouseDevice*>(device))
        mouse->applyProfileToDevice();
    else if (auto* pad = qobject_cast<CQuellonMousePadDevice*>(device))
        pad->applySelectedProfile();
    else if (auto* keyboard = qobject_cast<CQuellonKeyboardDevice*>(device))
        keyboard->applySelectedProfile();
    else
        return noProfiles();
    return {};
}

// Each event restarts the wait, so a burst of events ends 5 s after its last one.
bool CMainWnd::gameEvent(int field, int value)
{
    auto* device = mouse();
    const bool shown = device && device->showGameLight(field, value);
    if (!m_gameLightTimer) {
        m_gameLightTimer = new QTimer(this);
        m_gameLightTimer->setSingleShot(true);
        connect(m_gameLightTimer, &QTimer::timeout, this, [this] {
            if (CQuellonMouseDevice* target = mouse())
                target->writeSettingsToDevice();
        });
    }
    m_gameLightTimer->start(kGameLightMs);
    return shown;
}

}  // namespace kestrion
