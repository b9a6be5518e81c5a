#include "profiles/hs6533_profile_data.h"

#include "platform/json_access.h"

#include <limits>

namespace kestrion {
namespace {

constexpr int kCustomEqType = 13;

struct HeadsetWord {
    const char* key;
    std::int32_t HeadsetSystemSetStages::*field;
};

constexpr HeadsetWord kHeadsetWords[] = {
    {"MagicEnable", &HeadsetSystemSetStages::magicEnable},
    {"MagicType", &HeadsetSystemSetStages::magicType},
    {"EqType", &HeadsetSystemSetStages::eqType},
    {"CustomEqSeletIndex", &HeadsetSystemSetStages::customEqSelectIndex},
    {"MicInSelect", &HeadsetSystemSetStages::micInSelect},
    {"MicInValue", &HeadsetSystemSetStages::micInValue},
    {"MicMoniterSelect", &HeadsetSystemSetStages::micMonitorSelect},
    {"MicMoniterValue", &HeadsetSystemSetStages::micMonitorValue},
};

// Gains and indexes are signed and kept as such in the document. Older documents hold negative
// numbers in their unsigned 32-bit form (-3 as 4294967293); both forms read as the signed value,
// and anything outside the 32-bit range reads as 0.
Json::Int documentNumber(int value)
{
    return static_cast<Json::Int>(value);
}

std::int32_t signedWord(std::int64_t number)
{
    constexpr std::int64_t kWordSpan = std::int64_t{1} << 32;
    if (number >= std::numeric_limits<std::int32_t>::min() && number <= std::numeric_limits<std::int32_t>::max())
        return static_cast<std::int32_t>(number);
    if (number > std::numeric_limits<std::int32_t>::max() && number < kWordSpan)
        return static_cast<std::int32_t>(number - kWordSpan);
    return 0;
}

int eqTableOf(int type)
{
    return (type >= 1 && type <= 12) ? type : 1;
}

// Ten bands of table index of a section; a missing table is filled with zeros in the entry.
std::vector<int> readBands(Json::Value& entry, const char* section, int index)
{
    std::vector<int> bands(kEqBands, 0);
    if (!entry.isObject() || index < 0)
        return bands;
    Json::Value& tables = arraySlot(entry, section);
    const bool tableMissing = tables[static_cast<Json::ArrayIndex>(index)].isNull();
    Json::Value& table = arrayElement(tables, static_cast<Json::ArrayIndex>(index));
    for (Json::ArrayIndex band = 0; band < kEqBands; ++band) {
        if (tableMissing)
            objectElement(table, band)["value"] = 0;
        else
            bands[band] = signedWord(readField(table[band], "value"));
    }
    return bands;
}

void writeBands(Json::Value& entry, const char* section, int index, const EqBands& values)
{
    if (index < 0)
        return;
    Json::Value& table = arrayElement(arraySlot(entry, section), static_cast<Json::ArrayIndex>(index));
    for (Json::ArrayIndex band = 0; band < kEqBands; ++band)
        objectElement(table, band)["value"] = documentNumber(values[band]);
}

}  // namespace

HeadsetSystemSetStages CHs6533Profiledata::GetSystemSetStages()
{
    HeadsetSystemSetStages stages {};
    if (Json::Value* section = currentSection("SystemSetStages")) {
        for (const auto& word : kHeadsetWords)
            stages.*word.field = signedWord(readField(*section, word.key));
    }
    m_setStages = stages;
    return stages;
}

void CHs6533Profiledata::SetSystemSetStages(const HeadsetSystemSetStages& stages)
{
    m_setStages = stages;
    Json::Value& section = objectSlot(writableEntry(), "SystemSetStages");
    for (const auto& word : kHeadsetWords)
        section[word.key] = documentNumber(stages.*word.field);
}

std::vector<int> CHs6533Profiledata::GetEqValues(int type)
{
    if (type == kCustomEqType)
        return {};
    return readBands(current(), "EQHzValueInfo", eqTableOf(type));
}

void CHs6533Profiledata::SetEqValues(int type, const EqBands& values)
{
    if (type != kCustomEqType)
        writeBands(writableEntry(), "EQHzValueInfo", eqTableOf(type), values);
}

std::vector<std::string> CHs6533Profiledata::GetCustomEqNames()
{
    m_customEqNames.clear();
    if (Json::Value* names = arraySection(current(), "CustomEQNameInfo")) {
        for (const Json::Value& element : *names)
            m_customEqNames.push_back(element.isObject() ? textOf(element["Name"]) : std::string());
    }
    return m_customEqNames;
}

void CHs6533Profiledata::SetCustomEqNames(const std::vector<std::string>& names)
{
    m_customEqNames = names;
    Json::Value list(Json::arrayValue);
    for (const auto& name : names) {
        Json::Value element;
        element["Name"] = name;
        list.append(element);
    }
    writableEntry()["CustomEQNameInfo"] = list;
}

std::vector<int> CHs6533Profiledata::GetCustomEqValues(int index)
{
    return readBands(current(), "CustomEQHzValueInfo", index);
}

void CHs6533Profiledata::SetCustomEqValues(int index, const EqBands& values)
{
    writeBands(writableEntry(), "CustomEQHzValueInfo", index, values);
}

}  // namespace kestrion
