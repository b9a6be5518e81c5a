#include "pages/macro_control.h"
#include "profiles/json_file.h"
#include "support/temp_dir.h"
#include "ui/qt_app.h"

#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

#include <filesystem>
#include <gtest/gtest.h>

namespace kestrion {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

constexpr const char* kLayout = "XML\\CustomControlXML\\MacroControl.xml";

Json::Value events(std::initializer_list<Json::Value> list)
{
    Json::Value result(Json::arrayValue);
    for (const Json::Value& event : list)
        result.append(event);
    return result;
}

Json::Value key(int usage, bool down, const char* delay = "100")
{
    return macroEvent(MacroEventType::Key, usage, down, delay);
}

// The real macro page layout over a macro folder on disk; prompts are answered and kept.
class MacroPageTest : public ::testing::Test {
protected:
    MacroPageTest() : root(real.skin.build(kLayout, real.factory)) { fs::create_directory(folder()); }

    std::string folder() const { return dir.file("mouse"); }

    // A library of these macros, each saved with its events.
    void writeLibrary(const std::vector<std::pair<std::string, Json::Value>>& macros)
    {
        Json::Value index;
        index["MacroInfo"] = Json::Value(Json::arrayValue);
        for (std::size_t i = 0; i < macros.size(); ++i) {
            const std::string guid = "2026_01_01_00_00_00_" + std::to_string(100 + i);
            Json::Value entry;
            entry["MacroName"] = macros[i].first;
            entry["Guid"] = guid;
            index["MacroInfo"].append(entry);
            Json::Value document;
            document["MacroName"] = macros[i].first;
            document["Guid"] = guid;
            document["Events"] = macros[i].second;
            document["Version"] = 64;
            SaveJsonFile(document, folder() + "/" + guid + ".mac");
        }
        SaveJsonFile(index, folder() + "/macro.config");
    }

    CMacroControlUI& open()
    {
        real.language.apply(root.get());
        MacroPageHooks hooks;
        hooks.ask = [this](const QString& id) {
            questions << id;
            return answer;
        };
        hooks.notice = [this](const QString& id) { notices << id; };
        hooks.macroInUse = [this](int index) { return index == macroInUse; };
        hooks.chooseFile = [this](bool) { return chosenFile; };
        page = std::make_unique<CMacroControlUI>(*root, folder(), &real.language, hooks, [this] { return now; });
        return *page;
    }

    // The events of macro `index` as saved on disk.
    Json::Value savedEvents(int index) const
    {
        return LoadJsonFile(page->library().macroPath(index).string())["Events"];
    }

    template <typename T = QWidget>
    T* control(const char* name) const
    {
        return root->findChild<T*>(QString::fromLatin1(name));
    }

    void click(const char* name)
    {
        auto* button = control<QAbstractButton>(name);
        ASSERT_NE(button, nullptr) << name;
        button->click();
    }

    void runMenuItem(const char* name)
    {
        auto* action = page->rowMenu()->findChild<QAction*>(QString::fromLatin1(name));
        ASSERT_NE(action, nullptr) << name;
        action->trigger();
    }

    // The three cells of row `index`.
    QStringList cells(int index) const
    {
        auto* list = control<QListWidget>("macro_action_list");
        QWidget* row = list->itemWidget(list->item(index));
        if (!row)
            return {};
        return {row->findChild<QLabel*>("macro_event_name")->text(),
                row->findChild<QLabel*>("macro_event_direction")->text(),
                row->findChild<QLabel*>("macro_event_direction")->property("role").toString(),
                row->findChild<QLineEdit*>("macro_delay")->text()};
    }

    test::RealSkin real;
    TempDir dir;
    std::unique_ptr<QWidget> root;
    std::unique_ptr<CMacroControlUI> page;
    QStringList questions;
    QStringList notices;
    bool answer = true;
    int macroInUse = -1;
    QString chosenFile;
    std::int64_t now = 1000;
};

TEST_F(MacroPageTest, RowsShowNameDirectionAndDelay)
{
    writeLibrary({{"combo",
                   events({key(0x04, true, "5"), key(0x04, false, "70000"),
                           macroEvent(MacroEventType::Modifier, 0x02, true, "300"),
                           mouseButtonEvent(kButtonForward, false, 40), pointerMoveEvent(PointerMove::Left, 15, 20),
                           pointerMoveEvent(PointerMove::Down, 7, 20),
                           macroEvent(static_cast<MacroEventType>(2), 1, true, "20")})}});
    open();
    ASSERT_EQ(control<QListWidget>("macro_action_list")->count(), 7);
    auto t = [this](const char* id) { return real.language.text(QString::fromLatin1(id)); };
    const QString press = t("macro_direction_down_text");
    const QString release = t("macro_direction_up_text");
    const QStringList expected[] = {
        {t("keyboard_key_A"), press, "macro_label_down_style", "10"},
        {t("keyboard_key_A"), release, "macro_label_up_style", "65535"},
        {t("keyboard_key_LShift"), press, "macro_label_down_style", "300"},
        {t("mouse_key_forward"), release, "macro_label_up_style", "40"},
        {t("mouse_move_to_left_text"), "15", "macro_label_text_style", "20"},
        {t("mouse_move_to_down_text"), "7", "macro_label_text_style", "20"},
        {"", press, "macro_label_down_style", "20"},
    };
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(cells(i), expected[i]) << "row " << i;
    EXPECT_EQ(control<QLineEdit>("macro_edit_macroname")->text(), "combo");
    EXPECT_TRUE(control("macro_tab_macroaction_edit")->isEnabled());
    EXPECT_EQ(control<QListWidget>("macro_action_list")->currentRow(), 0);
}

struct EditCase {
    const char* name;
    int selected;
    const char* button;  // a button of the page, or an item of the row menu
    std::vector<int> buttonsOnDisk;
};

TEST_F(MacroPageTest, EveryEditIsSavedAtOnce)
{
    const EditCase cases[] = {
        {"up", 2, "macro_btn_up", {4, 6, 5, 7, 8}},
        {"up from the top", 0, "macro_btn_up", {4, 5, 6, 7, 8}},
        {"down", 2, "macro_btn_down", {4, 5, 7, 6, 8}},
        {"down from the bottom", 4, "macro_btn_down", {4, 5, 6, 7, 8}},
        {"top", 3, "macro_btn_uptop", {7, 4, 5, 6, 8}},
        {"bottom", 1, "macro_btn_downbottom", {4, 6, 7, 8, 5}},
        {"delete", 1, "macro_btn_delete", {4, 6, 7, 8}},
        {"delete all", 1, "macro_btn_deleteall", {}},
        {"left click after the third", 2, "left_click", {4, 5, 6, 1, 1, 7, 8}},
        {"back press", 0, "back_down", {4, 8, 5, 6, 7, 8}},
        {"move left", 4, "macro_inset_moveleftkey_btn", {4, 5, 6, 7, 8, 10}},
    };
    for (const EditCase& c : cases) {
        writeLibrary({{"m", events({key(4, true), key(5, false), key(6, true), key(7, false), key(8, true)})}});
        CMacroControlUI& macros = open();
        control<QLineEdit>("mouse_x_left_edit")->setText("10");
        macros.selectRow(c.selected);
        if (QString(c.button).startsWith("macro_"))
            click(c.button);
        else
            runMenuItem(c.button);
        std::vector<int> onDisk;
        for (const Json::Value& event : savedEvents(0))
            onDisk.push_back(event["Button"].asInt());
        EXPECT_EQ(onDisk, c.buttonsOnDisk) << c.name;
        EXPECT_EQ(control<QListWidget>("macro_action_list")->count(), static_cast<int>(c.buttonsOnDisk.size()))
            << c.name;
    }
}

TEST_F(MacroPageTest, HandInsertedEventsCarryTheFixedDelayAndStopAtSixty)
{
    Json::Value sixty(Json::arrayValue);
    for (int i = 0; i < 60; ++i)
        sixty.append(key(4, i % 2 == 0));
    writeLibrary({{"full", sixty}, {"one", events({key(4, true)})}});
    CMacroControlUI& macros = open();
    click("macro_inset_moveupkey_btn");
    EXPECT_EQ(savedEvents(0).size(), 60u);
    macros.selectMacro(1);
    runMenuItem("right_click");
    const Json::Value saved = savedEvents(1);
    ASSERT_EQ(saved.size(), 3u);
    EXPECT_EQ(saved[1], mouseButtonEvent(kButtonRight, true, 50));
    EXPECT_EQ(saved[2], mouseButtonEvent(kButtonRight, false, 50));
}

TEST_F(MacroPageTest, DelaysOfOneRowAndOfAllRows)
{
    writeLibrary({{"m", events({key(4, true), key(4, false)})}});
    open();
    auto* list = control<QListWidget>("macro_action_list");
    auto* delay = list->itemWidget(list->item(1))->findChild<QLineEdit*>("macro_delay");
    delay->setText("2500");
    emit delay->editingFinished();
    EXPECT_EQ(savedEvents(0)[1]["Delay"].asString(), "2500");
    delay = list->itemWidget(list->item(0))->findChild<QLineEdit*>("macro_delay");
    delay->clear();
    emit delay->editingFinished();
    EXPECT_EQ(savedEvents(0)[0]["Delay"].asString(), "0");
    const std::pair<const char*, const char*> corrected[] = {{"5", "10"}, {"99999", "65535"}, {"70", "70"}};
    for (const auto& [typed, saved] : corrected) {
        delay = list->itemWidget(list->item(0))->findChild<QLineEdit*>("macro_delay");
        delay->clear();
        QTest::keyClicks(delay, typed);
        emit delay->editingFinished();
        EXPECT_EQ(savedEvents(0)[0]["Delay"].asString(), saved) << typed;
        EXPECT_EQ(delay->text(), saved) << typed;
    }
    delay->clear();
    QTest::keyClicks(delay, "1a2");
    EXPECT_EQ(delay->text(), "12") << "digits only";

    control<QLineEdit>("macro_fixed_time_edit")->setText("3");
    click("macro_tab_macrodelay_edit");
    EXPECT_EQ(notices, QStringList{"message_text_36"});
    EXPECT_EQ(control<QLineEdit>("macro_fixed_time_edit")->text(), "10");
    for (const Json::Value& event : savedEvents(0))
        EXPECT_EQ(event["Delay"].asString(), "10");
}

TEST_F(MacroPageTest, AddRenameAndDeleteWithTheirPrompts)
{
    writeLibrary({{"macro_1", events({key(4, true)})}, {"macro_3", events({})}});
    CMacroControlUI& macros = open();
    QSignalSpy libraryChanged(&macros, &CMacroControlUI::libraryChanged);
    click("macro_btn_name_add");
    EXPECT_EQ(questions, QStringList{"message_text_29"});
    EXPECT_EQ(macros.library().nameAt(2), "macro_2");
    EXPECT_EQ(macros.selectedMacro(), 2);

    control<QLineEdit>("macro_edit_macroname")->setText("MACRO_1");
    click("macro_btn_name_edit");
    EXPECT_EQ(notices, QStringList{"message_text_5"});
    EXPECT_EQ(control<QLineEdit>("macro_edit_macroname")->text(), "macro_2") << "the name is put back";
    control<QLineEdit>("macro_edit_macroname")->setText("burst");
    click("macro_btn_name_edit");
    EXPECT_EQ(control<QListWidget>("macro_name_list")->item(2)->text(), "burst");

    macros.selectMacro(0);
    macroInUse = 0;
    answer = false;
    questions.clear();
    click("macro_btn_name_sub");
    EXPECT_EQ(questions, QStringList{"message_text_4"});
    answer = true;
    QSignalSpy removed(&macros, &CMacroControlUI::macroRemoved);
    questions.clear();
    click("macro_btn_name_sub");
    EXPECT_EQ(questions, (QStringList{"message_text_4", "message_text_2"}));
    ASSERT_EQ(removed.count(), 1);
    EXPECT_EQ(removed.front().front().toInt(), 0);
    EXPECT_EQ(macros.library().count(), 2);
    EXPECT_EQ(libraryChanged.count(), 3);
}

TEST_F(MacroPageTest, ImportAndExportThroughTheChosenFiles)
{
    writeLibrary({{"a", events({key(4, true), key(4, false)})}});
    CMacroControlUI& macros = open();
    chosenFile = QString::fromStdString(dir.file("out.mac"));
    click("macro_btn_export");
    EXPECT_EQ(test::readFile(dir.file("out.mac")), test::readFile(macros.library().macroPath(0).string()));

    fs::copy_file(dir.file("out.mac"), dir.file("a.mac"));
    chosenFile = QString::fromStdString(dir.file("a.mac"));
    click("macro_btn_import");
    EXPECT_EQ(macros.library().nameAt(1), "a_1");
    EXPECT_EQ(control<QListWidget>("macro_action_list")->count(), 2);

    test::writeFile(dir.file("notes.mac"), "shopping list");
    chosenFile = QString::fromStdString(dir.file("notes.mac"));
    click("macro_btn_import");
    EXPECT_EQ(notices, QStringList{"macro_not_a_macro_text"});
    EXPECT_EQ(macros.library().count(), 2);
}

TEST_F(MacroPageTest, DamagedFilesInTheFolderAreShownEmptyAndHarmNoOtherMacro)
{
    writeLibrary({{"good", events({key(4, true)})}, {"bad", events({key(5, true)})}});
    test::writeFile(folder() + "/2026_01_01_00_00_00_101.mac", "{\"Events\": [1, 2");
    const std::string goodFile = test::readFile(folder() + "/2026_01_01_00_00_00_100.mac");
    CMacroControlUI& macros = open();
    macros.selectMacro(1);
    EXPECT_EQ(control<QListWidget>("macro_action_list")->count(), 0);
    macros.selectMacro(0);
    EXPECT_EQ(control<QListWidget>("macro_action_list")->count(), 1);
    EXPECT_EQ(test::readFile(folder() + "/2026_01_01_00_00_00_100.mac"), goodFile);

    test::writeFile(folder() + "/macro.config", "{\"MacroInfo\": [{\"MacroName\": 5, \"Guid\": \"../../x\"}");
    CMacroControlUI& reopened = open();
    EXPECT_TRUE(notices.contains("macro_library_damaged_text"));
    ASSERT_EQ(reopened.library().count(), 1) << "the index is rebuilt from the readable macro files";
    EXPECT_EQ(reopened.library().nameAt(0), "good");
    EXPECT_EQ(test::readFile(folder() + "/2026_01_01_00_00_00_100.mac"), goodFile);
    EXPECT_TRUE(fs::exists(folder() + "/2026_01_01_00_00_00_101.mac")) << "an unreadable macro is left alone";
}

TEST_F(MacroPageTest, RecordingAppendsWithMeasuredDelaysAndTheStopClickEndsIt)
{
    writeLibrary({{"m", events({})}});
    CMacroControlUI& macros = open();
    QSignalSpy capture(&macros, &CMacroControlUI::captureRequested);
    QSignalSpy finished(&macros, &CMacroControlUI::recordingFinished);
    QSignalSpy write(&macros, &CMacroControlUI::deviceWriteWanted);
    click("macro_btn_starredio");
    ASSERT_EQ(capture.count(), 1);
    EXPECT_EQ(capture.front().front().toInt(), 4);
    EXPECT_TRUE(control("macro_btn_stopredio")->isVisibleTo(root.get()));
    EXPECT_FALSE(control("macro_btn_starredio")->isVisibleTo(root.get()));
    EXPECT_TRUE(control("macro_record_state")->isVisibleTo(root.get()));
    EXPECT_TRUE(control("macro_action_list")->testAttribute(Qt::WA_TransparentForMouseEvents));
    EXPECT_FALSE(control("macro_btn_deleteall")->isEnabled()) << "nothing changes the macro under the recorder";
    EXPECT_FALSE(control("mouse_move_layout")->isEnabled());
    EXPECT_FALSE(control("macro_btn_save")->isEnabled());

    RecordedInput a;
    a.scanCode = 0x1E;
    a.pressed = true;
    now = 1300;
    macros.record(a);
    a.pressed = false;
    now = 1420;
    macros.record(a);
    macros.setCapturePaused(true);
    EXPECT_EQ(control<QLabel>("macro_record_state")->text(), real.language.text("macro_record_paused_text"));

    RecordedInput stop;
    stop.kind = RecordedInput::Kind::MouseButton;
    stop.buttonBit = kButtonLeft;
    stop.onStopButton = true;
    stop.pressed = true;
    macros.record(stop);
    stop.pressed = false;
    macros.record(stop);
    EXPECT_FALSE(macros.isRecording());
    EXPECT_EQ(finished.count(), 1);
    EXPECT_EQ(write.count(), 1);
    const Json::Value saved = savedEvents(0);
    ASSERT_EQ(saved.size(), 2u) << "the stop click is not recorded";
    EXPECT_EQ(saved[0], key(0x04, true, "120"));
    EXPECT_EQ(saved[1], key(0x04, false, "10"));
    EXPECT_FALSE(control("macro_action_list")->testAttribute(Qt::WA_TransparentForMouseEvents));
    EXPECT_TRUE(control("macro_btn_deleteall")->isEnabled());
    EXPECT_TRUE(control("mouse_move_layout")->isEnabled());
}

TEST_F(MacroPageTest, MenuRecordingsUseTheirDelayModes)
{
    writeLibrary({{"m", events({key(4, true, "500"), key(4, false, "500")})}});
    CMacroControlUI& macros = open();
    QSignalSpy capture(&macros, &CMacroControlUI::captureRequested);
    control<QAbstractButton>("macro_check_time")->setChecked(true);
    control<QLineEdit>("macro_fixed_time_edit")->setText("120");
    macros.selectRow(1);
    runMenuItem("redio_later_record_time");
    ASSERT_EQ(capture.count(), 1);
    EXPECT_EQ(capture.front().front().toInt(), 16);
    RecordedInput b;
    b.scanCode = 0x30;
    b.pressed = true;
    macros.record(b);
    macros.stopRecording();
    EXPECT_EQ(savedEvents(0)[1]["Delay"].asString(), "120");
    EXPECT_EQ(savedEvents(0)[2], key(0x05, true, "120"));

    macros.selectRow(0);
    runMenuItem("macro_action_edit");
    EXPECT_EQ(capture.back().front().toInt(), 32);
    b.pressed = false;
    macros.record(b);
    macros.stopRecording();
    EXPECT_EQ(savedEvents(0)[0], key(0x05, false, "500")) << "replacing keeps the delay";
}

}  // namespace
}  // namespace kestrion
