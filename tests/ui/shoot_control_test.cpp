// The shoot page over the real skin, real pattern files and the factory copies.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <memory>

#include "profiles/json_file.h"
#include "support/temp_dir.h"
#include "ui/qt_app.h"
#include "ui/shoot_control.h"
#include "ui/shoot_pattern_view.h"

namespace kestrion::test {
namespace {

const std::string kFactory = KESTRION_SOURCE_ROOT "/DefaultData";

class ShootPage : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(page.isBuilt());
        page.setLanguage(&real.language);
        page.setNotifier([this](const QString& id) { notices << id; });
        page.setFileChooser([this](ui::CShootControlUI::FileDialogMode mode, const QString&) {
            modes.push_back(mode);
            return chosen;
        });
    }
    void open() { page.setFolders(folder.path(), kFactory); }

    template <typename T = QAbstractButton>
    T* find(const QString& name) const
    {
        T* found = page.findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name.toStdString();
        return found;
    }
    void type(const char* edit, const QString& text)
    {
        auto* field = find<QLineEdit>(edit);
        field->setText(text);
        emit field->editingFinished();
    }
    Bullet onDisk(int gun, int bullet) const
    {
        return readBullet(LoadJsonFile(files.path(gun)), bullet);
    }
    Bullet factoryBullet(int gun, int bullet) const
    {
        return readBullet(LoadJsonFile(files.factoryPath(gun)), bullet);
    }
    Bullet shown() const
    {
        return {find<QLineEdit>("bullet_x_eidt")->text().toInt(), find("bullet_x_check")->isChecked(),
                find<QLineEdit>("bullet_y_eidt")->text().toInt(), find("bullet_y_check")->isChecked(),
                find<QLineEdit>("bullet_delay_eidt")->text().toInt()};
    }

    RealSkin real;
    TempDir folder;
    TempDir elsewhere;
    ShootPatternFiles files{folder.path(), kFactory};
    ui::CShootControlUI page{real.skin};
    QStringList notices;
    std::vector<ui::CShootControlUI::FileDialogMode> modes;
    QString chosen;
};

TEST_F(ShootPage, OpensOnGunZeroBulletZeroAndStepsWithinTheThirtyBullets)
{
    open();
    EXPECT_TRUE(find("shoot_gun_op_0")->isChecked());
    EXPECT_TRUE(find("bullet_op_0")->isChecked());
    EXPECT_EQ(shown(), factoryBullet(0, 0));
    EXPECT_EQ(find<QLabel>("bullet_select_index")->text(), "1");

    find("bullet_selected_prev")->click();
    EXPECT_EQ(page.currentBullet(), 0);
    find("bullet_op_28")->click();
    find("bullet_selected_next")->click();
    find("bullet_selected_next")->click();
    EXPECT_EQ(page.currentBullet(), 29);
    EXPECT_EQ(find<QLabel>("bullet_select_index")->text(), "30");
    EXPECT_TRUE(find("bullet_op_29")->isChecked());

    find("shoot_gun_op_3")->click();
    EXPECT_EQ(page.currentGun(), 3);
    EXPECT_EQ(shown(), factoryBullet(3, 29));
    auto* view = find<ui::ShootPatternView>("shoot_pattern_view");
    EXPECT_EQ(view->path().size(), readBullets(LoadJsonFile(files.path(3))).size());
}

TEST_F(ShootPage, EditsReachTheGunsFileAndTheDirectionTextsFollow)
{
    open();
    find("shoot_gun_op_1")->click();
    find("bullet_op_4")->click();
    find("bullet_x_check")->setChecked(false);
    find("bullet_x_check")->click();
    EXPECT_EQ(find("bullet_x_check")->text(), real.language.text("mouse_move_to_left_text"));
    find("bullet_y_check")->setChecked(true);
    find("bullet_y_check")->click();
    EXPECT_EQ(find("bullet_y_check")->text(), real.language.text("mouse_move_to_down_text"));
    type("bullet_x_eidt", "12");
    type("bullet_y_eidt", "9");
    type("bullet_delay_eidt", "77");
    EXPECT_EQ(onDisk(1, 4), (Bullet{12, true, 9, false, 77}));
    for (int gun : {0, 2, 3})
        EXPECT_EQ(test::readFile(files.path(gun)), test::readFile(files.factoryPath(gun))) << gun;

    // The picture follows the file: after bullet 4 the path has moved 12 further left than before it.
    auto* view = find<ui::ShootPatternView>("shoot_pattern_view");
    EXPECT_EQ(view->path()[4] - view->path()[3], QPointF(-12, 9));
}

TEST_F(ShootPage, AClickOnTheDotOfABulletChoosesIt)
{
    open();
    auto* view = find<ui::ShootPatternView>("shoot_pattern_view");
    view->resize(260, 320);
    const QPointF dot = view->dotPosition(7);
    QTest::mouseClick(view, Qt::LeftButton, Qt::NoModifier, dot.toPoint());
    EXPECT_EQ(page.currentBullet(), 7);
    EXPECT_TRUE(find("bullet_op_7")->isChecked());
}

TEST_F(ShootPage, ImportExportAndResetThroughTheFileDialog)
{
    open();
    find("bullet_op_2")->click();
    const std::string before = test::readFile(files.path(0));

    chosen = QString();
    find("shootdate_import_btn")->click();
    writeFile(elsewhere.file("bad.shoot"), "{ damaged");
    chosen = QString::fromStdString(elsewhere.file("bad.shoot"));
    find("shootdate_import_btn")->click();
    EXPECT_EQ(notices, QStringList{"shoot_import_failed_text"});
    EXPECT_EQ(test::readFile(files.path(0)), before);

    Json::Value pattern(Json::objectValue);
    writeBullet(pattern, 2, {40, false, 30, true, 500});
    ASSERT_TRUE(SaveJsonFile(pattern, elsewhere.file("good.shoot")));
    chosen = QString::fromStdString(elsewhere.file("good.shoot"));
    find("shootdate_import_btn")->click();
    EXPECT_EQ(shown(), (Bullet{40, false, 30, true, 500}));
    EXPECT_EQ(test::readFile(files.path(0)), test::readFile(elsewhere.file("good.shoot")));

    chosen = QString::fromStdString(elsewhere.file("out.shoot"));
    find("shootdate_export_btn")->click();
    EXPECT_EQ(test::readFile(elsewhere.file("out.shoot")), test::readFile(files.path(0)));

    find("shootdate_reset_btn")->click();
    EXPECT_EQ(test::readFile(files.path(0)), test::readFile(files.factoryPath(0)));
    EXPECT_EQ(shown(), factoryBullet(0, 2));
    EXPECT_EQ(modes.size(), 4u);
    EXPECT_EQ(notices.size(), 1);
}

// Looking at a damaged pattern does not overwrite it; changing a bullet does.
TEST_F(ShootPage, ADamagedFileShowsTheFactoryPatternAndIsKeptUntilAnEdit)
{
    writeFile(files.path(2), "{ damaged");
    open();
    find("shoot_gun_op_2")->click();
    EXPECT_FALSE(find<QLabel>("shoot_damaged_label")->isHidden());
    EXPECT_EQ(shown(), factoryBullet(2, 0));
    find("bullet_op_5")->click();
    emit find<QLineEdit>("bullet_x_eidt")->editingFinished();
    EXPECT_EQ(test::readFile(files.path(2)), "{ damaged");

    type("bullet_delay_eidt", "42");
    EXPECT_EQ(onDisk(2, 5).delay, 42);
    EXPECT_EQ(onDisk(2, 0), factoryBullet(2, 0));
    EXPECT_TRUE(find<QLabel>("shoot_damaged_label")->isHidden());
}

}  // namespace
}  // namespace kestrion::test
