#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <sstream>
#include <thread>
#include <vector>

#include "platform/log.h"
#include "support/temp_dir.h"

namespace kestrion {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::TempDir;

class LogTest : public testing::Test {
protected:
    void SetUp() override { setenv("XDG_DATA_HOME", home.path().c_str(), 1); }
    void createLogFolder() { fs::create_directories(home.file("Zorvane")); }
    std::string logText() { return readFile(logFilePath()); }

    TempDir home;
};

const std::regex kLine(R"(\d{4}-\d{2}-\d{2}-\d{2}-\d{2}-\d{2}:[^\n]*\n)");

TEST_F(LogTest, MissingFolderWritesNothingAndCreatesNothing)
{
    writeLog("Open>pNoDeviceLinkLyout    true");
    EXPECT_FALSE(fs::exists(home.file("Zorvane")));
    EXPECT_TRUE(fs::is_empty(home.path()));
}

TEST_F(LogTest, LineIsTimePrefixThenMessage)
{
    createLogFolder();
    writeLog("Hid2_4GDeviceIsLink>0xAA    false");
    writeLog("ReadDeviceData>WM_USB_MAINMESS_DEVICE_IS_INITUI    1");
    const std::string text = logText();
    const std::regex twoLines(R"(\d{4}-\d{2}-\d{2}-\d{2}-\d{2}-\d{2}:Hid2_4GDeviceIsLink>0xAA    false\n)"
                              R"(\d{4}-\d{2}-\d{2}-\d{2}-\d{2}-\d{2}:ReadDeviceData>WM_USB_MAINMESS_DEVICE_IS_INITUI    1\n)");
    EXPECT_TRUE(std::regex_match(text, twoLines)) << text;
}

TEST(LogPrefix, FormatsLocalTimeFields)
{
    struct tm when {};
    when.tm_year = 2024 - 1900;
    when.tm_mon = 2;
    when.tm_mday = 5;
    when.tm_hour = 9;
    when.tm_min = 7;
    when.tm_sec = 3;
    EXPECT_EQ(logTimePrefix(when), "2024-03-05-09-07-03:");
}

TEST_F(LogTest, SizeLimitEmptiesOnlyAnOversizedFile)
{
    createLogFolder();
    struct Case {
        std::uint64_t existing;
        bool kept;
    };
    for (const Case c : {Case{kLogSizeLimit + 1, false}, Case{kLogSizeLimit, true}}) {
        test::writeFile(logFilePath(), std::string(c.existing, 'x'));
        writeLog("next");
        const std::string text = logText();
        if (c.kept) {
            EXPECT_EQ(text.size(), c.existing + std::string("2024-03-05-09-07-03:next\n").size());
        } else {
            EXPECT_TRUE(std::regex_match(text, kLine)) << text.substr(0, 80);
            EXPECT_NE(text.find(":next\n"), std::string::npos);
        }
    }
}

TEST_F(LogTest, LinesFromManyThreadsStayWhole)
{
    createLogFolder();
    std::vector<std::thread> writers;
    for (int t = 0; t < 8; ++t)
        writers.emplace_back([t] {
            for (int i = 0; i < 50; ++i)
                writeLog("thread " + std::to_string(t) + " line " + std::to_string(i));
        });
    for (auto& w : writers)
        w.join();

    std::istringstream lines(logText());
    std::string line;
    int count = 0;
    while (std::getline(lines, line)) {
        EXPECT_TRUE(std::regex_match(line + "\n", kLine)) << line;
        ++count;
    }
    EXPECT_EQ(count, 8 * 50);
}

}  // namespace
}  // namespace kestrion
