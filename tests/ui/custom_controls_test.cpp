#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

#include "ui/device_key_button.h"
#include "ui/qt_app.h"
#include "ui/select_panel.h"
#include "support/temp_dir.h"

namespace kestrion::test {
namespace {

void mouse(QWidget* target, QEvent::Type type, QPoint at, Qt::MouseButtons held)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(at), target->mapToGlobal(QPointF(at)), button, held, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

void drag(QWidget* panel, QPoint from, QPoint to)
{
    mouse(panel, QEvent::MouseButtonPress, from, Qt::LeftButton);
    mouse(panel, QEvent::MouseMove, to, Qt::LeftButton);
    mouse(panel, QEvent::MouseButtonRelease, to, Qt::NoButton);
}

class SelectPanelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        panel.resize(300, 300);
        for (int i = 0; i < 3; ++i) {
            keys[i] = new ui::CDeviceKeyButtonUI(&panel);
            keys[i]->setGeometry(20 + 100 * i, 20, 40, 20);
        }
        panel.show();
    }

    QtApp app;
    ui::CSelectPanelUI panel;
    ui::CDeviceKeyButtonUI* keys[3] = {};
};

TEST_F(SelectPanelTest, DragSelectsExactlyTheButtonsItTouches)
{
    QSignalSpy ended(&panel, &ui::CSelectPanelUI::selectEnd);
    // Drawn from bottom right to top left: the rectangle is normalised.
    drag(&panel, QPoint(150, 100), QPoint(50, 30));
    EXPECT_EQ(ended.count(), 1);
    EXPECT_TRUE(keys[0]->isKeySelected());
    EXPECT_TRUE(keys[1]->isKeySelected());
    EXPECT_FALSE(keys[2]->isKeySelected());
    EXPECT_FALSE(panel.isDragging());
    EXPECT_EQ(panel.selectionRect(), QRect(QPoint(50, 30), QPoint(150, 100)));

    drag(&panel, QPoint(210, 10), QPoint(290, 60));
    EXPECT_FALSE(keys[0]->isKeySelected());
    EXPECT_FALSE(keys[1]->isKeySelected());
    EXPECT_TRUE(keys[2]->isKeySelected());
}

TEST_F(SelectPanelTest, DragOverNoButtonClearsTheSelectionAndStillEnds)
{
    keys[0]->setKeySelected(true);
    QSignalSpy ended(&panel, &ui::CSelectPanelUI::selectEnd);
    drag(&panel, QPoint(10, 200), QPoint(280, 290));
    EXPECT_EQ(ended.count(), 1);
    for (auto* key : keys)
        EXPECT_FALSE(key->isKeySelected());
}

TEST_F(SelectPanelTest, MovesWithoutAPressSelectNothing)
{
    QSignalSpy ended(&panel, &ui::CSelectPanelUI::selectEnd);
    mouse(&panel, QEvent::MouseMove, QPoint(50, 30), Qt::NoButton);
    mouse(&panel, QEvent::MouseButtonRelease, QPoint(50, 30), Qt::NoButton);
    EXPECT_EQ(ended.count(), 0);
    EXPECT_FALSE(keys[0]->isKeySelected());
}

TEST(DeviceKeyButton, DoubleClickReportsOnlyWhenEnabled)
{
    ensureQtApp();
    ui::CDeviceKeyButtonUI key;
    key.resize(60, 24);
    key.show();
    QSignalSpy doubled(&key, &ui::CDeviceKeyButtonUI::doubleClicked);
    QTest::mouseDClick(&key, Qt::LeftButton);
    EXPECT_EQ(doubled.count(), 1);
    key.setEnabled(false);
    QTest::mouseDClick(&key, Qt::LeftButton);
    EXPECT_EQ(doubled.count(), 1);
}

QImage solid(QColor colour)
{
    QImage image(8, 8, QImage::Format_ARGB32);
    image.fill(colour);
    return image;
}

// The light image shows while the light flag is set; the key-set image while the key-image
// flag is clear (both start the other way).
TEST(DeviceKeyButton, OverlaysFollowTheirFlags)
{
    ensureQtApp();
    test::TempDir folder;
    const QString light = QString::fromStdString(folder.file("light.png"));
    const QString keySet = QString::fromStdString(folder.file("keyset.png"));
    ASSERT_TRUE(solid(Qt::red).save(light));
    ASSERT_TRUE(solid(Qt::blue).save(keySet));

    ui::CDeviceKeyButtonUI key;
    key.setFlat(true);
    key.resize(40, 20);
    key.setLightImage(light);
    key.setKeySetImage(keySet);
    EXPECT_FALSE(key.lightFlag());
    EXPECT_TRUE(key.keyImageFlag());
    const QPoint centre(20, 10);
    auto centreColour = [&] { return key.grab().toImage().pixelColor(centre); };

    const QColor plain = centreColour();
    EXPECT_NE(plain, QColor(Qt::red));
    EXPECT_NE(plain, QColor(Qt::blue));
    key.setLightFlag(true);
    EXPECT_EQ(centreColour(), QColor(Qt::red));
    key.setKeyImageFlag(false);
    EXPECT_EQ(centreColour(), QColor(Qt::blue));
    key.setLightFlag(false);
    key.setKeyImageFlag(true);
    EXPECT_EQ(centreColour(), plain);
}

// The LED is drawn over the button's look whether that look is opaque under it (the LED is then
// a child of its own) or not, and follows every new colour.
TEST(DeviceKeyButton, LedShowsEachNewColourOverAnyLook)
{
    ensureQtApp();
    for (const char* look : {"QPushButton { background: #202020; border: none; }",
                             "QPushButton { background: transparent; border: none; }"}) {
        QWidget holder;
        holder.resize(40, 40);
        holder.setStyleSheet("background: #00ff00;");
        auto* key = new ui::CDeviceKeyButtonUI(&holder);
        key->setStyleSheet(look);
        key->setGeometry(10, 10, 20, 20);
        holder.show();
        const QPoint centre(20, 20);
        const QPoint corner(11, 11);
        const QColor cornerBefore = holder.grab().toImage().pixelColor(corner);
        key->setLightColour(QColor(255, 0, 0));
        QImage image = holder.grab().toImage();
        EXPECT_EQ(image.pixelColor(centre), QColor(Qt::red)) << look;
        EXPECT_EQ(image.pixelColor(corner), cornerBefore) << look;
        key->setLightColour(QColor(0, 0, 255));
        EXPECT_EQ(holder.grab().toImage().pixelColor(centre), QColor(Qt::blue)) << look;
        key->setLightColour(QColor(0, 0, 255, 0));
        EXPECT_NE(holder.grab().toImage().pixelColor(centre), QColor(Qt::blue)) << look;
    }
}

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++count;
        return false;
    }
};

// A preview frame repaints the LED alone, even where the button is transparent under it, and a
// dim LED is blended over what the window shows there.
TEST(DeviceKeyButton, NewColourRepaintsTheLedAloneOverWhatLiesUnderIt)
{
    ensureQtApp();
    QWidget holder;
    holder.resize(40, 40);
    holder.setStyleSheet("background: #00ff00;");
    auto* key = new ui::CDeviceKeyButtonUI(&holder);
    key->setStyleSheet("QPushButton { background: transparent; border: none; }");
    key->setGeometry(10, 10, 20, 20);
    holder.show();
    key->setLightColour(QColor(255, 0, 0));
    QTest::qWait(50);

    PaintCounter holderPaints;
    PaintCounter keyPaints;
    holder.installEventFilter(&holderPaints);
    key->installEventFilter(&keyPaints);
    key->setLightColour(QColor(255, 0, 0, 128));
    QTest::qWait(50);
    EXPECT_EQ(holderPaints.count, 0);
    EXPECT_EQ(keyPaints.count, 0);

    const QColor shown = holder.grab().toImage().pixelColor(20, 20);
    EXPECT_NEAR(shown.red(), 128, 2);
    EXPECT_NEAR(shown.green(), 127, 2);
    EXPECT_EQ(shown.blue(), 0);
}

}  // namespace
}  // namespace kestrion::test
