#include "platform/audio/alsa_mixer_effects.h"
#include "platform/audio/equaliser_config.h"
#include "platform/audio/pipewire_equaliser.h"
#include "platform/audio/system_audio_effects.h"

#include "platform/fake_sound_cards.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace kestrion::audio {
namespace {

using kestrion::test::TempDir;

// The voice, surround and noise-cancelling effects: no Linux back end carries them.
constexpr const char* kEffectsWithoutBackEnd[] = {
    "Enable_MAGICVOICE", "Enable_MICECHO", "MagicVoice_Selection", "XearSurrHP_Enable", "XearSurrHP_Room",
    "XearSurrHP_Mode", "VirtualSurroundEffectControl", "Enable_ENC_LFX", "ENC_SELFCALIB", "Enable_RFX_GFX",
    "RFX_ENVIRONMENT", "RFX_ROOMSIZE", "GetSupportFeature",
};

class SystemAudioEffectsTest : public testing::Test {
protected:
    SystemAudioEffects makeEffects()
    {
        return SystemAudioEffects(
            std::make_unique<AlsaMixerEffects>(
                std::vector<SoundCard> {{"fake_cmedia", std::nullopt}, {"fake_headset", kHeadsetUsbId}}),
            std::make_unique<PipeWireEqualiser>(PipeWireEqualiser::Options {m_eqPath, "", [] {}}));
    }

    test::FakeSoundCards m_cards;
    TempDir m_dir;
    const std::string m_eqPath = m_dir.file("equaliser.conf");
    const AudioEndpoint m_headset {1, static_cast<int>(EndpointType::HeadsetCard), 0, true};
};

TEST_F(SystemAudioEffectsTest, EachPropertyGoesToThePartThatCarriesIt)
{
    SystemAudioEffects effects = makeEffects();
    const std::optional<AudioEndpoint> chosen = chooseEndpoint(effects.endpoints());
    ASSERT_EQ(chosen, m_headset);

    ASSERT_TRUE(effects.write(m_headset, "MuteControl", {1, -1}));
    ASSERT_TRUE(effects.write(m_headset, "AAVolumeScalarControl", {0.5, -1}));
    ASSERT_TRUE(effects.write(m_headset, "Enable_EQ_GFX", {1, -1}));
    ASSERT_TRUE(effects.write(m_headset, "EQ_Slider7", {-6, -1}));

    EXPECT_EQ(m_cards.state("headset")["Mic Capture Switch"], 0);
    EXPECT_EQ(m_cards.state("headset")["Sidetone Playback Volume"], 24);
    EXPECT_FALSE(std::filesystem::exists(m_cards.statePath("cmedia"))) << "the other card is left alone";
    std::optional<EqualiserSettings> equaliser = parseEqualiserSettings(kestrion::test::readFile(m_eqPath));
    ASSERT_TRUE(equaliser);
    EXPECT_TRUE(equaliser->enabled);
    EXPECT_EQ(equaliser->gains[6], -6);
    EXPECT_EQ(effects.read(m_headset, "EQ_Slider7"), (PropertyValue {-6, -1}));
    EXPECT_EQ(effects.read(m_headset, "AAVolumeControl"), (PropertyValue {-4, -1}));
}

TEST_F(SystemAudioEffectsTest, EffectsWithoutABackEndAndUnknownEndpointsAreRefused)
{
    SystemAudioEffects effects = makeEffects();
    for (const char* property : kEffectsWithoutBackEnd) {
        EXPECT_FALSE(effects.supports(m_headset, property)) << property;
        EXPECT_FALSE(effects.read(m_headset, property)) << property;
        EXPECT_FALSE(effects.write(m_headset, property, {1, -1})) << property;
    }
    const AudioEndpoint strangers[] = {
        {5, static_cast<int>(EndpointType::HeadsetCard), 0, true},
        {1, static_cast<int>(EndpointType::UsbCard), 0, true},
    };
    for (const AudioEndpoint& stranger : strangers) {
        EXPECT_FALSE(effects.supports(stranger, "EQ_Slider1"));
        EXPECT_FALSE(effects.write(stranger, "EQ_Slider1", {3, -1}));
        EXPECT_FALSE(effects.write(stranger, "MuteControl", {1, -1}));
    }
    EXPECT_FALSE(std::filesystem::exists(m_eqPath));
    EXPECT_EQ(m_cards.state("headset").count("Mic Capture Switch"), 0u) << "never written";
}

// A listening socket standing in for PipeWire's.
class ListeningSocket {
public:
    explicit ListeningSocket(const std::string& path)
        : m_fd(::socket(AF_UNIX, SOCK_STREAM, 0))
    {
        sockaddr_un address {};
        address.sun_family = AF_UNIX;
        path.copy(address.sun_path, sizeof address.sun_path - 1);
        EXPECT_EQ(::bind(m_fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
        EXPECT_EQ(::listen(m_fd, 4), 0);
    }
    ~ListeningSocket() { ::close(m_fd); }

private:
    int m_fd;
};

class OpenSystemAudioTest : public testing::Test {
protected:
    OpenSystemAudioTest()
    {
        std::filesystem::create_directories(m_dir.file("proc/card0"));
        std::filesystem::create_directories(m_dir.file("services"));
        m_sources.procAsound = m_dir.file("proc");
        m_sources.pipeWireSocket = m_dir.file("pipewire-0");
        m_sources.equaliserConfigPath = m_dir.file("config/pipewire/filter-chain.conf.d/kestrion-equaliser.conf");
        m_sources.userServiceFolders = {m_dir.file("nowhere"), m_dir.file("services")};
        m_sources.reloadCommand = {"touch", m_dir.file("reloaded")};
    }

    bool offersTheEqualiser()
    {
        std::unique_ptr<AudioEffects> effects = openSystemAudioEffects(m_sources);
        return effects && effects->supports(effects->endpoints().at(0), "EQ_Slider1");
    }

    TempDir m_dir;
    SystemAudioSources m_sources;
};

TEST_F(OpenSystemAudioTest, NothingWithoutASoundCard)
{
    std::filesystem::remove(m_dir.file("proc/card0"));
    EXPECT_EQ(openSystemAudioEffects(m_sources), nullptr);
}

TEST_F(OpenSystemAudioTest, TheEqualiserNeedsARunningPipeWireAndTheFilterChainService)
{
    kestrion::test::writeFile(m_dir.file("services/filter-chain.service"), "[Service]\n");
    EXPECT_FALSE(offersTheEqualiser()) << "no socket";

    kestrion::test::writeFile(m_dir.file("pipewire-0"), "");
    EXPECT_FALSE(offersTheEqualiser()) << "a socket path nobody listens on";
    std::filesystem::remove(m_dir.file("pipewire-0"));

    ListeningSocket pipeWire(m_dir.file("pipewire-0"));
    EXPECT_TRUE(offersTheEqualiser());
    std::filesystem::remove(m_dir.file("services/filter-chain.service"));
    EXPECT_FALSE(offersTheEqualiser()) << "no service to load the chain";
}

TEST_F(OpenSystemAudioTest, EqualiserWritesLandInTheDropInAndReloadTheChain)
{
    kestrion::test::writeFile(m_dir.file("services/filter-chain.service"), "[Service]\n");
    ListeningSocket pipeWire(m_dir.file("pipewire-0"));
    std::unique_ptr<AudioEffects> effects = openSystemAudioEffects(m_sources);
    ASSERT_TRUE(effects);
    ASSERT_TRUE(effects->write(effects->endpoints().at(0), "EQ_Slider10", {4, -1}));
    effects.reset();

    std::optional<EqualiserSettings> written =
        parseEqualiserSettings(kestrion::test::readFile(m_sources.equaliserConfigPath));
    ASSERT_TRUE(written);
    EXPECT_EQ(written->gains[9], 4);
    EXPECT_TRUE(std::filesystem::exists(m_dir.file("reloaded")));
}

// Sets environment variables for one test and puts the former values back.
class ScopedEnvironment {
public:
    ~ScopedEnvironment()
    {
        for (const auto& [name, value] : m_saved)
            value ? setenv(name.c_str(), value->c_str(), 1) : unsetenv(name.c_str());
    }

    void set(const char* name, const char* value)
    {
        if (!m_saved.count(name)) {
            const char* old = std::getenv(name);
            m_saved[name] = old ? std::optional<std::string>(old) : std::nullopt;
        }
        value ? setenv(name, value, 1) : unsetenv(name);
    }

private:
    std::map<std::string, std::optional<std::string>> m_saved;
};

TEST(SystemAudioPaths, FollowTheUsersEnvironment)
{
    ScopedEnvironment environment;
    struct Case {
        const char* remote;
        const char* pipeWireRuntime;
        const char* expected;
    };
    const Case cases[] = {
        {nullptr, nullptr, "/run/user/7/pipewire-0"},
        {"pipewire-1", nullptr, "/run/user/7/pipewire-1"},
        {"/tmp/pw.sock", nullptr, "/tmp/pw.sock"},
        {nullptr, "/run/pw", "/run/pw/pipewire-0"},
    };
    environment.set("XDG_RUNTIME_DIR", "/run/user/7");
    for (const Case& c : cases) {
        environment.set("PIPEWIRE_REMOTE", c.remote);
        environment.set("PIPEWIRE_RUNTIME_DIR", c.pipeWireRuntime);
        EXPECT_EQ(defaultPipeWireSocket(), c.expected);
    }

    environment.set("XDG_CONFIG_HOME", "/home/u/conf");
    EXPECT_EQ(defaultEqualiserConfigPath(), "/home/u/conf/pipewire/filter-chain.conf.d/kestrion-equaliser.conf");
    EXPECT_EQ(defaultUserServiceFolders().back(), "/home/u/conf/systemd/user");
    environment.set("XDG_CONFIG_HOME", nullptr);
    environment.set("HOME", "/home/u");
    EXPECT_EQ(defaultEqualiserConfigPath(), "/home/u/.config/pipewire/filter-chain.conf.d/kestrion-equaliser.conf");
}

}  // namespace
}  // namespace kestrion::audio
