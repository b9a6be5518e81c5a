#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "devsim/command_packet.h"
#include "devsim/event_container.h"
#include "devsim/memory_map.h"

namespace devsim {

// The memory of one simulated product and the command set that reads and writes it. Plain
// data: the simulator serialises access.
class DeviceModel {
public:
    struct Outcome {
        std::vector<std::uint8_t> reply;
        std::vector<std::string> notes;  // what the device noticed (malformed containers), for the log
    };

    explicit DeviceModel(Product product);

    // Answers one command report that reached the device.
    Outcome handle(const CommandRequest& request);

    std::vector<std::uint8_t>& area(Area area);
    const std::vector<std::uint8_t>& area(Area area) const;
    // The bytes a host may address: the macro area is as large as the information block says.
    std::size_t capacity(Area area) const;
    ContainerCheck check(Area container) const;
    bool softwareLighting() const { return m_softwareLighting; }
    int readyNotices() const { return m_readyNotices; }

    void resetInfo(std::vector<std::uint8_t> block);

private:
    Outcome transfer(const CommandRequest& request, Area area, bool write);
    Outcome endConfig(const CommandRequest& request);

    Product m_product;
    std::map<Area, std::vector<std::uint8_t>> m_areas;
    std::set<Area> m_writtenSinceBegin;
    bool m_softwareLighting = false;
    int m_readyNotices = 0;
};

// Area names used by the control protocol and the log ("info", "settings", ...).
const char* areaName(Area area);
bool areaFromName(const std::string& name, Area& area);

}  // namespace devsim
