#pragma once

#include <json/value.h>
#include <optional>
#include <string>
#include <vector>

namespace kestrion {

// Event kinds of a macro event's "Type".
enum class MacroEventType : int {
    MouseButton = 1,
    MoveHorizontal = 4,
    MoveVertical = 5,
    Modifier = 9,
    Key = 10,
};

// Mouse button bits of a "Type" 1 event.
enum MouseButtonBit : int {
    kButtonLeft = 0x01,
    kButtonRight = 0x02,
    kButtonMiddle = 0x04,
    kButtonBack = 0x08,
    kButtonForward = 0x10,
};

enum class PointerMove { Left, Right, Up, Down };

// Where a recorded event goes: the hook modes of the recorder.
enum class Placement : int { Append = 4, Before = 8, After = 16, Replace = 32 };

// One row of the macro page's event list. A row without an event stands for an event recorded
// past the limit; saving drops it.
struct MacroRow {
    std::optional<Json::Value> event;
    int delay = 0;  // what the delay cell holds, in milliseconds
};

// A macro event ({"Action", "Button", "Type", "Delay"}).
Json::Value macroEvent(MacroEventType type, int button, bool down, const Json::Value& delay);
Json::Value mouseButtonEvent(int buttonBit, bool down, int delay);
// A move of `distance` (low 8 bits kept): left and up are "down", right and down are "up".
Json::Value pointerMoveEvent(PointerMove move, int distance, int delay);

// The delay a cell shows for a stored one: at least 10, at most 65535.
int shownDelay(long long delay);
// "Delay" of an event as a number: a decimal string or an integer; anything else reads as 0.
long long eventDelay(const Json::Value& event);

// The event list of the macro being edited and its selection. Every operation keeps the
// selection on a valid row or at -1.
class MacroRows {
public:
    static constexpr int kMaxRows = 60;

    // The rows of an "Events" array; elements that are not objects are left out. False when
    // `events` is not an array (the list is then empty).
    bool load(const Json::Value& events);
    void clear();

    int count() const { return static_cast<int>(m_rows.size()); }
    const MacroRow& at(int index) const { return m_rows.at(static_cast<std::size_t>(index)); }
    int selected() const { return m_selected; }
    void select(int index);
    // Sets a row's delay cell; false for a row that does not exist.
    bool setDelay(int index, int delay);
    // Every row's delay cell.
    void setAllDelays(int delay);

    // Each false when nothing moved.
    bool moveUp();
    bool moveDown();
    bool moveTop();
    bool moveBottom();
    bool deleteSelected();
    void deleteAll();

    // Inserts after the selected row, or first when none is selected; the new row is selected.
    // False when the list is full.
    bool insertAfterSelected(const Json::Value& event);

    // A recorded event placed by `placement`, with `newDelay` in the new row's cell and its event,
    // and `previousDelay` (when given) in the row before it. Appends an empty row instead when
    // the list is full. Returns the index of the row that changed, or -1 when nothing did.
    int place(Placement placement, const Json::Value& event, int newDelay, std::optional<int> previousDelay);

    // Takes back the row `place` put at `index`; the row before it gets `previousDelay` again.
    void unplace(int index, std::optional<int> previousDelay);

    // The "Events" array a save writes: the rows in order with their cells' delays, up to the
    // first empty row and at most kMaxRows. `shortened` tells whether rows were cut.
    Json::Value events(bool* shortened = nullptr) const;
    // Drops the rows past kMaxRows; true when there were any.
    bool cutToLimit();

private:
    bool moveTo(int target);
    int insertAt(int index, const Json::Value& event, int delay);
    void setPreviousDelay(int newIndex, std::optional<int> delay);

    std::vector<MacroRow> m_rows;
    int m_selected = -1;
};

}  // namespace kestrion
