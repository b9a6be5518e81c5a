#include "profiles/mouse_profile_data.h"

#include "platform/json_access.h"

namespace kestrion {
namespace {

constexpr const char* kSystemSection = "SystemStages";
constexpr const char* kReportSection = "ReportStages";

struct SystemWord {
    const char* section;
    const char* key;  // nullptr: not carried by the document
    std::uint16_t MouseSystemStages::*field;
};

constexpr SystemWord kSystemWords[] = {
    {kSystemSection, "DoubleClickTime", &MouseSystemStages::doubleClickTime},
    {kSystemSection, "MouseSpeed", &MouseSystemStages::mouseSpeed},
    {kSystemSection, "PointerPrecision", &MouseSystemStages::pointerPrecision},
    {kSystemSection, "ScorllPage", &MouseSystemStages::scrollPage},
    {kSystemSection, "WheelScorlllinse", &MouseSystemStages::wheelScrollLines},
    {kReportSection, "StageActive", &MouseSystemStages::reportRate},
    {kReportSection, "SilentAltitude", &MouseSystemStages::silentAltitude},
    {kReportSection, "Linear_Calibration", &MouseSystemStages::linearCalibration},
    {kReportSection, "Ripple", &MouseSystemStages::ripple},
    {kReportSection, nullptr, &MouseSystemStages::reserved},
    {kReportSection, "ble_sleep1", &MouseSystemStages::bleSleep1},
    {kReportSection, "ble_sleep2", &MouseSystemStages::bleSleep2},
    {kReportSection, "device_sleep1", &MouseSystemStages::deviceSleep1},
    {kReportSection, "device_sleep2", &MouseSystemStages::deviceSleep2},
    {kReportSection, "key_debounce_time", &MouseSystemStages::keyDebounceTime},
    {kSystemSection, "Logoledmode", &MouseSystemStages::logoLedMode},
};

DpiStage dpiStageOf(Json::Value& element)
{
    DpiStage stage {};
    stage.active = static_cast<std::uint8_t>(readField(element, "StageActive"));
    stage.separateXY = static_cast<std::uint8_t>(readField(element, "StageXY"));
    stage.setDpiX(static_cast<std::uint16_t>(readField(element, "StageDPIX")));
    stage.setDpiY(static_cast<std::uint16_t>(readField(element, "StageDPIY")));
    stage.red = static_cast<std::uint8_t>(readField(element, "StageColorR"));
    stage.green = static_cast<std::uint8_t>(readField(element, "StageColorG"));
    stage.blue = static_cast<std::uint8_t>(readField(element, "StageColorB"));
    return stage;
}

void writeDpiStage(Json::Value& element, const DpiStage& stage)
{
    element["StageActive"] = Json::UInt(stage.active);
    element["StageXY"] = Json::UInt(stage.separateXY);
    element["StageDPIX"] = Json::UInt(stage.dpiX());
    element["StageDPIY"] = Json::UInt(stage.dpiY());
    element["StageColorR"] = Json::UInt(stage.red);
    element["StageColorG"] = Json::UInt(stage.green);
    element["StageColorB"] = Json::UInt(stage.blue);
}

}  // namespace

std::vector<DpiStage> CMouseProfiledata::GetDpiStages()
{
    Json::Value* section = currentSection("DPIStages");
    if (!section)
        return m_dpiStages;
    m_currentStage = static_cast<int>(readField(*section, "StageActive"));
    Json::Value* list = arraySection(*section, "StageDPIs");
    const Json::ArrayIndex count = list ? list->size() : 0;
    for (Json::ArrayIndex i = 0; i < count; ++i) {
        const DpiStage stage = dpiStageOf((*list)[i]);
        if (i < m_dpiStages.size())
            m_dpiStages[i] = stage;
        else
            m_dpiStages.push_back(stage);
    }
    return m_dpiStages;
}

void CMouseProfiledata::SetDpiStages(const std::vector<DpiStage>& stages)
{
    m_dpiStages = stages;
    Json::Value& list = arraySlot(objectSlot(writableEntry(), "DPIStages"), "StageDPIs");
    for (Json::ArrayIndex i = 0; i < stages.size(); ++i)
        writeDpiStage(objectElement(list, i), stages[i]);
}

void CMouseProfiledata::SetCurrentStage(int stage)
{
    m_currentStage = stage;
    objectSlot(writableEntry(), "DPIStages")["StageActive"] = Json::UInt(static_cast<unsigned>(stage));
}

MouseSystemStages CMouseProfiledata::GetSystemStages()
{
    MouseSystemStages stages {};
    if (currentSection(kSystemSection)) {
        for (const auto& word : kSystemWords) {
            Json::Value* section = currentSection(word.section);
            if (section && word.key)
                stages.*word.field = static_cast<std::uint16_t>(readField(*section, word.key));
        }
    }
    m_systemStages = stages;
    return stages;
}

void CMouseProfiledata::SetSystemStages(const MouseSystemStages& stages)
{
    m_systemStages = stages;
    Json::Value& entry = writableEntry();
    for (const auto& word : kSystemWords) {
        if (word.key)
            objectSlot(entry, word.section)[word.key] = Json::UInt(stages.*word.field);
    }
}

}  // namespace kestrion
