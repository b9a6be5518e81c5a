#include "editors/macro_recorder.h"

#include <algorithm>
#include <charconv>

namespace kestrion {
namespace {

constexpr int kMinDelay = 10;
constexpr int kMaxDelay = 65535;
// The cell of the newest recorded row until the next event gives its real delay.
constexpr int kProvisionalDelay = 10;

}  // namespace

MacroRecorder::MacroRecorder(MacroRows& rows, KeyLookup keys, Clock clock)
    : m_rows(rows), m_keys(std::move(keys)), m_clock(std::move(clock))
{
}

FixedDelay MacroRecorder::readFixedDelay(const std::string& text)
{
    long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc::result_out_of_range)
        value = text.front() == '-' ? 0 : kMaxDelay + 1LL;
    else if (error != std::errc())
        value = 0;
    if (value > kMaxDelay)
        return {kMaxDelay, FixedDelay::Notice::TooLarge};
    if (value < kMinDelay)
        return {kMinDelay, FixedDelay::Notice::TooSmall};
    return {static_cast<int>(value), FixedDelay::Notice::None};
}

void MacroRecorder::start(DelayMode mode, Placement placement, int fixedDelay)
{
    m_mode = mode;
    m_placement = placement;
    m_fixedDelay = fixedDelay;
    m_lastEventTime = m_clock();
    m_heldKey.reset();
    m_lastMouse.reset();
    m_recording = true;
}

void MacroRecorder::stop()
{
    m_recording = false;
}

bool MacroRecorder::isStopClick(const RecordedInput& input)
{
    return input.kind == RecordedInput::Kind::MouseButton && input.buttonBit == kButtonLeft && !input.pressed
        && input.onStopButton;
}

int MacroRecorder::record(const RecordedInput& input)
{
    if (!m_recording)
        return -1;
    const std::optional<Json::Value> event =
        input.kind == RecordedInput::Kind::Key ? keyEvent(input) : mouseEvent(input);
    return event ? placeEvent(*event) : -1;
}

// A press of the key already held is the keyboard repeating it.
std::optional<Json::Value> MacroRecorder::keyEvent(const RecordedInput& input)
{
    const std::pair key{input.scanCode, input.extended};
    if (input.pressed) {
        if (input.autoRepeat || m_heldKey == key)
            return std::nullopt;
        m_heldKey = key;
    } else if (m_heldKey == key) {
        m_heldKey.reset();
    }
    const std::optional<MacroKey> code = m_keys ? m_keys(input.scanCode, input.extended) : std::nullopt;
    if (!code)
        return std::nullopt;
    return macroEvent(code->type, code->button, input.pressed, "0");
}

std::optional<Json::Value> MacroRecorder::mouseEvent(const RecordedInput& input)
{
    if (input.buttonBit == 0)
        return std::nullopt;
    const std::pair message{input.buttonBit, input.pressed};
    if (m_lastMouse == message)
        return std::nullopt;
    m_lastMouse = message;
    if (input.buttonBit == kButtonLeft && input.onStopButton)
        return std::nullopt;
    return macroEvent(MacroEventType::MouseButton, input.buttonBit, input.pressed, "0");
}

int MacroRecorder::placeEvent(const Json::Value& event)
{
    if (m_placement == Placement::Replace)
        return m_rows.place(Placement::Replace, event, 0, std::nullopt);
    const int newDelay = m_mode == DelayMode::Fixed ? m_fixedDelay : kProvisionalDelay;
    return m_rows.place(m_placement, event, newDelay, measuredDelay());
}

// The time since the previous event (or the start) is that event's delay.
std::optional<int> MacroRecorder::measuredDelay()
{
    switch (m_mode) {
    case DelayMode::Fixed:
        return m_fixedDelay;
    case DelayMode::None:
        return 0;
    case DelayMode::Recorded:
        break;
    }
    const std::int64_t now = m_clock();
    const std::int64_t elapsed = now - m_lastEventTime;
    m_lastEventTime = now;
    return static_cast<int>(std::clamp<std::int64_t>(elapsed, kMinDelay, kMaxDelay));
}

}  // namespace kestrion
