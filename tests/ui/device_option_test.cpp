#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QStackedWidget>
#include <QTest>

#include <map>
#include <memory>

#include "ui/device_icons.h"
#include "ui/device_option.h"
#include "ui/message_box.h"
#include "ui/qt_app.h"

namespace kestrion::test {
namespace {

constexpr int kWaitMs = 5000;

struct IconCase {
    int kind;
    int role;
    const char* prefix;  // nullptr: no pictures
};

// Receiver kinds and the notification role fall to the rows of their own numbers.
constexpr IconCase kIconCases[] = {
    {1, 0, "kb"},       {1, 0xFF, "kb"},      {2, 0, "ms"},       {2, 0xFF, "ms"},
    {3, 0, "hard_mp"},  {3, 1, "soft_mp"},    {3, 0xFF, nullptr}, {3, 2, nullptr},
    {4, 0, "hd"},       {7, 0, "hd"},         {7, 0xFF, "hd"},    {5, 0, "hub"},
    {6, 0, "unknow"},   {9, 0, "unknow"},     {0, 0, "unknow"},   {-3, 0, "unknow"},
};

TEST(DeviceIcons, PrefixAndPicturesByKindAndRole)
{
    for (const auto& c : kIconCases) {
        const auto icons = ui::deviceIcons(c.kind, c.role);
        SCOPED_TRACE(testing::Message() << "kind " << c.kind << " role " << c.role);
        if (!c.prefix) {
            EXPECT_FALSE(icons.has_value());
            continue;
        }
        ASSERT_TRUE(icons.has_value());
        const std::string stem = std::string("common/device_ico/") + c.prefix + "_device_";
        EXPECT_EQ(icons->normal, stem + "normal.png");
        EXPECT_EQ(icons->selected, stem + "selected.png");
        EXPECT_EQ(icons->synchroNormal, stem + "synchro_normal.png");
        EXPECT_EQ(icons->synchroSelected, stem + "synchro_selected.png");
        EXPECT_EQ(icons->toolTipId, std::string(c.prefix) + "_device_name_text");
    }
}

TEST(DeviceIcons, SkinCarriesEveryPictureAndToolTip)
{
    RealSkin real;
    ASSERT_GE(ui::deviceIconPrefixes().size(), 7u);
    for (const auto prefix : ui::deviceIconPrefixes()) {
        const QString stem = QStringLiteral(KESTRION_SOURCE_ROOT "/skin/images/common/device_ico/")
                             + QString::fromLatin1(prefix.data(), int(prefix.size())) + "_device_";
        for (const char* state : {"normal", "selected", "synchro_normal", "synchro_selected"})
            EXPECT_TRUE(QFile::exists(stem + state + ".png")) << (stem + state).toStdString();
        const QString tip = QString::fromLatin1(prefix.data(), int(prefix.size())) + "_device_name_text";
        EXPECT_TRUE(real.language.contains(tip)) << tip.toStdString();
    }
}

// Entries in the selector container, each bound to its page in a page container.
class DeviceOptionTest : public ::testing::Test {
protected:
    ui::CDeviceOptionUI* addEntry(int page)
    {
        auto* entry = new ui::CDeviceOptionUI({real.skin, real.factory, real.language}, &selector);
        selector.layout()->addWidget(entry);
        entry->setGroup("tab_header_device");
        entry->bindPage(&pages, page);
        return entry;
    }

    RealSkin real;
    QWidget selector;
    QStackedWidget pages;

    void SetUp() override
    {
        new QHBoxLayout(&selector);
        pages.setObjectName("device_switch");
        for (int i = 0; i < 3; ++i)
            pages.addWidget(new QWidget);
        selector.show();
    }
};

TEST_F(DeviceOptionTest, BuildsFromTheSkinWithBothOptions)
{
    auto* entry = addEntry(0);
    ASSERT_TRUE(entry->isBuilt());
    EXPECT_EQ(entry->selectOption()->objectName(), "device_select");
    EXPECT_EQ(entry->synchroOption()->objectName(), "synchro_device_select");
    EXPECT_EQ(entry->pageContainerName(), "device_switch");
    entry->setName("mouse");
    EXPECT_EQ(entry->findChild<QLabel*>("device_select_name")->text(), "mouse");
}

TEST_F(DeviceOptionTest, SelectingAnEntrySwitchesItsPageAndClearsTheOthersOfItsGroup)
{
    auto* first = addEntry(2);
    auto* second = addEntry(1);
    QTest::mouseClick(first->selectOption(), Qt::LeftButton);
    EXPECT_TRUE(first->isSelected());
    EXPECT_EQ(pages.currentIndex(), 2);

    second->setSelected(true);
    EXPECT_TRUE(second->isSelected());
    EXPECT_FALSE(first->isSelected());
    EXPECT_EQ(pages.currentIndex(), 1);

    // Clicking the selected entry again keeps it selected.
    QTest::mouseClick(second->selectOption(), Qt::LeftButton);
    EXPECT_TRUE(second->isSelected());
}

TEST_F(DeviceOptionTest, PageIndexOutsideTheContainerLeavesThePage)
{
    auto* entry = addEntry(7);
    pages.setCurrentIndex(1);
    entry->setSelected(true);
    EXPECT_EQ(pages.currentIndex(), 1);
    EXPECT_EQ(entry->pageIndex(), 7);
}

TEST_F(DeviceOptionTest, SynchroSelectionSwapsThePictures)
{
    auto* entry = addEntry(0);
    entry->setIcons(2, 0);
    EXPECT_EQ(entry->normalImage(), "common/device_ico/ms_device_normal.png");
    EXPECT_EQ(entry->selectedImage(), "common/device_ico/ms_device_selected.png");
    EXPECT_EQ(entry->selectOption()->toolTip(), real.language.text("ms_device_name_text"));
    EXPECT_TRUE(entry->selectOption()->styleSheet().contains("ms_device_normal.png"));

    entry->setSynchro(true);
    EXPECT_EQ(entry->normalImage(), "common/device_ico/ms_device_synchro_normal.png");
    EXPECT_EQ(entry->selectedImage(), "common/device_ico/ms_device_synchro_selected.png");
    EXPECT_TRUE(entry->selectOption()->styleSheet().contains("ms_device_synchro_selected.png"));

    entry->setSynchro(false);
    EXPECT_EQ(entry->normalImage(), "common/device_ico/ms_device_normal.png");
}

TEST_F(DeviceOptionTest, APairWithoutPicturesClearsThem)
{
    auto* entry = addEntry(0);
    entry->setIcons(2, 0);
    entry->setIcons(3, 0xFF);
    EXPECT_TRUE(entry->normalImage().isEmpty());
    EXPECT_TRUE(entry->selectOption()->styleSheet().isEmpty());
    EXPECT_TRUE(entry->selectOption()->toolTip().isEmpty());
}

TEST_F(DeviceOptionTest, OnlineMeansShownAndTimersReachTheHandler)
{
    auto* entry = addEntry(0);
    entry->setOnline(false);
    EXPECT_FALSE(entry->isOnline());
    entry->setOnline(true);
    EXPECT_TRUE(entry->isOnline());

    std::map<int, int> fired;
    entry->setTimerHandler([&fired](int id) { ++fired[id]; });
    entry->timers().setTimer(1001, 1, true);
    entry->timers().setTimer(1005, 1, true);
    EXPECT_TRUE(QTest::qWaitFor([&fired] { return fired[1001] == 1 && fired[1005] == 1; }, kWaitMs));
}

TEST_F(DeviceOptionTest, DestroyedIconControlIsForgotten)
{
    auto* entry = addEntry(0);
    auto icon = std::make_unique<QWidget>();
    entry->setIconControl(icon.get());
    EXPECT_EQ(entry->iconControl(), icon.get());
    icon.reset();
    EXPECT_EQ(entry->iconControl(), nullptr);
    entry->repaintIcon();
}

}  // namespace
}  // namespace kestrion::test
