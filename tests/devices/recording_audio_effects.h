#pragma once

#include <ostream>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/audio/audio_effects.h"

namespace kestrion::testing_support {

// Keeps every property write in order; the properties named in `failing` refuse writes, those in
// `unsupported` are not carried at all.
class RecordingAudioEffects : public audio::AudioEffects {
public:
    struct Write {
        std::string property;
        audio::PropertyValue value;
        friend bool operator==(const Write&, const Write&) = default;
        friend void PrintTo(const Write& write, std::ostream* out)
        {
            *out << write.property << " = " << write.value.value << " (" << write.value.extra << ")";
        }
    };

    std::vector<audio::AudioEndpoint> endpoints() override { return {{0, 1, 0, true}}; }
    bool supports(const audio::AudioEndpoint&, std::string_view property) override
    {
        return !unsupported.contains(std::string(property));
    }
    std::optional<audio::PropertyValue> read(const audio::AudioEndpoint&, std::string_view property) override
    {
        if (property == readable.first)
            return readable.second;
        return std::nullopt;
    }
    bool write(const audio::AudioEndpoint&, std::string_view property, audio::PropertyValue value) override
    {
        if (failing.contains(std::string(property)) || unsupported.contains(std::string(property)))
            return false;
        writes.push_back({std::string(property), value});
        return true;
    }

    std::vector<Write> writes;
    std::set<std::string> failing;
    std::set<std::string> unsupported;
    std::pair<std::string, audio::PropertyValue> readable;
};

}  // namespace kestrion::testing_support
