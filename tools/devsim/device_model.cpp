#include "devsim/device_model.h"

#include <algorithm>
#include <array>

namespace devsim {
namespace {

struct AreaCommand {
    std::uint8_t code;
    Area area;
    bool write;
};

constexpr std::array<AreaCommand, 13> kAreaCommands = {{
    {0x03, Area::Info, false},
    {0x04, Area::Info, true},
    {0x05, Area::Settings, false},
    {0x06, Area::Settings, true},
    {0x07, Area::KeyTable, false},
    {0x09, Area::KeyTable, true},
    {0x0A, Area::LightTable, false},
    {0x0B, Area::LightTable, true},
    {0x12, Area::LightFrame, true},
    {0x15, Area::Macro, true},
    {0x17, Area::Shoot, true},
    {0x1A, Area::Status, false},
    {0x1B, Area::SecondKeyTable, false},
}};

namespace code {
constexpr std::uint8_t kBeginConfig = 0x01;
constexpr std::uint8_t kEndConfig = 0x02;
constexpr std::uint8_t kReadyNotice = 0x19;
constexpr std::uint8_t kSoftwareLighting = 0x1C;
constexpr std::uint8_t kLinkQuery = 0xAA;
}  // namespace code

constexpr std::size_t kMaxMacroEvents = 60;
// Four patterns of up to 30 bullets, each a click, two moves and their releases.
constexpr std::size_t kMaxShootEvents = 240;

struct AreaNameEntry {
    Area area;
    const char* name;
};
constexpr std::array<AreaNameEntry, 9> kAreaNames = {{
    {Area::Info, "info"},
    {Area::Settings, "settings"},
    {Area::KeyTable, "keys"},
    {Area::SecondKeyTable, "keys2"},
    {Area::LightTable, "light"},
    {Area::LightFrame, "frame"},
    {Area::Macro, "macro"},
    {Area::Shoot, "shoot"},
    {Area::Status, "status"},
}};

const AreaCommand* findAreaCommand(std::uint8_t requestCode)
{
    const auto it = std::find_if(kAreaCommands.begin(), kAreaCommands.end(),
                                 [requestCode](const AreaCommand& c) { return c.code == requestCode; });
    return it == kAreaCommands.end() ? nullptr : &*it;
}

}  // namespace

const char* areaName(Area area)
{
    for (const AreaNameEntry& entry : kAreaNames) {
        if (entry.area == area)
            return entry.name;
    }
    return "?";
}

bool areaFromName(const std::string& name, Area& area)
{
    for (const AreaNameEntry& entry : kAreaNames) {
        if (name == entry.name) {
            area = entry.area;
            return true;
        }
    }
    return false;
}

DeviceModel::DeviceModel(Product product) : m_product(product)
{
    for (const AreaNameEntry& entry : kAreaNames) {
        if (const std::size_t size = areaSize(product, entry.area))
            m_areas[entry.area].assign(size, 0);
    }
    resetInfo(freshInfoBlock(kSensors[0], product));
    if (product == Product::Mouse) {
        m_areas[Area::Settings] = factoryMouseSettings();
        m_areas[Area::KeyTable] = factoryKeyTable();
    } else if (product == Product::Keyboard) {
        m_areas[Area::Settings] = factoryKeyboardSettings();
    } else {
        m_areas[Area::Settings] = factoryPadSettings();
    }
}

std::vector<std::uint8_t>& DeviceModel::area(Area which)
{
    return m_areas.at(which);
}

const std::vector<std::uint8_t>& DeviceModel::area(Area which) const
{
    return m_areas.at(which);
}

std::size_t DeviceModel::capacity(Area which) const
{
    const auto it = m_areas.find(which);
    if (it == m_areas.end())
        return 0;
    if (which == Area::Macro)
        return std::min(it->second.size(), m_areas.at(Area::Info)[info::kMacroBlocks] * info::kMacroBlockSize);
    return it->second.size();
}

ContainerCheck DeviceModel::check(Area container) const
{
    const std::size_t limit = container == Area::Macro ? kMaxMacroEvents : kMaxShootEvents;
    const auto it = m_areas.find(container);
    if (it == m_areas.end())
        return {};
    return checkEventContainer(it->second, {capacity(container), limit});
}

void DeviceModel::resetInfo(std::vector<std::uint8_t> block)
{
    block.resize(info::kSize, 0);
    m_areas[Area::Info] = std::move(block);
}

DeviceModel::Outcome DeviceModel::handle(const CommandRequest& request)
{
    // The ready notice is the one request a host sends without a checksum.
    if (request.code == code::kReadyNotice) {
        ++m_readyNotices;
        return {encodeReply(request, packet::kStatusOk), {}};
    }
    if (!request.checksumValid)
        return {encodeReply(request, packet::kStatusBadChecksum), {}};
    if (const AreaCommand* command = findAreaCommand(request.code)) {
        if (m_areas.count(command->area) == 0)
            return {encodeReply(request, packet::kStatusRejected), {}};
        return transfer(request, command->area, command->write);
    }
    switch (request.code) {
    case code::kBeginConfig:
        m_writtenSinceBegin.clear();
        return {encodeReply(request, packet::kStatusOk), {}};
    case code::kEndConfig:
        return endConfig(request);
    case code::kSoftwareLighting:
        m_softwareLighting = true;
        return {encodeReply(request, packet::kStatusOk), {}};
    case code::kLinkQuery: {
        std::vector<std::uint8_t> linked(1, packet::kLinked);
        return {encodeReply(request, packet::kStatusOk, linked), {}};
    }
    default:
        return {encodeReply(request, packet::kStatusRejected), {}};
    }
}

DeviceModel::Outcome DeviceModel::transfer(const CommandRequest& request, Area which, bool write)
{
    const std::size_t end = static_cast<std::size_t>(request.offset) + request.length;
    if (request.length > packet::kMaxData || end > capacity(which))
        return {encodeReply(request, packet::kStatusRejected), {}};
    std::vector<std::uint8_t>& bytes = m_areas.at(which);
    const auto first = bytes.begin() + request.offset;
    if (!write)
        return {encodeReply(request, packet::kStatusOk, std::vector<std::uint8_t>(first, first + request.length)), {}};
    std::copy(request.data.begin(), request.data.end(), first);
    m_writtenSinceBegin.insert(which);
    return {encodeReply(request, packet::kStatusOk), {}};
}

// A macro or shoot container is whole only once the host closes the transfer; a malformed
// one is reported then (the device keeps the bytes, as a real one would).
DeviceModel::Outcome DeviceModel::endConfig(const CommandRequest& request)
{
    Outcome outcome{encodeReply(request, packet::kStatusOk), {}};
    for (Area container : {Area::Macro, Area::Shoot}) {
        if (m_writtenSinceBegin.count(container) == 0)
            continue;
        outcome.notes.push_back(std::string(areaName(container)) + " area " + check(container).describe());
    }
    m_writtenSinceBegin.clear();
    return outcome;
}

}  // namespace devsim
