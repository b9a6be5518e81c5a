#include "platform/audio/system_audio_effects.h"

#include "platform/audio/alsa_mixer_effects.h"
#include "platform/audio/pipewire_equaliser.h"
#include "platform/audio/run_command.h"
#include "platform/audio/sound_cards.h"
#include "platform/diagnostics.h"
#include "platform/file_descriptor.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sys/socket.h>
#include <sys/un.h>

namespace kestrion::audio {
namespace {

constexpr const char* kDefaultPipeWireRemote = "pipewire-0";

std::string envOrEmpty(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

bool socketAnswers(const std::string& path)
{
    sockaddr_un address {};
    if (path.empty() || path.size() >= sizeof address.sun_path)
        return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size());
    FileDescriptor socketFd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    return socketFd.get() >= 0
        && ::connect(socketFd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
}

bool serviceInstalled(const std::vector<std::string>& folders)
{
    std::error_code error;
    return std::any_of(folders.begin(), folders.end(), [&](const std::string& folder) {
        return std::filesystem::exists(std::filesystem::path(folder) / kFilterChainService, error);
    });
}

std::unique_ptr<AudioEffects> openEqualiser(const SystemAudioSources& sources)
{
    const std::string socket = sources.pipeWireSocket.empty() ? defaultPipeWireSocket() : sources.pipeWireSocket;
    if (!socketAnswers(socket) || !serviceInstalled(sources.userServiceFolders))
        return nullptr;
    const std::string configPath =
        sources.equaliserConfigPath.empty() ? defaultEqualiserConfigPath() : sources.equaliserConfigPath;
    auto reload = [command = sources.reloadCommand] {
        if (!runCommand(command))
            debugTrace("equaliser: reloading the filter chain failed");
    };
    return std::make_unique<PipeWireEqualiser>(PipeWireEqualiser::Options {configPath, "", reload});
}

}  // namespace

SystemAudioEffects::SystemAudioEffects(std::unique_ptr<AudioEffects> cards, std::unique_ptr<AudioEffects> equaliser)
{
    m_parts.push_back(std::move(cards));
    if (equaliser)
        m_parts.push_back(std::move(equaliser));
}

std::vector<AudioEndpoint> SystemAudioEffects::endpoints()
{
    return m_parts.front()->endpoints();
}

bool SystemAudioEffects::supports(const AudioEndpoint& endpoint, std::string_view property)
{
    return partFor(endpoint, property) != nullptr;
}

std::optional<PropertyValue> SystemAudioEffects::read(const AudioEndpoint& endpoint, std::string_view property)
{
    AudioEffects* part = partFor(endpoint, property);
    return part ? part->read(endpoint, property) : std::nullopt;
}

bool SystemAudioEffects::write(const AudioEndpoint& endpoint, std::string_view property, PropertyValue value)
{
    AudioEffects* part = partFor(endpoint, property);
    return part && part->write(endpoint, property, value);
}

AudioEffects* SystemAudioEffects::partFor(const AudioEndpoint& endpoint, std::string_view property)
{
    const std::vector<AudioEndpoint> known = endpoints();
    if (std::find(known.begin(), known.end(), endpoint) == known.end())
        return nullptr;
    for (const auto& part : m_parts) {
        if (part->supports(endpoint, property))
            return part.get();
    }
    return nullptr;
}

std::string defaultPipeWireSocket()
{
    std::string remote = envOrEmpty("PIPEWIRE_REMOTE");
    if (remote.starts_with('/'))
        return remote;
    if (remote.empty())
        remote = kDefaultPipeWireRemote;
    std::string folder = envOrEmpty("PIPEWIRE_RUNTIME_DIR");
    if (folder.empty())
        folder = envOrEmpty("XDG_RUNTIME_DIR");
    return folder.empty() ? "" : folder + "/" + remote;
}

std::string userConfigHome()
{
    const std::string configHome = envOrEmpty("XDG_CONFIG_HOME");
    return configHome.empty() ? envOrEmpty("HOME") + "/.config" : configHome;
}

std::vector<std::string> defaultUserServiceFolders()
{
    return {"/usr/lib/systemd/user", "/lib/systemd/user", "/etc/systemd/user", userConfigHome() + "/systemd/user"};
}

std::string defaultEqualiserConfigPath()
{
    return userConfigHome() + "/pipewire/filter-chain.conf.d/kestrion-equaliser.conf";
}

std::unique_ptr<AudioEffects> openSystemAudioEffects(const SystemAudioSources& sources)
{
    std::vector<SoundCard> cards = listSoundCards(sources.procAsound);
    if (cards.empty())
        return nullptr;
    return std::make_unique<SystemAudioEffects>(std::make_unique<AlsaMixerEffects>(std::move(cards)),
                                                openEqualiser(sources));
}

}  // namespace kestrion::audio
