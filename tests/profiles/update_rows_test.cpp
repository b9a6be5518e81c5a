// The update page's plain parts: versions as update programs print them, progress lines, and
// which files count as update programs.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "profiles/update_rows.h"
#include "support/temp_dir.h"

namespace kestrion::test {
namespace {

namespace fs = std::filesystem;

TEST(UpdateVersions, FirmwareAndApplicationTextsParseOrAreRefused)
{
    struct Case {
        const char* text;
        std::optional<VersionParts> firmware;
        std::optional<VersionParts> application;
    };
    const Case cases[] = {
        {"0105", VersionParts{0x0105}, VersionParts{105}},
        {"V01a0\n", VersionParts{0x01A0}, std::nullopt},
        {"105", std::nullopt, VersionParts{105}},
        {"0.2.10", std::nullopt, VersionParts{0, 2, 10}},
        {"v1.0", std::nullopt, VersionParts{1, 0}},
        {"1..0", std::nullopt, std::nullopt},
        {"1.0.", std::nullopt, std::nullopt},
        {"-104", std::nullopt, std::nullopt},
        {"0x0105", std::nullopt, std::nullopt},
        {"", std::nullopt, std::nullopt},
        {"1.2 beta", std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(parseFirmwareVersion(c.text), c.firmware) << c.text;
        EXPECT_EQ(parseApplicationVersion(c.text), c.application) << c.text;
    }
}

// Dots are not just dropped: 0.10.0 is newer than 0.9.9, and 1.0.0 newer than 0.10.0.
TEST(UpdateVersions, ApplicationVersionsCompareNumberByNumber)
{
    EXPECT_LT(*parseApplicationVersion("0.9.9"), *parseApplicationVersion("0.10.0"));
    EXPECT_LT(*parseApplicationVersion("0.10.0"), *parseApplicationVersion("1.0.0"));
    EXPECT_TRUE(parseApplicationVersion(applicationVersion()).has_value()) << applicationVersion();
    EXPECT_EQ(applicationVersionText(), "V" + applicationVersion());
    EXPECT_EQ(firmwareVersionText(0x0104), "V0104");
    EXPECT_EQ(firmwareVersionText(0x01AF), "V01af");
}

TEST(UpdateVersions, ProgressLinesGiveAPercentage)
{
    const std::pair<const char*, std::optional<int>> cases[] = {
        {"0", 0}, {"42", 42}, {" 57%\r", 57}, {"100", 100}, {"101", std::nullopt},
        {"-1", std::nullopt}, {"writing block 3", std::nullopt}, {"", std::nullopt}, {"%", std::nullopt},
    };
    for (const auto& [line, percent] : cases)
        EXPECT_EQ(progressOfLine(line), percent) << line;
}

TEST(UpdateRowStates, OnlyAnUpdatingRowHoldsTheWindowAndOnlyAnOfferCanBeTicked)
{
    struct Case {
        int state;
        bool settled;
        bool offers;
    };
    const Case cases[] = {
        {kRowFirmwareUpdate, true, true}, {kRowApplicationUpdate, true, true}, {kRowUpdating, false, false},
        {kRowUpToDate, true, false},      {kRowFinished, true, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(rowIsSettled(c.state), c.settled) << c.state;
        EXPECT_EQ(rowOffersUpdate(c.state), c.offers) << c.state;
    }
}

class UpdatePrograms : public ::testing::Test {
protected:
    std::string program(const std::string& folder, const std::string& name, fs::perms perms)
    {
        fs::create_directories(folder);
        const std::string path = folder + "/" + name;
        writeFile(path, "#!/bin/sh\n");
        fs::permissions(path, perms);
        return path;
    }

    TempDir root;
    std::string user = root.file("user");
    std::string beside = root.file("beside");
};

TEST_F(UpdatePrograms, TheFirstRunnableFileOfTheFoldersIsTaken)
{
    constexpr fs::perms kRunnable = fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec;
    const std::string shipped = program(beside, "MS", kRunnable);
    EXPECT_EQ(findUpdateProgram({user, beside}, "MS"), shipped);
    const std::string own = program(user, "MS", kRunnable);
    EXPECT_EQ(findUpdateProgram({user, beside}, "MS"), own);
    EXPECT_EQ(findUpdateProgram({user, beside}, "KB"), "");
}

TEST_F(UpdatePrograms, FilesThatCannotOrMustNotRunAreNotPrograms)
{
    program(user, "plain", fs::perms::owner_read | fs::perms::owner_write);
    program(user, "shared", fs::perms::owner_all | fs::perms::group_write | fs::perms::group_exec);
    program(user, "public", fs::perms::owner_all | fs::perms::others_write);
    fs::create_directories(user + "/folder");
    for (const char* name : {"plain", "shared", "public", "folder"})
        EXPECT_EQ(findUpdateProgram({user}, name), "") << name;
}

TEST(UpdateFolders, TheUsersRuntimeFolderComesBeforeTheProgramsOwn)
{
    const std::vector<std::string> folders = updateProgramFolders("/opt/kestrion/bin");
    ASSERT_EQ(folders.size(), 2u);
    EXPECT_EQ(folders[0], std::string(std::getenv("XDG_RUNTIME_DIR")) + "/UpdateData");
    EXPECT_EQ(folders[1], "/opt/kestrion/bin/Update");
}

}  // namespace
}  // namespace kestrion::test
