#pragma once

// The application window over devsim running as its own process, driven through its command line.
#include <gtest/gtest.h>

#include <QAbstractSlider>
#include <QElapsedTimer>
#include <QProcess>
#include <QSlider>

#include <optional>
#include <string>
#include <vector>

#include "devices/mouse_device.h"
#include "pages/mouse_view.h"
#include "profiles/program_folders.h"
#include "shell/main_window/main_window.h"
#include "ui/device_option.h"
#include "ui/qt_app.h"

namespace kestrion::test {

inline constexpr std::size_t kFirstStageByte = 14;
inline constexpr std::size_t kStageSize = 9;

inline void pause(int ms)
{
    waitFor([] { return false; }, ms);
}

// devsim as a child process; commands go to its standard input, one reply line each.
class SimulatorProcess {
public:
    SimulatorProcess()
    {
        m_process.setProgram(QStringLiteral(KESTRION_DEVSIM));
        m_process.start();
        m_started = m_process.waitForStarted(5000) && waitForLine("devsim ready").has_value();
    }
    ~SimulatorProcess()
    {
        if (m_process.state() != QProcess::NotRunning) {
            command("quit");
            if (!m_process.waitForFinished(3000))
                m_process.kill();
            m_process.waitForFinished(3000);
        }
    }
    bool started() const { return m_started; }

    std::string command(const std::string& line)
    {
        m_process.write(QByteArray::fromStdString(line + "\n"));
        m_process.waitForBytesWritten(1000);
        return waitForLine("").value_or("<no reply>");
    }

    // Bytes of a memory area, from the hexadecimal dump reply.
    std::vector<int> dump(const std::string& area, int offset, int length, const std::string& device = "mouse")
    {
        const std::string reply =
            command("dump " + device + " " + area + " " + std::to_string(offset) + " " + std::to_string(length));
        std::vector<int> bytes;
        for (const QString& word : QString::fromStdString(reply).split(' ', Qt::SkipEmptyParts)) {
            bool ok = false;
            const int value = word.toInt(&ok, 16);
            if (ok && word.size() == 2)
                bytes.push_back(value);
        }
        return bytes;
    }

private:
    std::optional<std::string> waitForLine(const std::string& prefix)
    {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 5000) {
            while (m_process.canReadLine()) {
                const std::string line = m_process.readLine().trimmed().toStdString();
                if (line.rfind(prefix, 0) == 0)
                    return line;
            }
            m_process.waitForReadyRead(100);
        }
        return std::nullopt;
    }

    QProcess m_process;
    bool m_started = false;
};

// The window over a simulator that starts with nothing plugged.
class Application : public testing::Test {
protected:
    void SetUp() override
    {
        setProgramDataDir(KESTRION_SOURCE_ROOT "/DefaultData");
        ASSERT_TRUE(sim.started());
        window.setPromptHandler([this](const QString&, const QString& text) {
            prompts.push_back(text.toStdString());
            return promptAnswer;
        });
    }

    bool start()
    {
        bool shown = false;
        QObject::connect(&window, &CMainWnd::firstPassDone, [&shown] { shown = true; });
        return window.initWindow() && waitFor([&] { return shown; }, 5000);
    }

    // A control of the window by name; a missing one fails the test.
    template <typename T = QWidget>
    T* find(const char* name) const
    {
        T* found = window.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    bool mouseOnline(bool online, int timeoutMs = 3000)
    {
        return waitFor([&] { return window.entry(0) && window.entry(0)->isOnline() == online; }, timeoutMs);
    }

    // The mouse behind its receiver shown asleep (still listed) or awake.
    bool mouseAsleep(bool asleep, int timeoutMs = 3000)
    {
        return waitFor([&] { return window.entry(0) && window.entry(0)->isAsleep() == asleep; }, timeoutMs);
    }

    int stageOnDevice(int stage)
    {
        const std::vector<int> bytes = sim.dump("settings", kFirstStageByte + stage * kStageSize + 2, 2);
        return bytes.size() == 2 ? bytes[0] | bytes[1] << 8 : -1;
    }

    // The mouse's page, once the window built it.
    MouseView* mouseView() const { return qobject_cast<MouseView*>(window.viewOf(window.mouse())); }

    // Moves a stage's slider as the user does, one step with the keyboard.
    int stepSlider(int stage)
    {
        auto* slider = mouseView()->content()->findChild<QSlider*>("DPI_slider_" + QString::number(stage));
        slider->triggerAction(slider->value() < slider->maximum() ? QAbstractSlider::SliderSingleStepAdd
                                                                   : QAbstractSlider::SliderSingleStepSub);
        return slider->value();
    }

    test::QtApp app;
    test::RealSkin real;
    SimulatorProcess sim;
    ui::UiResources resources{real.skin, real.factory, real.language};
    CMainWnd window{resources};
    std::vector<std::string> prompts;
    int promptAnswer = 0;
};

}  // namespace kestrion::test
