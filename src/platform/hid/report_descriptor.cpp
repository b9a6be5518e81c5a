#include "platform/hid/report_descriptor.h"

#include <algorithm>
#include <array>
#include <map>
#include <optional>

namespace kestrion {
namespace {

// Bounds that keep a hostile descriptor from costing unbounded memory or time.
constexpr std::size_t kMaxDepth = 32;
constexpr std::size_t kMaxGlobalStack = 16;
constexpr std::size_t kMaxLocalUsages = 1024;
constexpr std::size_t kMaxFieldsPerCollection = 512;
constexpr std::uint64_t kMaxReportBits = 0xFFFEu * 8u;

constexpr std::uint8_t kLongItemPrefix = 0xFE;
constexpr std::uint8_t kCollectionApplication = 0x01;
constexpr std::uint32_t kMainConstant = 0x01;
constexpr std::uint32_t kMainVariable = 0x02;

enum ItemType : std::uint8_t { kMain = 0, kGlobal = 1, kLocal = 2 };

enum MainTag : std::uint8_t { kInput = 0x8, kOutput = 0x9, kCollection = 0xA, kFeature = 0xB, kEndCollection = 0xC };

enum GlobalTag : std::uint8_t {
    kUsagePage = 0x0, kLogicalMin = 0x1, kLogicalMax = 0x2, kPhysicalMin = 0x3, kPhysicalMax = 0x4,
    kReportSize = 0x7, kReportId = 0x8, kReportCount = 0x9, kPush = 0xA, kPop = 0xB,
};

enum LocalTag : std::uint8_t { kUsage = 0x0, kUsageMin = 0x1, kUsageMax = 0x2 };

enum ReportType : std::size_t { kInputReport = 0, kOutputReport = 1, kFeatureReport = 2, kReportTypes = 3 };

struct Item {
    std::uint8_t type;
    std::uint8_t tag;
    std::uint8_t size;  // data bytes: 0, 1, 2 or 4
    std::uint32_t data;

    std::int32_t signedData() const
    {
        switch (size) {
        case 1: return static_cast<std::int8_t>(data);
        case 2: return static_cast<std::int16_t>(data);
        default: return static_cast<std::int32_t>(data);
        }
    }
};

struct GlobalState {
    std::uint16_t usagePage = 0;
    std::int32_t logicalMin = 0;
    std::int32_t logicalMax = 0;
    std::int32_t physicalMin = 0;
    std::int32_t physicalMax = 0;
    std::uint32_t reportSize = 0;
    std::uint8_t reportId = 0;
    std::uint32_t reportCount = 0;
};

// A usage as written: a short one takes its page from the global state at the main item.
struct LocalUsage {
    std::uint32_t value;
    bool extended;
};

struct LocalState {
    std::vector<LocalUsage> usages;
    std::optional<LocalUsage> usageMin;
    std::optional<LocalUsage> usageMax;
};

std::uint16_t pageOf(const LocalUsage& u, const GlobalState& g)
{
    return u.extended ? static_cast<std::uint16_t>(u.value >> 16) : g.usagePage;
}

std::uint16_t idOf(const LocalUsage& u)
{
    return static_cast<std::uint16_t>(u.value & 0xFFFF);
}

// Reads the item at `pos`; nullopt when it runs past the end.
std::optional<Item> readItem(const std::uint8_t* data, std::size_t length, std::size_t& pos)
{
    const std::uint8_t prefix = data[pos];
    if (prefix == kLongItemPrefix) {
        if (length - pos < 3)
            return std::nullopt;
        const std::size_t skip = 3u + data[pos + 1];
        if (length - pos < skip)
            return std::nullopt;
        pos += skip;
        return Item{0xFF, 0xFF, 0, 0};
    }
    constexpr std::array<std::uint8_t, 4> sizes = {0, 1, 2, 4};
    Item item{static_cast<std::uint8_t>((prefix >> 2) & 0x3), static_cast<std::uint8_t>(prefix >> 4),
              sizes[prefix & 0x3], 0};
    if (length - pos - 1 < item.size)
        return std::nullopt;
    for (std::uint8_t i = 0; i < item.size; ++i)
        item.data |= static_cast<std::uint32_t>(data[pos + 1 + i]) << (8 * i);
    pos += 1u + item.size;
    return item;
}

class Parser {
public:
    std::vector<HidCollectionInfo> run(const std::uint8_t* data, std::size_t length);

private:
    bool onGlobal(const Item& item);
    void onLocal(const Item& item);
    bool onMain(const Item& item);
    bool onCollection(const Item& item);
    void onEndCollection();
    void onReport(ReportType type, std::uint32_t flags);
    void addInputField(std::uint32_t flags, std::uint32_t bitOffset);
    void finishCollection();

    GlobalState m_global;
    std::vector<GlobalState> m_stack;
    LocalState m_local;
    std::size_t m_depth = 0;
    bool m_inApplication = false;
    HidCollectionInfo m_current;
    std::array<std::map<std::uint8_t, std::uint64_t>, kReportTypes> m_bits;
    std::vector<HidCollectionInfo> m_done;
};

std::vector<HidCollectionInfo> Parser::run(const std::uint8_t* data, std::size_t length)
{
    std::size_t pos = 0;
    while (data && pos < length) {
        const std::optional<Item> item = readItem(data, length, pos);
        if (!item)
            break;
        bool ok = true;
        switch (item->type) {
        case kMain: ok = onMain(*item); break;
        case kGlobal: ok = onGlobal(*item); break;
        case kLocal: onLocal(*item); break;
        default: break;
        }
        if (!ok)
            break;
    }
    if (m_inApplication)
        finishCollection();
    return std::move(m_done);
}

bool Parser::onGlobal(const Item& item)
{
    switch (item.tag) {
    case kUsagePage: m_global.usagePage = static_cast<std::uint16_t>(item.data); break;
    case kLogicalMin: m_global.logicalMin = item.signedData(); break;
    case kLogicalMax: m_global.logicalMax = item.signedData(); break;
    case kPhysicalMin: m_global.physicalMin = item.signedData(); break;
    case kPhysicalMax: m_global.physicalMax = item.signedData(); break;
    case kReportSize: m_global.reportSize = item.data; break;
    case kReportId: m_global.reportId = static_cast<std::uint8_t>(item.data); break;
    case kReportCount: m_global.reportCount = item.data; break;
    case kPush:
        if (m_stack.size() >= kMaxGlobalStack)
            return false;
        m_stack.push_back(m_global);
        break;
    case kPop:
        if (!m_stack.empty()) {
            m_global = m_stack.back();
            m_stack.pop_back();
        }
        break;
    default: break;
    }
    return true;
}

void Parser::onLocal(const Item& item)
{
    const LocalUsage usage{item.data, item.size == 4};
    switch (item.tag) {
    case kUsage:
        if (m_local.usages.size() < kMaxLocalUsages)
            m_local.usages.push_back(usage);
        break;
    case kUsageMin: m_local.usageMin = usage; break;
    case kUsageMax: m_local.usageMax = usage; break;
    default: break;
    }
}

bool Parser::onMain(const Item& item)
{
    bool ok = true;
    switch (item.tag) {
    case kInput: onReport(kInputReport, item.data); break;
    case kOutput: onReport(kOutputReport, item.data); break;
    case kFeature: onReport(kFeatureReport, item.data); break;
    case kCollection: ok = onCollection(item); break;
    case kEndCollection: onEndCollection(); break;
    default: break;
    }
    m_local = LocalState{};
    return ok;
}

bool Parser::onCollection(const Item& item)
{
    if (m_depth >= kMaxDepth)
        return false;
    if (m_depth == 0 && item.data == kCollectionApplication) {
        m_inApplication = true;
        m_current = HidCollectionInfo{};
        m_bits = {};
        if (!m_local.usages.empty()) {
            m_current.usagePage = pageOf(m_local.usages.front(), m_global);
            m_current.usage = idOf(m_local.usages.front());
        } else if (m_local.usageMin) {
            m_current.usagePage = pageOf(*m_local.usageMin, m_global);
            m_current.usage = idOf(*m_local.usageMin);
        } else {
            m_current.usagePage = m_global.usagePage;
        }
    }
    ++m_depth;
    return true;
}

void Parser::onEndCollection()
{
    if (m_depth == 0)
        return;
    --m_depth;
    if (m_depth == 0 && m_inApplication)
        finishCollection();
}

void Parser::onReport(ReportType type, std::uint32_t flags)
{
    if (!m_inApplication || m_depth == 0)
        return;
    const std::uint8_t id = m_global.reportId;
    if (id != 0 && !m_current.ownsReportId(id)) {
        auto& ids = m_current.reportIds;
        ids.insert(std::upper_bound(ids.begin(), ids.end(), id), id);
    }
    std::uint64_t& bits = m_bits[type][id];
    const std::uint64_t added = static_cast<std::uint64_t>(m_global.reportSize) * m_global.reportCount;
    const std::uint64_t offset = bits;
    bits = std::min(kMaxReportBits, bits + std::min(kMaxReportBits, added));
    if (type == kInputReport && !(flags & kMainConstant) && added > 0 && offset + added <= kMaxReportBits)
        addInputField(flags, static_cast<std::uint32_t>(offset));
}

void Parser::addInputField(std::uint32_t flags, std::uint32_t bitOffset)
{
    HidInputField field;
    field.reportId = m_global.reportId;
    field.usagePage = m_global.usagePage;
    field.isArray = !(flags & kMainVariable);
    field.bitOffset = bitOffset;
    field.bitSize = m_global.reportSize;
    field.count = m_global.reportCount;
    field.logicalMin = m_global.logicalMin;
    field.logicalMax = m_global.logicalMax;
    // A negative maximum over a non-negative minimum is an unsigned value written short.
    if (field.logicalMin >= 0 && field.logicalMax < 0)
        field.logicalMax = static_cast<std::int32_t>(static_cast<std::uint32_t>(field.logicalMax) & 0xFFFF);
    field.physicalMin = m_global.physicalMin;
    field.physicalMax = m_global.physicalMax;
    if (!m_local.usages.empty()) {
        field.usagePage = pageOf(m_local.usages.front(), m_global);
        for (const LocalUsage& u : m_local.usages)
            field.usages.push_back(idOf(u));
        field.usageMin = field.usages.front();
        field.usageMax = field.usages.back();
    } else if (m_local.usageMin || m_local.usageMax) {
        const LocalUsage low = m_local.usageMin.value_or(LocalUsage{0, false});
        const LocalUsage high = m_local.usageMax.value_or(low);
        field.usagePage = m_local.usageMin ? pageOf(low, m_global) : pageOf(high, m_global);
        field.isRange = true;
        field.usageMin = idOf(low);
        field.usageMax = std::max(idOf(low), idOf(high));
    }
    const bool isButton = field.isArray || field.bitSize == 1;
    auto& target = isButton ? m_current.inputButtons : m_current.inputValues;
    if (target.size() < kMaxFieldsPerCollection)
        target.push_back(std::move(field));
}

void Parser::finishCollection()
{
    auto lengthOf = [](const std::map<std::uint8_t, std::uint64_t>& reports) -> std::uint16_t {
        std::uint64_t largest = 0;
        for (const auto& [id, bits] : reports)
            largest = std::max(largest, (bits + 7) / 8);
        return reports.empty() ? 0 : static_cast<std::uint16_t>(largest + 1);
    };
    m_current.inputReportLength = lengthOf(m_bits[kInputReport]);
    m_current.outputReportLength = lengthOf(m_bits[kOutputReport]);
    m_current.featureReportLength = lengthOf(m_bits[kFeatureReport]);
    m_done.push_back(std::move(m_current));
    m_current = HidCollectionInfo{};
    m_inApplication = false;
}

}  // namespace

std::uint16_t HidInputField::usageAt(std::uint32_t index) const
{
    if (isRange) {
        const std::uint32_t usage = std::uint32_t{usageMin} + index;
        return usage > usageMax ? 0 : static_cast<std::uint16_t>(usage);
    }
    if (usages.empty())
        return 0;
    return usages[std::min<std::size_t>(index, usages.size() - 1)];
}

bool HidCollectionInfo::ownsReportId(std::uint8_t id) const
{
    return std::binary_search(reportIds.begin(), reportIds.end(), id);
}

std::vector<HidCollectionInfo> parseReportDescriptor(const std::uint8_t* data, std::size_t length)
{
    return Parser{}.run(data, length);
}

}  // namespace kestrion
