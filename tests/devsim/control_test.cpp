#include <gtest/gtest.h>

#include <atomic>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "devsim/control_commands.h"
#include "devsim/control_server.h"
#include "devsim/seqpacket_client.h"
#include "devsim/simulator.h"
#include "support/temp_dir.h"

extern char** environ;

namespace devsim {
namespace {

bool eventually(const std::function<bool()>& condition)
{
    for (int i = 0; i < 2500 && !condition(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    return condition();
}

// A line client of the control socket.
class ControlClient {
public:
    explicit ControlClient(const std::string& path)
    {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        path.copy(address.sun_path, sizeof address.sun_path - 1);
        m_fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (connect(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            close(m_fd);
            m_fd = -1;
        }
    }
    ~ControlClient()
    {
        if (m_fd >= 0)
            close(m_fd);
    }
    bool connected() const { return m_fd >= 0; }
    void sendText(const std::string& text)
    {
        ASSERT_EQ(send(m_fd, text.data(), text.size(), MSG_NOSIGNAL), ssize_t(text.size()));
    }
    // The next reply line, or "<none>" when nothing complete arrives.
    std::string readLine()
    {
        for (;;) {
            const std::size_t end = m_buffer.find('\n');
            if (end != std::string::npos) {
                const std::string line = m_buffer.substr(0, end);
                m_buffer.erase(0, end + 1);
                return line;
            }
            pollfd fd{m_fd, POLLIN, 0};
            char chunk[512];
            if (poll(&fd, 1, 3000) <= 0)
                return "<none>";
            const ssize_t n = recv(m_fd, chunk, sizeof chunk, 0);
            if (n <= 0)
                return "<closed>";
            m_buffer.append(chunk, static_cast<std::size_t>(n));
        }
    }
    std::string ask(const std::string& line)
    {
        sendText(line + "\n");
        return readLine();
    }

private:
    int m_fd = -1;
    std::string m_buffer;
};

class ControlTest : public testing::Test {
protected:
    ControlTest()
    {
        std::filesystem::create_directories(folder());
        EXPECT_TRUE(server.start());
    }
    std::string folder() const { return dir.path() + "/vhid"; }
    bool published(const char* stem) const { return std::filesystem::exists(folder() + "/" + stem + ".json"); }

    kestrion::test::TempDir dir;
    Simulator sim{folder()};
    std::atomic<bool> quitAsked = false;
    ControlCommands commands{sim, [this] { quitAsked = true; }};
    ControlServer server{
        folder() + "/devsim.control", [this](const std::string& line) { return commands.execute(line); }};
};

TEST_F(ControlTest, CommandsChangeTheSimulatorAndReplyOnOneLine)
{
    ControlClient client(folder() + "/devsim.control");
    ASSERT_TRUE(client.connected());
    struct Case {
        const char* line;
        const char* reply;
    };
    const std::vector<Case> cases = {
        {"plug cable,pad", "ok plugged cable,pad"},
        {"dump mouse info 0 2", "ok AA 55"},
        {"poke mouse settings 0x81 09 1f", "ok wrote 2"},
        {"dump mouse settings 129 2", "ok 09 1F"},
        {"battery 42", "ok battery 42"},
        {"dump mouse status 0 2", "ok 2A 00"},
        {"sensor 8925", "ok sensor 8925"},
        {"dump mouse info 9 2", "ok 25 89"},
        {"info corrupt", "ok info corrupt"},
        {"dump mouse info 0 2", "ok 34 12"},
        {"firmware 0103", "ok firmware 0103"},
        {"mouse off", "ok mouse off"},
        {"fault delay 250 all", "ok fault delay"},
        {"latency 20 5", "ok latency 20 jitter 5"},
        {"motion 1000", "ok motion 1000"},
        {"typing 8000", "ok typing 8000"},
        {"status", "ok cable=1 receiver=0 pad=1 headset=0 keyboard=0 mouse=off battery=42 charging=0 firmware=0103 "
                   "sensor=8925 fault=delay latency=20 jitter=5 motion=1000 typing=8000"},
        {"motion 0", "ok motion 0"},
        {"typing 0", "ok typing 0"},
        {"latency 0", "ok latency 0 jitter 0"},
        {"fault clear", "ok faults cleared"},
        {"check macro", "ok empty"},
        {"dpi", "ok stage 2"},
        {"headset-reports", "ok 0"},
        {"unplug pad", "ok unplugged pad"},
        {"keyboard-product 0000", "ok keyboard-product 0000"},
        {"plug keyboard", "ok plugged keyboard"},
        {"dump keyboard info 5 1", "ok 68"},
        // Errors say what went wrong and change nothing.
        {"", "error empty command"},
        {"fly", "error unknown command \"fly\" (try help)"},
        {"plug cable,moon", "error usage: plug cable|receiver|pad|headset|keyboard[,...]"},
        {"battery 101", "error usage: battery PERCENT (0 to 100)"},
        {"motion 8001", "error usage: motion RATE   (0 to 8000)"},
        {"latency fast", "error usage: latency MS [JITTER]"},
        {"battery -1", "error usage: battery PERCENT (0 to 100)"},
        {"sensor 1234", "error usage: sensor 3395|3325|3104|8925|0070|3950"},
        {"dump mouse info 30 10", "error range outside the mouse info area"},
        {"dump pad keys 0 3", "error range outside the pad keys area"},
        {"poke mouse info 0 GG", "error usage: poke mouse|pad|headset|keyboard AREA OFFSET HEXBYTES..."},
        {"keyboard-product 10000", "error usage: keyboard-product ID"},
        {"fault delay soon", "error usage: fault drop|corrupt [N|all] | fault delay MS [N|all] | fault clear"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(client.ask(c.line), c.reply) << c.line;

    EXPECT_TRUE(published("devsim-mouse-wired-if1"));
    EXPECT_FALSE(published("devsim-pad-if1"));
    EXPECT_EQ(sim.commandPath(devsim::Port::Keyboard), "vhid:devsim-keyboard-if1#vid_320f&pid_0000&mi_01&col04")
        << "the product the shipped keyboard rows name";
    EXPECT_EQ(sim.firmwareVersion(), 0x0103);
    EXPECT_FALSE(sim.mouseOn());
    EXPECT_EQ(sim.settingsPage(1)[1], 0x09);
}

TEST_F(ControlTest, LinesMayArriveInPiecesOrTogether)
{
    ControlClient client(folder() + "/devsim.control");
    client.sendText("dump mouse in");
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    client.sendText("fo 0 1\r\nbattery 5\nbattery 6\n");
    EXPECT_EQ(client.readLine(), "ok AA");
    EXPECT_EQ(client.readLine(), "ok battery 5");
    EXPECT_EQ(client.readLine(), "ok battery 6");

    EXPECT_EQ(client.ask("quit"), "ok bye");
    EXPECT_TRUE(quitAsked);
}

TEST_F(ControlTest, AnEndlessLineClosesTheConnection)
{
    ControlClient client(folder() + "/devsim.control");
    client.sendText(std::string(5000, 'x'));
    EXPECT_EQ(client.readLine(), "error line too long");
    EXPECT_EQ(client.readLine(), "<closed>");
    // Others are still served.
    EXPECT_EQ(ControlClient(folder() + "/devsim.control").ask("charging on"), "ok charging on");
}

// The devsim program, run as its own process.
class DevsimProcess {
public:
    explicit DevsimProcess(std::vector<std::string> args)
    {
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0)
            return;
        m_stdin = fds[1];
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[0], STDIN_FILENO);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        args.insert(args.begin(), DEVSIM_PROGRAM);
        std::vector<char*> argv;
        for (std::string& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        if (posix_spawn(&m_pid, DEVSIM_PROGRAM, &actions, nullptr, argv.data(), environ) != 0)
            m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(fds[0]);
    }
    ~DevsimProcess()
    {
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
        if (m_stdin >= 0)
            close(m_stdin);
    }
    bool running() const { return m_pid > 0; }
    void signal(int number) { kill(m_pid, number); }
    void writeStdin(const std::string& text)
    {
        ASSERT_EQ(write(m_stdin, text.data(), text.size()), ssize_t(text.size()));
    }
    // The exit status, or -1 when the process did not end within about five seconds.
    int waitForExit()
    {
        for (int i = 0; i < 500; ++i) {
            int status = 0;
            if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return -1;
    }

private:
    pid_t m_pid = -1;
    int m_stdin = -1;
};

class ProgramTest : public testing::Test {
protected:
    std::string folder() const { return dir.path() + "/vhid"; }
    std::string control() const { return folder() + "/devsim.control"; }
    kestrion::test::TempDir dir;
};

TEST_F(ProgramTest, SignalsUnpublishEverything)
{
    for (int number : {SIGTERM, SIGINT}) {
        DevsimProcess devsim({"--folder", folder(), "--plug", "cable,receiver"});
        ASSERT_TRUE(devsim.running());
        ASSERT_TRUE(eventually([&] { return std::filesystem::exists(control()); }));
        ControlClient client(control());
        EXPECT_EQ(client.ask("plug headset"), "ok plugged headset");
        EXPECT_TRUE(std::filesystem::exists(folder() + "/devsim-mouse-receiver-if1.sock"));
        EXPECT_TRUE(std::filesystem::exists(folder() + "/devsim-headset-if3.json"));

        devsim.signal(number);
        EXPECT_EQ(devsim.waitForExit(), 0);
        EXPECT_TRUE(std::filesystem::is_empty(folder())) << "signal " << number;
    }
}

TEST_F(ProgramTest, QuitFromStandardInputOrTheControlSocket)
{
    {
        DevsimProcess devsim({"--folder", folder(), "--plug", "pad"});
        ASSERT_TRUE(eventually([&] { return std::filesystem::exists(control()); }));
        devsim.writeStdin("unplug pad\nquit\n");
        EXPECT_EQ(devsim.waitForExit(), 0);
        EXPECT_TRUE(std::filesystem::is_empty(folder()));
    }
    DevsimProcess devsim({"--folder", folder()});
    ASSERT_TRUE(eventually([&] { return std::filesystem::exists(control()); }));
    ControlClient client(control());
    EXPECT_EQ(client.ask("plug cable"), "ok plugged cable");
    EXPECT_EQ(client.ask("quit"), "ok bye");
    EXPECT_EQ(devsim.waitForExit(), 0);
    EXPECT_TRUE(std::filesystem::is_empty(folder()));
}

TEST_F(ProgramTest, LogsRequestsAndRepliesToAFile)
{
    const std::string log = dir.file("devsim.log");
    DevsimProcess devsim({"--folder", folder(), "--log", log});
    ASSERT_TRUE(eventually([&] { return std::filesystem::exists(control()); }));
    ControlClient client(control());
    EXPECT_EQ(client.ask("plug cable"), "ok plugged cable");
    EXPECT_EQ(client.ask("dpi"), "ok stage 2");
    test::SeqpacketClient link(folder() + "/devsim-mouse-wired-if1.sock");
    EXPECT_TRUE(link.transact(test::commandPacket(0x01)));
    devsim.signal(SIGTERM);
    EXPECT_EQ(devsim.waitForExit(), 0);
    const std::string text = kestrion::test::readFile(log);
    EXPECT_NE(text.find("plugged cable"), std::string::npos) << text;
    EXPECT_NE(text.find("devsim-mouse-wired-if0 notification 03 20 11"), std::string::npos) << text;
    EXPECT_NE(text.find("devsim-mouse-wired-if1 O request 04 01 00 01 00"), std::string::npos) << text;
    EXPECT_NE(text.find("devsim-mouse-wired-if1 O reply 04 01 00 01 00"), std::string::npos) << text;
}

TEST_F(ProgramTest, HelpAndBadOptions)
{
    DevsimProcess help({"--help"});
    EXPECT_EQ(help.waitForExit(), 0);
    DevsimProcess bad({"--plug", "moon"});
    EXPECT_EQ(bad.waitForExit(), 2);
    DevsimProcess unknown({"--frobnicate"});
    EXPECT_EQ(unknown.waitForExit(), 2);
}

}  // namespace
}  // namespace devsim
