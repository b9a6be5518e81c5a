// The installed udev rule must open exactly the products the tool looks for: a missing id leaves
// a user facing "no device", an extra one hands out access the tool never needs.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <utility>

#include "device_link/supported_devices.h"
#include "support/temp_dir.h"

namespace kestrion {
namespace {

using Ids = std::pair<std::uint16_t, std::uint16_t>;
using Rule = std::map<std::string, std::string>;  // "KEY<op>" -> value

// The keys of one rule line, each with its operator: {"SUBSYSTEM==": "hidraw", ...}.
Rule parseRule(const std::string& line)
{
    static const std::regex key(R"re(\s*([A-Z]+(?:\{\w+\})?)(==|!=|\+=|:=|=)"([^"]*)"\s*(,|$))re");
    Rule rule;
    auto at = line.cbegin();
    std::smatch match;
    while (at != line.cend() &&
           std::regex_search(at, line.cend(), match, key, std::regex_constants::match_continuous)) {
        EXPECT_TRUE(rule.emplace(match[1].str() + match[2].str(), match[3].str()).second) << line;
        at = match[0].second;
    }
    EXPECT_TRUE(at == line.cend()) << "unparsed rest: " << std::string(at, line.cend());
    return rule;
}

std::uint16_t parseId(const std::string& text)
{
    // sysfs writes idVendor and idProduct as four lower-case hex digits and udev compares text.
    EXPECT_TRUE(std::regex_match(text, std::regex("[0-9a-f]{4}"))) << text;
    return static_cast<std::uint16_t>(std::stoul(text, nullptr, 16));
}

TEST(UdevRule, GrantsSeatAccessToExactlyTheSupportedProducts)
{
    std::ifstream file(std::string(KESTRION_SOURCE_ROOT) + "/packaging/70-kestrion.rules");
    ASSERT_TRUE(file) << "rule file missing";
    std::set<Ids> granted;
    std::string line;
    while (std::getline(file, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        SCOPED_TRACE(line);
        Rule rule = parseRule(line);
        EXPECT_EQ(rule["SUBSYSTEM=="], "hidraw");
        EXPECT_EQ(rule["TAG+="], "uaccess");
        const Ids ids{parseId(rule["ATTRS{idVendor}=="]), parseId(rule["ATTRS{idProduct}=="])};
        EXPECT_EQ(rule.size(), 4u);
        EXPECT_TRUE(granted.insert(ids).second) << "listed twice";
    }

    // Product 0 is the unconfigured keyboard: no device carries it.
    std::set<Ids> supported;
    for (const SupportedDeviceEntry& row : kSupportedDeviceTable)
        if (row.productId != 0)
            supported.emplace(row.vendorId, row.productId);
    EXPECT_EQ(granted, supported);
}

// Under another prefix than /usr the rule used to land in <prefix>/lib/udev/rules.d, which udev
// never reads, and a real mouse stayed out of reach.
TEST(UdevRule, InstallsWhereUdevReadsWhateverThePrefix)
{
    const std::string folder = KESTRION_UDEV_RULES_DIR;
    const std::set<std::string> udevReads{"/etc/udev/rules.d", "/usr/lib/udev/rules.d", "/lib/udev/rules.d"};
    EXPECT_TRUE(udevReads.count(folder)) << folder;

    for (const char* prefix : {"/usr/local", "/opt/kestrion"}) {
        test::TempDir stage;
        const std::string command = "DESTDIR='" + stage.path() + "' '" KESTRION_CMAKE "' --install '"
                                    KESTRION_BUILD_DIR "' --component udev --prefix " + prefix + " >/dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        EXPECT_EQ(test::readFile(stage.path() + folder + "/70-kestrion.rules"),
                  test::readFile(KESTRION_SOURCE_ROOT "/packaging/70-kestrion.rules")) << prefix;
    }
}

}  // namespace
}  // namespace kestrion
