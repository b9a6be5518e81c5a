#pragma once

#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace kestrion::audio {

// Endpoint types a back end reports. The headset page takes the first enabled endpoint of
// type HeadsetCard, then UsbCard, then OtherCard.
enum class EndpointType : int {
    HeadsetCard = 1,  // the headset's own USB audio card
    OtherCard = 7,    // any other sound card
    UsbCard = 12,     // another USB audio card
};

struct AudioEndpoint {
    int index = 0;
    int type = 0;        // an EndpointType value
    int direction = 0;   // 0 playback, 1 capture
    bool enabled = false;

    friend bool operator==(const AudioEndpoint&, const AudioEndpoint&) = default;
};

// A property's value. Most properties carry one number; the scalar volume writes carry a second
// one (-1 when unused).
struct PropertyValue {
    double value = 0.0;
    double extra = -1.0;

    friend bool operator==(const PropertyValue&, const PropertyValue&) = default;
};

// The audio side of the headset: endpoint list, property read and write by name ("MuteControl",
// "EQ_Slider3", "VolumeScalarControl", ...). Calls may block for a short while (a mixer or a sound
// server round trip): callers keep them off the UI thread.
class AudioEffects {
public:
    virtual ~AudioEffects() = default;

    virtual std::vector<AudioEndpoint> endpoints() = 0;
    // Whether this back end carries the property at all on the endpoint; a page hides or disables
    // what is not carried instead of offering a control that does nothing.
    virtual bool supports(const AudioEndpoint& endpoint, std::string_view property) = 0;
    virtual std::optional<PropertyValue> read(const AudioEndpoint& endpoint, std::string_view property) = 0;
    virtual bool write(const AudioEndpoint& endpoint, std::string_view property, PropertyValue value) = 0;
};

// The endpoint the headset uses: the first enabled one of type HeadsetCard, else UsbCard, else
// OtherCard; none when no enabled endpoint has one of these types.
std::optional<AudioEndpoint> chooseEndpoint(std::span<const AudioEndpoint> endpoints);

}  // namespace kestrion::audio
