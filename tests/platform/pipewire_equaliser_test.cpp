#include "platform/audio/equaliser_config.h"
#include "platform/audio/pipewire_equaliser.h"
#include "platform/audio/run_command.h"
#include "platform/audio/settled_action.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <limits>
#include <mutex>
#include <regex>

namespace kestrion::audio {
namespace {

using namespace std::chrono_literals;
using test::TempDir;

constexpr std::array<double, kEqualiserBands> kRockGains = {7, 11, 2, -3, -1, 4, 9, 12, 9, 5};

std::vector<std::string> matchesOf(const std::string& text, const std::string& pattern)
{
    std::vector<std::string> found;
    const std::regex expression(pattern);
    for (auto it = std::sregex_iterator(text.begin(), text.end(), expression); it != std::sregex_iterator(); ++it)
        found.push_back((*it)[1]);
    return found;
}

std::vector<double> filterGains(const std::string& configText)
{
    std::vector<double> gains;
    for (const std::string& gain : matchesOf(configText, R"("Gain" = (-?[0-9.]+))"))
        gains.push_back(std::stod(gain));
    return gains;
}

TEST(EqualiserConfig, TheChainCarriesTheBandsInOrderAndOnlyWhenEnabled)
{
    const EqualiserSettings enabled {true, kRockGains};
    const std::string text = equaliserConfigText(enabled, "alsa_output.usb-headset");

    EXPECT_EQ(filterGains(text), std::vector<double>(kRockGains.begin(), kRockGains.end()));
    std::vector<std::string> frequencies = matchesOf(text, R"("Freq" = ([0-9.]+))");
    ASSERT_EQ(frequencies.size(), kEqualiserBands);
    for (std::size_t band = 0; band < kEqualiserBands; ++band)
        EXPECT_DOUBLE_EQ(std::stod(frequencies[band]), kEqualiserFrequencies[band]);
    const std::vector<std::string> links = matchesOf(text, R"(output = "eq_band_(\d+):Out" input = "eq_band_\d+:In")");
    EXPECT_EQ(links, (std::vector<std::string> {"1", "2", "3", "4", "5", "6", "7", "8", "9"}));
    EXPECT_EQ(matchesOf(text, R"re(target.object = "([^"]*)")re"), std::vector<std::string> {"alsa_output.usb-headset"});
    EXPECT_EQ(parseEqualiserSettings(text), enabled);

    const EqualiserSettings disabled {false, kRockGains};
    const std::string flat = equaliserConfigText(disabled, "");
    EXPECT_EQ(filterGains(flat), std::vector<double>(kEqualiserBands, 0.0));
    EXPECT_TRUE(matchesOf(flat, R"((target.object))").empty());
    EXPECT_EQ(parseEqualiserSettings(flat), disabled) << "the gains survive switching off";
}

TEST(EqualiserConfig, SettingsAreReadOnlyFromAWellFormedFirstLine)
{
    const char* rejected[] = {
        "",
        "context.modules = []\n",
        "# kestrion-equaliser enabled=2 gains=0,0,0,0,0,0,0,0,0,0\n",
        "# kestrion-equaliser enabled=1 gains=0,0,0,0,0,0,0,0,0\n",
        "# kestrion-equaliser enabled=1 gains=0,0,0,0,0,0,0,0,0,0,0\n",
        "# kestrion-equaliser enabled=1 gains=0,0,0,0,0,0,0,0,0,x\n",
        "# kestrion-equaliser enabled=1 gains=0,0,0,0,0,0,0,0,0,25\n",
        "# kestrion-equaliser enabled=1 gains=0,0,0,0,0,0,0,0,0,nan\n",
        "\n# kestrion-equaliser enabled=1 gains=0,0,0,0,0,0,0,0,0,0\n",
    };
    for (const char* text : rejected)
        EXPECT_EQ(parseEqualiserSettings(text), std::nullopt) << text;
    EXPECT_EQ(parseEqualiserSettings("# kestrion-equaliser enabled=1 gains=1.5,-2,0,0,0,0,0,0,0,-24.00\nrest"),
              (EqualiserSettings {true, {1.5, -2, 0, 0, 0, 0, 0, 0, 0, -24}}));
}

// Records each reload with the configuration file as it stood at that moment.
class EqualiserTest : public testing::Test {
protected:
    std::unique_ptr<PipeWireEqualiser> makeEqualiser(std::chrono::milliseconds settle = 1h)
    {
        return std::make_unique<PipeWireEqualiser>(PipeWireEqualiser::Options {
            m_path, "", [this] { m_reloads.push_back(test::readFile(m_path)); }, settle});
    }

    TempDir m_dir;
    const std::string m_path = m_dir.file("pipewire/filter-chain.conf.d/kestrion-equaliser.conf");
    const AudioEndpoint m_endpoint {0, static_cast<int>(EndpointType::HeadsetCard), 0, true};
    std::vector<std::string> m_reloads;
};

TEST_F(EqualiserTest, APresetWrittenBandByBandEndsInTheFileAndOneReload)
{
    auto equaliser = makeEqualiser();
    ASSERT_TRUE(equaliser->write(m_endpoint, "Enable_EQ_GFX", {1, -1}));
    for (std::size_t band = 0; band < kEqualiserBands; ++band) {
        const std::string property = "EQ_Slider" + std::to_string(band + 1);
        ASSERT_TRUE(equaliser->write(m_endpoint, property, {kRockGains[band], -1}));
        EXPECT_EQ(filterGains(test::readFile(m_path))[band], kRockGains[band]) << "written at once";
        EXPECT_EQ(equaliser->read(m_endpoint, property), (PropertyValue {kRockGains[band], -1}));
    }
    EXPECT_EQ(equaliser->read(m_endpoint, "Enable_EQ_GFX"), (PropertyValue {1, -1}));
    equaliser.reset();

    ASSERT_EQ(m_reloads.size(), 1u) << "the settle time never passed: the final reload comes at shutdown";
    EXPECT_EQ(parseEqualiserSettings(m_reloads[0]), (EqualiserSettings {true, kRockGains}));
    auto restarted = makeEqualiser();
    EXPECT_EQ(restarted->read(m_endpoint, "EQ_Slider2"), (PropertyValue {11, -1}));
    EXPECT_EQ(restarted->read(m_endpoint, "Enable_EQ_GFX"), (PropertyValue {1, -1}));
}

TEST_F(EqualiserTest, RefusesValuesAndPropertiesItDoesNotCarry)
{
    auto equaliser = makeEqualiser();
    ASSERT_TRUE(equaliser->write(m_endpoint, "EQ_Slider4", {-3, -1}));
    const std::string before = test::readFile(m_path);
    struct Case {
        const char* property;
        double value;
        bool supported;
    };
    const Case cases[] = {
        {"Enable_EQ_GFX", 2, true},
        {"EQ_Slider1", 24.5, true},
        {"EQ_Slider10", -30, true},
        {"EQ_Slider3", std::numeric_limits<double>::quiet_NaN(), true},
        {"EQ_Slider0", 1, false},
        {"EQ_Slider11", 1, false},
        {"Enable_MAGICVOICE", 1, false},
        {"XearSurrHP_Enable", 1, false},
        {"Enable_ENC_LFX", 1, false},
        {"RFX_ROOMSIZE", 1, false},
        {"MuteControl", 1, false},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(equaliser->write(m_endpoint, c.property, {c.value, -1})) << c.property;
        EXPECT_EQ(equaliser->supports(m_endpoint, c.property), c.supported) << c.property;
    }
    EXPECT_EQ(test::readFile(m_path), before);
    EXPECT_EQ(equaliser->read(m_endpoint, "EQ_Slider4"), (PropertyValue {-3, -1}));
}

TEST_F(EqualiserTest, AFailedWriteKeepsTheFormerSettings)
{
    std::filesystem::create_directories(m_dir.file("pipewire"));
    test::writeFile(m_dir.file("pipewire/filter-chain.conf.d"), "a file where the folder should be");
    auto equaliser = makeEqualiser();
    EXPECT_FALSE(equaliser->write(m_endpoint, "EQ_Slider1", {5, -1}));
    EXPECT_EQ(equaliser->read(m_endpoint, "EQ_Slider1"), (PropertyValue {0, -1}));
    equaliser.reset();
    EXPECT_TRUE(m_reloads.empty());
}

TEST(SettledAction, RunsOnceTheRequestsHaveSettled)
{
    std::mutex mutex;
    std::condition_variable ran;
    int runs = 0;
    SettledAction action(1ms, [&] {
        std::lock_guard lock(mutex);
        ++runs;
        ran.notify_all();
    });
    action.request();
    std::unique_lock lock(mutex);
    EXPECT_TRUE(ran.wait_for(lock, 30s, [&] { return runs > 0; }));
}

TEST(RunCommand, ReportsWhetherTheProgramRanAndSucceeded)
{
    struct Case {
        std::vector<std::string> argv;
        bool succeeded;
    };
    const Case cases[] = {
        {{"true"}, true},
        {{"sh", "-c", "exit 0"}, true},
        {{"false"}, false},
        {{"sh", "-c", "kill -9 $$"}, false},
        {{"kestrion-no-such-program"}, false},
        {{}, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(runCommand(c.argv), c.succeeded) << (c.argv.empty() ? "(nothing)" : c.argv.back());
}

}  // namespace
}  // namespace kestrion::audio
