#pragma once

#include "platform/audio/audio_effects.h"

#include <memory>
#include <string>
#include <vector>

namespace kestrion::audio {

// The system's audio effects as one object: the sound cards' endpoints, their microphone and
// monitoring properties through the mixer, and the equaliser where PipeWire runs. A property is
// served by the first part that carries it on the endpoint; the voice, surround and
// noise-cancelling effects have no part on Linux, so they are unsupported and their writes refused.
class SystemAudioEffects : public AudioEffects {
public:
    // cards supplies the endpoints; equaliser may be null.
    SystemAudioEffects(std::unique_ptr<AudioEffects> cards, std::unique_ptr<AudioEffects> equaliser);

    std::vector<AudioEndpoint> endpoints() override;
    bool supports(const AudioEndpoint& endpoint, std::string_view property) override;
    std::optional<PropertyValue> read(const AudioEndpoint& endpoint, std::string_view property) override;
    bool write(const AudioEndpoint& endpoint, std::string_view property, PropertyValue value) override;

private:
    AudioEffects* partFor(const AudioEndpoint& endpoint, std::string_view property);

    std::vector<std::unique_ptr<AudioEffects>> m_parts;  // the cards first
};

inline constexpr const char* kFilterChainService = "filter-chain.service";

// $XDG_CONFIG_HOME, else ~/.config.
std::string userConfigHome();
// Where systemd looks for user units: the distribution's folders and the user's own.
std::vector<std::string> defaultUserServiceFolders();

// Where the system's audio is found and how the equaliser's filter chain is reloaded; the defaults
// are the live system's.
struct SystemAudioSources {
    std::string procAsound = "/proc/asound";
    std::string pipeWireSocket;        // empty: the user's PipeWire socket
    std::string equaliserConfigPath;   // empty: the user's filter-chain drop-in folder
    std::vector<std::string> userServiceFolders = defaultUserServiceFolders();
    std::vector<std::string> reloadCommand = {"systemctl", "--user", "restart", kFilterChainService};
};

// The user's PipeWire socket: $PIPEWIRE_REMOTE when it is a path, else that name (or
// "pipewire-0") in $PIPEWIRE_RUNTIME_DIR or $XDG_RUNTIME_DIR.
std::string defaultPipeWireSocket();
// The user's config home + "/pipewire/filter-chain.conf.d/kestrion-equaliser.conf".
std::string defaultEqualiserConfigPath();

// Null when there is no sound card at all. The equaliser is part of it only when PipeWire answers
// on its socket and the filter-chain service that loads the equaliser's file is installed.
std::unique_ptr<AudioEffects> openSystemAudioEffects(const SystemAudioSources& sources = {});

}  // namespace kestrion::audio
