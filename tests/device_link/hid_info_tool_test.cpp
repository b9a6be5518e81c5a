#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <json/json.h>

#include "device_link/hid_test_descriptors.h"
#include "devsim/virtual_hid_server.h"
#include "platform/paths.h"
#include "support/temp_dir.h"

namespace kestrion {
namespace {

struct ToolRun {
    int exitCode;
    std::string out;
};

ToolRun runHidinfo(const std::string& arguments)
{
    const std::string command = std::string(KESTRION_HIDINFO) + " " + arguments + " 2>/dev/null";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return {-1, {}};
    std::string out;
    char buffer[4096];
    while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
        out.append(buffer, n);
    const int status = ::pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

const Json::Value* findPath(const Json::Value& list, const std::string& path)
{
    for (const Json::Value& entry : list)
        if (entry["path"].asString() == path)
            return &entry;
    return nullptr;
}

TEST(HidinfoTool, JsonListsFakeTreeAndVirtualInterfaces)
{
    test::TempDir dev;
    test::writeFile(dev.file("hidraw1"), "");
    test::writeFile(dev.file("hidraw2"), "");
    ::chmod(dev.file("hidraw2").c_str(), 0);
    devsim::VirtualHidInterface simulated(virtualHidDir(), "sim-if1",
                                          {0x320F, 0x226F, 0x0104, 1, test::descriptorBytes("kestrion-mouse-if1.bin")},
                                          [](char, const std::vector<std::uint8_t>&) {});
    ASSERT_TRUE(simulated.publish());

    const std::string tree = std::string(KESTRION_TEST_DATA) + "/sysfs-kestrion";
    const ToolRun run = runHidinfo("--json --sysfs " + tree + " --dev " + dev.path());
    simulated.unpublish();
    ASSERT_EQ(run.exitCode, 0);
    Json::Value list;
    Json::CharReaderBuilder builder;
    std::string errors;
    const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    ASSERT_TRUE(reader->parse(run.out.data(), run.out.data() + run.out.size(), &list, &errors)) << errors;
    ASSERT_TRUE(list.isArray());
    EXPECT_EQ(list.size(), 18u);

    const Json::Value* command = findPath(list, dev.path() + "/hidraw1#vid_320f&pid_22a4&mi_01&col02");
    ASSERT_NE(command, nullptr);
    EXPECT_EQ((*command)["vendor"].asInt(), 0x320F);
    EXPECT_EQ((*command)["version"].asInt(), 0x0104);
    EXPECT_EQ((*command)["usagePage"].asInt(), 0xFF1C);
    EXPECT_EQ((*command)["inputLength"].asInt(), 64);
    EXPECT_EQ((*command)["supportedRow"].asInt(), 4);
    EXPECT_EQ((*command)["access"].asString(), "ok");

    const Json::Value* notification = findPath(list, dev.path() + "/hidraw0#vid_320f&pid_22a4&mi_00&col03");
    ASSERT_NE(notification, nullptr);
    EXPECT_EQ((*notification)["supportedRow"].asInt(), 5);
    EXPECT_EQ((*notification)["access"].asString(), "missing");

    const Json::Value* keyboard = findPath(list, dev.path() + "/hidraw2#vid_06cb&pid_2968&mi_00&col01");
    ASSERT_NE(keyboard, nullptr);
    EXPECT_TRUE((*keyboard)["supportedRow"].isNull());
    if (::geteuid() != 0) {
        EXPECT_EQ((*keyboard)["access"].asString(), "no-rights");  // root opens it regardless
    }

    const Json::Value* receiver = findPath(list, "vhid:sim-if1#vid_320f&pid_226f&mi_01&col02");
    ASSERT_NE(receiver, nullptr);
    EXPECT_EQ((*receiver)["supportedRow"].asInt(), 6);
    EXPECT_EQ((*receiver)["access"].asString(), "ok");
}

TEST(HidinfoTool, PlainListingHasOneLinePerInterface)
{
    const ToolRun run = runHidinfo("--sysfs " + std::string(KESTRION_TEST_DATA) + "/sysfs-kestrion --dev /nonexistent");
    ASSERT_EQ(run.exitCode, 0);
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 16);
    EXPECT_NE(run.out.find("/nonexistent/hidraw1#vid_320f&pid_22a4&mi_01&col02 vid=320f pid=22a4 ver=0104 mi=01 "
                           "col=02 page=ff1c usage=0092 in=64 out=64 feature=0 supported=4 access=missing\n"),
              std::string::npos);
}

TEST(HidinfoTool, UsageErrorsExitWithTwo)
{
    EXPECT_EQ(runHidinfo("--frobnicate").exitCode, 2);
    EXPECT_EQ(runHidinfo("--sysfs").exitCode, 2);
}

}  // namespace
}  // namespace kestrion
