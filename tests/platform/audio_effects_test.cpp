#include "platform/audio/audio_effects.h"

#include <gtest/gtest.h>

#include <vector>

namespace kestrion::audio {
namespace {

AudioEndpoint endpoint(int index, EndpointType type, bool enabled)
{
    return {index, static_cast<int>(type), 0, enabled};
}

TEST(ChooseEndpoint, PrefersTheHeadsetCardThenUsbThenAnyOtherEnabledOne)
{
    struct Case {
        const char* name;
        std::vector<AudioEndpoint> endpoints;
        std::optional<int> chosenIndex;
    };
    const std::vector<Case> cases = {
        {"nothing", {}, std::nullopt},
        {"headset after others",
         {endpoint(0, EndpointType::OtherCard, true), endpoint(1, EndpointType::UsbCard, true),
          endpoint(2, EndpointType::HeadsetCard, true)},
         2},
        {"disabled headset skipped",
         {endpoint(0, EndpointType::HeadsetCard, false), endpoint(1, EndpointType::OtherCard, true),
          endpoint(2, EndpointType::UsbCard, true)},
         2},
        {"first of a type wins",
         {endpoint(3, EndpointType::OtherCard, true), endpoint(4, EndpointType::OtherCard, true)}, 3},
        {"unknown types and disabled only", {{5, 99, 0, true}, endpoint(6, EndpointType::UsbCard, false)},
         std::nullopt},
    };
    for (const Case& c : cases) {
        std::optional<AudioEndpoint> chosen = chooseEndpoint(c.endpoints);
        ASSERT_EQ(chosen.has_value(), c.chosenIndex.has_value()) << c.name;
        if (chosen) {
            EXPECT_EQ(chosen->index, *c.chosenIndex) << c.name;
        }
    }
}

}  // namespace
}  // namespace kestrion::audio
