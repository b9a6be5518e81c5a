// devsim: the simulated mouse, mouse pad and headset on the virtual HID transport.

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <mutex>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include "devsim/control_commands.h"
#include "devsim/control_server.h"
#include "devsim/simulator.h"
#include "platform/hid/virtual_folder.h"
#include "platform/paths.h"

namespace {

constexpr const char* kControlName = "devsim.control";

struct Options {
    std::string folder;
    std::vector<devsim::Port> plug;
    std::string logFile;
    bool verbose = false;
};

void printUsage(std::ostream& out)
{
    out << "Usage: devsim [--folder DIR] [--plug cable,receiver,pad,headset,keyboard] [--log FILE] [--verbose]\n"
           "\n"
           "Simulates the Kestrion mouse (by cable 320F:22A4 and through its receiver 320F:226F, one\n"
           "memory behind both), the mouse pad (320F:1004), the headset (0C76:1630) and a keyboard\n"
           "(320F:2B0A, a product no shipped table row matches) as virtual HID\n"
           "interfaces that the tool finds like hardware.\n"
           "\n"
           "  --folder DIR   where the interfaces are published (default: "
        << kestrion::virtualHidDir()
        << ")\n"
           "  --plug LIST    ports to plug at start\n"
           "  --log FILE     append every request, reply and event to FILE\n"
           "  --verbose      the same log on standard error\n"
           "  --help         this text\n"
           "\n"
           "The control socket is DIR/"
        << kControlName << " (stream socket, one command per line).\n"
        << devsim::ControlCommands::reference();
}

// Empty message: go on; "help": print usage and stop with 0; anything else: the error.
std::string parseOptions(int argc, char** argv, Options& options)
{
    options.folder = kestrion::virtualHidDir();
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--help" || arg == "-h")
            return "help";
        if (arg == "--verbose") {
            options.verbose = true;
        } else if (arg == "--folder" && hasValue) {
            options.folder = argv[++i];
        } else if (arg == "--log" && hasValue) {
            options.logFile = argv[++i];
        } else if (arg == "--plug" && hasValue) {
            if (!devsim::parsePortList(argv[++i], options.plug))
                return std::string("unknown port in --plug ") + argv[i];
        } else {
            return "unknown or incomplete option " + arg;
        }
    }
    return {};
}

std::string timestamp()
{
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", local.tm_hour, local.tm_min, local.tm_sec,
                  static_cast<int>(millis));
    return text;
}

// SIGINT and SIGTERM arrive as a readable descriptor, so every thread keeps them blocked.
int signalDescriptor()
{
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    return signalfd(-1, &signals, SFD_CLOEXEC);
}

// Reads commands from standard input until end of input, a signal or a quit command.
void serveUntilStopped(devsim::ControlCommands& commands, int signalFd, int quitFd)
{
    bool stdinOpen = true;
    std::string pending;
    for (;;) {
        std::vector<pollfd> fds = {{signalFd, POLLIN, 0}, {quitFd, POLLIN, 0}};
        if (stdinOpen)
            fds.push_back({STDIN_FILENO, POLLIN, 0});
        if (poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (fds[0].revents != 0 || fds[1].revents != 0)
            return;
        if (!stdinOpen || fds[2].revents == 0)
            continue;
        char buffer[1024];
        const ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer);
        // Without a terminal (started in the background) the control socket still drives it.
        if (n <= 0) {
            stdinOpen = false;
            continue;
        }
        pending.append(buffer, static_cast<std::size_t>(n));
        std::size_t end;
        while ((end = pending.find('\n')) != std::string::npos) {
            const std::string line = pending.substr(0, end);
            pending.erase(0, end + 1);
            std::cout << commands.execute(line) << std::endl;
        }
    }
}

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    const std::string problem = parseOptions(argc, argv, options);
    if (problem == "help") {
        printUsage(std::cout);
        return 0;
    }
    if (!problem.empty()) {
        std::cerr << "devsim: " << problem << "\n";
        printUsage(std::cerr);
        return 2;
    }

    const int signalFd = signalDescriptor();
    const int quitFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (signalFd < 0 || quitFd < 0) {
        std::cerr << "devsim: cannot set up signal handling: " << std::strerror(errno) << "\n";
        return 1;
    }

    std::ofstream logFile;
    if (!options.logFile.empty()) {
        logFile.open(options.logFile, std::ios::app);
        if (!logFile) {
            std::cerr << "devsim: cannot open log file " << options.logFile << "\n";
            return 1;
        }
    }

    // The tool only looks into a folder that is this user's alone; publishing anywhere else would
    // offer devices nobody finds (or hand them to whoever owns the folder).
    std::error_code created;
    if (std::filesystem::create_directories(options.folder, created))
        std::filesystem::permissions(options.folder, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::replace, created);
    if (kestrion::virtualFolderState(options.folder) != kestrion::VirtualFolderState::Usable) {
        std::cerr << "devsim: " << options.folder
                  << " is not a directory of this user's alone (owned by another user, writable by others or a link)\n";
        return 1;
    }

    devsim::Simulator simulator(options.folder);
    std::mutex logMutex;
    if (logFile.is_open() || options.verbose) {
        simulator.setLogSink([&](const std::string& line) {
            std::lock_guard lock(logMutex);
            const std::string stamped = timestamp() + " " + line + "\n";
            if (logFile.is_open())
                logFile << stamped << std::flush;
            if (options.verbose)
                std::cerr << stamped;
        });
    }

    devsim::ControlCommands commands(simulator, [quitFd] {
        const std::uint64_t one = 1;
        [[maybe_unused]] ssize_t written = write(quitFd, &one, sizeof one);
    });
    // The commands keep no state of their own; the simulator serialises what they touch.
    devsim::ControlServer control(options.folder + "/" + kControlName,
                                  [&](const std::string& line) { return commands.execute(line); });

    int status = 0;
    for (devsim::Port port : options.plug) {
        if (!simulator.plug(port)) {
            std::cerr << "devsim: cannot publish " << devsim::portName(port) << " in " << options.folder << "\n";
            status = 1;
        }
    }
    if (status == 0 && !control.start()) {
        std::cerr << "devsim: cannot open the control socket in " << options.folder << "\n";
        status = 1;
    }
    if (status == 0) {
        std::cout << "devsim ready: " << options.folder << " (control socket " << kControlName << ")" << std::endl;
        serveUntilStopped(commands, signalFd, quitFd);
    }

    control.stop();
    for (devsim::Port port : {devsim::Port::Cable, devsim::Port::Receiver, devsim::Port::Pad, devsim::Port::Headset,
                              devsim::Port::Keyboard})
        simulator.unplug(port);
    close(quitFd);
    close(signalFd);
    return status;
}
