#include "devsim/control_commands.h"

#include <optional>
#include <sstream>

#include "devsim/hex_text.h"

namespace devsim {
namespace {

struct ProductName {
    Product product;
    const char* name;
};
constexpr ProductName kProductNames[] = {
    {Product::Mouse, "mouse"}, {Product::Pad, "pad"}, {Product::Headset, "headset"}, {Product::Keyboard, "keyboard"}};

std::vector<std::string> split(const std::string& line)
{
    std::vector<std::string> words;
    std::istringstream in(line);
    std::string word;
    while (in >> word)
        words.push_back(word);
    return words;
}

// Whole-string unsigned numbers: decimal, or hexadecimal with 0x (base 16: always hexadecimal).
std::optional<unsigned long> parseNumber(const std::string& text, int base, unsigned long maximum)
{
    if (text.empty() || text[0] == '-' || text[0] == '+')
        return std::nullopt;
    try {
        std::size_t used = 0;
        const unsigned long value = std::stoul(text, &used, base);
        if (used != text.size() || value > maximum)
            return std::nullopt;
        return value;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

bool parseProduct(const std::string& name, Product& product)
{
    for (const ProductName& entry : kProductNames) {
        if (name == entry.name) {
            product = entry.product;
            return true;
        }
    }
    return false;
}

std::optional<bool> parseSwitch(const std::string& word, const char* on, const char* off)
{
    if (word == on)
        return true;
    if (word == off)
        return false;
    return std::nullopt;
}

std::string usageError(const char* usage)
{
    return std::string("error usage: ") + usage;
}

}  // namespace

bool parsePortList(const std::string& text, std::vector<Port>& ports)
{
    std::istringstream in(text);
    std::string name;
    while (std::getline(in, name, ',')) {
        Port port;
        if (!portFromName(name, port))
            return false;
        ports.push_back(port);
    }
    return !ports.empty();
}

ControlCommands::ControlCommands(Simulator& simulator, std::function<void()> onQuit)
    : m_simulator(simulator), m_onQuit(std::move(onQuit))
{
}

const std::vector<ControlCommands::Command>& ControlCommands::commands()
{
    static const std::vector<Command> table = {
        {"plug", &ControlCommands::plug, "plug cable|receiver|pad|headset|keyboard[,...]"},
        {"unplug", &ControlCommands::unplug, "unplug cable|receiver|pad|headset|keyboard[,...]"},
        {"mouse", &ControlCommands::mouse, "mouse on|off   (the power switch; off: the receiver answers 0xAA)"},
        {"dpi", &ControlCommands::dpi, "dpi   (press the DPI button: next stage, then 0x11nn and 0x0401)"},
        {"click", &ControlCommands::click, "click   (a button click: 0x0403 in the reactive lighting mode)"},
        {"notify", &ControlCommands::notify, "notify cable|receiver|pad|headset|keyboard CODE   (hexadecimal code)"},
        {"battery", &ControlCommands::battery, "battery PERCENT"},
        {"charging", &ControlCommands::charging, "charging on|off"},
        {"info", &ControlCommands::info, "info fresh|corrupt   (load an information block)"},
        {"sensor", &ControlCommands::sensor, "sensor 3395|3325|3104|8925|0070|3950"},
        {"firmware", &ControlCommands::firmware, "firmware VERSION   (hexadecimal, e.g. 0103)"},
        {"keyboard-product", &ControlCommands::keyboardProduct,
         "keyboard-product ID   (hexadecimal; the keyboard's product id from its next plug)"},
        {"fault", &ControlCommands::fault,
         "fault drop|corrupt [N|all] | fault delay MS [N|all] | fault clear   (the next N command replies)"},
        {"latency", &ControlCommands::latency, "latency MS [JITTER]   (every command reply late by MS +- JITTER ms)"},
        {"motion", &ControlCommands::motion, "motion RATE   (mouse motion reports a second on interface 0, up to 8000; 0 stops)"},
        {"typing", &ControlCommands::typing, "typing RATE   (keyboard reports a second on interface 1, up to 8000; 0 stops)"},
        {"dump", &ControlCommands::dump, "dump mouse|pad|headset|keyboard AREA OFFSET LENGTH"},
        {"poke", &ControlCommands::poke, "poke mouse|pad|headset|keyboard AREA OFFSET HEXBYTES..."},
        {"check", &ControlCommands::check, "check macro|shoot   (the event container in that area)"},
        {"headset-reports", &ControlCommands::headsetReports, "headset-reports   (count and last lighting report)"},
        {"status", &ControlCommands::status, "status"},
        {"help", &ControlCommands::help, "help"},
        {"quit", &ControlCommands::quit, "quit   (unplug everything and exit)"},
    };
    return table;
}

std::string ControlCommands::reference()
{
    std::string text = "Control commands (standard input or the control socket, one per line; the reply is one\n"
                       "line starting with \"ok\" or \"error\"):\n";
    for (const Command& command : commands())
        text += std::string("  ") + command.usage + "\n";
    text += "AREA is one of info, settings, keys, keys2, light, frame, macro, shoot, status;\n"
            "OFFSET and LENGTH are decimal or 0x-prefixed hexadecimal.\n";
    return text;
}

std::string ControlCommands::execute(const std::string& line)
{
    const Args words = split(line);
    if (words.empty())
        return "error empty command";
    for (const Command& command : commands()) {
        if (words[0] == command.name)
            return (this->*command.handler)(Args(words.begin() + 1, words.end()));
    }
    return "error unknown command \"" + words[0] + "\" (try help)";
}

std::string ControlCommands::plug(const Args& args)
{
    std::vector<Port> ports;
    if (args.size() != 1 || !parsePortList(args[0], ports))
        return usageError("plug cable|receiver|pad|headset|keyboard[,...]");
    for (Port port : ports) {
        if (!m_simulator.plug(port))
            return std::string("error cannot publish ") + portName(port) + " in " + m_simulator.folder();
    }
    return "ok plugged " + args[0];
}

std::string ControlCommands::unplug(const Args& args)
{
    std::vector<Port> ports;
    if (args.size() != 1 || !parsePortList(args[0], ports))
        return usageError("unplug cable|receiver|pad|headset|keyboard[,...]");
    for (Port port : ports)
        m_simulator.unplug(port);
    return "ok unplugged " + args[0];
}

std::string ControlCommands::mouse(const Args& args)
{
    const std::optional<bool> on = args.size() == 1 ? parseSwitch(args[0], "on", "off") : std::nullopt;
    if (!on)
        return usageError("mouse on|off");
    m_simulator.setMouseOn(*on);
    return "ok mouse " + args[0];
}

std::string ControlCommands::dpi(const Args& args)
{
    if (!args.empty())
        return usageError("dpi");
    return "ok stage " + std::to_string(m_simulator.pressDpiButton());
}

std::string ControlCommands::click(const Args& args)
{
    if (!args.empty())
        return usageError("click");
    return m_simulator.clickButton() ? "ok reactive click sent" : "ok click (not in the reactive mode, nothing sent)";
}

std::string ControlCommands::notify(const Args& args)
{
    Port port;
    const std::optional<unsigned long> code = args.size() == 2 ? parseNumber(args[1], 16, 0xFFFF) : std::nullopt;
    if (!code || !portFromName(args[0], port))
        return usageError("notify cable|receiver|pad|headset|keyboard CODE");
    m_simulator.sendNotification(port, static_cast<std::uint16_t>(*code));
    return "ok notified";
}

std::string ControlCommands::battery(const Args& args)
{
    const std::optional<unsigned long> percent = args.size() == 1 ? parseNumber(args[0], 10, 100) : std::nullopt;
    if (!percent)
        return usageError("battery PERCENT (0 to 100)");
    m_simulator.setBattery(static_cast<int>(*percent));
    return "ok battery " + args[0];
}

std::string ControlCommands::charging(const Args& args)
{
    const std::optional<bool> on = args.size() == 1 ? parseSwitch(args[0], "on", "off") : std::nullopt;
    if (!on)
        return usageError("charging on|off");
    m_simulator.setCharging(*on);
    return "ok charging " + args[0];
}

std::string ControlCommands::info(const Args& args)
{
    const std::optional<bool> fresh = args.size() == 1 ? parseSwitch(args[0], "fresh", "corrupt") : std::nullopt;
    if (!fresh)
        return usageError("info fresh|corrupt");
    if (*fresh)
        m_simulator.loadFreshInfo();
    else
        m_simulator.loadCorruptInfo();
    return "ok info " + args[0];
}

std::string ControlCommands::sensor(const Args& args)
{
    const std::optional<unsigned long> id = args.size() == 1 ? parseNumber(args[0], 16, 0xFFFF) : std::nullopt;
    if (!id || !m_simulator.setSensor(static_cast<std::uint16_t>(*id)))
        return usageError("sensor 3395|3325|3104|8925|0070|3950");
    return "ok sensor " + args[0];
}

std::string ControlCommands::firmware(const Args& args)
{
    const std::optional<unsigned long> version = args.size() == 1 ? parseNumber(args[0], 16, 0xFFFF) : std::nullopt;
    if (!version)
        return usageError("firmware VERSION");
    m_simulator.setFirmwareVersion(static_cast<std::uint16_t>(*version));
    return "ok firmware " + args[0];
}

std::string ControlCommands::keyboardProduct(const Args& args)
{
    const std::optional<unsigned long> id = args.size() == 1 ? parseNumber(args[0], 16, 0xFFFF) : std::nullopt;
    if (!id)
        return usageError("keyboard-product ID");
    m_simulator.setKeyboardProduct(static_cast<std::uint16_t>(*id));
    return "ok keyboard-product " + args[0];
}

std::string ControlCommands::fault(const Args& args)
{
    static const char* kUsage = "fault drop|corrupt [N|all] | fault delay MS [N|all] | fault clear";
    if (args.size() == 1 && args[0] == "clear") {
        m_simulator.clearFaults();
        return "ok faults cleared";
    }
    if (args.empty())
        return usageError(kUsage);
    FaultKind kind;
    std::size_t countAt = 1;
    std::optional<unsigned long> delay = 0;
    if (args[0] == "drop") {
        kind = FaultKind::Drop;
    } else if (args[0] == "corrupt") {
        kind = FaultKind::Corrupt;
    } else if (args[0] == "delay" && args.size() >= 2) {
        kind = FaultKind::Delay;
        delay = parseNumber(args[1], 10, 600000);
        countAt = 2;
    } else {
        return usageError(kUsage);
    }
    if (!delay || args.size() > countAt + 1)
        return usageError(kUsage);
    int count = 1;
    if (args.size() == countAt + 1) {
        const std::optional<unsigned long> n = parseNumber(args[countAt], 10, 1000000);
        if (args[countAt] == "all")
            count = Simulator::kAll;
        else if (n)
            count = static_cast<int>(*n);
        else
            return usageError(kUsage);
    }
    m_simulator.injectFault(kind, count, static_cast<int>(*delay));
    return "ok fault " + args[0];
}

std::string ControlCommands::latency(const Args& args)
{
    static const char* kUsage = "latency MS [JITTER]";
    if (args.empty() || args.size() > 2)
        return usageError(kUsage);
    const std::optional<unsigned long> late = parseNumber(args[0], 0, 600000);
    const std::optional<unsigned long> jitter = args.size() == 2 ? parseNumber(args[1], 0, 600000) : 0;
    if (!late || !jitter)
        return usageError(kUsage);
    m_simulator.setLatency(static_cast<int>(*late), static_cast<int>(*jitter));
    return "ok latency " + std::to_string(*late) + " jitter " + std::to_string(*jitter);
}

std::string ControlCommands::motion(const Args& args)
{
    const std::optional<unsigned long> rate =
        args.size() == 1 ? parseNumber(args[0], 0, Simulator::kMaxInputRate) : std::nullopt;
    if (!rate)
        return usageError("motion RATE   (0 to 8000)");
    m_simulator.setMotionRate(static_cast<int>(*rate));
    return "ok motion " + std::to_string(*rate);
}

std::string ControlCommands::typing(const Args& args)
{
    const std::optional<unsigned long> rate =
        args.size() == 1 ? parseNumber(args[0], 0, Simulator::kMaxInputRate) : std::nullopt;
    if (!rate)
        return usageError("typing RATE   (0 to 8000)");
    m_simulator.setTypingRate(static_cast<int>(*rate));
    return "ok typing " + std::to_string(*rate);
}

std::string ControlCommands::dump(const Args& args)
{
    static const char* kUsage = "dump mouse|pad|headset|keyboard AREA OFFSET LENGTH";
    Product product;
    Area area;
    if (args.size() != 4 || !parseProduct(args[0], product) || !areaFromName(args[1], area))
        return usageError(kUsage);
    const std::optional<unsigned long> offset = parseNumber(args[2], 0, 0xFFFFFF);
    const std::optional<unsigned long> length = parseNumber(args[3], 0, 0xFFFFFF);
    std::vector<std::uint8_t> bytes;
    if (!offset || !length)
        return usageError(kUsage);
    if (!m_simulator.readMemory(product, area, *offset, *length, bytes))
        return "error range outside the " + args[0] + " " + args[1] + " area";
    return "ok " + hexText(bytes);
}

std::string ControlCommands::poke(const Args& args)
{
    static const char* kUsage = "poke mouse|pad|headset|keyboard AREA OFFSET HEXBYTES...";
    Product product;
    Area area;
    if (args.size() < 4 || !parseProduct(args[0], product) || !areaFromName(args[1], area))
        return usageError(kUsage);
    const std::optional<unsigned long> offset = parseNumber(args[2], 0, 0xFFFFFF);
    std::string hex;
    for (std::size_t i = 3; i < args.size(); ++i)
        hex += args[i] + " ";
    const std::optional<std::vector<std::uint8_t>> bytes = parseHexText(hex);
    if (!offset || !bytes)
        return usageError(kUsage);
    if (!m_simulator.writeMemory(product, area, *offset, *bytes))
        return "error range outside the " + args[0] + " " + args[1] + " area";
    return "ok wrote " + std::to_string(bytes->size());
}

std::string ControlCommands::check(const Args& args)
{
    if (args.size() == 1 && args[0] == "macro")
        return "ok " + m_simulator.macroCheck().describe();
    if (args.size() == 1 && args[0] == "shoot")
        return "ok " + m_simulator.shootCheck().describe();
    return usageError("check macro|shoot");
}

std::string ControlCommands::headsetReports(const Args& args)
{
    if (!args.empty())
        return usageError("headset-reports");
    const std::vector<HostReport> reports = m_simulator.headsetLightReports();
    std::string reply = "ok " + std::to_string(m_simulator.headsetLightReportCount());
    if (!reports.empty())
        reply += std::string(" last ") + reports.back().kind + " " + hexText(reports.back().bytes);
    return reply;
}

std::string ControlCommands::status(const Args& args)
{
    if (!args.empty())
        return usageError("status");
    return "ok " + m_simulator.describeState();
}

std::string ControlCommands::help(const Args&)
{
    std::string names;
    for (const Command& command : commands())
        names += std::string(" ") + command.name;
    return "ok commands:" + names;
}

std::string ControlCommands::quit(const Args&)
{
    if (m_onQuit)
        m_onQuit();
    return "ok bye";
}

}  // namespace devsim
