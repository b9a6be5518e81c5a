#include "editors/macro_rows.h"

#include "platform/json_access.h"

#include <algorithm>
#include <charconv>
#include <string>

namespace kestrion {
namespace {

constexpr int kMinShownDelay = 10;
constexpr int kMaxDelay = 65535;

struct MoveRow {
    PointerMove move;
    MacroEventType type;
    bool down;
};

constexpr MoveRow kMoves[] = {
    {PointerMove::Left, MacroEventType::MoveHorizontal, true},
    {PointerMove::Right, MacroEventType::MoveHorizontal, false},
    {PointerMove::Up, MacroEventType::MoveVertical, true},
    {PointerMove::Down, MacroEventType::MoveVertical, false},
};

}  // namespace

Json::Value macroEvent(MacroEventType type, int button, bool down, const Json::Value& delay)
{
    Json::Value event(Json::objectValue);
    event["Action"] = down ? "down" : "up";
    event["Button"] = button;
    event["Type"] = static_cast<int>(type);
    event["Delay"] = delay;
    return event;
}

Json::Value mouseButtonEvent(int buttonBit, bool down, int delay)
{
    return macroEvent(MacroEventType::MouseButton, buttonBit, down, std::to_string(delay));
}

Json::Value pointerMoveEvent(PointerMove move, int distance, int delay)
{
    const auto row = std::find_if(std::begin(kMoves), std::end(kMoves),
                                  [move](const MoveRow& candidate) { return candidate.move == move; });
    return macroEvent(row->type, distance & 0xFF, row->down, std::to_string(delay));
}

int shownDelay(long long delay)
{
    return static_cast<int>(std::clamp<long long>(delay, kMinShownDelay, kMaxDelay));
}

long long eventDelay(const Json::Value& event)
{
    const Json::Value& delay = memberOf(event, "Delay");
    if (delay.isUInt64() && !delay.isInt64())
        return kMaxDelay;
    if (!delay.isString())
        return integerOf(delay);
    const std::string text = textOf(delay);
    long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc::result_out_of_range)
        return text.front() == '-' ? 0 : kMaxDelay;
    return error == std::errc() ? value : 0;
}

bool MacroRows::load(const Json::Value& events)
{
    clear();
    if (!events.isArray())
        return false;
    for (const Json::Value& event : events) {
        if (event.isObject())
            m_rows.push_back({event, shownDelay(eventDelay(event))});
    }
    return true;
}

void MacroRows::clear()
{
    m_rows.clear();
    m_selected = -1;
}

void MacroRows::select(int index)
{
    m_selected = index >= 0 && index < count() ? index : -1;
}

bool MacroRows::setDelay(int index, int delay)
{
    if (index < 0 || index >= count())
        return false;
    m_rows[static_cast<std::size_t>(index)].delay = delay;
    return true;
}

void MacroRows::setAllDelays(int delay)
{
    for (MacroRow& row : m_rows)
        row.delay = delay;
}

bool MacroRows::moveUp()
{
    return m_selected > 0 && moveTo(m_selected - 1);
}

bool MacroRows::moveDown()
{
    return m_selected >= 0 && m_selected != count() - 1 && moveTo(m_selected + 1);
}

bool MacroRows::moveTop()
{
    return m_selected > 0 && moveTo(0);
}

bool MacroRows::moveBottom()
{
    return m_selected >= 0 && m_selected != count() - 1 && moveTo(count() - 1);
}

bool MacroRows::moveTo(int target)
{
    const auto from = m_rows.begin() + m_selected;
    const auto to = m_rows.begin() + target;
    if (target < m_selected)
        std::rotate(to, from, from + 1);
    else
        std::rotate(from, from + 1, to + 1);
    m_selected = target;
    return true;
}

bool MacroRows::deleteSelected()
{
    if (m_selected < 0)
        return false;
    m_rows.erase(m_rows.begin() + m_selected);
    m_selected = -1;
    return true;
}

void MacroRows::deleteAll()
{
    clear();
}

bool MacroRows::insertAfterSelected(const Json::Value& event)
{
    if (count() >= kMaxRows)
        return false;
    const int index = m_selected < 0 ? 0 : m_selected + 1;
    m_selected = insertAt(index, event, static_cast<int>(eventDelay(event)));
    return true;
}

int MacroRows::insertAt(int index, const Json::Value& event, int delay)
{
    m_rows.insert(m_rows.begin() + index, MacroRow{event, delay});
    return index;
}

int MacroRows::place(Placement placement, const Json::Value& event, int newDelay, std::optional<int> previousDelay)
{
    if (count() >= kMaxRows) {
        m_rows.push_back(MacroRow{});
        return count() - 1;
    }
    Json::Value stored = event;
    stored["Delay"] = std::to_string(newDelay);
    int index = -1;
    switch (placement) {
    case Placement::Append:
        index = insertAt(count(), stored, newDelay);
        m_selected = index;
        break;
    case Placement::Before:
        if (m_selected < 0)
            return -1;
        index = insertAt(m_selected, stored, newDelay);
        m_selected = index + 1;
        break;
    case Placement::After:
        if (m_selected < 0)
            return -1;
        index = insertAt(m_selected + 1, stored, newDelay);
        m_selected = index;
        break;
    case Placement::Replace: {
        if (m_selected < 0)
            return -1;
        MacroRow& row = m_rows[static_cast<std::size_t>(m_selected)];
        stored["Delay"] = std::to_string(row.delay);
        row.event = stored;
        return m_selected;
    }
    }
    setPreviousDelay(index, previousDelay);
    return index;
}

void MacroRows::setPreviousDelay(int newIndex, std::optional<int> delay)
{
    if (!delay || newIndex <= 0)
        return;
    MacroRow& previous = m_rows[static_cast<std::size_t>(newIndex - 1)];
    previous.delay = *delay;
    if (previous.event)
        (*previous.event)["Delay"] = std::to_string(*delay);
}

void MacroRows::unplace(int index, std::optional<int> previousDelay)
{
    if (index < 0 || index >= count())
        return;
    m_rows.erase(m_rows.begin() + index);
    if (m_selected > index)
        --m_selected;
    else if (m_selected == index)
        m_selected = index > 0 ? index - 1 : (count() > 0 ? 0 : -1);
    setPreviousDelay(index, previousDelay);
}

Json::Value MacroRows::events(bool* shortened) const
{
    Json::Value events(Json::arrayValue);
    const int limit = std::min(count(), kMaxRows);
    for (int i = 0; i < limit && m_rows[static_cast<std::size_t>(i)].event; ++i) {
        Json::Value event = *m_rows[static_cast<std::size_t>(i)].event;
        event["Delay"] = std::to_string(std::max(0, m_rows[static_cast<std::size_t>(i)].delay));
        events.append(event);
    }
    if (shortened)
        *shortened = count() > kMaxRows;
    return events;
}

bool MacroRows::cutToLimit()
{
    if (count() <= kMaxRows)
        return false;
    m_rows.resize(kMaxRows);
    if (m_selected >= kMaxRows)
        m_selected = kMaxRows - 1;
    return true;
}

}  // namespace kestrion
