#include <gtest/gtest.h>

#include <json/value.h>

#include <filesystem>

#include "editors/shoot_pattern.h"
#include "platform/json_access.h"
#include "profiles/json_file.h"
#include "support/temp_dir.h"

namespace kestrion {
namespace {

struct Event {
    std::string action;
    int button;
    int delay;
    int type;
    bool operator==(const Event&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Event& e)
{
    return out << "{" << e.action << " " << e.button << " " << e.delay << " " << e.type << "}";
}

Event eventAt(const Json::Value& document, int index)
{
    const Json::Value& event = elementOf(memberOf(document, "Events"), static_cast<Json::ArrayIndex>(index));
    return {textOf(memberOf(event, "Action")), static_cast<int>(integerOf(memberOf(event, "Button"))),
            static_cast<int>(integerOf(memberOf(event, "Delay"))), static_cast<int>(integerOf(memberOf(event, "Type")))};
}

struct EncodingCase {
    int bullet;
    Bullet value;
    std::array<Event, 6> events;
    Bullet readBack;
};

const EncodingCase kEncodings[] = {
    {0, {3, true, 7, false, 90},
     {{{"down", 1, 10, 1}, {"up", 1, 0, 1}, {"down", 3, 5, 4}, {"up", 7, 90, 5}, {"down", 0, 0, 4}, {"up", 0, 0, 5}}},
     {3, true, 7, false, 90}},
    {29, {0, false, 255, true, 65535},
     {{{"down", 1, 10, 1}, {"up", 1, 0, 1}, {"up", 0, 5, 4}, {"down", 255, 65535, 5}, {"up", 0, 0, 4}, {"down", 0, 0, 5}}},
     {0, false, 255, true, 65535}},
    // Values past what the mouse takes are limited.
    {5, {300, false, -4, true, 70000},
     {{{"down", 1, 10, 1}, {"up", 1, 0, 1}, {"up", 255, 5, 4}, {"down", 0, 65535, 5}, {"up", 0, 0, 4}, {"down", 0, 0, 5}}},
     {255, false, 0, true, 65535}},
};

TEST(ShootBullets, EncodeAndDecodeEveryBulletBothWays)
{
    for (const EncodingCase& c : kEncodings) {
        Json::Value document(Json::objectValue);
        writeBullet(document, c.bullet, c.value);
        for (int i = 0; i < kEventsPerBullet; ++i)
            EXPECT_EQ(eventAt(document, c.bullet * kEventsPerBullet + i), c.events[static_cast<std::size_t>(i)])
                << "bullet " << c.bullet << " event " << i;
        EXPECT_EQ(readBullet(document, c.bullet), c.readBack) << "bullet " << c.bullet;
        EXPECT_EQ(bulletCount(document), c.bullet + 1);
    }
}

// A short pattern reads zeros past its end; writing past it fills the gap with still bullets;
// members the editor does not know stay as they are.
TEST(ShootBullets, ShortPatternsAndForeignMembers)
{
    Json::Value document = parseJsonText(R"({
        "Name": "AK", "Version": 3,
        "Events": [
            {"Action": "down", "Button": 1, "Delay": 10, "Type": 1, "Note": "kept"},
            {"Action": "up", "Button": 1, "Delay": 0, "Type": 1},
            {"Action": "up", "Button": 2, "Delay": 5, "Type": 4},
            {"Action": "up", "Button": 6, "Delay": 80, "Type": 5},
            {"Action": "up", "Button": 0, "Delay": 0, "Type": 4},
            {"Action": "up", "Button": 0, "Delay": 0, "Type": 5},
            {"Action": "down", "Button": 1, "Delay": 10, "Type": 1}
        ]})");
    ASSERT_TRUE(isShootPattern(document));
    EXPECT_EQ(bulletCount(document), 1);
    EXPECT_EQ(readBullet(document, 0), (Bullet{2, false, 6, false, 80}));
    EXPECT_EQ(readBullet(document, 1), Bullet{});
    EXPECT_EQ(readBullet(document, 29), Bullet{});

    writeBullet(document, 3, {1, true, 4, false, 60});
    EXPECT_EQ(bulletCount(document), 4);
    EXPECT_EQ(readBullet(document, 0), (Bullet{2, false, 6, false, 80}));
    EXPECT_EQ(readBullet(document, 1), Bullet{});
    EXPECT_EQ(eventAt(document, 6), (Event{"down", 1, 10, 1})) << "a still bullet still shoots";
    EXPECT_EQ(readBullet(document, 3), (Bullet{1, true, 4, false, 60}));
    writeBullet(document, 0, {9, true, 9, true, 9});
    EXPECT_EQ(textOf(document["Events"][0]["Note"]), "kept");
    EXPECT_EQ(textOf(document["Name"]), "AK");
    EXPECT_EQ(integerOf(document["Version"]), 3);
    writeBullet(document, kBulletsPerGun, {1, true, 1, true, 1});
    EXPECT_EQ(bulletCount(document), 4) << "there is no bullet 31";
}

TEST(ShootBullets, OnlyAnObjectWithAnEventListIsAPattern)
{
    for (const char* text : {"", "[1, 2]", R"({"Events": 5})", R"({"Events": {"a": 1}})", "{ damaged", "null"})
        EXPECT_FALSE(isShootPattern(parseJsonText(text))) << text;
    EXPECT_EQ(bulletCount(parseJsonText("[1]")), 0);
    EXPECT_EQ(readBullet(parseJsonText("{ damaged"), 0), Bullet{});
}

class ShootFiles : public ::testing::Test {
protected:
    std::string factory(int gun) const { return test::readFile(files.factoryPath(gun)); }
    std::string own(int gun) const { return test::readFile(files.path(gun)); }

    test::TempDir folder;
    test::TempDir elsewhere;
    ShootPatternFiles files{folder.path(), KESTRION_SOURCE_ROOT "/DefaultData"};
};

// A damaged file is shown from the factory copy but left on disk until the user changes the pattern.
TEST_F(ShootFiles, DamagedFilesFallBackToTheFactoryCopyAndStayUntilTheUserActs)
{
    test::writeFile(files.path(1), "{ damaged");
    files.createMissing();
    for (int gun : {0, 2, 3})
        EXPECT_EQ(own(gun), factory(gun)) << gun;
    EXPECT_EQ(own(1), "{ damaged");
    bool fromFactory = false;
    const Json::Value shown = files.load(1, &fromFactory);
    EXPECT_TRUE(fromFactory);
    EXPECT_EQ(shown, LoadJsonFile(files.factoryPath(1)));
    ASSERT_TRUE(files.exportTo(1, elsewhere.file("out.shoot")));
    EXPECT_EQ(test::readFile(elsewhere.file("out.shoot")), factory(1));
    EXPECT_EQ(own(1), "{ damaged");

    ASSERT_TRUE(files.saveBullet(1, 2, {5, false, 5, false, 50}));
    Json::Value saved = files.load(1, &fromFactory);
    EXPECT_FALSE(fromFactory);
    EXPECT_EQ(readBullet(saved, 2), (Bullet{5, false, 5, false, 50}));
    EXPECT_EQ(readBullet(saved, 0), readBullet(LoadJsonFile(files.factoryPath(1)), 0));
}

TEST_F(ShootFiles, ResetRestoresOnlyItsGunAndImportTakesOnlyPatterns)
{
    files.createMissing();
    for (int gun = 0; gun < kShootGuns; ++gun)
        ASSERT_TRUE(files.saveBullet(gun, 0, {gun + 1, false, 1, false, 1}));
    ASSERT_TRUE(files.reset(2));
    EXPECT_EQ(own(2), factory(2));
    for (int gun : {0, 1, 3})
        EXPECT_EQ(readBullet(files.load(gun), 0).x, gun + 1) << gun;

    const std::string before = own(0);
    struct Import {
        const char* content;
        ShootPatternFiles::ImportResult result;
    };
    const Import imports[] = {
        {"{ damaged", ShootPatternFiles::ImportResult::NotAPattern},
        {R"({"Name": "no events"})", ShootPatternFiles::ImportResult::NotAPattern},
        {"", ShootPatternFiles::ImportResult::Unreadable},
    };
    for (const Import& i : imports) {
        test::writeFile(elsewhere.file("in.shoot"), i.content);
        EXPECT_EQ(files.importFrom(0, elsewhere.file("in.shoot")), i.result) << i.content;
        EXPECT_EQ(own(0), before) << i.content;
    }
    EXPECT_EQ(files.importFrom(0, elsewhere.file("absent.shoot")), ShootPatternFiles::ImportResult::Unreadable);

    const std::string pattern = R"({"Events": [], "Name": "mine"})";
    test::writeFile(elsewhere.file("in.shoot"), pattern);
    EXPECT_EQ(files.importFrom(0, elsewhere.file("in.shoot")), ShootPatternFiles::ImportResult::Imported);
    EXPECT_EQ(own(0), pattern);
    ASSERT_TRUE(files.exportTo(0, elsewhere.file("back.shoot")));
    EXPECT_EQ(test::readFile(elsewhere.file("back.shoot")), pattern);
}

}  // namespace
}  // namespace kestrion
