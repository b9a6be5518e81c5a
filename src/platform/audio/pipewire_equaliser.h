#pragma once

#include "platform/audio/audio_effects.h"
#include "platform/audio/equaliser_config.h"
#include "platform/audio/settled_action.h"

#include <functional>
#include <mutex>
#include <string>

namespace kestrion::audio {

// The headset's ten-band equaliser as a PipeWire filter chain. Properties:
//   "Enable_EQ_GFX"                  1 on, 0 off (the chain then passes sound unchanged)
//   "EQ_Slider1" .. "EQ_Slider10"    the band's gain in dB, within +-24
// Every write rewrites the chain's configuration file whole and atomically; once writes have
// settled, `reload` asks the filter-chain service to load the file again. The equaliser has no
// endpoints of its own: it serves whichever endpoint its owner chose. The settings a previous run
// left in the file are read back at construction.
class PipeWireEqualiser : public AudioEffects {
public:
    struct Options {
        std::string configPath;
        std::string targetSink;  // empty: the chain plays to the default output
        std::function<void()> reload;
        std::chrono::milliseconds settle {300};
    };

    explicit PipeWireEqualiser(Options options);

    std::vector<AudioEndpoint> endpoints() override;
    bool supports(const AudioEndpoint& endpoint, std::string_view property) override;
    std::optional<PropertyValue> read(const AudioEndpoint& endpoint, std::string_view property) override;
    bool write(const AudioEndpoint& endpoint, std::string_view property, PropertyValue value) override;

private:
    bool apply(const EqualiserSettings& settings);

    const std::string m_configPath;
    const std::string m_targetSink;
    std::mutex m_mutex;
    EqualiserSettings m_settings;
    // Last: its thread stops, after one final reload, before the rest goes.
    SettledAction m_reload;
};

}  // namespace kestrion::audio
