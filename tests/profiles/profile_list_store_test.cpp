#include "profiles/basic_profile_data.h"
#include "profiles/json_file.h"
#include "profiles/profile_list_store.h"
#include "profiles/profile_names.h"
#include "support/temp_dir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <regex>
#include <set>

namespace kestrion {
namespace {

using test::TempDir;
using test::readFile;
using test::writeFile;

constexpr int kMouse = 2;
constexpr int kHeadset = 7;

class ProfileListStoreTest : public ::testing::Test {
protected:
    ProfileListStoreTest()
    {
        Json::Value defaults;
        defaults["Device"][0]["LightInfo"]["Red"] = 11;
        defaults["Device"][0]["CustomEQNameInfo"] = Json::Value(Json::arrayValue);
        SaveJsonFile(defaults, defaultPath());
        std::filesystem::create_directory(folder());
    }

    std::string folder() const { return dir.file("mouse"); }
    std::string defaultPath() const { return dir.file("mouse.Json"); }
    ProfileListStore makeStore(int kind = kMouse) { return ProfileListStore(kind, folder(), defaultPath()); }
    Json::Value listFile() const { return LoadJsonFile(folder() + "/ProfileList.ini"); }

    std::vector<std::string> names(ProfileListStore& store)
    {
        std::vector<std::string> result;
        for (const auto& entry : store.profiles())
            result.push_back(entry.name);
        return result;
    }

    // Makes a store whose list holds the given names, in order (names the list file as a user
    // could have left it, so they need not pass the rename checks).
    ProfileListStore storeWith(const std::vector<std::string>& profileNames, int kind = kMouse)
    {
        ProfileListStore store = makeStore(kind);
        store.init();
        for (std::size_t i = 1; i < profileNames.size(); ++i)
            EXPECT_EQ(store.add(), ProfileAddResult::Added);
        Json::Value list = listFile();
        for (Json::ArrayIndex i = 0; i < profileNames.size(); ++i)
            list["profilelist"][i]["profilename"] = profileNames[i];
        SaveJsonFile(list, folder() + "/ProfileList.ini");
        store.select(0);
        return store;
    }

    TempDir dir;
};

TEST_F(ProfileListStoreTest, FirstStartCreatesProfile1FromTheDefaultDocument)
{
    ProfileListStore store = makeStore();
    store.init();
    const Json::Value list = listFile();
    ASSERT_EQ(list["profilelist"].size(), 1u);
    const Json::Value& entry = list["profilelist"][0];
    EXPECT_EQ(entry["profilename"], "Profile1");
    EXPECT_EQ(entry["profileislink"].asInt(), 0);
    EXPECT_EQ(entry["profilelinkmame"], "");
    EXPECT_EQ(list["profileselect"].asInt(), 0);
    EXPECT_EQ(store.selectedIndex(), 0);
    EXPECT_TRUE(std::regex_match(store.selectedUuid(), std::regex(R"(\d{4}(_\d{2}){5}_\d{3})")));
    EXPECT_EQ(entry["profileUUID"], store.selectedUuid());

    const Json::Value document = LoadJsonFile(store.documentPath(0));
    EXPECT_EQ(document["profilename"], "Profile1");
    EXPECT_EQ(document["profileUUID"], store.selectedUuid());
    EXPECT_EQ(document["Device"][0]["LightInfo"]["Red"].asInt(), 11);
    EXPECT_EQ(readFile(folder() + "/ProfileList.ini"), styledJsonText(list));
}

TEST_F(ProfileListStoreTest, ADamagedListIsRebuiltFromTheStoredDocuments)
{
    const auto before = storeWith({"A", "B", "C"}).profiles();
    writeFile(dir.file("mouse/stray.Json"), R"({ "profilename" : "x", "profileUUID" : "other" })");
    writeFile(dir.file("mouse/ProfileList.ini"), "{ \"profilelist\" : [ { \"profilen");
    ProfileListStore store = makeStore();
    store.init();
    const auto after = store.profiles();
    ASSERT_EQ(after.size(), 3u);
    for (std::size_t i = 0; i < after.size(); ++i) {
        EXPECT_EQ(after[i].uuid, before[i].uuid);
        EXPECT_EQ(after[i].name, "Profile" + std::to_string(i + 1)) << "names as the documents hold them";
    }
    EXPECT_EQ(listFile()["profilelist"].size(), 3u);
}

TEST_F(ProfileListStoreTest, SelectionSurvivesARestartAndBadIndexesAreRefused)
{
    ProfileListStore store = storeWith({"A", "B", "C"});
    EXPECT_TRUE(store.select(2));
    EXPECT_FALSE(store.select(3));
    EXPECT_FALSE(store.select(-1));
    EXPECT_EQ(store.selectedIndex(), 2);

    ProfileListStore again = makeStore();
    again.init();
    EXPECT_EQ(again.selectedIndex(), 2);
    EXPECT_EQ(again.selectedUuid(), store.selectedUuid());
}

// However the list is damaged, the next start finds the profile the user had selected again by
// its identifier, so that later changes land in it and not in the first profile.
TEST_F(ProfileListStoreTest, ADamagedListKeepsTheSelectedProfile)
{
    const char* damages[] = {
        "{ \"profilelist\" : [ { \"profilen",                        // cut short
        "",                                                             // emptied
        "\x01\x02 not json",                                          // junk
        "{ \"profilelist\" : 7, \"profileselect\" : 2 }",           // the list of the wrong type
        "[]",                                                           // not an object
    };
    for (const char* damage : damages) {
        ProfileListStore store = storeWith({"A", "B", "C"});
        ASSERT_TRUE(store.select(2));
        const std::string selected = store.selectedUuid();
        writeFile(folder() + "/ProfileList.ini", damage);

        ProfileListStore again = makeStore();
        again.init();
        EXPECT_EQ(again.selectedUuid(), selected) << damage;
        EXPECT_EQ(listFile()["profileselect"].asInt(), again.selectedIndex()) << damage;
    }
    // An index that is no index of the list is taken as damage too.
    ProfileListStore store = storeWith({"A", "B", "C"});
    ASSERT_TRUE(store.select(1));
    Json::Value list = listFile();
    list["profileselect"] = "two";
    SaveJsonFile(list, folder() + "/ProfileList.ini");
    ProfileListStore again = makeStore();
    again.init();
    EXPECT_EQ(again.selectedUuid(), store.selectedUuid());
}

TEST_F(ProfileListStoreTest, AddPicksTheSmallestFreeProfileNumberIgnoringCase)
{
    ProfileListStore store = storeWith({"Profile1", "profile2", "Profile4"});
    ASSERT_EQ(store.add(), ProfileAddResult::Added);
    EXPECT_EQ(names(store).back(), "Profile3");
    EXPECT_EQ(listFile()["profileselect"].asInt(), 3) << "the list file selects the new profile";
    EXPECT_EQ(store.selectedIndex(), 0) << "the store's selection waits for select()";
}

TEST_F(ProfileListStoreTest, CopyRepeatsTheSuffixWhileTakenAndCopiesTheStoredDocument)
{
    ProfileListStore store = storeWith({"A", "A copy"});
    CBasicProfiledata record;
    record.SetProfilePath(store.documentPath(0));
    record.LoadProfile(store.documentPath(0));
    LightInfo light = record.GetLightInfo();
    light.blue = 77;
    record.SetLightInfo(light);
    record.SaveProfile();

    ASSERT_EQ(store.copy(), ProfileAddResult::Added);
    EXPECT_EQ(names(store), (std::vector<std::string> {"A", "A copy", "A copy copy"}));
    const Json::Value copied = LoadJsonFile(store.documentPath(2));
    EXPECT_EQ(copied["Device"][0]["LightInfo"]["Blue"].asInt(), 77);
    EXPECT_EQ(copied["profilename"], "A copy copy");
    EXPECT_EQ(copied["profileUUID"], store.profiles()[2].uuid);
    EXPECT_EQ(listFile()["profileselect"].asInt(), 0);
}

TEST_F(ProfileListStoreTest, ImportAppendsCountersToTheExtendedName)
{
    const std::string source = dir.file("Gaming.json");
    writeFile(source, R"({ "profilename" : "Theirs", "profileUUID" : "x", "Device" : [ { "Odd" : [ 1, "two" ] } ] })");
    ProfileListStore store = storeWith({"Profile1"});
    const std::string name = baseNameOf(source);
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(store.importProfile(source, name), ProfileImportResult::Imported);
    EXPECT_EQ(names(store), (std::vector<std::string> {"Profile1", "Gaming", "Gaming(1)", "Gaming(1)(2)"}));
    const Json::Value imported = LoadJsonFile(store.documentPath(1));
    EXPECT_EQ(imported["Device"], LoadJsonFile(source)["Device"]);
    EXPECT_EQ(imported["profilename"], "Gaming");
    EXPECT_EQ(imported["profileUUID"], store.profiles()[1].uuid);
    EXPECT_EQ(store.selectedIndex(), 0);
}

TEST_F(ProfileListStoreTest, ImportRefusesForeignFilesAndLongNamesWithoutChangingAnything)
{
    ProfileListStore store = storeWith({"Profile1"});
    const std::string before = readFile(folder() + "/ProfileList.ini");
    struct Case {
        const char* content;
        const char* name;
        ProfileImportResult expected;
    } cases[] = {
        {R"({ "profilename" : "a" })", "a", ProfileImportResult::NotAProfile},
        {R"([ "profilename", "profileUUID" ])", "a", ProfileImportResult::NotAProfile},
        {"{ \"profilename\" : \"a\", \"profileUUID\" : ", "a", ProfileImportResult::NotAProfile},
        {R"({ "profilename" : 1, "profileUUID" : null })", "ABCDEFGHIJKLMNOPQ", ProfileImportResult::NameTooLong},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.content);
        writeFile(dir.file("in.json"), c.content);
        EXPECT_EQ(store.importProfile(dir.file("in.json"), c.name), c.expected);
    }
    EXPECT_EQ(store.importProfile(dir.file("missing.json"), "m"), ProfileImportResult::NotAProfile);
    EXPECT_EQ(readFile(folder() + "/ProfileList.ini"), before);
    EXPECT_EQ(utf8CharacterCount("ÄÖÜäöüßéèêëàâîïô"), 16u);
    writeFile(dir.file("in.json"), R"({ "profilename" : 1, "profileUUID" : null })");
    EXPECT_EQ(store.importProfile(dir.file("in.json"), "ÄÖÜäöüßéèêëàâîïô"), ProfileImportResult::Imported);
}

TEST_F(ProfileListStoreTest, FiftyProfilesAtMostAndIdentifiersStayUnique)
{
    ProfileListStore store = makeStore();
    store.init();
    for (int i = 2; i <= ProfileListStore::kMaxProfiles; ++i)
        ASSERT_EQ(store.add(), ProfileAddResult::Added) << i;
    std::set<std::string> uuids;
    for (const auto& entry : store.profiles()) {
        uuids.insert(entry.uuid);
        EXPECT_TRUE(std::filesystem::exists(store.documentPathOf(entry.uuid)));
    }
    EXPECT_EQ(uuids.size(), 50u);

    const std::string before = readFile(folder() + "/ProfileList.ini");
    writeFile(dir.file("in.json"), R"({ "profilename" : "a", "profileUUID" : "b" })");
    EXPECT_EQ(store.add(), ProfileAddResult::LimitReached);
    EXPECT_EQ(store.copy(), ProfileAddResult::LimitReached);
    EXPECT_EQ(store.importProfile(dir.file("in.json"), "in"), ProfileImportResult::LimitReached);
    EXPECT_EQ(readFile(folder() + "/ProfileList.ini"), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder()), {}), 52) << "the 50 documents, the list and the kept selection";
}

TEST_F(ProfileListStoreTest, DeleteSelectsThePreviousProfileAndKeepsTheLastOne)
{
    struct Case {
        int deleted;
        int selectedAfter;
    } cases[] = {{0, 0}, {1, 0}, {2, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.deleted);
        std::filesystem::remove_all(folder());
        ProfileListStore store = storeWith({"A", "B", "C"});
        const auto before = store.profiles();
        store.select(c.deleted);
        ASSERT_TRUE(store.removeSelected());
        EXPECT_EQ(store.count(), 2);
        EXPECT_EQ(store.selectedIndex(), c.selectedAfter);
        EXPECT_EQ(listFile()["profileselect"].asInt(), c.selectedAfter);
        EXPECT_FALSE(std::filesystem::exists(store.documentPathOf(before[c.deleted].uuid)));
        EXPECT_EQ(store.selectedUuid(), store.profiles()[c.selectedAfter].uuid);
    }
    std::filesystem::remove_all(folder());
    ProfileListStore single = storeWith({"Only"});
    EXPECT_FALSE(single.removeSelected());
    EXPECT_TRUE(std::filesystem::exists(single.documentPath(0)));
}

TEST_F(ProfileListStoreTest, FailedWritesLeaveTheListAsItWas)
{
    ProfileListStore store = storeWith({"A", "B"});
    // The folder becomes a file: nothing in it can be read or written any more.
    std::filesystem::rename(folder(), folder() + ".away");
    test::writeFile(folder(), "not a folder");

    EXPECT_EQ(store.rename("New"), ProfileRenameResult::WriteFailed);
    EXPECT_EQ(names(store), (std::vector<std::string>{"A", "B"}));
    ASSERT_TRUE(store.select(1));
    EXPECT_FALSE(store.removeSelected());
    EXPECT_EQ(names(store), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(store.selectedIndex(), 1);
}

TEST_F(ProfileListStoreTest, RenameChecksInOrderAndComparesOnlyOtherProfiles)
{
    ProfileListStore store = storeWith({"Alpha", "Beta"});
    struct Case {
        std::string name;
        ProfileRenameResult expected;
    } cases[] = {
        {"", ProfileRenameResult::Empty},
        {"ABCDEFGHIJKLMNOPQ", ProfileRenameResult::TooLong},
        {"éééééééé", ProfileRenameResult::Renamed},
        {"ééééééééé", ProfileRenameResult::TooLong},
        {"two words", ProfileRenameResult::ForbiddenCharacter},
        {"a*b", ProfileRenameResult::ForbiddenCharacter},
        {"\t\t", ProfileRenameResult::Blank},
        {"BETA", ProfileRenameResult::Taken},
        {"ALPHA", ProfileRenameResult::Renamed},
        {"ABCDEFGHIJKLMNOP", ProfileRenameResult::Renamed},
    };
    for (const auto& c : cases)
        EXPECT_EQ(store.rename(c.name), c.expected) << c.name;
    for (const char c : std::string("<>:\" /\\|?#%&*=")) {
        EXPECT_EQ(checkProfileName(std::string("a") + c), ProfileNameCheck::ForbiddenCharacter) << c;
        EXPECT_EQ(firstForbiddenCharacter(std::string("a") + c + "?"), std::string(1, c));
    }
    EXPECT_EQ(firstForbiddenCharacter("plain-name_1"), "");
    EXPECT_EQ(listFile()["profilelist"][0]["profilename"], "ABCDEFGHIJKLMNOP");
    EXPECT_EQ(LoadJsonFile(store.documentPath(0))["profilename"], "ABCDEFGHIJKLMNOP");
}

TEST_F(ProfileListStoreTest, ResetKeepsNameAndIdentifierAndTheHeadsetsEqualiser)
{
    for (int kind : {kMouse, kHeadset}) {
        SCOPED_TRACE(kind);
        std::filesystem::remove_all(folder());
        ProfileListStore store = storeWith({"Mine"}, kind);
        const std::string path = store.documentPath(0);
        Json::Value document = LoadJsonFile(path);
        document["Device"][0]["LightInfo"]["Red"] = 99;
        document["Device"][0]["CustomEQNameInfo"][0]["Name"] = "Bass";
        document["Device"][0]["CustomEQHzValueInfo"][0][0]["value"] = 4;
        SaveJsonFile(document, path);

        ASSERT_TRUE(store.resetSelected());
        const Json::Value reset = LoadJsonFile(path);
        EXPECT_EQ(reset["profilename"], "Mine");
        EXPECT_EQ(reset["profileUUID"], store.selectedUuid());
        EXPECT_EQ(reset["Device"][0]["LightInfo"]["Red"].asInt(), 11);
        const bool carried = kind == kHeadset;
        EXPECT_EQ(reset["Device"][0]["CustomEQNameInfo"].size(), carried ? 1u : 0u);
        EXPECT_EQ(reset["Device"][0].isMember("CustomEQHzValueInfo"), carried);
    }
}

TEST_F(ProfileListStoreTest, ExportWritesTheStoredDocumentWithItsNames)
{
    ProfileListStore store = storeWith({"Out"});
    ASSERT_TRUE(store.exportSelected(dir.file("out.json")));
    EXPECT_EQ(readFile(dir.file("out.json")), readFile(store.documentPath(0)));
    EXPECT_EQ(LoadJsonFile(dir.file("out.json"))["profileUUID"], store.selectedUuid());

    std::filesystem::remove(store.documentPath(0));
    writeFile(dir.file("keep.json"), "mine");
    EXPECT_FALSE(store.exportSelected(dir.file("keep.json")));
    EXPECT_EQ(readFile(dir.file("keep.json")), "mine");
}

TEST_F(ProfileListStoreTest, HostileListFilesNeverReachFilesOutsideTheFolder)
{
    writeFile(dir.file("victim.Json"), "keep");
    const std::string listPath = folder() + "/ProfileList.ini";
    const std::string hostile[] = {
        "garbage",
        R"({ "profilelist" : "x", "profileselect" : "y" })",
        R"({ "profilelist" : [ 1, null, { "profileUUID" : 5 } ], "profileselect" : 1e99 })",
        R"({ "profilelist" : [ { "profilename" : "evil", "profileUUID" : "../victim" },
                               { "profilename" : "nul", "profileUUID" : "x\u0000/../../victim" },
                               { "profilename" : "fine", "profileUUID" : "u1" },
                               { "profilename" : "twin", "profileUUID" : "u1" } ],
             "profileselect" : 7 })",
        std::string(3000, '[') + std::string(3000, ']'),
    };
    for (const auto& content : hostile) {
        SCOPED_TRACE(content.substr(0, 40));
        writeFile(listPath, content);
        ProfileListStore store = makeStore();
        store.init();
        ASSERT_GE(store.count(), 1);
        EXPECT_EQ(store.selectedIndex(), 0);
        store.add();
        store.select(0);
        store.removeSelected();
        store.resetSelected();
        EXPECT_EQ(readFile(dir.file("victim.Json")), "keep");
        for (const auto& entry : store.profiles())
            EXPECT_EQ(entry.uuid.find('/'), std::string::npos);
    }
}

TEST(ProfileNames, BaseNameDropsFolderAndLastExtension)
{
    const std::pair<const char*, const char*> cases[] = {
        {"/home/u/Gaming.json", "Gaming"}, {"C:\\x\\My.Set.json", "My.Set"}, {"/a/.hidden", ".hidden"},
        {"plain", "plain"}, {"/a/b.c/noext", "noext"},
    };
    for (const auto& [path, base] : cases)
        EXPECT_EQ(baseNameOf(path), base) << path;
}

}  // namespace
}  // namespace kestrion
