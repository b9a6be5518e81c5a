#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "editors/macro_rows.h"

namespace kestrion {

// How the delays of recorded events are chosen.
enum class DelayMode : int { Recorded = 1, Fixed = 2, None = 3 };

// The "Type" and "Button" a key becomes in a macro.
struct MacroKey {
    MacroEventType type = MacroEventType::Key;
    int button = 0;
};

// One key or mouse-button event as the capture reports it.
struct RecordedInput {
    enum class Kind { Key, MouseButton };
    Kind kind = Kind::Key;
    bool pressed = false;
    bool autoRepeat = false;
    std::uint16_t scanCode = 0;
    bool extended = false;
    int buttonBit = 0;           // MouseButtonBit; 0 for a button macros cannot hold
    bool onStopButton = false;   // the pointer is over the button that stops recording
};

// A fixed delay read from the page's edit box, and the notice a corrected value needs.
struct FixedDelay {
    enum class Notice { None, TooLarge, TooSmall };
    int value = 0;
    Notice notice = Notice::None;
};

// Turns captured input into rows of a macro's event list, with the time between events as their
// delays. A held key gives one press and one release; the click that stops recording is left out.
class MacroRecorder {
public:
    static constexpr int kInitialFixedDelay = 50;

    using KeyLookup = std::function<std::optional<MacroKey>(std::uint16_t scanCode, bool extended)>;
    using Clock = std::function<std::int64_t()>;  // a monotonic time in milliseconds

    MacroRecorder(MacroRows& rows, KeyLookup keys, Clock clock);

    // The text of the fixed-delay box as a delay: not a number reads as 0; values are held within
    // 10..65535, with a notice when `text` had to be corrected.
    static FixedDelay readFixedDelay(const std::string& text);

    void start(DelayMode mode, Placement placement, int fixedDelay);
    void stop();
    bool isRecording() const { return m_recording; }
    Placement placement() const { return m_placement; }

    // Adds the event for `input`; false when the rows did not change.
    bool record(const RecordedInput& input);
    // True for the release of the left button over the stop button: the page stops recording.
    static bool isStopClick(const RecordedInput& input);

private:
    using Key = std::pair<std::uint16_t, bool>;

    // A key release just placed, and what placing it changed.
    struct PlacedRelease {
        Key key;
        std::int64_t time = 0;
        int row = -1;
        std::optional<int> previousDelay;
        std::int64_t lastEventTime = 0;
    };

    bool isUnflaggedRepeat(const RecordedInput& input) const;
    void takeBackRelease();
    int insertionIndex() const;
    std::optional<int> delayBefore(int row) const;
    std::optional<Json::Value> keyEvent(const RecordedInput& input);
    std::optional<Json::Value> mouseEvent(const RecordedInput& input);
    int placeEvent(const Json::Value& event);
    std::optional<int> measuredDelay();

    MacroRows& m_rows;
    KeyLookup m_keys;
    Clock m_clock;
    bool m_recording = false;
    DelayMode m_mode = DelayMode::Recorded;
    Placement m_placement = Placement::Append;
    int m_fixedDelay = kInitialFixedDelay;
    std::int64_t m_lastEventTime = 0;
    std::optional<Key> m_heldKey;
    std::optional<PlacedRelease> m_lastRelease;
    std::optional<std::pair<int, bool>> m_lastMouse;
};

}  // namespace kestrion
