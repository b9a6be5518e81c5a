// Key capture through a real X server: Xvfb with its XTEST extension, driven by xdotool, in front
// of the tool's window over devsim. Without an X server the tests skip and say why.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

#include <csignal>
#include <cstdlib>
#include <poll.h>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "editors/key_function.h"
#include "shell/main_window/window_fixture.h"

namespace kestrion {
namespace {

using test::waitFor;

constexpr int kServerStartMs = 10000;

// Xvfb on a display it chooses, and the test's application on it. The server ends with the test
// process (it is told to when its parent goes), after the application's connection to it.
class XServer : public testing::Environment {
public:
    void SetUp() override
    {
        for (const char* program : {"Xvfb", "xdotool"}) {
            if (QStandardPaths::findExecutable(QString::fromLatin1(program)).isEmpty()) {
                missing() = std::string(program) + " is not installed";
                return;
            }
        }
        const int display = startServer();
        if (display < 0) {
            missing() = "Xvfb did not start";
            return;
        }
        const std::string name = ":" + std::to_string(display);
        setenv("DISPLAY", name.c_str(), 1);
        setenv("QT_QPA_PLATFORM", "xcb", 1);
        static int argc = 1;
        static char program[] = "key_capture_x11_test";
        static char* argv[] = {program, nullptr};
        // Kept for the life of the process, as the other test binaries keep theirs.
        static QApplication* app = new QApplication(argc, argv);
        static_cast<void>(app);
    }

    static std::string& missing()
    {
        static std::string reason;
        return reason;
    }

private:
    // The display number Xvfb reports on a pipe once it accepts connections; -1 when it does not.
    static int startServer()
    {
        int pipeEnds[2];
        if (pipe(pipeEnds) != 0)
            return -1;
        const pid_t child = fork();
        if (child == 0) {
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            close(pipeEnds[0]);
            const std::string fd = std::to_string(pipeEnds[1]);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x800x24", "-nolisten", "tcp",
                   static_cast<char*>(nullptr));
            _exit(127);
        }
        close(pipeEnds[1]);
        std::string text;
        pollfd reader{pipeEnds[0], POLLIN, 0};
        char buffer[16];
        while (text.find('\n') == std::string::npos && poll(&reader, 1, kServerStartMs) > 0) {
            const ssize_t count = read(pipeEnds[0], buffer, sizeof buffer);
            if (count <= 0)
                break;
            text.append(buffer, static_cast<std::size_t>(count));
        }
        close(pipeEnds[0]);
        if (child > 0 && text.empty()) {
            kill(child, SIGTERM);
            waitpid(child, nullptr, 0);
        }
        return child > 0 && !text.empty() ? std::atoi(text.c_str()) : -1;
    }
};

const auto* const kServer = testing::AddGlobalTestEnvironment(new XServer);

class KeyCaptureOnX11 : public test::Application {
protected:
    void SetUp() override
    {
        if (!XServer::missing().empty())
            GTEST_SKIP() << "no X server for the key capture test: " << XServer::missing();
        Application::SetUp();
    }


    // xdotool sends the keys through the server's XTEST extension to the window with the focus.
    static void press(const char* keys)
    {
        ASSERT_EQ(QProcess::execute(QStringLiteral("xdotool"), {"key", "--delay", "30", keys}), 0) << keys;
    }

    KeyCode keyCode(int key)
    {
        const KeyRecord record = window.mouse()->profile().GetKeyList()[static_cast<std::size_t>(key)].current;
        return {record.type, record.param1, record.param2};
    }

    bool keyBecomes(int key, KeyCode code)
    {
        return waitFor([&] { return keyCode(key) == code; }, 3000);
    }
};

TEST_F(KeyCaptureOnX11, KeysPressedOnTheServerAreCapturedAndSwallowed)
{
    ASSERT_TRUE(start());
    sim.command("plug cable");
    ASSERT_TRUE(mouseOnline(true));
    ASSERT_TRUE(waitFor([&] { return window.mouse()->dpiRange().has_value(); }));
    window.activate();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QTest::mouseClick(find("key_Op_tab"), Qt::LeftButton);
    QTest::mouseClick(find("key_4"), Qt::LeftButton);
    auto* functions = find<QComboBox>("keyset_function_combo");
    functions->setCurrentIndex(functions->findData(KeyPage::Keyboard));
    emit functions->activated(functions->currentIndex());
    auto* keyEdit = find<QLineEdit>("keyset_keyboard_text_edit");
    QTest::mouseClick(keyEdit, Qt::LeftButton);
    ASSERT_TRUE(window.inputCapture().isActive());
    ASSERT_FALSE(window.inputCapture().isPaused());
    QSignalSpy exits(&window, &CMainWnd::exitRequested);

    // Right Shift with S: one modifier, always as its left-side bit, and the key by its position.
    press("Shift_R+s");
    EXPECT_TRUE(keyBecomes(4, {0x20, 0x02, 0x16})) << int(keyCode(4).p1) << " " << int(keyCode(4).p2);
    EXPECT_EQ(keyEdit->text(), real.language.text("keyboard_key_S"));

    // Ctrl+Q would end the tool and Escape would hide the window: both are taken as keys instead.
    press("ctrl+q");
    EXPECT_TRUE(keyBecomes(4, {0x20, 0x01, 0x14}));
    press("Escape");
    EXPECT_TRUE(keyBecomes(4, {0x20, 0x01, 0x29}));
    press("KP_Enter");
    EXPECT_TRUE(keyBecomes(4, {0x20, 0x01, 0x58}));
    QTest::qWait(100);
    EXPECT_EQ(exits.count(), 0);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(keyEdit->text(), real.language.text("keyboard_key_Num Enter"));

    // Leaving the key edit ends the capture.
    QTest::mouseClick(find("key_butt_keycancel"), Qt::LeftButton);
    EXPECT_TRUE(waitFor([&] { return !window.inputCapture().isActive(); }));
}

}  // namespace
}  // namespace kestrion
