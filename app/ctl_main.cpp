// kestrion-ctl: asks the running Kestrion Config over the session bus, for scripts, launchers
// and keyboard shortcuts.
#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusMetaType>
#include <QDBusReply>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

#include <cstdio>
#include <functional>

#include "shell/bus/config_bus.h"

namespace {

using kestrion::ConfigBus;

enum Exit { kDone = 0, kRefused = 1, kUsage = 2, kNotRunning = 3 };

constexpr const char* kUsageText =
    "Usage: kestrion-ctl [--json] [--device INDEX] COMMAND [ARGUMENTS]\n"
    "Talks to the running Kestrion Config.\n\n"
    "Commands:\n"
    "  devices                  list the devices: index, kind, link, online, battery, name\n"
    "  profiles                 list the device's profiles (* marks the selected one)\n"
    "  profile select NAME      select a profile; the device is set to it\n"
    "  profile export FILE      write the selected profile to FILE\n"
    "  profile import FILE      add the profile in FILE; prints its name\n"
    "  dpi                      list the DPI stages (* marks the current one)\n"
    "  dpi set STAGE DPI        set DPI stage STAGE (1..7) to DPI\n"
    "  settings                 list the performance settings as NAME=VALUE\n"
    "  set NAME VALUE           change one (report-rate, lift-off, debounce, ...)\n"
    "  apply                    write the selected profile to the device again\n"
    "  light-control [on|off]   whether this tool drives the lights; another program may take them\n\n"
    "Options:\n"
    "  --json                   list as JSON\n"
    "  --device INDEX           act on the device of that index (see devices); without it, on the\n"
    "                           mouse, else the first device\n"
    "  -h, --help               show this text\n"
    "  --version                show the version of Kestrion Config\n\n"
    "Exit status: 0 done, 1 refused by the tool, 2 bad usage, 3 the tool is not running.\n";

void print(const QString& text)
{
    std::fputs(qPrintable(text), stdout);
    std::fputc('\n', stdout);
}

void printJson(const QJsonValue& value)
{
    const QJsonDocument document = value.isArray() ? QJsonDocument(value.toArray()) : QJsonDocument(value.toObject());
    std::fputs(document.toJson(QJsonDocument::Indented).constData(), stdout);
}

int usage()
{
    std::fputs(kUsageText, stderr);
    return kUsage;
}

QString objectPath(int device)
{
    return device < 0 ? QLatin1String(ConfigBus::kPath) : QLatin1String(ConfigBus::kDevicePath) + QString::number(device);
}

class Client {
public:
    // `device` -1: the tool's default device.
    Client(bool json, int device)
        : m_json(json), m_tool(QLatin1String(ConfigBus::kService), objectPath(device),
                               QLatin1String(ConfigBus::kInterface), QDBusConnection::sessionBus())
    {
        qDBusRegisterMetaType<QList<QVariantMap>>();
    }

    bool reachable() const { return m_tool.isValid(); }

    // Whether the tool lists a device of that index.
    bool knows(int device)
    {
        QDBusReply<QList<QVariantMap>> reply = m_tool.call(QStringLiteral("ListDevices"));
        if (!reply.isValid())
            return false;
        for (const QVariantMap& row : reply.value()) {
            if (row.value(QStringLiteral("index")).toInt() == device)
                return true;
        }
        return false;
    }

    int devices()
    {
        QDBusReply<QList<QVariantMap>> reply = m_tool.call(QStringLiteral("ListDevices"));
        if (!reply.isValid())
            return refused(reply.error());
        if (m_json)
            return listJson(reply.value());
        for (const QVariantMap& device : reply.value()) {
            const int battery = device.value(QStringLiteral("battery")).toInt();
            print(QStringLiteral("%1%2\t%3\t%4\t%5\t%6\t%7")
                      .arg(device.value(QStringLiteral("index")).toInt())
                      .arg(device.value(QStringLiteral("selected")).toBool() ? QStringLiteral("*") : QString())
                      .arg(device.value(QStringLiteral("kind")).toString(), device.value(QStringLiteral("link")).toString(),
                           device.value(QStringLiteral("online")).toBool() ? QStringLiteral("online")
                                                                            : QStringLiteral("offline"),
                           battery < 0 ? QStringLiteral("-") : QStringLiteral("%1%").arg(battery),
                           device.value(QStringLiteral("name")).toString()));
        }
        return kDone;
    }

    int profiles()
    {
        QDBusReply<QStringList> names = m_tool.call(QStringLiteral("ListProfiles"));
        QDBusReply<QString> selected = m_tool.call(QStringLiteral("SelectedProfile"));
        if (!names.isValid())
            return refused(names.error());
        if (m_json) {
            QJsonArray list;
            for (const QString& name : names.value())
                list.append(QJsonObject{{"name", name}, {"selected", name == selected.value()}});
            printJson(list);
            return kDone;
        }
        for (const QString& name : names.value())
            print((name == selected.value() ? QStringLiteral("* ") : QStringLiteral("  ")) + name);
        return kDone;
    }

    int dpi()
    {
        QDBusReply<QList<QVariantMap>> reply = m_tool.call(QStringLiteral("DpiStages"));
        if (!reply.isValid())
            return refused(reply.error());
        if (m_json)
            return listJson(reply.value());
        for (const QVariantMap& stage : reply.value()) {
            print(QStringLiteral("%1%2\t%3\t%4")
                      .arg(stage.value(QStringLiteral("current")).toBool() ? QStringLiteral("*") : QStringLiteral(" "))
                      .arg(stage.value(QStringLiteral("stage")).toInt())
                      .arg(stage.value(QStringLiteral("dpi")).toInt())
                      .arg(stage.value(QStringLiteral("enabled")).toBool() ? QStringLiteral("on")
                                                                            : QStringLiteral("off")));
        }
        return kDone;
    }

    int settings()
    {
        QDBusReply<QVariantMap> reply = m_tool.call(QStringLiteral("Settings"));
        if (!reply.isValid())
            return refused(reply.error());
        if (m_json) {
            printJson(QJsonObject::fromVariantMap(reply.value()));
            return kDone;
        }
        const QVariantMap values = reply.value();
        for (auto it = values.begin(); it != values.end(); ++it)
            print(it.key() + QLatin1Char('=') + it.value().toString());
        return kDone;
    }

    int lightControl()
    {
        QDBusReply<bool> reply = m_tool.call(QStringLiteral("LightControl"));
        if (!reply.isValid())
            return refused(reply.error());
        print(reply.value() ? QStringLiteral("on") : QStringLiteral("off"));
        return kDone;
    }

    // A call whose only answer is done or refused; a text reply is printed.
    int call(const QString& method, const QVariantList& arguments)
    {
        const QDBusMessage reply = m_tool.callWithArgumentList(QDBus::Block, method, arguments);
        if (reply.type() == QDBusMessage::ErrorMessage)
            return refused(QDBusError(reply));
        if (!reply.arguments().isEmpty() && reply.arguments().first().typeId() == QMetaType::QString)
            print(reply.arguments().first().toString());
        return kDone;
    }

private:
    int listJson(const QList<QVariantMap>& rows)
    {
        QJsonArray list;
        for (const QVariantMap& row : rows)
            list.append(QJsonObject::fromVariantMap(row));
        printJson(list);
        return kDone;
    }

    static int refused(const QDBusError& error)
    {
        std::fprintf(stderr, "kestrion-ctl: %s\n", qPrintable(error.message()));
        return kRefused;
    }

    bool m_json;
    QDBusInterface m_tool;
};

// Decimal, or hexadecimal after "0x" or "#" (a colour as #RRGGBB).
bool toNumber(const QString& text, int& number)
{
    bool ok = false;
    if (text.startsWith(QLatin1Char('#')))
        number = text.mid(1).toInt(&ok, 16);
    else if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        number = text.mid(2).toInt(&ok, 16);
    else
        number = text.toInt(&ok);
    return ok;
}

int run(Client& client, const QStringList& words)
{
    const QString command = words.value(0);
    const QStringList rest = words.mid(1);
    int first = 0, second = 0;
    if (command == QLatin1String("devices") && rest.isEmpty())
        return client.devices();
    if (command == QLatin1String("profiles") && rest.isEmpty())
        return client.profiles();
    if (command == QLatin1String("dpi") && rest.isEmpty())
        return client.dpi();
    if (command == QLatin1String("settings") && rest.isEmpty())
        return client.settings();
    if (command == QLatin1String("apply") && rest.isEmpty())
        return client.call(QStringLiteral("ApplyProfile"), {});
    if (command == QLatin1String("light-control") && rest.isEmpty())
        return client.lightControl();
    if (command == QLatin1String("light-control") && rest.size() == 1 &&
        (rest[0] == QLatin1String("on") || rest[0] == QLatin1String("off")))
        return client.call(QStringLiteral("SetLightControl"), {rest[0] == QLatin1String("on")});
    if (command == QLatin1String("profile") && rest.size() == 2) {
        if (rest[0] == QLatin1String("select"))
            return client.call(QStringLiteral("SelectProfile"), {rest[1]});
        // The tool runs elsewhere: a file named here is named from here.
        const QString file = QFileInfo(rest[1]).absoluteFilePath();
        if (rest[0] == QLatin1String("export"))
            return client.call(QStringLiteral("ExportProfile"), {file});
        if (rest[0] == QLatin1String("import"))
            return client.call(QStringLiteral("ImportProfile"), {file});
    }
    if (command == QLatin1String("dpi") && rest.size() == 3 && rest[0] == QLatin1String("set") &&
        toNumber(rest[1], first) && toNumber(rest[2], second))
        return client.call(QStringLiteral("SetDpiStage"), {first, second});
    if (command == QLatin1String("set") && rest.size() == 2 && toNumber(rest[1], first))
        return client.call(QStringLiteral("SetSetting"), {rest[0], first});
    return usage();
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList words = app.arguments().mid(1);
    if (words.isEmpty() || words.contains(QLatin1String("-h")) || words.contains(QLatin1String("--help"))) {
        std::fputs(kUsageText, words.isEmpty() ? stderr : stdout);
        return words.isEmpty() ? kUsage : kDone;
    }
    if (words == QStringList{QStringLiteral("--version")}) {
        std::puts("kestrion-ctl " KESTRION_VERSION);
        return kDone;
    }
    const bool json = words.removeAll(QStringLiteral("--json")) > 0;
    int device = -1;
    if (const qsizetype at = words.indexOf(QStringLiteral("--device")); at >= 0) {
        if (!toNumber(words.value(at + 1), device) || device < 0)
            return usage();
        words.remove(at, 2);
    }
    Client tool(json, -1);
    if (!tool.reachable()) {
        std::fputs("kestrion-ctl: Kestrion Config is not running on this session bus\n", stderr);
        return kNotRunning;
    }
    if (device < 0)
        return run(tool, words);
    Client client(json, device);
    if (!tool.knows(device)) {
        std::fprintf(stderr, "kestrion-ctl: there is no device %d (see kestrion-ctl devices)\n", device);
        return kRefused;
    }
    return run(client, words);
}
