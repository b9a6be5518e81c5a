#pragma once

#include <functional>
#include <string>
#include <vector>

#include "devsim/simulator.h"

namespace devsim {

// The line protocol that drives a simulator: one command per line, one reply line starting
// with "ok" or "error". Shared by standard input and the control socket.
class ControlCommands {
public:
    ControlCommands(Simulator& simulator, std::function<void()> onQuit);

    std::string execute(const std::string& line);
    // The command reference, several lines, for --help.
    static std::string reference();

private:
    using Args = std::vector<std::string>;
    using Handler = std::string (ControlCommands::*)(const Args&);
    struct Command {
        const char* name;
        Handler handler;
        const char* usage;
    };
    static const std::vector<Command>& commands();

    std::string plug(const Args& args);
    std::string unplug(const Args& args);
    std::string mouse(const Args& args);
    std::string dpi(const Args& args);
    std::string click(const Args& args);
    std::string notify(const Args& args);
    std::string battery(const Args& args);
    std::string charging(const Args& args);
    std::string info(const Args& args);
    std::string sensor(const Args& args);
    std::string firmware(const Args& args);
    std::string keyboardProduct(const Args& args);
    std::string fault(const Args& args);
    std::string latency(const Args& args);
    std::string motion(const Args& args);
    std::string typing(const Args& args);
    std::string dump(const Args& args);
    std::string poke(const Args& args);
    std::string check(const Args& args);
    std::string headsetReports(const Args& args);
    std::string status(const Args& args);
    std::string help(const Args& args);
    std::string quit(const Args& args);

    Simulator& m_simulator;
    std::function<void()> m_onQuit;
};

// Parses "cable,receiver" into ports; false on an unknown name.
bool parsePortList(const std::string& text, std::vector<Port>& ports);

}  // namespace devsim
