#pragma once

#include <QDBusContext>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

#include <functional>
#include <memory>
#include <vector>

class QDBusConnection;

namespace kestrion {

class CMainWnd;
class CQuellonUSBDevice;

// The running tool on the session bus: what a script, a launcher or another program may ask of
// it and change. Each change goes through the main window, as a click on its page would.
// The object at kPath acts on the default device (the mouse, else the first); one object per
// known device at kDevicePath<index> acts on that device, with the same interface.
// Documented in docs/dbus-interface.md; a change of meaning takes a new interface name.
class ConfigBus : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kestrion.Config1")
public:
    static constexpr const char* kService = "org.kestrion.Config";
    static constexpr const char* kPath = "/org/kestrion/Config";
    static constexpr const char* kDevicePath = "/org/kestrion/Config/devices/";
    static constexpr const char* kInterface = "org.kestrion.Config1";
    static constexpr const char* kInvalidArgument = "org.kestrion.Config1.Error.InvalidArgument";
    static constexpr const char* kFailed = "org.kestrion.Config1.Error.Failed";

    explicit ConfigBus(CMainWnd& window, QObject* parent = nullptr);
    ~ConfigBus() override;

    // Takes the well-known name and publishes the object, and one per device as the window comes
    // to know it; false (and nothing published) when the bus is absent or the name is taken.
    bool publish(QDBusConnection connection);

public slots:
    Q_SCRIPTABLE QList<QVariantMap> ListDevices();
    Q_SCRIPTABLE QStringList ListProfiles();
    Q_SCRIPTABLE QString SelectedProfile();
    Q_SCRIPTABLE void SelectProfile(const QString& name);
    Q_SCRIPTABLE void ExportProfile(const QString& path);
    Q_SCRIPTABLE QString ImportProfile(const QString& path);
    Q_SCRIPTABLE QList<QVariantMap> DpiStages();
    Q_SCRIPTABLE void SetDpiStage(int stage, int dpi);
    Q_SCRIPTABLE QVariantMap Settings();
    Q_SCRIPTABLE void SetSetting(const QString& name, int value);
    Q_SCRIPTABLE void ApplyProfile();
    // Another program takes the lights (false) or gives them back (true).
    Q_SCRIPTABLE void SetLightControl(bool on);
    Q_SCRIPTABLE bool LightControl();
    // A game's events: field 0 the light mode, 1 the colour 0xRRGGBB, 2 the brightness, shown
    // for 5 s after the last event.
    Q_SCRIPTABLE void GameStart(int field, int value);
    Q_SCRIPTABLE void GameEnd(int field, int value);
    Q_SCRIPTABLE void GameKill(int field, int value);
    Q_SCRIPTABLE void GameDeath(int field, int value);
    // The block a factory tool asks for: the tool's version and its device models.
    Q_SCRIPTABLE QByteArray FactoryInfo();
    // The audio companion's data blocks (kestrion-audio): levels (1) and loudness (2).
    Q_SCRIPTABLE Q_NOREPLY void AudioData(int id, const QByteArray& block);

signals:
    // Whether this tool drives the lights: when published and at every change.
    Q_SCRIPTABLE void LightControlState(bool on);

private:
    // The object of the device at `index`.
    ConfigBus(CMainWnd& window, int index);
    void publishDevice(int index);
    // The device the calls act on; null when there is none.
    CQuellonUSBDevice* target() const;
    // Sends the caller an error for a non-empty reason.
    void answer(const QString& failure, const char* errorName = kInvalidArgument);
    // Runs a change on the target device: refused, or made but not kept in the profile document
    // (a failure: the change would be gone at the next start), it answers with an error.
    void answerChange(const std::function<QString(CQuellonUSBDevice*)>& change);
    void gameEvent(int field, int value);

    CMainWnd& m_window;
    const int m_index = -1;  // the device named by the path; -1 for the default device
    QString m_connection;    // the bus it is published on; empty while it is not
    std::vector<std::unique_ptr<ConfigBus>> m_deviceObjects;
};

}  // namespace kestrion

