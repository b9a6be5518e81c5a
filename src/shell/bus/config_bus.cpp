#include "shell/bus/config_bus.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMetaType>

#include <filesystem>

#include "platform/diagnostics.h"
#include "shell/device_manager/device_models.h"
#include "shell/main_window/main_window.h"

namespace kestrion {
namespace {

// An export goes to an absolute path, replacing a regular file at most: the tool's working folder
// means nothing to the caller, and a device, a FIFO, a folder or a link is nothing to overwrite.
QString exportRefusal(const QString& path)
{
    const std::filesystem::path target(path.toStdString());
    if (!target.is_absolute())
        return QStringLiteral("%1 is not an absolute path").arg(path);
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::symlink_status(target, error);
    if (!error && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status))
        return QStringLiteral("%1 is not a regular file; it is left alone").arg(path);
    return {};
}

}  // namespace

ConfigBus::ConfigBus(CMainWnd& window, QObject* parent) : QObject(parent), m_window(window)
{
    qDBusRegisterMetaType<QList<QVariantMap>>();
    connect(&m_window, &CMainWnd::lightControlChanged, this, &ConfigBus::LightControlState);
}

ConfigBus::ConfigBus(CMainWnd& window, int index) : m_window(window), m_index(index) {}

ConfigBus::~ConfigBus()
{
    if (m_connection.isEmpty())
        return;
    QDBusConnection connection(m_connection);
    connection.unregisterObject(QLatin1String(kPath), QDBusConnection::UnregisterTree);
    connection.unregisterService(QLatin1String(kService));
}

CQuellonUSBDevice* ConfigBus::target() const
{
    return m_index < 0 ? m_window.scriptDevice() : m_window.deviceAt(m_index);
}

void ConfigBus::publishDevice(int index)
{
    auto object = std::unique_ptr<ConfigBus>(new ConfigBus(m_window, index));
    QDBusConnection connection(m_connection);
    if (connection.registerObject(QLatin1String(kDevicePath) + QString::number(index), object.get(),
                                  QDBusConnection::ExportScriptableSlots))
        m_deviceObjects.push_back(std::move(object));
}

bool ConfigBus::publish(QDBusConnection connection)
{
    if (!connection.isConnected())
        return false;
    if (!connection.registerService(QLatin1String(kService))) {
        debugTrace("D-Bus: the service name is taken");
        return false;
    }
    if (!connection.registerObject(QLatin1String(kPath), this,
                                   QDBusConnection::ExportScriptableSlots | QDBusConnection::ExportScriptableSignals)) {
        connection.unregisterService(QLatin1String(kService));
        return false;
    }
    m_connection = connection.name();
    for (int index = 0; index < m_window.deviceCount(); ++index)
        publishDevice(index);
    connect(&m_window, &CMainWnd::deviceCreated, this, &ConfigBus::publishDevice);
    emit LightControlState(m_window.lightControl());
    return true;
}

void ConfigBus::answer(const QString& failure, const char* errorName)
{
    if (!failure.isEmpty() && calledFromDBus())
        sendErrorReply(QLatin1String(errorName), failure);
}

void ConfigBus::answerChange(const std::function<QString(CQuellonUSBDevice*)>& change)
{
    CQuellonUSBDevice* device = target();
    const unsigned failedBefore = device ? device->failedSaves() : 0;
    const QString refused = change(device);
    if (!refused.isEmpty())
        answer(refused);
    else if (device && device->failedSaves() != failedBefore)
        answer(QStringLiteral("the change reached the device, but the profile document could not be written"), kFailed);
}

QList<QVariantMap> ConfigBus::ListDevices()
{
    QList<QVariantMap> devices;
    for (const CMainWnd::DeviceReport& report : m_window.deviceReports()) {
        devices.append({{QStringLiteral("index"), report.index},
                        {QStringLiteral("name"), report.name},
                        {QStringLiteral("kind"), report.kind},
                        {QStringLiteral("link"), report.link},
                        {QStringLiteral("online"), report.online},
                        {QStringLiteral("selected"), report.selected},
                        {QStringLiteral("battery"), report.battery},
                        {QStringLiteral("power"), report.power}});
    }
    return devices;
}

QStringList ConfigBus::ListProfiles()
{
    return m_window.profileNamesOf(target());
}

QString ConfigBus::SelectedProfile()
{
    const CQuellonUSBDevice* device = target();
    return m_window.profileNamesOf(device).value(m_window.selectedProfileOf(device));
}

void ConfigBus::SelectProfile(const QString& name)
{
    answerChange([&](CQuellonUSBDevice* device) { return m_window.selectProfileNamed(device, name); });
}

void ConfigBus::ExportProfile(const QString& path)
{
    if (const QString refused = exportRefusal(path); !refused.isEmpty()) {
        answer(refused);
        return;
    }
    answer(m_window.exportSelectedProfile(target(), path), kFailed);
}

QString ConfigBus::ImportProfile(const QString& path)
{
    QString name;
    answer(m_window.importProfileFrom(target(), path, &name));
    return name;
}

QList<QVariantMap> ConfigBus::DpiStages()
{
    QList<QVariantMap> stages;
    int number = 1;
    for (const CMainWnd::DpiStageReport& stage : m_window.dpiStages(target())) {
        stages.append({{QStringLiteral("stage"), number++},
                       {QStringLiteral("dpi"), stage.dpi},
                       {QStringLiteral("enabled"), stage.enabled},
                       {QStringLiteral("current"), stage.current}});
    }
    return stages;
}

void ConfigBus::SetDpiStage(int stage, int dpi)
{
    answerChange([&](CQuellonUSBDevice* device) { return m_window.setDpiStage(device, stage, dpi); });
}

QVariantMap ConfigBus::Settings()
{
    return m_window.performanceSettings(target());
}

void ConfigBus::SetSetting(const QString& name, int value)
{
    answerChange([&](CQuellonUSBDevice* device) { return m_window.setPerformanceSetting(device, name, value); });
}

void ConfigBus::ApplyProfile()
{
    answer(m_window.applySelectedProfile(target()), kFailed);
}

void ConfigBus::SetLightControl(bool on)
{
    m_window.setLightControl(on);
}

bool ConfigBus::LightControl()
{
    return m_window.lightControl();
}

void ConfigBus::gameEvent(int field, int value)
{
    if (!m_window.gameEvent(field, value))
        answer(QStringLiteral("no mouse can show field %1 as %2").arg(field).arg(value));
}

void ConfigBus::GameStart(int field, int value)
{
    gameEvent(field, value);
}

void ConfigBus::GameEnd(int field, int value)
{
    gameEvent(field, value);
}

void ConfigBus::GameKill(int field, int value)
{
    gameEvent(field, value);
}

void ConfigBus::GameDeath(int field, int value)
{
    gameEvent(field, value);
}

QByteArray ConfigBus::FactoryInfo()
{
    const auto block = factoryToolBlock();
    return QByteArray(reinterpret_cast<const char*>(block.data()), static_cast<qsizetype>(block.size()));
}

void ConfigBus::AudioData(int id, const QByteArray& block)
{
    if (calledFromDBus())
        m_window.audioData(message().service(), id, block);
}

}  // namespace kestrion
