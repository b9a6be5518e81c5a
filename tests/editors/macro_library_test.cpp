#include "profiles/macro_library.h"
#include "profiles/json_file.h"
#include "profiles/mouse_profile_data.h"
#include "profiles/profile_list_store.h"
#include "support/temp_dir.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>

namespace kestrion {
namespace {

using test::TempDir;
using test::readFile;
using test::writeFile;

namespace fs = std::filesystem;

constexpr int kMouse = 2;

Json::Value eventList(int count)
{
    Json::Value events(Json::arrayValue);
    for (int i = 0; i < count; ++i) {
        Json::Value event;
        event["Action"] = i % 2 ? "up" : "down";
        event["Button"] = 4 + i;
        event["Type"] = 10;
        event["Delay"] = std::to_string(i);
        events.append(event);
    }
    return events;
}

Json::Value macroDocument(const std::string& name, const std::string& guid, int eventCount)
{
    Json::Value document;
    document["MacroName"] = name;
    document["Guid"] = guid;
    document["Events"] = eventList(eventCount);
    document["Version"] = 64;
    return document;
}

class MacroLibraryTest : public ::testing::Test {
protected:
    MacroLibraryTest() { fs::create_directory(folder()); }

    std::string folder() const { return dir.file("mouse"); }
    std::string indexFile() const { return folder() + "/macro.config"; }

    // A library whose index lists these names, each with a saved macro file of one event.
    MacroLibrary libraryWith(const std::vector<std::string>& names)
    {
        Json::Value index;
        index["MacroInfo"] = Json::Value(Json::arrayValue);
        for (std::size_t i = 0; i < names.size(); ++i) {
            const std::string guid = "2024_01_01_00_00_00_" + std::to_string(100 + i);
            index["MacroInfo"].append(Json::Value(Json::objectValue));
            index["MacroInfo"][Json::ArrayIndex(i)]["MacroName"] = names[i];
            index["MacroInfo"][Json::ArrayIndex(i)]["Guid"] = guid;
            SaveJsonFile(macroDocument(names[i], guid, 1), folder() + "/" + guid + ".mac");
        }
        SaveJsonFile(index, indexFile());
        MacroLibrary library(folder());
        EXPECT_TRUE(library.load());
        return library;
    }

    // The names as a fresh instance reads them from disk.
    std::vector<std::string> storedNames() const
    {
        MacroLibrary reread(folder());
        reread.load();
        std::vector<std::string> names;
        for (int i = 0; i < reread.count(); ++i)
            names.push_back(reread.nameAt(i));
        return names;
    }

    std::string writeSource(const std::string& fileName, const Json::Value& document)
    {
        const std::string path = dir.file(fileName);
        SaveJsonFile(document, path);
        return path;
    }

    TempDir dir;
};

TEST_F(MacroLibraryTest, MissingIndexIsAnEmptyLibraryAndReadsArePastTheEndSafe)
{
    MacroLibrary library(folder());
    EXPECT_TRUE(library.load());
    EXPECT_EQ(library.count(), 0);
    EXPECT_EQ(library.nameAt(0), "");
    EXPECT_EQ(library.guidAt(-1), "");
    EXPECT_TRUE(library.macroPath(0).empty());
    EXPECT_FALSE(library.eventsAt(0).has_value());
}

TEST_F(MacroLibraryTest, ReadsIndexAndEventsAndRefusesIdentifiersThatLeaveTheFolder)
{
    Json::Value index;
    index["MacroInfo"][0]["MacroName"] = "jump";
    index["MacroInfo"][0]["Guid"] = "g1";
    index["MacroInfo"][1]["MacroName"] = "unsaved";
    index["MacroInfo"][1]["Guid"] = "g2";
    index["MacroInfo"][2]["MacroName"] = "escape";
    index["MacroInfo"][2]["Guid"] = "../outside";
    index["MacroInfo"][3] = 7;
    SaveJsonFile(index, indexFile());
    SaveJsonFile(macroDocument("jump", "g1", 3), folder() + "/g1.mac");
    SaveJsonFile(macroDocument("x", "x", 3), dir.file("outside.mac"));

    MacroLibrary library(folder());
    ASSERT_TRUE(library.load());
    ASSERT_EQ(library.count(), 4);
    EXPECT_EQ(library.nameAt(0), "jump");
    EXPECT_EQ(library.macroPath(0), fs::path(folder()) / "g1.mac");
    ASSERT_TRUE(library.eventsAt(0).has_value());
    EXPECT_EQ(*library.eventsAt(0), eventList(3));
    EXPECT_FALSE(library.eventsAt(1).has_value());
    EXPECT_TRUE(library.macroPath(2).empty());
    EXPECT_FALSE(library.eventsAt(2).has_value());
    // A damaged entry keeps its place, so the numbers of the macros after it do not move.
    EXPECT_EQ(library.nameAt(3), "");
    EXPECT_EQ(library.guidAt(3), "");
}

TEST_F(MacroLibraryTest, DamagedIndexIsRebuiltFromTheMacroFilesInCreationOrder)
{
    SaveJsonFile(macroDocument("second", "2024_05_01_10_00_00_002", 2), folder() + "/2024_05_01_10_00_00_002.mac");
    SaveJsonFile(macroDocument("first", "2024_05_01_10_00_00_001", 1), folder() + "/2024_05_01_10_00_00_001.mac");
    SaveJsonFile(macroDocument("FIRST", "x", 1), folder() + "/2024_05_01_10_00_00_003.mac");
    writeFile(folder() + "/2024_05_01_10_00_00_004.mac", "not json");
    writeFile(indexFile(), "{\"MacroInfo\": [ {\"MacroName\": ");

    MacroLibrary library(folder());
    EXPECT_FALSE(library.load());
    ASSERT_EQ(library.count(), 3);
    EXPECT_EQ(library.nameAt(0), "first");
    EXPECT_EQ(library.guidAt(0), "2024_05_01_10_00_00_001");
    EXPECT_EQ(library.nameAt(1), "second");
    EXPECT_EQ(library.nameAt(2), "FIRST_1");
    EXPECT_EQ(library.guidAt(2), "2024_05_01_10_00_00_003");
    EXPECT_EQ(*library.eventsAt(1), eventList(2));

    // The next change writes the rebuilt index, so the macros survive the damage.
    EXPECT_EQ(library.add(), MacroAddResult::Added);
    EXPECT_EQ(storedNames(), (std::vector<std::string> {"first", "second", "FIRST_1", "macro_1"}));
}

TEST_F(MacroLibraryTest, DamagedIndexWithoutMacroFilesIsEmpty)
{
    writeFile(indexFile(), "   ");
    MacroLibrary library(folder());
    EXPECT_FALSE(library.load());
    EXPECT_EQ(library.count(), 0);
}

TEST_F(MacroLibraryTest, AddTakesTheSmallestFreeNumberWithoutRegardToCase)
{
    MacroLibrary library = libraryWith({"macro_1", "MACRO_3"});
    ASSERT_EQ(library.add(), MacroAddResult::Added);
    EXPECT_EQ(library.nameAt(2), "macro_2");
    ASSERT_EQ(library.add(), MacroAddResult::Added);
    EXPECT_EQ(library.nameAt(3), "macro_4");
    EXPECT_EQ(storedNames(), (std::vector<std::string> {"macro_1", "MACRO_3", "macro_2", "macro_4"}));
    // A new macro has no file until it is first saved.
    EXPECT_FALSE(fs::exists(library.macroPath(3)));
    EXPECT_FALSE(library.eventsAt(3).has_value());
}

TEST_F(MacroLibraryTest, FiftyMacrosIsTheLimitAndEveryMacroGetsItsOwnIdentifier)
{
    MacroLibrary library(folder());
    library.load();
    for (int i = 0; i < MacroLibrary::kMaxMacros; ++i)
        ASSERT_EQ(library.add(), MacroAddResult::Added);
    std::set<std::string> guids;
    for (int i = 0; i < library.count(); ++i)
        guids.insert(library.guidAt(i));
    EXPECT_EQ(guids.size(), std::size_t(MacroLibrary::kMaxMacros));

    const std::string before = readFile(indexFile());
    EXPECT_EQ(library.add(), MacroAddResult::LimitReached);
    EXPECT_EQ(library.importMacro(writeSource("a.mac", macroDocument("a", "a", 1))), MacroImportResult::LimitReached);
    EXPECT_EQ(library.count(), MacroLibrary::kMaxMacros);
    EXPECT_EQ(readFile(indexFile()), before);
}

TEST_F(MacroLibraryTest, NewIdentifiersNeverTakeAnExistingMacroFile)
{
    // Something stamped with every millisecond from now until a little ahead of the clock already
    // lies in the folder: a new macro made now must not take one of those names.
    using Clock = std::chrono::system_clock;
    constexpr auto kLead = std::chrono::milliseconds(300);
    std::set<std::string> taken;
    auto next = Clock::now();
    for (int i = 0; i < 20000 && next < Clock::now() + kLead; ++i, next += std::chrono::milliseconds(1)) {
        taken.insert(MakeTimeStamp(next));
        fs::create_directory(folder() + "/" + MakeTimeStamp(next) + ".mac");
    }
    ASSERT_GT(next, Clock::now() + kLead / 2) << "the folder could not be filled ahead of the clock";
    MacroLibrary library(folder());
    library.load();
    ASSERT_EQ(library.add(), MacroAddResult::Added);
    ASSERT_EQ(library.importMacro(writeSource("a.mac", macroDocument("a", "a", 1))), MacroImportResult::Imported);
    for (int i = 0; i < library.count(); ++i) {
        EXPECT_EQ(taken.count(library.guidAt(i)), 0u) << library.guidAt(i);
        EXPECT_EQ(library.saveMacro(i, eventList(1)), MacroSaveResult::Saved);
    }
}

TEST_F(MacroLibraryTest, FailedIndexWriteLeavesTheLibraryAsItWas)
{
    MacroLibrary library = libraryWith({"a", "b"});
    const fs::path doomed = library.macroPath(0);
    // A folder where the index should be makes every replacement of it fail.
    fs::remove(indexFile());
    fs::create_directory(indexFile());

    EXPECT_EQ(library.add(), MacroAddResult::WriteFailed);
    EXPECT_EQ(library.rename(0, "c"), MacroRenameResult::WriteFailed);
    EXPECT_EQ(library.remove(0), MacroRemoveResult::WriteFailed);
    EXPECT_EQ(library.importMacro(writeSource("d.mac", macroDocument("d", "d", 1))), MacroImportResult::WriteFailed);
    EXPECT_EQ(library.count(), 2);
    EXPECT_EQ(library.nameAt(0), "a");
    EXPECT_TRUE(fs::exists(doomed));
    // The imported copy is not left behind without an index entry.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder()), fs::directory_iterator()), 3);
}

TEST_F(MacroLibraryTest, RenameChecksTheNameBeforeWriting)
{
    struct Case {
        std::string name;
        MacroRenameResult expected;
    };
    const Case cases[] = {
        {" lead", MacroRenameResult::LeadingSpace},
        {" ", MacroRenameResult::LeadingSpace},
        {"", MacroRenameResult::Blank},
        {"\t\t", MacroRenameResult::Blank},
        {"Jump", MacroRenameResult::Taken},   // its own name in other letter case
        {"FIRE", MacroRenameResult::Taken},   // another macro's name
    };
    MacroLibrary library = libraryWith({"jump", "fire"});
    const std::string before = readFile(indexFile());
    for (const Case& c : cases) {
        EXPECT_EQ(library.rename(0, c.name), c.expected) << '"' << c.name << '"';
        EXPECT_EQ(readFile(indexFile()), before) << '"' << c.name << '"';
    }
    EXPECT_EQ(library.rename(2, "new"), MacroRenameResult::NoMacro);
    EXPECT_EQ(library.rename(-1, "new"), MacroRenameResult::NoMacro);

    const std::string guid = library.guidAt(0);
    EXPECT_EQ(library.rename(0, "leap 2"), MacroRenameResult::Renamed);
    EXPECT_EQ(storedNames(), (std::vector<std::string> {"leap 2", "fire"}));
    EXPECT_EQ(library.guidAt(0), guid);
}

TEST_F(MacroLibraryTest, ImportingTheSameFileTwiceAccumulatesSuffixes)
{
    MacroLibrary library = libraryWith({"A"});
    const std::string source = writeSource("a.mac", macroDocument("original", "2020_01_01_00_00_00_000", 5));

    ASSERT_EQ(library.importMacro(source), MacroImportResult::Imported);
    ASSERT_EQ(library.importMacro(source), MacroImportResult::Imported);
    EXPECT_EQ(storedNames(), (std::vector<std::string> {"A", "a_1", "a_1_2"}));
    // Each import is its own byte-for-byte copy under a new identifier.
    EXPECT_NE(library.guidAt(1), library.guidAt(2));
    EXPECT_NE(library.guidAt(1), "2020_01_01_00_00_00_000");
    EXPECT_EQ(readFile(library.macroPath(1).string()), readFile(source));
    EXPECT_EQ(readFile(library.macroPath(2).string()), readFile(source));
}

TEST_F(MacroLibraryTest, ImportKeepsTheFirstSixtyEvents)
{
    MacroLibrary library(folder());
    library.load();
    ASSERT_EQ(library.importMacro(writeSource("long.mac", macroDocument("long", "g", 61))),
              MacroImportResult::Shortened);
    ASSERT_EQ(library.importMacro(writeSource("full.mac", macroDocument("full", "g", 60))),
              MacroImportResult::Imported);
    EXPECT_EQ(*library.eventsAt(0), eventList(MacroLibrary::kMaxEvents));
    EXPECT_EQ(library.eventsAt(1)->size(), Json::ArrayIndex(MacroLibrary::kMaxEvents));
    // The rest of the document is kept as it came.
    EXPECT_EQ(LoadJsonFile(library.macroPath(0).string())["MacroName"], "long");
}

TEST_F(MacroLibraryTest, ImportRefusesLongFileNamesAndFilesThatAreNoMacro)
{
    struct Case {
        std::string fileName;
        std::string content;
        MacroImportResult expected;
    };
    const std::string macro = styledJsonText(macroDocument("m", "g", 2));
    const Case cases[] = {
        {"abcdefghijk.mac", macro, MacroImportResult::FileNameTooLong},  // 11 before the extension
        {"abcdefghij.macx", macro, MacroImportResult::FileNameTooLong},  // 15 in all
        {"noevents.mac", "{\"MacroName\": \"m\"}", MacroImportResult::NotAMacro},
        {"array.mac", "[1, 2]", MacroImportResult::NotAMacro},
        {"garbage.mac", "\x01\x02 not json", MacroImportResult::NotAMacro},
        {"abcdefghij.mac", macro, MacroImportResult::Imported},          // 10 and 14: the longest allowed
        {"ÄÖÜäöüßéèê.mac", macro, MacroImportResult::Imported},          // counted in characters
    };
    MacroLibrary library(folder());
    library.load();
    for (const Case& c : cases) {
        const int before = library.count();
        const std::string path = dir.file(c.fileName);
        writeFile(path, c.content);
        EXPECT_EQ(library.importMacro(path), c.expected) << c.fileName;
        const bool imported = c.expected == MacroImportResult::Imported;
        EXPECT_EQ(library.count(), before + (imported ? 1 : 0)) << c.fileName;
    }
    EXPECT_EQ(library.importMacro(dir.file("missing.mac")), MacroImportResult::NotAMacro);
    EXPECT_EQ(storedNames(), (std::vector<std::string> {"abcdefghij", "ÄÖÜäöüßéèê"}));
}

TEST_F(MacroLibraryTest, ExportCopiesTheSavedFileByteForByte)
{
    MacroLibrary library = libraryWith({"a"});
    ASSERT_EQ(library.add(), MacroAddResult::Added);
    const std::string target = dir.file("out.mac");

    EXPECT_EQ(library.exportMacro(0, target), MacroExportResult::Exported);
    EXPECT_EQ(readFile(target), readFile(library.macroPath(0).string()));
    EXPECT_EQ(library.exportMacro(1, dir.file("never.mac")), MacroExportResult::NoFile);
    EXPECT_FALSE(fs::exists(dir.file("never.mac")));
    EXPECT_EQ(library.exportMacro(2, target), MacroExportResult::NoMacro);
    EXPECT_EQ(library.exportMacro(0, dir.file("no/such/folder/out.mac")), MacroExportResult::WriteFailed);
}

TEST_F(MacroLibraryTest, SaveWritesTheMacroFileUnderItsIndexNameAndIdentifier)
{
    MacroLibrary library = libraryWith({"a"});
    ASSERT_EQ(library.add(), MacroAddResult::Added);

    EXPECT_EQ(library.saveMacro(1, eventList(3)), MacroSaveResult::Saved);
    const Json::Value saved = LoadJsonFile(library.macroPath(1).string());
    EXPECT_EQ(saved["MacroName"], "macro_1");
    EXPECT_EQ(saved["Guid"], library.guidAt(1));
    EXPECT_EQ(saved["Version"], 64);
    EXPECT_EQ(saved["Events"], eventList(3));

    EXPECT_EQ(library.saveMacro(0, eventList(61)), MacroSaveResult::Shortened);
    EXPECT_EQ(*library.eventsAt(0), eventList(MacroLibrary::kMaxEvents));
    EXPECT_EQ(library.saveMacro(0, Json::Value(Json::arrayValue)), MacroSaveResult::Saved);
    EXPECT_EQ(library.eventsAt(0)->size(), 0u);

    const std::string before = readFile(library.macroPath(0).string());
    EXPECT_EQ(library.saveMacro(0, Json::Value("events")), MacroSaveResult::NotEvents);
    EXPECT_EQ(readFile(library.macroPath(0).string()), before);
    EXPECT_EQ(library.saveMacro(2, eventList(1)), MacroSaveResult::NoMacro);
}

TEST_F(MacroLibraryTest, SaveRefusesAMacroWithoutUsableIdentifier)
{
    Json::Value index;
    index["MacroInfo"][0]["MacroName"] = "nameless";
    index["MacroInfo"][1]["MacroName"] = "escape";
    index["MacroInfo"][1]["Guid"] = "../escape";
    SaveJsonFile(index, indexFile());
    MacroLibrary library(folder());
    ASSERT_TRUE(library.load());
    EXPECT_EQ(library.saveMacro(0, eventList(1)), MacroSaveResult::NoIdentifier);
    EXPECT_EQ(library.saveMacro(1, eventList(1)), MacroSaveResult::NoIdentifier);
    EXPECT_FALSE(fs::exists(dir.file("escape.mac")));
    EXPECT_EQ(library.exportMacro(1, dir.file("out.mac")), MacroExportResult::NoMacro);
}

// Key function codes: type << 16 | param1 << 8 | param2.
constexpr std::uint32_t kPlay = 0x700000;
constexpr std::uint32_t kPlayWhileHeld = 0x710000;
constexpr std::uint32_t kShootPattern = 0x720000;
constexpr std::uint32_t kLeftButton = 0x010100;

constexpr std::uint32_t macroCode(std::uint32_t type, int macro, int repeat = 1)
{
    return type | static_cast<std::uint32_t>(macro) << 8 | static_cast<std::uint32_t>(repeat);
}

struct RenumberCase {
    std::uint32_t before;
    std::uint32_t after;  // when macro 1 is removed
};

// Removing macro 1 (the second of five).
constexpr RenumberCase kRenumberCases[] = {
    {macroCode(kPlay, 1, 3), 0x020000 + 1},          // played the removed macro: its default
    {macroCode(kPlayWhileHeld, 1), 0x020000 + 1},
    {macroCode(kPlay, 3, 2), macroCode(kPlay, 2, 2)},  // followed it: one down, repeat count kept
    {macroCode(kPlayWhileHeld, 4), macroCode(kPlayWhileHeld, 3)},
    {macroCode(kPlay, 0), macroCode(kPlay, 0)},        // before it: unchanged
    {macroCode(kShootPattern, 2), macroCode(kShootPattern, 2)},  // not a macro
    {kLeftButton, kLeftButton},
};

std::vector<KeyEntry> keyList(bool after)
{
    std::vector<KeyEntry> keys;
    for (std::uint16_t i = 0; i < std::size(kRenumberCases); ++i) {
        const RenumberCase& c = kRenumberCases[i];
        keys.push_back(KeyEntry {keyRecordOf(i, after ? c.after : c.before), keyRecordOf(i, 0x020000 + 1)});
    }
    return keys;
}

std::vector<std::uint32_t> codesOf(const std::vector<KeyEntry>& keys)
{
    std::vector<std::uint32_t> codes;
    for (const KeyEntry& key : keys) {
        codes.push_back(keyCodeOf(key.current));
        EXPECT_EQ(key.current.keyIndex(), key.defaults.keyIndex());
    }
    return codes;
}

TEST(MacroKeyRenumbering, KeysFollowTheRemovedMacro)
{
    std::vector<KeyEntry> keys = keyList(false);
    EXPECT_TRUE(MacroLibrary::keysPlayMacro(keys, 1));
    EXPECT_TRUE(MacroLibrary::keysPlayMacro(keys, 4));
    EXPECT_FALSE(MacroLibrary::keysPlayMacro(keys, 2));
    EXPECT_TRUE(MacroLibrary::renumberKeys(keys, 1));
    EXPECT_EQ(codesOf(keys), codesOf(keyList(true)));

    std::vector<KeyEntry> untouched = keyList(false);
    EXPECT_FALSE(MacroLibrary::renumberKeys(untouched, 5));
    EXPECT_EQ(codesOf(untouched), codesOf(keyList(false)));
}

class MacroRemovalTest : public MacroLibraryTest {
protected:
    MacroRemovalTest()
    {
        // The factory document gives every key the default function 0x020001.
        Json::Value defaults;
        for (Json::ArrayIndex i = 0; i < std::size(kRenumberCases); ++i) {
            defaults["Device"][0]["KeyList"][i]["Assignment"] = 0x020001;
            defaults["Device"][0]["KeyList"][i]["DefaultAssignment"] = 0x020001;
        }
        defaults["Device"][0]["LightInfo"]["Red"] = 9;
        SaveJsonFile(defaults, defaultPath());
    }

    std::string defaultPath() const { return dir.file("mouse-default.Json"); }

    void setKeys(const std::string& documentPath, const std::vector<KeyEntry>& keys)
    {
        CMouseProfiledata profile;
        profile.SetProfilePath(documentPath);
        profile.LoadProfile(documentPath);
        profile.SetKeyList(keys);
        ASSERT_TRUE(profile.SaveProfile());
    }

    std::vector<std::uint32_t> storedCodes(const std::string& documentPath)
    {
        CMouseProfiledata profile;
        profile.LoadProfile(documentPath);
        return codesOf(profile.GetKeyList());
    }
};

TEST_F(MacroRemovalTest, RemovingAMacroRenumbersTheKeysOfEveryProfile)
{
    MacroLibrary library = libraryWith({"m0", "m1", "m2", "m3", "m4"});
    ProfileListStore store(kMouse, folder(), defaultPath());
    store.init();
    ASSERT_EQ(store.add(), ProfileAddResult::Added);
    ASSERT_EQ(store.add(), ProfileAddResult::Added);
    setKeys(store.documentPath(0), keyList(false));
    setKeys(store.documentPath(1), keyList(false));
    // A profile that plays no macro after the removed one is left exactly as it was.
    const std::string quiet = readFile(store.documentPath(2));
    const fs::path removedFile = library.macroPath(1);
    const std::string keptGuid = library.guidAt(2);

    EXPECT_EQ(library.remove(1), MacroRemoveResult::Removed);

    EXPECT_EQ(storedNames(), (std::vector<std::string> {"m0", "m2", "m3", "m4"}));
    EXPECT_EQ(library.guidAt(1), keptGuid);
    EXPECT_FALSE(fs::exists(removedFile));
    EXPECT_TRUE(fs::exists(library.macroPath(1)));
    const std::vector<std::uint32_t> expected = codesOf(keyList(true));
    EXPECT_EQ(storedCodes(store.documentPath(0)), expected);
    EXPECT_EQ(storedCodes(store.documentPath(1)), expected);
    EXPECT_EQ(readFile(store.documentPath(2)), quiet);
    // The rest of each document and the profile list are untouched.
    EXPECT_EQ(LoadJsonFile(store.documentPath(0))["Device"][0]["LightInfo"]["Red"], 9);
    EXPECT_EQ(store.count(), 3);
    EXPECT_EQ(store.profiles()[1].name, "Profile2");
}

TEST_F(MacroRemovalTest, AProfileThatCannotBeRewrittenIsReported)
{
    MacroLibrary library = libraryWith({"m0", "m1", "m2"});
    ProfileListStore store(kMouse, folder(), defaultPath());
    store.init();
    setKeys(store.documentPath(0), keyList(false));
    // Readable, but too large to write back: the writer escapes each two-byte character to six.
    std::string padding;
    while (padding.size() < kMaxJsonFileBytes / 2)
        padding += "é";
    const std::string bigPath = folder() + "/2024_01_01_00_00_00_999.Json";
    writeFile(bigPath, "{\"Device\":[{\"KeyList\":[{\"Assignment\":" + std::to_string(macroCode(kPlay, 2))
                           + ",\"DefaultAssignment\":0}],\"Pad\":\"" + padding + "\"}]}");
    const std::string big = readFile(bigPath);
    ASSERT_EQ(LoadJsonFile(bigPath)["Device"][0]["KeyList"][0]["Assignment"].asUInt(), macroCode(kPlay, 2));

    EXPECT_EQ(library.remove(1), MacroRemoveResult::ProfilesNotUpdated);
    EXPECT_EQ(storedNames(), (std::vector<std::string> {"m0", "m2"}));
    EXPECT_EQ(storedCodes(store.documentPath(0)), codesOf(keyList(true)));
    EXPECT_EQ(readFile(bigPath), big);
}

TEST_F(MacroRemovalTest, RemovingTheLastMacroLeavesAnEmptyIndex)
{
    MacroLibrary library = libraryWith({"only"});
    const fs::path file = library.macroPath(0);
    EXPECT_EQ(library.remove(1), MacroRemoveResult::NoMacro);
    EXPECT_EQ(library.remove(0), MacroRemoveResult::Removed);
    EXPECT_EQ(library.count(), 0);
    EXPECT_FALSE(fs::exists(file));
    MacroLibrary reread(folder());
    EXPECT_TRUE(reread.load());
    EXPECT_EQ(reread.count(), 0);
    EXPECT_EQ(library.add(), MacroAddResult::Added);
    EXPECT_EQ(library.nameAt(0), "macro_1");
}

TEST_F(MacroRemovalTest, AnIdentifierListedTwiceKeepsItsFileForTheOtherEntry)
{
    Json::Value index;
    index["MacroInfo"][0]["MacroName"] = "a";
    index["MacroInfo"][0]["Guid"] = "shared";
    index["MacroInfo"][1]["MacroName"] = "b";
    index["MacroInfo"][1]["Guid"] = "shared";
    SaveJsonFile(index, indexFile());
    SaveJsonFile(macroDocument("a", "shared", 2), folder() + "/shared.mac");
    MacroLibrary library(folder());
    ASSERT_TRUE(library.load());

    EXPECT_EQ(library.remove(0), MacroRemoveResult::Removed);
    ASSERT_TRUE(library.eventsAt(0).has_value());
    EXPECT_EQ(library.remove(0), MacroRemoveResult::Removed);
    EXPECT_FALSE(fs::exists(folder() + "/shared.mac"));
}

}  // namespace
}  // namespace kestrion
