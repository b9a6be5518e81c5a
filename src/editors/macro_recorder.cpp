#include "editors/macro_recorder.h"

#include <algorithm>
#include <charconv>

namespace kestrion {
namespace {

constexpr int kMinDelay = 10;
constexpr int kMaxDelay = 65535;
// The cell of the newest recorded row until the next event gives its real delay.
constexpr int kProvisionalDelay = 10;
// A key pressed again this soon after its release is the keyboard repeating it: no finger does
// that, but X11 sends a held key as releases and presses that are not always flagged as repeats.
constexpr std::int64_t kRepeatGapMs = 15;

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
    m_lastRelease.reset();
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

bool MacroRecorder::record(const RecordedInput& input)
{
    if (!m_recording)
        return false;
    if (isUnflaggedRepeat(input)) {
        takeBackRelease();
        return true;
    }
    const std::optional<Json::Value> event =
        input.kind == RecordedInput::Kind::Key ? keyEvent(input) : mouseEvent(input);
    if (!event)
        return false;
    const bool keyRelease = input.kind == RecordedInput::Kind::Key && !input.pressed;
    PlacedRelease release{{input.scanCode, input.extended}, m_clock(), -1, delayBefore(insertionIndex()),
                          m_lastEventTime};
    m_lastRelease.reset();
    const int row = placeEvent(*event);
    if (keyRelease && row >= 0 && m_placement != Placement::Replace) {
        release.row = row;
        m_lastRelease = release;
    }
    return row >= 0;
}

bool MacroRecorder::isUnflaggedRepeat(const RecordedInput& input) const
{
    return m_lastRelease && input.kind == RecordedInput::Kind::Key && input.pressed
        && m_lastRelease->key == Key{input.scanCode, input.extended} && m_clock() - m_lastRelease->time <= kRepeatGapMs;
}

// The release and the press that follows it are dropped: the key is still held.
void MacroRecorder::takeBackRelease()
{
    m_rows.unplace(m_lastRelease->row, m_lastRelease->previousDelay);
    m_lastEventTime = m_lastRelease->lastEventTime;
    m_heldKey = m_lastRelease->key;
    m_lastRelease.reset();
}

// Where the next placed row goes.
int MacroRecorder::insertionIndex() const
{
    switch (m_placement) {
    case Placement::Before:
        return m_rows.selected();
    case Placement::After:
        return m_rows.selected() + 1;
    case Placement::Append:
    case Placement::Replace:
        break;
    }
    return m_rows.count();
}

std::optional<int> MacroRecorder::delayBefore(int row) const
{
    if (row <= 0 || row > m_rows.count())
        return std::nullopt;
    return m_rows.at(row - 1).delay;
}

// A press of the key already held is the keyboard repeating it; X11 also sends a release before
// each repeated press, flagged as a repeat.
std::optional<Json::Value> MacroRecorder::keyEvent(const RecordedInput& input)
{
    if (input.autoRepeat)
        return std::nullopt;
    const std::pair key{input.scanCode, input.extended};
    if (input.pressed) {
        if (m_heldKey == key)
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
