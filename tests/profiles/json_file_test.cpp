#include "platform/atomic_file.h"
#include "profiles/json_file.h"
#include "support/temp_dir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <csignal>
#include <optional>
#include <regex>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kestrion {
namespace {

using test::TempDir;
using test::readFile;
using test::writeFile;

TEST(StyledJsonText, SortsMembersIndentsByThreeAndEndsWithAnEmptyLine)
{
    Json::Value doc;
    doc["b"] = 1;
    doc["A"] = "x";
    doc["a"]["inner"] = Json::Value(Json::objectValue);
    doc["a"]["1st"] = Json::Value(Json::arrayValue);
    doc["a"]["z"] = Json::Value();
    EXPECT_EQ(styledJsonText(doc),
              "{\n"
              "   \"A\" : \"x\",\n"
              "   \"a\" : {\n"
              "      \"1st\" : [],\n"
              "      \"inner\" : {},\n"
              "      \"z\" : null\n"
              "   },\n"
              "   \"b\" : 1\n"
              "}\n"
              "\n");
}

Json::Value arrayOf(std::initializer_list<Json::Value> items)
{
    Json::Value array(Json::arrayValue);
    for (const auto& item : items)
        array.append(item);
    return array;
}

Json::Value numbers(int count, int value)
{
    Json::Value array(Json::arrayValue);
    for (int i = 0; i < count; ++i)
        array.append(value);
    return array;
}

struct ArrayCase {
    const char* name;
    Json::Value array;
    const char* text;
};

TEST(StyledJsonText, ArraysStayOnOneLineOnlyWhenShortAndFlat)
{
    Json::Value object;
    object["k"] = 1;
    const ArrayCase cases[] = {
        {"three integers", arrayOf({1, 2, 3}), "[ 1, 2, 3 ]\n"},
        // 4 + 2 * 22 + 23 = 71 columns; with a 24th element it reaches 74.
        {"23 digits fit", numbers(23, 1), nullptr},
        {"24 digits break", numbers(24, 1), nullptr},
        {"holds an object", arrayOf({object}), "[\n   {\n      \"k\" : 1\n   }\n]\n"},
        {"holds an empty object", arrayOf({Json::Value(Json::objectValue), 1}), "[ {}, 1 ]\n"},
        // 4 + 2 * (2 - 1) + 34 + 34 = 74: not below the limit.
        {"74 columns break", arrayOf({std::string(32, 'a'), std::string(32, 'b')}),
         "[\n   \"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\",\n   \"bbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbb\"\n]\n"},
        {"73 columns fit", arrayOf({std::string(31, 'a'), std::string(32, 'b')}),
         "[ \"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\", \"bbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbb\" ]\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string text = styledJsonText(c.array);
        ASSERT_EQ(text.substr(text.size() - 2), "\n\n");
        const std::string body = text.substr(0, text.size() - 1);
        if (c.text) {
            EXPECT_EQ(body, c.text);
            continue;
        }
        const bool oneLine = body.find('\n') == body.size() - 1;
        EXPECT_EQ(oneLine, c.array.size() < 24) << body;
    }
}

TEST(JsonFile, SaveThenLoadRoundTripsAndWritesLfOnly)
{
    TempDir dir;
    Json::Value doc;
    doc["profilename"] = "Ünïcode 名前";
    doc["Device"][0]["KeyList"][0]["Assignment"] = 0x100100;
    ASSERT_TRUE(SaveJsonFile(doc, dir.file("p.Json")));
    const std::string bytes = readFile(dir.file("p.Json"));
    EXPECT_EQ(bytes.find('\r'), std::string::npos);
    EXPECT_EQ(bytes, styledJsonText(doc));
    EXPECT_EQ(LoadJsonFile(dir.file("p.Json")), doc);
}

struct ReadCase {
    const char* name;
    std::string content;
    Json::Value expected;
};

TEST(JsonFile, LoadAcceptsCrLfCommentsAndStopsAtTheFirstZeroByte)
{
    Json::Value one;
    one["a"] = 1;
    const ReadCase cases[] = {
        {"crlf", "{\r\n   \"a\" : 1\r\n}\r\n\r\n", one},
        {"comments", "// saved by hand\n{ \"a\" : 1 /* one */ }\n", one},
        {"zero byte ends the text", std::string("{ \"a\" : 1 }\0garbage", 20), one},
        {"zero byte cuts the document", std::string("{ \"a\" \0: 1 }", 12), Json::Value()},
        {"whitespace only", " \n\t\n", Json::Value()},
        {"not json", "Device=1", Json::Value()},
        {"truncated", "{ \"a\" : [1, 2", Json::Value()},
        {"empty", "", Json::Value()},
    };
    TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile(dir.file("f.json"), c.content);
        EXPECT_EQ(LoadJsonFile(dir.file("f.json")), c.expected);
    }
}

TEST(JsonFile, HostileFilesReadAsNullWithoutCrashOrHang)
{
    TempDir dir;
    EXPECT_TRUE(LoadJsonFile(dir.file("missing.json")).isNull());
    EXPECT_TRUE(LoadJsonFile(dir.path()).isNull());

    writeFile(dir.file("deep.json"), std::string(100000, '[') + std::string(100000, ']'));
    EXPECT_TRUE(LoadJsonFile(dir.file("deep.json")).isNull());
    writeFile(dir.file("nested_ok.json"), std::string(100, '[') + std::string(100, ']'));
    EXPECT_TRUE(LoadJsonFile(dir.file("nested_ok.json")).isArray());

    std::string huge = "[" + std::string(kMaxJsonFileBytes, ' ') + "]";
    writeFile(dir.file("huge.json"), huge);
    EXPECT_TRUE(LoadJsonFile(dir.file("huge.json")).isNull());

    // A FIFO with no writer would block a plain open for reading forever.
    ASSERT_EQ(::mkfifo(dir.file("fifo.json").c_str(), 0600), 0);
    EXPECT_TRUE(LoadJsonFile(dir.file("fifo.json")).isNull());
}

TEST(JsonFile, FailedSaveLeavesTheOldFileWholeAndNoTemporaryBehind)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind root";
    TempDir dir;
    const std::string folder = dir.file("locked");
    std::filesystem::create_directory(folder);
    const std::string path = folder + "/p.Json";
    Json::Value old;
    old["profilename"] = "old";
    ASSERT_TRUE(SaveJsonFile(old, path));
    const std::string before = readFile(path);

    ::chmod(folder.c_str(), 0500);
    Json::Value replacement;
    replacement["profilename"] = "new";
    EXPECT_FALSE(SaveJsonFile(replacement, path));
    ::chmod(folder.c_str(), 0700);

    EXPECT_EQ(readFile(path), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1);
}

TEST(JsonFile, WriteErrorMidwayLeavesTheOldFileWhole)
{
    TempDir dir;
    const std::string path = dir.file("p.Json");
    writeFile(path, "{ \"old\" : 1 }");
    // A file-size limit makes the write fail part way, as a full disk would.
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved {};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    rlimit limited = saved;
    limited.rlim_cur = 64;
    ::setrlimit(RLIMIT_FSIZE, &limited);
    const bool savedOk = SaveJsonFile(Json::Value(std::string(1000, 'x')), path);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);

    EXPECT_FALSE(savedOk);
    EXPECT_EQ(readFile(path), "{ \"old\" : 1 }");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(JsonFile, DocumentsTooLargeToReadBackAreNotWritten)
{
    TempDir dir;
    const std::string path = dir.file("p.Json");
    writeFile(path, "{}");
    // Compact on input, far larger once styled: it must not replace a document it could not be read as.
    Json::Value wide(Json::arrayValue);
    for (int i = 0; i < 700000; ++i)
        wide.append(Json::Value(Json::objectValue));
    EXPECT_FALSE(SaveJsonFile(wide, path));
    EXPECT_EQ(readFile(path), "{}");
}

TEST(JsonFile, SaveIntoAMissingFolderFailsAndReportsIt)
{
    TempDir dir;
    EXPECT_FALSE(SaveJsonFile(Json::Value(1), dir.file("no/such/folder.json")));
}

TEST(JsonFile, SaveKeepsTheFileMode)
{
    TempDir dir;
    const std::string path = dir.file("p.json");
    writeFile(path, "{}");
    ::chmod(path.c_str(), 0600);

    ASSERT_TRUE(SaveJsonFile(Json::Value(7), path));
    EXPECT_EQ(readFile(path), "7\n\n");
    struct stat info {};
    ::stat(path.c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

// A document that is a link to a file elsewhere (planted, or left by a sync tool) must not turn a
// save into a write outside the data folder: the link is replaced, its target keeps its bytes.
TEST(JsonFile, SaveReplacesASymbolicLinkAndLeavesItsTargetAlone)
{
    TempDir dir;
    TempDir elsewhere;
    const std::string outside = elsewhere.file("outside.json");
    writeFile(outside, "{\"keep\": 1}");
    std::filesystem::create_symlink(outside, dir.file("link.json"));

    ASSERT_TRUE(SaveJsonFile(Json::Value(7), dir.file("link.json")));
    EXPECT_FALSE(std::filesystem::is_symlink(dir.file("link.json")));
    EXPECT_EQ(readFile(dir.file("link.json")), "7\n\n");
    EXPECT_EQ(readFile(outside), "{\"keep\": 1}");
}

// A FIFO, a folder or a device where a document would go is left as it is, and the save fails
// at once (a FIFO opened for writing would wait for a reader).
TEST(JsonFile, SaveNeverReplacesAFolderOrASpecialFile)
{
    TempDir dir;
    ASSERT_EQ(::mkfifo(dir.file("fifo.json").c_str(), 0600), 0);
    std::filesystem::create_directory(dir.file("folder.json"));
    for (const std::string& path : {dir.file("fifo.json"), dir.file("folder.json"), std::string("/dev/null")}) {
        const std::filesystem::file_type before = std::filesystem::symlink_status(path).type();
        EXPECT_FALSE(SaveJsonFile(Json::Value(7), path)) << path;
        EXPECT_EQ(std::filesystem::symlink_status(path).type(), before) << path;
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2) << "no temporary left";
}

// Values of every type through the non-throwing access: none may throw, each reads as the value it
// holds or as the default.
TEST(JsonAccess, EveryTypeReadsWithoutThrowing)
{
    struct Case {
        const char* text;
        std::int64_t integer;
        std::optional<std::int64_t> within16Bits;
        const char* string;
    };
    const Case cases[] = {
        {"65535", 65535, 65535, ""},
        {"65536", 65536, std::nullopt, ""},
        {"-1", -1, std::nullopt, ""},
        {"9223372036854775807", INT64_MAX, std::nullopt, ""},
        {"18446744073709551615", 0, std::nullopt, ""},
        {"-9223372036854775808", INT64_MIN, std::nullopt, ""},
        {"12.9", 12, std::nullopt, ""},
        {"1e300", 0, std::nullopt, ""},
        {"true", 1, std::nullopt, ""},
        {"\"12\"", 0, std::nullopt, "12"},
        {"null", 0, std::nullopt, ""},
        {"[1, 2]", 0, std::nullopt, ""},
        {"{\"a\": 1}", 0, std::nullopt, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const Json::Value value = parseJsonText(std::string("{\"v\": ") + c.text + "}")["v"];
        EXPECT_EQ(integerOf(value), c.integer);
        EXPECT_EQ(integerWithin(value, 0, 0xFFFF), c.within16Bits);
        EXPECT_EQ(textOf(value), c.string);
        EXPECT_TRUE(memberOf(value, "a").isNull() || value.isObject());
        EXPECT_TRUE(elementOf(value, 1).isNull() || value.isArray());
        EXPECT_TRUE(textMembersOf(value, "a").empty() || value.isArray());
    }
}

TEST(JsonAccess, TextMembersOfAListGiveEmptyTextForAnythingElse)
{
    const Json::Value list = parseJsonText(R"([{"Name": "a"}, {"Name": 5}, 7, {"Other": "b"}, {"Name": ["c"]}])");
    EXPECT_EQ(textMembersOf(list, "Name"), (std::vector<std::string>{"a", "", "", "", ""}));
}

TEST(MakeTimeStamp, FormatsLocalTimeWithMilliseconds)
{
    const std::regex shape(R"(\d{4}_\d{2}_\d{2}_\d{2}_\d{2}_\d{2}_\d{3})");
    EXPECT_TRUE(std::regex_match(MakeTimeStamp(), shape));

    std::tm local {};
    local.tm_year = 2024 - 1900;
    local.tm_mon = 2;
    local.tm_mday = 5;
    local.tm_hour = 14;
    local.tm_min = 7;
    local.tm_sec = 9;
    local.tm_isdst = -1;
    const auto when = std::chrono::system_clock::from_time_t(std::mktime(&local)) + std::chrono::milliseconds(42);
    EXPECT_EQ(MakeTimeStamp(when), "2024_03_05_14_07_09_042");
}

}  // namespace
}  // namespace kestrion
