// Macro and shoot-pattern files, from memory: their names and events read as the macro page and
// the transfer read them, then encoded into the device's event container.

#include "devices/event_container.h"
#include "editors/macro_rows.h"
#include "fuzz_input.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace kestrion;
    const Json::Value document = fuzz::documentOf(data, size);
    textOf(memberOf(document, "MacroName"));
    textOf(memberOf(document, "Guid"));
    integerOf(memberOf(document, "Version"));
    const Json::Value* events = arraySection(document, "Events");
    const EventList list = events ? encodeEvents(macroEventsOf(*events)) : EventList{};
    // The page's rows of the file, saved back.
    MacroRows rows;
    rows.load(events ? *events : Json::Value());
    rows.select(static_cast<int>(size % 8));
    rows.moveDown();
    rows.events();
    // One to four entries, as a macro area or the four shoot patterns hold them.
    const std::vector<EventList> entries(1 + size % 4, list);
    if (eventContainerSize(entries) <= kMaxEventContainerSize)
        encodeEventContainer(entries);
    return 0;
}
