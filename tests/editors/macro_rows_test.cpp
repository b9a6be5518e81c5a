#include "editors/macro_rows.h"
#include "profiles/json_file.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace kestrion {
namespace {

using test::TempDir;

// Rows named by their "Button" for short expectations.
std::vector<int> buttons(const MacroRows& rows)
{
    std::vector<int> result;
    for (int i = 0; i < rows.count(); ++i)
        result.push_back(rows.at(i).event ? (*rows.at(i).event)["Button"].asInt() : -1);
    return result;
}

Json::Value keyEvents(int count)
{
    Json::Value events(Json::arrayValue);
    for (int i = 0; i < count; ++i)
        events.append(macroEvent(MacroEventType::Key, 4 + i, i % 2 == 0, std::to_string(100 + i)));
    return events;
}

// A macro file written to disk and read back as the page does.
MacroRows rowsFromFile(TempDir& dir, const std::string& text)
{
    const std::string path = dir.file("m.mac");
    test::writeFile(path, text);
    MacroRows rows;
    rows.load(LoadJsonFile(path)["Events"]);
    return rows;
}

TEST(MacroRowsTest, FileDelaysAreShownWithinTheEditRange)
{
    TempDir dir;
    const MacroRows rows = rowsFromFile(dir, R"({"Events": [
        {"Action": "down", "Button": 4, "Type": 10, "Delay": "5"},
        {"Action": "up", "Button": 4, "Type": 10, "Delay": "10"},
        {"Action": "down", "Button": 5, "Type": 10, "Delay": "11"},
        {"Action": "up", "Button": 5, "Type": 10, "Delay": "70000"},
        {"Action": "down", "Button": 6, "Type": 10, "Delay": ""},
        {"Action": "up", "Button": 6, "Type": 10, "Delay": "x"},
        {"Action": "down", "Button": 7, "Type": 10, "Delay": 300},
        {"Action": "up", "Button": 7, "Type": 10, "Delay": "99999999999999999999999"},
        {"Action": "down", "Button": 8, "Type": 10, "Delay": -4}]})");
    const std::vector<int> expected = {10, 10, 11, 65535, 10, 10, 300, 65535, 10};
    ASSERT_EQ(rows.count(), static_cast<int>(expected.size()));
    for (int i = 0; i < rows.count(); ++i)
        EXPECT_EQ(rows.at(i).delay, expected[static_cast<std::size_t>(i)]) << "row " << i;
}

TEST(MacroRowsTest, DamagedFilesShowWhatIsUsable)
{
    TempDir dir;
    EXPECT_EQ(rowsFromFile(dir, "not json").count(), 0);
    EXPECT_EQ(rowsFromFile(dir, R"({"Events": {"a": 1}})").count(), 0);
    EXPECT_EQ(rowsFromFile(dir, R"({"Events": [1, "x", null, {"Type": 1, "Button": 2, "Action": "up"}]})").count(), 1);
}

TEST(MacroRowsTest, AFileOfMoreThanSixtyEventsIsShownWholeAndSavedCut)
{
    MacroRows rows;
    rows.load(keyEvents(75));
    EXPECT_EQ(rows.count(), 75);
    bool shortened = false;
    EXPECT_EQ(rows.events(&shortened).size(), 60u);
    EXPECT_TRUE(shortened);
    EXPECT_TRUE(rows.cutToLimit());
    EXPECT_EQ(rows.count(), 60);
}

struct MoveCase {
    const char* name;
    int selected;
    bool (MacroRows::*operation)();
    std::vector<int> expected;
    int selectedAfter;
};

TEST(MacroRowsTest, MovingRows)
{
    const MoveCase cases[] = {
        {"up from the middle", 2, &MacroRows::moveUp, {4, 6, 5, 7, 8}, 1},
        {"up from the top", 0, &MacroRows::moveUp, {4, 5, 6, 7, 8}, 0},
        {"down from the middle", 2, &MacroRows::moveDown, {4, 5, 7, 6, 8}, 3},
        {"down from the bottom", 4, &MacroRows::moveDown, {4, 5, 6, 7, 8}, 4},
        {"down without selection", -1, &MacroRows::moveDown, {4, 5, 6, 7, 8}, -1},
        {"top", 3, &MacroRows::moveTop, {7, 4, 5, 6, 8}, 0},
        {"top from the top", 0, &MacroRows::moveTop, {4, 5, 6, 7, 8}, 0},
        {"bottom", 1, &MacroRows::moveBottom, {4, 6, 7, 8, 5}, 4},
        {"bottom from the bottom", 4, &MacroRows::moveBottom, {4, 5, 6, 7, 8}, 4},
        {"bottom without selection", -1, &MacroRows::moveBottom, {4, 5, 6, 7, 8}, -1},
    };
    for (const MoveCase& c : cases) {
        MacroRows rows;
        rows.load(keyEvents(5));
        rows.select(c.selected);
        const int delayOfMoved = c.selected >= 0 ? rows.at(c.selected).delay : 0;
        (rows.*c.operation)();
        EXPECT_EQ(buttons(rows), c.expected) << c.name;
        EXPECT_EQ(rows.selected(), c.selectedAfter) << c.name;
        if (c.selectedAfter >= 0) {
            EXPECT_EQ(rows.at(c.selectedAfter).delay, delayOfMoved) << c.name;
        }
    }
}

TEST(MacroRowsTest, DeletingRows)
{
    MacroRows rows;
    rows.load(keyEvents(3));
    EXPECT_FALSE(rows.deleteSelected());
    EXPECT_EQ(rows.count(), 3);
    rows.select(1);
    EXPECT_TRUE(rows.deleteSelected());
    EXPECT_EQ(buttons(rows), (std::vector<int>{4, 6}));
    EXPECT_EQ(rows.selected(), -1);
    rows.deleteAll();
    EXPECT_EQ(rows.count(), 0);
    EXPECT_EQ(rows.events().size(), 0u);
}

TEST(MacroRowsTest, InsertingByHand)
{
    struct Case {
        const char* name;
        int rowsBefore;
        int selected;
        std::vector<int> expected;
        int selectedAfter;
    };
    const Case cases[] = {
        {"after the third of five", 5, 2, {4, 5, 6, 1, 7, 8}, 3},
        {"into an empty list", 0, -1, {1}, 0},
        {"nothing selected goes first", 2, -1, {1, 4, 5}, 0},
        {"after the last", 2, 1, {4, 5, 1}, 2},
    };
    for (const Case& c : cases) {
        MacroRows rows;
        rows.load(keyEvents(c.rowsBefore));
        rows.select(c.selected);
        EXPECT_TRUE(rows.insertAfterSelected(mouseButtonEvent(kButtonLeft, true, 50))) << c.name;
        EXPECT_EQ(buttons(rows), c.expected) << c.name;
        EXPECT_EQ(rows.selected(), c.selectedAfter) << c.name;
        EXPECT_EQ(rows.at(c.selectedAfter).delay, 50) << c.name;
    }
}

TEST(MacroRowsTest, AClickWithTheThirdOfFiveSelectedBecomesTheFourthAndFifthRows)
{
    MacroRows rows;
    rows.load(keyEvents(5));
    rows.select(2);
    rows.insertAfterSelected(mouseButtonEvent(kButtonLeft, true, 50));
    rows.insertAfterSelected(mouseButtonEvent(kButtonLeft, false, 50));
    const Json::Value events = rows.events();
    ASSERT_EQ(events.size(), 7u);
    EXPECT_EQ(events[3], mouseButtonEvent(kButtonLeft, true, 50));
    EXPECT_EQ(events[4], mouseButtonEvent(kButtonLeft, false, 50));
}

TEST(MacroRowsTest, PointerMovesAreStoredByDirection)
{
    struct Case {
        PointerMove move;
        int type;
        const char* action;
    };
    const Case cases[] = {
        {PointerMove::Left, 4, "down"},
        {PointerMove::Right, 4, "up"},
        {PointerMove::Up, 5, "down"},
        {PointerMove::Down, 5, "up"},
    };
    for (const Case& c : cases) {
        const Json::Value event = pointerMoveEvent(c.move, 15 + 256, 50);
        EXPECT_EQ(event["Type"].asInt(), c.type);
        EXPECT_EQ(event["Action"].asString(), c.action);
        EXPECT_EQ(event["Button"].asInt(), 15) << "the distance keeps its low 8 bits";
    }
}

TEST(MacroRowsTest, AFullListTakesNoHandInsertedEvent)
{
    MacroRows rows;
    rows.load(keyEvents(60));
    rows.select(10);
    EXPECT_FALSE(rows.insertAfterSelected(pointerMoveEvent(PointerMove::Left, 5, 50)));
    EXPECT_EQ(rows.count(), 60);
}

TEST(MacroRowsTest, DelaysOfOneRowOrAllRowsAreSaved)
{
    MacroRows rows;
    rows.load(keyEvents(3));
    EXPECT_TRUE(rows.setDelay(1, 777));
    EXPECT_FALSE(rows.setDelay(3, 1));
    EXPECT_EQ(rows.events()[1]["Delay"].asString(), "777");
    rows.setDelay(2, 0);
    EXPECT_EQ(rows.events()[2]["Delay"].asString(), "0") << "an emptied cell is saved as 0";
    rows.setAllDelays(40);
    for (const Json::Value& event : rows.events())
        EXPECT_EQ(event["Delay"].asString(), "40");
}

struct PlaceCase {
    const char* name;
    Placement placement;
    int selected;
    std::vector<int> expected;
    int selectedAfter;
    int changedRow;
};

TEST(MacroRowsTest, PlacingRecordedEvents)
{
    const PlaceCase cases[] = {
        {"append", Placement::Append, 1, {4, 5, 6, 1}, 3, 3},
        {"append without selection", Placement::Append, -1, {4, 5, 6, 1}, 3, 3},
        {"before", Placement::Before, 1, {4, 1, 5, 6}, 2, 1},
        {"before without selection", Placement::Before, -1, {4, 5, 6}, -1, -1},
        {"after", Placement::After, 1, {4, 5, 1, 6}, 2, 2},
        {"after without selection", Placement::After, -1, {4, 5, 6}, -1, -1},
        {"replace", Placement::Replace, 1, {4, 1, 6}, 1, 1},
        {"replace without selection", Placement::Replace, -1, {4, 5, 6}, -1, -1},
    };
    for (const PlaceCase& c : cases) {
        MacroRows rows;
        rows.load(keyEvents(3));
        rows.select(c.selected);
        const int changed = rows.place(c.placement, mouseButtonEvent(kButtonLeft, true, 0), 10, 300);
        EXPECT_EQ(buttons(rows), c.expected) << c.name;
        EXPECT_EQ(rows.selected(), c.selectedAfter) << c.name;
        EXPECT_EQ(changed, c.changedRow) << c.name;
        if (c.placement != Placement::Replace && changed > 0) {
            EXPECT_EQ(rows.at(changed - 1).delay, 300) << c.name << ": the row before gets the measured delay";
        }
    }
}

TEST(MacroRowsTest, ReplacingKeepsTheRowsDelay)
{
    MacroRows rows;
    rows.load(keyEvents(2));
    rows.select(0);
    rows.place(Placement::Replace, mouseButtonEvent(kButtonRight, false, 0), 10, 999);
    EXPECT_EQ(rows.at(0).delay, 100);
    EXPECT_EQ(rows.events()[0], mouseButtonEvent(kButtonRight, false, 100));
}

TEST(MacroRowsTest, RecordingPastTheLimitLeavesEmptyRowsThatSavingDrops)
{
    MacroRows rows;
    rows.load(keyEvents(59));
    rows.place(Placement::Append, mouseButtonEvent(kButtonLeft, true, 0), 10, 20);
    rows.place(Placement::Append, mouseButtonEvent(kButtonLeft, false, 0), 10, 20);
    rows.place(Placement::Append, mouseButtonEvent(kButtonRight, true, 0), 10, 20);
    EXPECT_EQ(rows.count(), 62);
    EXPECT_FALSE(rows.at(60).event);
    bool shortened = false;
    const Json::Value events = rows.events(&shortened);
    EXPECT_EQ(events.size(), 60u);
    EXPECT_TRUE(shortened);
    EXPECT_EQ(events[59], mouseButtonEvent(kButtonLeft, true, 10));
}

}  // namespace
}  // namespace kestrion
