// Background choices: the broadcast, "main.ini", the user's own image and the pop-up's buttons.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QImage>
#include <QSettings>
#include <QSignalSpy>
#include <QStackedWidget>

#include <filesystem>
#include <sys/stat.h>

#include "support/temp_dir.h"
#include "ui/message_box.h"
#include "ui/qt_app.h"
#include "ui/skin_frame.h"
#include "ui/skin_settings.h"

namespace kestrion::test {
namespace {

using ui::SkinChange;

class SkinSettingsTest : public ::testing::Test {
protected:
    QString iniPath() const { return QString::fromStdString(folder.file(ui::SkinSettings::kFileName)); }
    std::pair<QString, QString> stored() const
    {
        const QSettings file(iniPath(), QSettings::IniFormat);
        return {file.value("SKINIMAGE/FLAGS").toString(), file.value("SKINIMAGE/IMAGE").toString()};
    }
    QString writePicture(const std::string& name) const
    {
        QImage picture(40, 30, QImage::Format_RGB32);
        picture.fill(Qt::darkCyan);
        const QString path = QString::fromStdString(pictures.file(name));
        EXPECT_TRUE(picture.save(path, "PNG"));
        return path;
    }

    QtApp app;
    TempDir folder;
    TempDir pictures;
    ui::SkinSettings settings{QString::fromStdString(folder.path())};
    std::vector<SkinChange> seen;
};

TEST_F(SkinSettingsTest, ReceiversGetEachChangeInTheOrderTheyConnected)
{
    std::vector<char> order;
    QObject::connect(&settings, &ui::SkinSettings::skinChanged, [&](const SkinChange&) { order.push_back('A'); });
    QObject::connect(&settings, &ui::SkinSettings::skinChanged, [&](const SkinChange&) { order.push_back('B'); });
    settings.chooseColour(Qt::red);
    settings.reset();
    EXPECT_EQ(order, (std::vector<char>{'A', 'B', 'A', 'B'}));
}

TEST_F(SkinSettingsTest, ImagesAreKeptAndGivenAgainColoursAreNot)
{
    settings.chooseStockImage("images/skins/ember.png");
    EXPECT_EQ(stored(), std::make_pair(QStringLiteral("1"), QStringLiteral("images/skins/ember.png")));
    const std::string before = readFile(iniPath().toStdString());
    settings.chooseColour(QColor("#1b2430"));
    EXPECT_EQ(readFile(iniPath().toStdString()), before);

    ui::SkinSettings nextRun(QString::fromStdString(folder.path()));
    QObject::connect(&nextRun, &ui::SkinSettings::skinChanged, [&](const SkinChange& c) { seen.push_back(c); });
    nextRun.restore();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].kind, SkinChange::Kind::Image);
    EXPECT_EQ(seen[0].image, "images/skins/ember.png");

    nextRun.reset();
    EXPECT_EQ(stored(), std::make_pair(QStringLiteral("0"), QStringLiteral("common/background.png")));
    seen.clear();
    ui::SkinSettings third(QString::fromStdString(folder.path()));
    QObject::connect(&third, &ui::SkinSettings::skinChanged, [&](const SkinChange& c) { seen.push_back(c); });
    third.restore();
    EXPECT_TRUE(seen.empty());
}

// The copy is what shows and what the next run restores, even when the original is gone.
TEST_F(SkinSettingsTest, AnOwnImageIsCopiedAndSurvivesTheOriginal)
{
    QObject::connect(&settings, &ui::SkinSettings::skinChanged, [&](const SkinChange& c) { seen.push_back(c); });
    const QString original = writePicture("mine.png");
    ASSERT_TRUE(settings.chooseOwnImage(original));
    ASSERT_EQ(seen.size(), 1u);
    const QString copy = seen[0].image;
    EXPECT_TRUE(copy.startsWith(QString::fromStdString(folder.path())));
    EXPECT_EQ(QImage(copy).size(), QSize(800, 600));
    EXPECT_EQ(stored().second, copy);
    std::filesystem::remove(original.toStdString());

    ASSERT_TRUE(settings.chooseOwnImage(writePicture("second.png")));
    EXPECT_FALSE(QFile::exists(copy)) << "the earlier copy is left behind";
    seen.clear();
    settings.restore();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].image, stored().second);
}

TEST_F(SkinSettingsTest, AFileThatIsNoReadableImageChangesNothing)
{
    settings.chooseStockImage("images/skins/teal.png");
    QObject::connect(&settings, &ui::SkinSettings::skinChanged, [&](const SkinChange& c) { seen.push_back(c); });
    writeFile(pictures.file("text.png"), "this is no picture");
    writeFile(pictures.file("empty.png"), "");
    const std::string truncated = readFile(writePicture("whole.png").toStdString()).substr(0, 40);
    writeFile(pictures.file("truncated.png"), truncated);
    ASSERT_EQ(::mkfifo(pictures.file("fifo.png").c_str(), 0600), 0);
    std::filesystem::create_directory(pictures.file("folder.png"));
    const std::string before = readFile(iniPath().toStdString());
    for (const char* name : {"text.png", "empty.png", "truncated.png", "fifo.png", "folder.png", "absent.png"}) {
        EXPECT_FALSE(settings.chooseOwnImage(QString::fromStdString(pictures.file(name)))) << name;
        EXPECT_TRUE(seen.empty()) << name;
        EXPECT_EQ(readFile(iniPath().toStdString()), before) << name;
    }
}

TEST_F(SkinSettingsTest, PopUpButtonsChooseAndItsTabsSwitch)
{
    RealSkin real;
    QWidget anchor;
    anchor.resize(30, 30);
    anchor.show();
    QObject::connect(&settings, &ui::SkinSettings::skinChanged, [&](const SkinChange& c) { seen.push_back(c); });
    auto* frame = new ui::CSkinFrame({real.skin, real.factory, real.language}, settings, &anchor);
    ASSERT_TRUE(frame->isBuilt());
    QPointer<ui::CSkinFrame> alive(frame);
    frame->showAtAnchor();
    EXPECT_EQ(frame->geometry().topRight() + QPoint(1, 0), anchor.mapToGlobal(QPoint(30, 30)));

    auto click = [&](const char* name) {
        auto* button = frame->findChild<QAbstractButton*>(name);
        ASSERT_NE(button, nullptr) << name;
        button->click();
    };
    auto* pages = frame->findChild<QStackedWidget*>("skin_tab");
    click("skin_color");
    EXPECT_EQ(pages->currentIndex(), 1);
    click("skin_color_btn_1");
    click("skin_image");
    EXPECT_EQ(pages->currentIndex(), 0);
    click("skin_image_btn_2");
    click("skin_reset");
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].kind, SkinChange::Kind::Colour);
    EXPECT_EQ(seen[0].colour, QColor("#1b2430"));
    EXPECT_EQ(seen[1].image, "images/skins/violet.png");
    EXPECT_EQ(seen[2].image, ui::SkinSettings::kDefaultImage);
    for (const QAbstractButton* swatch : frame->findChildren<QAbstractButton*>()) {
        const QString image = swatch->property("skinImage").toString();
        if (!image.isEmpty()) {
            EXPECT_TRUE(QFile::exists(real.skin.folder() + "/" + image)) << image.toStdString();
        }
    }

    QSignalSpy asked(frame, &ui::CSkinFrame::ownImageRequested);
    click("skin_Custom");
    EXPECT_EQ(asked.count(), 1);
    EXPECT_TRUE(waitFor([&] { return alive.isNull(); }));
}

}  // namespace
}  // namespace kestrion::test
