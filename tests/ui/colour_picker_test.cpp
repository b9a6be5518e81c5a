#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLineEdit>
#include <QTimer>

#include "editors/colour_options.h"
#include "ui/colour_palette.h"
#include "ui/colour_select_window.h"
#include "ui/qt_app.h"
#include "support/temp_dir.h"

namespace kestrion::test {
namespace {

class ColourPickerTest : public ::testing::Test {
protected:
    std::unique_ptr<ui::CColorSelectWnd> open()
    {
        ColourOptionsFile file(optionsPath, KESTRION_SOURCE_ROOT "/DefaultData/color_option_info.config");
        auto picker = std::make_unique<ui::CColorSelectWnd>(resources, std::move(file), nullptr);
        EXPECT_TRUE(picker->isBuilt());
        return picker;
    }

    template <typename T>
    static T* find(ui::CColorSelectWnd& picker, const QString& name)
    {
        T* found = picker.findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name.toStdString();
        return found;
    }

    static void type(ui::CColorSelectWnd& picker, const char* edit, const QString& text)
    {
        auto* box = find<QLineEdit>(picker, edit);
        box->setText(text);
        emit box->textEdited(text);
    }

    RealSkin real;
    ui::UiResources resources{real.skin, real.factory, real.language};
    TempDir folder;
    std::string optionsPath = folder.file("color_option_info.config");
};

TEST_F(ColourPickerTest, EditsAreCappedAndMakeTheColour)
{
    auto picker = open();
    picker->setColour(0xFF112233);
    EXPECT_EQ(find<QLineEdit>(*picker, "color_edit_g")->text(), "34");
    type(*picker, "color_edit_g", "300");
    EXPECT_EQ(picker->chosenColour(), 0xFF11FF33u);
    type(*picker, "color_edit_b", "");
    EXPECT_EQ(picker->chosenColour(), 0xFF11FF00u);
    EXPECT_EQ(find<ui::CColourPaletteUI>(*picker, "Pallet")->selectedColour(), QColor(0x11, 0xff, 0x00));
}

// A colour chosen while an empty collected slot is selected fills the slot, and the next picker
// shows it; choosing the slot again gives its colour back.
TEST_F(ColourPickerTest, CollectedColoursAreKeptAcrossOpenings)
{
    {
        auto picker = open();
        find<QAbstractButton>(*picker, "collect_color_option_5")->click();
        emit find<ui::CColourPaletteUI>(*picker, "Pallet")->colourChanged(QColor(1, 2, 3));
        EXPECT_TRUE(picker->options().collectedSlots[5].collected);
    }
    auto picker = open();
    EXPECT_TRUE(picker->options().collectedSlots[5].collected);
    EXPECT_EQ(picker->options().collectedSlots[5].colour, 0xFF010203u);
    EXPECT_TRUE(find<QAbstractButton>(*picker, "collect_color_option_5")->styleSheet().contains("#010203"));
    // No slot is selected after opening: a new colour leaves the slots alone.
    emit find<ui::CColourPaletteUI>(*picker, "Pallet")->colourChanged(QColor(9, 9, 9));
    EXPECT_EQ(picker->options().collectedSlots[5].colour, 0xFF010203u);
    find<QAbstractButton>(*picker, "collect_color_option_5")->click();
    EXPECT_EQ(picker->chosenColour(), 0xFF010203u);
    EXPECT_EQ(find<QLineEdit>(*picker, "color_edit_b")->text(), "3");
}

TEST_F(ColourPickerTest, PresetsGiveTheirColourAndAreRemembered)
{
    {
        auto picker = open();
        auto* preset = find<QAbstractButton>(*picker, "color_option_10");
        preset->click();
        EXPECT_EQ(picker->chosenColour(), QColor(preset->property("presetColour").toString()).rgba());
    }
    EXPECT_EQ(open()->options().presetIndex, 10);
}

TEST_F(ColourPickerTest, ScaleAndSevenColourAndClosing)
{
    auto picker = open();
    picker->setScale(100);
    EXPECT_EQ(picker->scale(), 96);
    picker->setScale(144);
    EXPECT_EQ(picker->scale(), 144);
    picker->enableSevenColour(false);
    EXPECT_FALSE(find<QWidget>(*picker, "7color_layout")->isVisibleTo(picker.get()));
    EXPECT_FALSE(find<QAbstractButton>(*picker, "7color")->isEnabled());

    const std::pair<const char*, int> buttons[] = {{"okbtn", 1}, {"laterbtn", 0}, {"closebtn", 0}};
    for (const auto& [name, expected] : buttons) {
        QTimer::singleShot(0, picker.get(), [&picker, name = name] {
            picker->findChild<QAbstractButton*>(name)->click();
        });
        EXPECT_EQ(picker->showModal(), expected) << name;
    }
}

}  // namespace
}  // namespace kestrion::test
