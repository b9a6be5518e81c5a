#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSlider>
#include <QTest>

#include <algorithm>
#include <vector>

#include "ui/device_key_button.h"
#include "ui/main_window_sink.h"
#include "ui/notification_bridge.h"
#include "ui/qt_app.h"
#include "ui/select_panel.h"

namespace kestrion::test {
namespace {

struct Recorded {
    QString type;
    QString sender;
    bool operator==(const Recorded&) const = default;
};

void PrintTo(const Recorded& r, std::ostream* out)
{
    *out << r.type.toStdString() << "/" << r.sender.toStdString();
}

class RecordingSink : public ui::MainWindowSink {
public:
    void notify(const ui::UiNotification& n) override { seen.push_back({n.type, n.sender}); }
    void sendMessage(std::uint32_t, std::intptr_t, std::intptr_t) override {}
    void showNotice(const QString&, std::optional<int>) override {}
    bool ask(const QString&) override { return false; }
    void askLater(const QString&, std::function<void(bool)> answered) override { answered(false); }
    std::vector<Recorded> seen;
};

class NotificationBridgeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        page = buildMousePage(real);
        ASSERT_NE(page, nullptr);
        bridge.attach(page.get());
        page->show();
    }

    template <typename T>
    T* find(const char* name)
    {
        auto* control = page->findChild<T*>(name);
        EXPECT_NE(control, nullptr) << name;
        return control;
    }

    RealSkin real;
    RecordingSink sink;
    ui::NotificationBridge bridge{sink};
    std::unique_ptr<QWidget> page;
};

TEST_F(NotificationBridgeTest, ClicksOnButtonsAndOptionsAreReportedByKind)
{
    QTest::mouseClick(find<QAbstractButton>("default_btn"), Qt::LeftButton);
    QTest::mouseClick(find<QAbstractButton>("DPI_enable_check_3"), Qt::LeftButton);
    QTest::mouseClick(find<QAbstractButton>("deng_Op_tab"), Qt::LeftButton);
    QTest::mouseClick(find<QAbstractButton>("key_4"), Qt::LeftButton);
    const std::vector<Recorded> expected{
        {"click", "default_btn"},
        {"selectchanged", "DPI_enable_check_3"},
        {"selectchanged", "deng_Op_tab"},
        {"click", "key_4"},
    };
    EXPECT_EQ(sink.seen, expected);
}

TEST_F(NotificationBridgeTest, ValuesSetByCodeAreNotReported)
{
    find<QSlider>("DPI_slider_0")->setValue(100);
    find<QComboBox>("ble_sleep1_combo")->setCurrentIndex(3);
    find<QAbstractButton>("Ripple_option_1")->setChecked(true);
    find<QLineEdit>("DPI_edit_0")->setText("5000");
    QApplication::processEvents();
    EXPECT_TRUE(sink.seen.empty());
}

TEST_F(NotificationBridgeTest, SliderStepsAndDragsReportTheirValues)
{
    auto* slider = find<QSlider>("DPI_slider_2");
    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_Right);
    QApplication::processEvents();
    ASSERT_EQ(sink.seen, (std::vector<Recorded>{{"valuechanged", "DPI_slider_2"}}));

    sink.seen.clear();
    slider->setSliderDown(true);
    slider->setSliderPosition(slider->value() + 5);
    slider->setSliderDown(false);
    QApplication::processEvents();
    const std::vector<Recorded> expected{{"movevaluechanged", "DPI_slider_2"}, {"valuechanged", "DPI_slider_2"}};
    EXPECT_EQ(sink.seen, expected);
}

TEST_F(NotificationBridgeTest, ComboChoicesAndEditFocusAreReported)
{
    auto* combo = find<QComboBox>("Anti_Shake_combo_timeSelect");
    emit combo->activated(1);
    auto* edit = find<QLineEdit>("DPI_edit_4");
    page->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(page.get()));
    edit->setFocus();
    QTest::keyClicks(edit, "9");
    find<QLineEdit>("DPI_edit_5")->setFocus();
    const std::vector<Recorded> expected{
        {"itemselect", "Anti_Shake_combo_timeSelect"},
        {"setfocus", "DPI_edit_4"},
        {"textchanged", "DPI_edit_4"},
        {"killfocus", "DPI_edit_4"},
        {"setfocus", "DPI_edit_5"},
    };
    EXPECT_EQ(sink.seen, expected);
}

TEST_F(NotificationBridgeTest, KeyPanelReportsSelectionEndAndDoubleClicks)
{
    auto* panel = find<ui::CSelectPanelUI>("mouse_device_key_light");
    QTest::mouseDClick(find<ui::CDeviceKeyButtonUI>("key_1"), Qt::LeftButton);
    const QPoint at(2, panel->height() - 2);
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), panel->mapToGlobal(QPointF(at)), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(at), panel->mapToGlobal(QPointF(at)), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(panel, &press);
    QApplication::sendEvent(panel, &release);
    ASSERT_FALSE(sink.seen.empty());
    EXPECT_TRUE(std::find(sink.seen.begin(), sink.seen.end(), Recorded{"dbclick", "key_1"}) != sink.seen.end());
    EXPECT_EQ(sink.seen.back(), (Recorded{"click_select_end", "mouse_device_key_light"}));
}

}  // namespace
}  // namespace kestrion::test
