// Every file kind the tool reads, replaced one at a time by something hostile: wrong types in every
// member, huge numbers, deep nesting, special files, links, empty and oversized files. Nothing may
// crash or hang, a damaged file reads as its defaults, and the user's other files keep their bytes.
#include "profiles/macro_library.h"
#include "profiles/json_file.h"
#include "profiles/mouse_profile_data.h"
#include "profiles/profile_list_store.h"
#include "support/temp_dir.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <limits>
#include <map>
#include <sys/stat.h>

namespace kestrion {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::writeFile;

constexpr int kMouseKind = 2;
const std::string kDefaultDocument = KESTRION_SOURCE_ROOT "/DefaultData/mouse.Json";
const std::string kUuidA = "2024_01_01_00_00_00_001";
const std::string kUuidB = "2024_01_01_00_00_00_002";

// ---- hostile contents, made from the good document of the file they replace ----

// Each value of the document's leaves changed to another type (text to number, number and truth to
// text, null to object), every container kept.
Json::Value flippedTypes(const Json::Value& value)
{
    if (value.isObject() || value.isArray()) {
        Json::Value result = value;
        for (auto it = result.begin(); it != result.end(); ++it)
            *it = flippedTypes(*it);
        return result;
    }
    if (value.isString())
        return Json::Value(7);
    if (value.isNull())
        return Json::Value(Json::objectValue);
    return Json::Value("7");
}

// Every object turned into an array of its members' values and every array into an object.
Json::Value swappedContainers(const Json::Value& value)
{
    if (value.isObject()) {
        Json::Value result(Json::arrayValue);
        for (const Json::Value& member : value)
            result.append(swappedContainers(member));
        return result;
    }
    if (value.isArray()) {
        Json::Value result(Json::objectValue);
        for (Json::ArrayIndex i = 0; i < value.size(); ++i)
            result[std::to_string(i)] = swappedContainers(value[i]);
        return result;
    }
    return value;
}

// Every leaf replaced by the given value; containers kept.
Json::Value everyLeaf(const Json::Value& value, const Json::Value& leaf)
{
    if (!value.isObject() && !value.isArray())
        return leaf;
    Json::Value result = value;
    for (auto it = result.begin(); it != result.end(); ++it)
        *it = everyLeaf(*it, leaf);
    return result;
}

// The styled text with every leaf a real far outside any range.
std::string hugeRealsText(const Json::Value& good)
{
    std::string text = styledJsonText(everyLeaf(good, Json::Value("@")));
    for (std::string::size_type at; (at = text.find("\"@\"")) != std::string::npos;)
        text.replace(at, 3, "-1e300");
    return text;
}

struct Hostile {
    const char* name;
    // Replaces the file at path; good is the document it held.
    std::function<void(const std::string& path, const Json::Value& good)> plant;
    // Whether the file then cannot be read as a document of the right shape at all (the readers
    // fall back entirely); otherwise its members read as zeros or empty.
    bool unreadable;
};

void PrintTo(const Hostile& hostile, std::ostream* out)
{
    *out << hostile.name;
}

void replaceWithText(const std::string& path, const std::string& text)
{
    fs::remove(path);
    writeFile(path, text);
}

const Hostile kHostile[] = {
    {"Empty", [](const std::string& p, const Json::Value&) { replaceWithText(p, ""); }, true},
    {"Garbage", [](const std::string& p, const Json::Value&) { replaceWithText(p, std::string("\x01{\"a\0\":", 7)); }, true},
    {"RootOfAnotherType", [](const std::string& p, const Json::Value&) { replaceWithText(p, "[1, \"x\", null]\n"); }, true},
    {"DeepNesting", [](const std::string& p, const Json::Value&) { replaceWithText(p, std::string(100000, '[')); }, true},
    {"Oversized",
     [](const std::string& p, const Json::Value& good) {
         replaceWithText(p, std::string(kMaxJsonFileBytes, ' ') + styledJsonText(good));
     },
     true},
    {"Fifo",
     [](const std::string& p, const Json::Value&) {
         fs::remove(p);
         ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0);
     },
     true},
    {"Directory",
     [](const std::string& p, const Json::Value&) {
         fs::remove(p);
         fs::create_directory(p);
     },
     true},
    {"LinkToDevZero",
     [](const std::string& p, const Json::Value&) {
         fs::remove(p);
         fs::create_symlink("/dev/zero", p);
     },
     true},
    {"EveryMemberOfAnotherType",
     [](const std::string& p, const Json::Value& good) { replaceWithText(p, styledJsonText(flippedTypes(good))); },
     false},
    {"ContainersSwapped",
     [](const std::string& p, const Json::Value& good) { replaceWithText(p, styledJsonText(swappedContainers(good))); },
     true},
    {"HugeIntegers",
     [](const std::string& p, const Json::Value& good) {
         replaceWithText(p, styledJsonText(everyLeaf(good, Json::Value(std::numeric_limits<Json::UInt64>::max()))));
     },
     false},
    {"HugeReals", [](const std::string& p, const Json::Value& good) { replaceWithText(p, hugeRealsText(good)); }, false},
};

// ---- the user's data folder ----

Json::Value profileDocument(const std::string& name, const std::string& uuid)
{
    Json::Value document = LoadJsonFile(kDefaultDocument);
    document["profilename"] = name;
    document["profileUUID"] = uuid;
    return document;
}

Json::Value macroDocument(const std::string& name, const std::string& guid, int button)
{
    Json::Value document;
    document["MacroName"] = name;
    document["Guid"] = guid;
    document["Version"] = 64;
    Json::Value event;
    event["Action"] = "down";
    event["Button"] = button;
    event["Type"] = 1;
    event["Delay"] = "25";
    document["Events"].append(event);
    return document;
}

// Two profiles, their list, two macros and their index, a light configuration and its effect list.
class HostileFiles : public testing::TestWithParam<Hostile> {
protected:
    HostileFiles()
    {
        documents["ProfileList.ini"] = listDocument();
        documents[kUuidA + ".Json"] = profileDocument("A", kUuidA);
        documents[kUuidB + ".Json"] = profileDocument("B", kUuidB);
        documents["macro.config"] = macroIndex();
        documents["g1.mac"] = macroDocument("m1", "g1", 4);
        documents["g2.mac"] = macroDocument("m2", "g2", 5);
        documents["brylo_light.config"] = lightConfig();
        documents["e1.light"] = effectList();
        for (const auto& [name, document] : documents)
            EXPECT_TRUE(SaveJsonFile(document, path(name)));
    }

    std::string path(const std::string& name) const { return dir.file(name); }

    // Replaces one file by the test's hostile content and remembers the bytes of all the others.
    void plant(const std::string& victim)
    {
        for (const auto& [name, document] : documents) {
            if (name != victim)
                before[name] = readFile(path(name));
        }
        GetParam().plant(path(victim), documents.at(victim));
    }

    void expectOthersUntouched() const
    {
        for (const auto& [name, bytes] : before)
            EXPECT_EQ(readFile(path(name)), bytes) << name;
    }

    CMouseProfiledata recordOf(const std::string& uuid) const
    {
        CMouseProfiledata record;
        record.SetDefaultPath(kDefaultDocument);
        record.SetProfilePath(path(uuid + ".Json"));
        record.LoadProfile(path(uuid + ".Json"));
        record.SetLightConfigPath(path("brylo_light.config"));
        record.LoadLightConfig(path("brylo_light.config"));
        return record;
    }

    test::TempDir dir;
    std::map<std::string, Json::Value> documents;
    std::map<std::string, std::string> before;

private:
    static Json::Value listDocument()
    {
        Json::Value list;
        for (const auto& [name, uuid] : {std::pair{"A", kUuidA}, std::pair{"B", kUuidB}}) {
            Json::Value entry;
            entry["profilename"] = name;
            entry["profileUUID"] = uuid;
            list["profilelist"].append(entry);
        }
        list["profileselect"] = 1;
        return list;
    }

    static Json::Value macroIndex()
    {
        Json::Value index;
        for (const auto& [name, guid] : {std::pair{"m1", "g1"}, std::pair{"m2", "g2"}}) {
            Json::Value entry;
            entry["MacroName"] = name;
            entry["Guid"] = guid;
            index["MacroInfo"].append(entry);
        }
        return index;
    }

    static Json::Value lightConfig()
    {
        Json::Value mode;
        mode["LightName"] = "custom";
        mode["Guid"] = "e1";
        Json::Value config;
        config["LightInfo"][0][0] = mode;
        return config;
    }

    static Json::Value effectList()
    {
        Json::Value effect;
        effect["Time"] = 40;
        effect["Cyle"] = 2;
        Json::Value list;
        list["LEDEffectList"].append(effect);
        return list;
    }
};

std::vector<DpiStage> defaultStages()
{
    CMouseProfiledata record;
    record.LoadProfile(kDefaultDocument);
    return record.GetDpiStages();
}

bool sameStages(const std::vector<DpiStage>& a, const std::vector<DpiStage>& b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](const DpiStage& x, const DpiStage& y) {
               return x.active == y.active && x.dpiX() == y.dpiX() && x.dpiY() == y.dpiY() && x.red == y.red;
           });
}

TEST_P(HostileFiles, ProfileDocumentReadsAsItsDefaultsOrAsZeros)
{
    plant(kUuidA + ".Json");
    ProfileListStore store(kMouseKind, dir.path(), kDefaultDocument);
    store.init();
    EXPECT_EQ(store.count(), 2);

    CMouseProfiledata record = recordOf(kUuidA);
    const std::vector<DpiStage> stages = record.GetDpiStages();
    if (GetParam().unreadable) {
        EXPECT_TRUE(sameStages(stages, defaultStages()));
    } else {
        for (const DpiStage& stage : stages)
            EXPECT_EQ(stage.dpiX(), 0);
    }
    record.GetKeyList();
    record.GetLightInfo();
    record.GetSystemStages();
    expectOthersUntouched();
}

TEST_P(HostileFiles, ProfileListIsRebuiltFromTheDocuments)
{
    plant("ProfileList.ini");
    ProfileListStore store(kMouseKind, dir.path(), kDefaultDocument);
    store.init();
    std::vector<std::string> uuids;
    for (const ProfileListEntry& entry : store.profiles())
        uuids.push_back(entry.uuid);
    EXPECT_EQ(uuids, (std::vector<std::string>{kUuidA, kUuidB}));
    EXPECT_GE(store.selectedIndex(), 0);
    before.erase("ProfileList.ini");
    expectOthersUntouched();
}

TEST_P(HostileFiles, MacroIndexKeepsEveryMacroFile)
{
    plant("macro.config");
    MacroLibrary library(dir.path());
    library.load();
    EXPECT_EQ(library.count(), 2);
    for (int i = 0; i < library.count(); ++i) {
        const std::string name = library.nameAt(i);
        EXPECT_TRUE(name.empty() || name == "m1" || name == "m2" || name == "g1" || name == "g2") << name;
    }
    expectOthersUntouched();
}

TEST_P(HostileFiles, MacroFileGivesNoEventsAndLeavesTheOtherMacro)
{
    plant("g1.mac");
    MacroLibrary library(dir.path());
    ASSERT_TRUE(library.load());
    const std::optional<Json::Value> damaged = library.eventsAt(0);
    if (GetParam().unreadable) {
        EXPECT_FALSE(damaged.has_value());
    }
    const std::optional<Json::Value> other = library.eventsAt(1);
    ASSERT_TRUE(other.has_value());
    EXPECT_EQ(*other, documents.at("g2.mac")["Events"]);

    test::TempDir importFolder;
    MacroLibrary importer(importFolder.path());
    importer.load();
    const MacroImportResult imported = importer.importMacro(path("g1.mac"));
    if (GetParam().unreadable) {
        EXPECT_EQ(imported, MacroImportResult::NotAMacro);
    }
    expectOthersUntouched();
}

TEST_P(HostileFiles, LightConfigurationGivesNoEffects)
{
    plant("brylo_light.config");
    CMouseProfiledata record = recordOf(kUuidA);
    record.SetLightInfo(LightInfo{});
    if (GetParam().unreadable) {
        EXPECT_TRUE(record.GetCustomLightEffects().empty());
    }
    expectOthersUntouched();
}

TEST_P(HostileFiles, EffectListGivesNoEffects)
{
    plant("e1.light");
    CMouseProfiledata record = recordOf(kUuidA);
    record.SetLightInfo(LightInfo{});
    const std::vector<LedEffect> effects = record.GetCustomLightEffects();
    if (GetParam().unreadable) {
        EXPECT_TRUE(effects.empty());
    }
    for (const LedEffect& effect : effects)
        EXPECT_EQ(effect.time, 0);
    expectOthersUntouched();
}

// A profile document and the list that are links to files elsewhere: the tool reads them, but its
// saves replace the links and never write into the files they point at.
TEST(LinkedFiles, SavesReplaceTheLinksAndLeaveTheirTargetsAlone)
{
    test::TempDir dir;
    test::TempDir elsewhere;
    const std::string outsideDocument = elsewhere.file("document.Json");
    const std::string outsideList = elsewhere.file("list.ini");
    ASSERT_TRUE(SaveJsonFile(profileDocument("A", kUuidA), outsideDocument));
    Json::Value list;
    list["profilelist"][0]["profilename"] = "A";
    list["profilelist"][0]["profileUUID"] = kUuidA;
    ASSERT_TRUE(SaveJsonFile(list, outsideList));
    const std::string documentBytes = readFile(outsideDocument);
    const std::string listBytes = readFile(outsideList);
    fs::create_symlink(outsideDocument, dir.file(kUuidA + ".Json"));
    fs::create_symlink(outsideList, dir.file("ProfileList.ini"));

    ProfileListStore store(kMouseKind, dir.path(), kDefaultDocument);
    store.init();
    ASSERT_EQ(store.count(), 1);
    EXPECT_EQ(store.rename("Renamed"), ProfileRenameResult::Renamed);
    EXPECT_EQ(store.add(), ProfileAddResult::Added);

    CMouseProfiledata record;
    record.SetProfilePath(dir.file(kUuidA + ".Json"));
    record.LoadProfile(dir.file(kUuidA + ".Json"));
    record.SetDpiStages(record.GetDpiStages());
    EXPECT_TRUE(record.SaveProfile());

    EXPECT_EQ(readFile(outsideDocument), documentBytes);
    EXPECT_EQ(readFile(outsideList), listBytes);
    EXPECT_FALSE(fs::is_symlink(dir.file(kUuidA + ".Json")));
    EXPECT_FALSE(fs::is_symlink(dir.file("ProfileList.ini")));
    EXPECT_EQ(textOf(memberOf(LoadJsonFile(dir.file(kUuidA + ".Json")), "profilename")), "Renamed");
}

INSTANTIATE_TEST_SUITE_P(Contents, HostileFiles, testing::ValuesIn(kHostile),
                         [](const testing::TestParamInfo<Hostile>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kestrion
