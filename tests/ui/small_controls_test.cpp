#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

#include "ui/audio_record.h"
#include "ui/chart_view.h"
#include "ui/circle_progress.h"
#include "ui/control_factory.h"
#include "ui/hand_img_button.h"
#include "ui/hand_img_select_button.h"
#include "ui/qt_app.h"
#include "ui/redio_macro_button.h"
#include "ui/wnd_host.h"

namespace kestrion::test {
namespace {

struct FactoryRow {
    const char* element;
    const char* controlClass;
    const char* metaClass;
};

constexpr FactoryRow kFactoryRows[] = {
    {"HandImgButton", "HandImgButton", "kestrion::ui::CHandImgButtonUI"},
    {"HandImgSelectButton", "HandImgSelectButton", "kestrion::ui::CHandImgSelectButtonUI"},
    {"RedioMacroButton", "RedioMacroButton", "kestrion::ui::CRedioMacroButtonUI"},
    {"CircleProgress", "CircleProgress", "kestrion::ui::CCircleProgressUI"},
    {"AudioRecord", "AudioRecord", "kestrion::ui::CAudioRecordUI"},
    {"CWndUI", "Wnd", "kestrion::ui::CWndUI"},
    {"CChartViewUI", "ChartView", "kestrion::ui::CChartViewUI"},
    {"credioMacroButtonUI", "RedioMacroButton", "kestrion::ui::CRedioMacroButtonUI"},
};

TEST(SmallControls, FactoryBuildsEachByElementNameWithItsObjectName)
{
    ensureQtApp();
    ui::ControlFactory factory;
    for (const auto& row : kFactoryRows) {
        std::unique_ptr<QWidget> widget(factory.createWidget(row.element, nullptr, "made"));
        ASSERT_NE(widget, nullptr) << row.element;
        EXPECT_STREQ(widget->metaObject()->className(), row.metaClass) << row.element;
        EXPECT_EQ(widget->property("controlClass").toString(), row.controlClass) << row.element;
        EXPECT_EQ(widget->objectName(), "made");
    }
}

void release(QWidget* target, QPoint at)
{
    QTest::mousePress(target, Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseRelease(target, Qt::LeftButton, Qt::NoModifier, at);
}

void hover(QWidget* target, QPoint at)
{
    QEnterEvent enter(QPointF(at), target->mapToGlobal(QPointF(at)), target->mapToGlobal(QPointF(at)));
    QApplication::sendEvent(target, &enter);
}

// The delete mark sits 30 from the right and 29 from the bottom; a release there deletes and is
// not also a click, and only while hovered and deletable.
TEST(HandImgButton, ReleaseOnTheMarkDeletesInsteadOfClicking)
{
    ensureQtApp();
    ui::CHandImgButtonUI tile;
    tile.resize(100, 80);
    tile.show();
    EXPECT_EQ(tile.deleteRect(), QRect(70, 51, 20, 20));
    QSignalSpy deleted(&tile, &ui::CHandImgButtonUI::deleteClicked);
    QSignalSpy clicked(&tile, &QAbstractButton::clicked);
    QSignalSpy entered(&tile, &ui::CHandImgButtonUI::mouseEntered);
    hover(&tile, QPoint(75, 55));
    EXPECT_EQ(entered.count(), 1);
    EXPECT_TRUE(tile.isDeleteHot());

    release(&tile, QPoint(75, 55));
    EXPECT_EQ(deleted.count(), 1);
    EXPECT_EQ(clicked.count(), 0);
    release(&tile, QPoint(10, 10));
    EXPECT_EQ(clicked.count(), 1);

    tile.setDeletable(false);
    release(&tile, QPoint(75, 55));
    EXPECT_EQ(deleted.count(), 1);
    EXPECT_EQ(clicked.count(), 2);
}

class HandImgSelectButtonTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        picture.resize(50, 40);
        picture.show();
    }

    void pan(QPoint from, QPoint to)
    {
        QTest::mousePress(&picture, Qt::LeftButton, Qt::NoModifier, from);
        QMouseEvent move(QEvent::MouseMove, QPointF(to), picture.mapToGlobal(QPointF(to)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&picture, &move);
        QTest::mouseRelease(&picture, Qt::LeftButton, Qt::NoModifier, to);
    }

    QtApp app;
    ui::CHandImgSelectButtonUI picture;
};

TEST_F(HandImgSelectButtonTest, PansInsideTheLargerPicture)
{
    picture.setHandPixmap(QPixmap(200, 100));
    EXPECT_EQ(picture.sourceRect(), QRect(0, 0, 50, 40));
    pan(QPoint(30, 30), QPoint(10, 20));
    EXPECT_EQ(picture.sourceRect(), QRect(20, 10, 50, 40));
    EXPECT_FALSE(picture.isPanning());
    // Far beyond the edges: the visible part stops at the picture's corners.
    pan(QPoint(40, 35), QPoint(-500, -500));
    EXPECT_EQ(picture.sourceRect(), QRect(150, 60, 50, 40));
    pan(QPoint(0, 0), QPoint(900, 900));
    EXPECT_EQ(picture.sourceRect(), QRect(0, 0, 50, 40));
}

TEST_F(HandImgSelectButtonTest, SmallerPictureIsDrawnWholeAndDoesNotPan)
{
    picture.setHandPixmap(QPixmap(30, 20));
    pan(QPoint(30, 30), QPoint(0, 0));
    EXPECT_EQ(picture.sourceRect(), QRect(0, 0, 30, 20));
}

TEST(HandImgSelectButton, CursorNamesMapToPointers)
{
    ensureQtApp();
    ui::CHandImgSelectButtonUI picture;
    picture.setCursorName("hand");
    EXPECT_EQ(picture.cursor().shape(), Qt::PointingHandCursor);
    picture.setCursorName("SIZEWE");
    EXPECT_EQ(picture.cursor().shape(), Qt::SizeHorCursor);
    picture.setCursorName("nonsense");
    EXPECT_EQ(picture.cursor().shape(), Qt::ArrowCursor);
}

TEST(RedioMacroButton, PulseFadesDownToEightyAndBackUpTo255)
{
    ensureQtApp();
    ui::CRedioMacroButtonUI record;
    std::vector<int> fades;
    for (int tick = 0; tick < 20; ++tick) {
        record.stepPulse();
        fades.push_back(record.fade());
    }
    const std::vector<int> expected{235, 215, 195, 175, 155, 135, 115, 95, 80, 100,
                                    120, 140, 160, 180, 200, 220, 240, 255, 235, 215};
    EXPECT_EQ(fades, expected);
    record.startPulse();
    EXPECT_TRUE(record.isPulsing());
    record.stopPulse();
    EXPECT_FALSE(record.isPulsing());
    EXPECT_EQ(record.fade(), 255);
}

QImage render(QWidget& widget)
{
    return widget.grab().toImage();
}

// Centre white; the ring shows the foreground where the slice reaches and the background beyond.
TEST(CircleProgress, RingShowsTheDoneShareFromTheBottomClockwise)
{
    ensureQtApp();
    ui::CCircleProgressUI ring;
    ring.resize(100, 100);
    ring.setRange(0, 100);
    ring.setBackgroundColour(Qt::blue);
    ring.setForegroundColour(Qt::red);
    const QPoint bottomLeft(20, 80), topRight(80, 20), centre(50, 50);

    ring.setValue(50);
    EXPECT_DOUBLE_EQ(ring.spanDegrees(), 180);
    QImage half = render(ring);
    EXPECT_EQ(half.pixelColor(centre), QColor(Qt::white));
    EXPECT_EQ(half.pixelColor(bottomLeft), QColor(Qt::red));
    EXPECT_EQ(half.pixelColor(topRight), QColor(Qt::blue));

    ring.setValue(100);
    QImage full = render(ring);
    EXPECT_EQ(full.pixelColor(bottomLeft), QColor(Qt::red));
    EXPECT_EQ(full.pixelColor(topRight), QColor(Qt::red));
    EXPECT_EQ(full.pixelColor(centre), QColor(Qt::white));
}

TEST(AudioRecord, KeepsTheNewestFiveHundredLevelsAndDrawsThemToScale)
{
    ensureQtApp();
    ui::CAudioRecordUI trace;
    trace.resize(40, 80);
    for (int i = 0; i < 600; ++i)
        trace.addLevel(i);
    ASSERT_EQ(trace.levels().size(), 500u);
    EXPECT_EQ(trace.levels().front(), 100);

    trace.clearLevels();
    trace.addLevel(8192);  // full height at x 0
    trace.addLevel(4096);  // half height at x 2
    trace.addLevel(99999); // clamped to full at x 4
    const QImage image = render(trace);
    EXPECT_EQ(image.pixelColor(0, 0), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(1, 79), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(2, 41), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(2, 38), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(4, 0), QColor(Qt::black));
}

TEST(WndHost, AttachedWindowFollowsGeometryAndVisibility)
{
    ensureQtApp();
    QWidget top;
    top.resize(300, 200);
    auto* host = new ui::CWndUI(&top);
    host->setGeometry(40, 30, 100, 50);
    auto* child = new QWidget(&top);
    host->attach(child);
    top.show();
    EXPECT_TRUE(child->isVisible());
    EXPECT_EQ(child->geometry(), QRect(40, 30, 100, 50));
    host->move(60, 70);
    EXPECT_EQ(child->geometry(), QRect(60, 70, 100, 50));
    host->hide();
    EXPECT_FALSE(child->isVisible());

    delete child;
    host->show();
    EXPECT_EQ(host->attached(), nullptr);
}

TEST(ChartView, PieSlicesCloseTheCircleAndPillarsScaleToTheLargest)
{
    ensureQtApp();
    ui::CChartViewUI chart;
    chart.resize(300, 100);
    EXPECT_TRUE(chart.slices().empty());
    chart.addItem("a", 1);
    chart.addItem("b", 2);
    chart.addItem("c", 1);
    chart.setView("pie");
    const auto slices = chart.slices();
    ASSERT_EQ(slices.size(), 3u);
    EXPECT_EQ(slices[0].startSixteenths, 90 * 16);
    EXPECT_EQ(slices[1].spanSixteenths, -180 * 16);
    int total = 0;
    for (const auto& slice : slices)
        total += slice.spanSixteenths;
    EXPECT_EQ(total, -360 * 16);
    EXPECT_NE(slices[0].colour, slices[1].colour);

    chart.setView("histpgram");
    chart.setPillarImageWidth(10);
    const auto pillars = chart.pillars();
    ASSERT_EQ(pillars.size(), 3u);
    EXPECT_EQ(pillars[1].height(), 100);
    EXPECT_EQ(pillars[0].height(), 50);
    EXPECT_EQ(pillars[0].width(), 10);
    EXPECT_EQ(pillars[0].bottom(), pillars[1].bottom());
    const QImage image = render(chart);
    // Above the short pillar is background, inside it pillar.
    EXPECT_NE(image.pixelColor(pillars[0].center()), image.pixelColor(pillars[0].center().x(), 10));
}

}  // namespace
}  // namespace kestrion::test
