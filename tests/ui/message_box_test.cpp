#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QTest>
#include <QTimer>

#include <utility>
#include <vector>

#include "ui/message_box.h"
#include "ui/qt_app.h"

namespace kestrion::test {
namespace {

struct Seen {
    QString title;
    QString text;
    bool cancelShown = false;
    bool clicked = false;
};

// Once the box runs, notes what it shows and clicks the named button like a user.
void clickWhenShown(const QString& buttonName, Seen& seen)
{
    QTimer::singleShot(0, [buttonName, &seen] {
        QWidget* box = QApplication::activeModalWidget();
        if (!box)
            return;
        seen.title = box->findChild<QLabel*>("MessageTitle")->text();
        seen.text = box->findChild<QLabel*>("MessageText")->text();
        seen.cancelShown = box->findChild<QAbstractButton*>("cancel_btn")->isVisibleTo(box);
        auto* button = box->findChild<QAbstractButton*>(buttonName);
        if (button && button->isVisible()) {
            seen.clicked = true;
            QTest::mouseClick(button, Qt::LeftButton);
            return;
        }
        box->close();
    });
}

class PromptTest : public ::testing::Test {
protected:
    ui::UiResources resources() { return {real.skin, real.factory, real.language}; }

    RealSkin real;
    QWidget owner;
};

struct PromptCase {
    int mode;
    const char* button;
    int result;
    bool cancelShown;
};

TEST_F(PromptTest, ResultFollowsTheButtonThatClosedTheBox)
{
    const PromptCase cases[] = {
        {ui::CMsgWnd::Question, "confirm_btn", 1, true},
        {ui::CMsgWnd::Question, "cancel_btn", 0, true},
        {ui::CMsgWnd::Question, "closebtn", 0, true},
        {ui::CMsgWnd::Notice, "confirm_btn", 1, false},
        {ui::CMsgWnd::Notice, "closebtn", 0, false},
    };
    for (const auto& c : cases) {
        Seen seen;
        clickWhenShown(c.button, seen);
        const int result = ui::showPrompt(resources(), &owner, "", "message_text_22", 96, true, c.mode);
        EXPECT_TRUE(seen.clicked) << c.button;
        EXPECT_EQ(result, c.result) << "mode " << c.mode << " " << c.button;
        EXPECT_EQ(seen.cancelShown, c.cancelShown) << "mode " << c.mode;
        EXPECT_EQ(seen.text, "Restore the factory settings? Your changes will be lost.");
    }
}

TEST_F(PromptTest, ClosingByTheWindowAnswersNo)
{
    Seen seen;
    clickWhenShown("no_such_button", seen);
    EXPECT_EQ(ui::showPrompt(resources(), &owner, "", "message_text_7", 96, true, ui::CMsgWnd::Notice), 0);
}

TEST_F(PromptTest, TextsAreIdsOnlyWhenSaidSoAndEmptyOnesKeepTheLayout)
{
    Seen literal;
    clickWhenShown("confirm_btn", literal);
    ui::showPrompt(resources(), &owner, "Import", "message_text_22", 96, false, ui::CMsgWnd::Notice);
    EXPECT_EQ(literal.title, "Import");
    EXPECT_EQ(literal.text, "message_text_22");

    Seen byId;
    clickWhenShown("confirm_btn", byId);
    ui::showPrompt(resources(), &owner, "UpdateTiShi", "UpdateTiShiText", 96, true, ui::CMsgWnd::Question);
    EXPECT_EQ(byId.title, "Firmware update");
    EXPECT_TRUE(byId.text.startsWith("The mouse's firmware is out of date"));

    Seen empty;
    clickWhenShown("confirm_btn", empty);
    ui::showPrompt(resources(), &owner, "", "", 96, true, ui::CMsgWnd::Notice);
    EXPECT_EQ(empty.title, "Kestrion Config");
    EXPECT_EQ(empty.text, "");
}

// The question asked for a device result: the caller goes on at once and the answer comes later.
TEST_F(PromptTest, APromptAskedLaterReturnsAtOnceAndAnswersWhenClosed)
{
    owner.show();
    for (const auto& [button, result] : {std::pair{"confirm_btn", 1}, std::pair{"cancel_btn", 0}, std::pair{"", 0}}) {
        std::vector<int> answers;
        ui::showPromptLater(resources(), &owner, "UpdateTiShi", "UpdateTiShiText", true, ui::CMsgWnd::Question,
                            [&answers](int answer) { answers.push_back(answer); });
        EXPECT_TRUE(answers.empty()) << button;
        auto* box = owner.findChild<ui::CMsgWnd*>();
        ASSERT_NE(box, nullptr);
        EXPECT_TRUE(box->isVisible());
        if (*button)
            QTest::mouseClick(box->findChild<QAbstractButton*>(button), Qt::LeftButton);
        else
            box->close();
        EXPECT_EQ(answers, std::vector<int>{result}) << button;
        EXPECT_TRUE(waitFor([&] { return owner.findChild<ui::CMsgWnd*>() == nullptr; })) << "the box stays";
    }
}

TEST_F(PromptTest, OnlyListedDpiValuesAreTaken)
{
    const std::pair<int, int> cases[] = {{48, 48}, {96, 96}, {144, 144}, {192, 192}, {100, 96}, {0, 96}, {-96, 96}};
    for (const auto& [given, taken] : cases)
        EXPECT_EQ(ui::CMsgWnd::acceptedDpi(given), taken) << given;

    ui::CMsgWnd box(resources(), &owner);
    ASSERT_TRUE(box.isBuilt());
    box.setDpi(96);
    const QSize base = box.size();
    box.setDpi(192);
    EXPECT_EQ(box.size(), base * 2);
    box.setDpi(100);
    EXPECT_EQ(box.dpi(), 96);
    EXPECT_EQ(box.size(), base);
}

TEST(PromptWithoutSkin, AnswersNoAtOnce)
{
    ensureQtApp();
    ui::Skin empty(uiTestData("no-such-skin"));
    ui::ControlFactory factory(&empty);
    ui::LanguageManager language(empty);
    ui::CMsgWnd box({empty, factory, language}, nullptr);
    EXPECT_FALSE(box.isBuilt());
    EXPECT_EQ(ui::showPrompt({empty, factory, language}, nullptr, "t", "x", 96, false, 1), 0);
}

}  // namespace
}  // namespace kestrion::test
