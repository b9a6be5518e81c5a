// Recording a macro from real input: an X server (Xvfb) with its test extension, keys and clicks
// sent by xdotool, the page over the window's input capture as the main window wires it.
#include "pages/macro_control.h"
#include "platform/input_capture.h"
#include "profiles/json_file.h"
#include "support/temp_dir.h"
#include "ui/qt_app.h"

#include <QApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QProcess>
#include <QVBoxLayout>

#include <filesystem>
#include <gtest/gtest.h>

namespace kestrion {
namespace {

constexpr int kUsageA = 0x04;
constexpr int kUsageB = 0x05;
constexpr int kModifierLeftShift = 0x02;

// An X server of its own on a free display, stopped with the test.
class XServer {
public:
    XServer()
    {
        m_process.setProgram(QStringLiteral("Xvfb"));
        m_process.setArguments({"-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"});
        m_process.start();
        if (!m_process.waitForStarted(3000))
            return;
        QByteArray display;
        while (!display.contains('\n') && m_process.waitForReadyRead(5000))
            display += m_process.readAllStandardOutput();
        m_display = display.trimmed();
    }
    ~XServer()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(3000))
            m_process.kill();
        m_process.waitForFinished(3000);
    }
    bool started() const { return !m_display.isEmpty(); }
    QByteArray display() const { return ":" + m_display; }

private:
    QProcess m_process;
    QByteArray m_display;
};

// The application on that server: made once, as the X11 platform cannot change afterwards.
QApplication* startApplication(const QByteArray& display)
{
    if (QApplication::instance())
        return qobject_cast<QApplication*>(QApplication::instance());
    qputenv("DISPLAY", display);
    qputenv("QT_QPA_PLATFORM", "xcb");
    static int argc = 1;
    static char name[] = "macro_x11_test";
    static char* argv[] = {name, nullptr};
    return new QApplication(argc, argv);
}

bool xdotool(const QByteArray& display, const QStringList& arguments)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("DISPLAY", QString::fromLatin1(display));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral("xdotool"), arguments);
    if (!process.waitForStarted(3000))
        return false;
    // The window reads its events meanwhile, so that the recorder sees them when they happen.
    if (QApplication::instance())
        test::waitFor([&] { return process.state() == QProcess::NotRunning; }, 10000);
    else
        process.waitForFinished(10000);
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

QStringList clickAt(const QPoint& point)
{
    return {"mousemove", QString::number(point.x()), QString::number(point.y()), "click", "1"};
}

QPoint centreOf(const QWidget& widget)
{
    return widget.mapToGlobal(widget.rect().center());
}

TEST(MacroRecordingOnX11, KeysWithShiftAClickAndAHeldKeyAreRecordedAndTheStopClickIsNot)
{
    if (QApplication::instance() == nullptr && !QFile::exists(QLibraryInfo::path(QLibraryInfo::PluginsPath)
                                                               + "/platforms/libqxcb.so"))
        GTEST_SKIP() << "no X11 platform plugin for Qt";
    XServer server;
    if (!server.started())
        GTEST_SKIP() << "no X server could be started (Xvfb)";
    if (!xdotool(server.display(), {"version"}))
        GTEST_SKIP() << "xdotool is not installed";
    startApplication(server.display());
    ASSERT_EQ(QApplication::platformName(), "xcb");

    test::RealSkin real;
    test::TempDir dir;
    const std::filesystem::path folder = dir.file("mouse");
    std::filesystem::create_directory(folder);

    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    QWidget* root = real.skin.build("XML\\CustomControlXML\\MacroControl.xml", real.factory, &window);
    ASSERT_NE(root, nullptr);
    layout->addWidget(root);
    window.resize(700, 420);
    MacroPageHooks hooks;
    hooks.ask = [](const QString&) { return true; };
    CMacroControlUI page(*root, folder, &real.language, hooks);
    InputCapture capture;
    QObject::connect(&page, &CMacroControlUI::captureRequested,
                     [&](int mode) { capture.start(static_cast<CaptureMode>(mode), &window); });
    QObject::connect(&page, &CMacroControlUI::recordingFinished, [&] { capture.stop(); });
    QObject::connect(&capture, &InputCapture::captured,
                     [&](CaptureMode, const CapturedInput& input) { page.recordCaptured(input); });
    window.show();
    window.activateWindow();
    ASSERT_TRUE(test::waitFor([&] { return window.isActiveWindow(); }, 5000));
    page.addMacro();
    ASSERT_EQ(page.library().count(), 1);

    auto* start = root->findChild<QWidget*>("macro_btn_starredio");
    auto* stop = root->findChild<QWidget*>("macro_btn_stopredio");
    auto* list = root->findChild<QWidget*>("macro_action_list");
    ASSERT_TRUE(xdotool(server.display(), clickAt(centreOf(*start))));
    ASSERT_TRUE(test::waitFor([&] { return page.isRecording() && capture.isActive(); }));

    const QByteArray display = server.display();
    ASSERT_TRUE(xdotool(display, {"keydown", "shift", "key", "a", "keyup", "shift"}));
    ASSERT_TRUE(xdotool(display, clickAt(centreOf(*list))));
    ASSERT_TRUE(xdotool(display, {"keydown", "b", "sleep", "1", "keyup", "b"}));
    ASSERT_TRUE(test::waitFor([&] { return page.rows().count() >= 8; }, 3000)) << page.rows().count();
    ASSERT_TRUE(test::waitFor([&] { return stop->isVisible(); }));
    ASSERT_TRUE(xdotool(display, clickAt(centreOf(*stop))));
    ASSERT_TRUE(test::waitFor([&] { return !page.isRecording(); }, 3000));
    EXPECT_FALSE(capture.isActive());

    const Json::Value events = LoadJsonFile(page.library().macroPath(0).string())["Events"];
    struct Expected {
        int type;
        int button;
        const char* action;
    };
    const Expected expected[] = {
        {9, kModifierLeftShift, "down"}, {10, kUsageA, "down"}, {10, kUsageA, "up"}, {9, kModifierLeftShift, "up"},
        {1, 0x01, "down"},               {1, 0x01, "up"},       {10, kUsageB, "down"}, {10, kUsageB, "up"},
    };
    ASSERT_EQ(events.size(), std::size(expected)) << events.toStyledString();
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const Json::Value& event = events[static_cast<Json::ArrayIndex>(i)];
        EXPECT_EQ(event["Type"].asInt(), expected[i].type) << i;
        EXPECT_EQ(event["Button"].asInt(), expected[i].button) << i;
        EXPECT_EQ(event["Action"].asString(), expected[i].action) << i;
        const int delay = std::stoi(event["Delay"].asString());
        EXPECT_GE(delay, 10) << i;
        EXPECT_LE(delay, 65535) << i;
    }
    EXPECT_GE(std::stoi(events[6]["Delay"].asString()), 900) << "the held key's press lasts until its release";
}

}  // namespace
}  // namespace kestrion
