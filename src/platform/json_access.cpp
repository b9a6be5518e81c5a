#include "platform/json_access.h"

#include <cmath>
#include <json/reader.h>
#include <limits>
#include <memory>
#include <string>
#include <utility>

namespace kestrion {
namespace {

std::int64_t integerOfReal(double real)
{
    constexpr double lowest = static_cast<double>(std::numeric_limits<std::int64_t>::min());
    constexpr double highest = static_cast<double>(std::numeric_limits<std::int64_t>::max());
    if (!std::isfinite(real) || real < lowest || real >= highest)
        return 0;
    return static_cast<std::int64_t>(real);
}

Json::Value& shaped(Json::Value& value, Json::ValueType type)
{
    if (value.type() != type)
        value = Json::Value(type);
    return value;
}

const Json::Value* memberPointer(const Json::Value& parent, const char* key)
{
    if (!parent.isObject())
        return nullptr;
    return parent.find(key, key + std::char_traits<char>::length(key));
}

const Json::Value& nullValue()
{
    static const Json::Value null;
    return null;
}

}  // namespace

Json::Value parseJsonText(const std::string& text)
{
    Json::CharReaderBuilder builder;
    builder["collectComments"] = true;
    builder["allowComments"] = true;
    builder["stackLimit"] = kMaxJsonDepth;
    const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value value;
    std::string errors;
    try {
        if (!reader->parse(text.data(), text.data() + text.size(), &value, &errors))
            return Json::Value();
    } catch (const Json::Exception&) {
        // Raised when the nesting exceeds the stack limit.
        return Json::Value();
    }
    return value;
}

std::int64_t integerOf(const Json::Value& value)
{
    switch (value.type()) {
    case Json::intValue:
        return value.asInt64();
    case Json::uintValue:
        return value.isInt64() ? value.asInt64() : 0;
    case Json::realValue:
        return integerOfReal(value.asDouble());
    case Json::booleanValue:
        return value.asBool() ? 1 : 0;
    default:
        return 0;
    }
}

std::optional<std::int64_t> integerWithin(const Json::Value& value, std::int64_t lowest, std::int64_t highest)
{
    const bool integral = value.type() == Json::intValue || value.type() == Json::uintValue;
    if (!integral || !value.isInt64())
        return std::nullopt;
    const std::int64_t number = value.asInt64();
    if (number < lowest || number > highest)
        return std::nullopt;
    return number;
}

bool truthOf(const Json::Value& value)
{
    if (value.isBool())
        return value.asBool();
    return value.isNumeric() && integerOf(value) != 0;
}

std::string textOf(const Json::Value& value)
{
    return value.isString() ? value.asString() : std::string();
}

const Json::Value& memberOf(const Json::Value& parent, const char* key)
{
    const Json::Value* member = memberPointer(parent, key);
    return member ? *member : nullValue();
}

const Json::Value& elementOf(const Json::Value& array, Json::ArrayIndex index)
{
    if (!array.isArray() || index >= array.size())
        return nullValue();
    return array[index];
}

std::vector<std::string> textMembersOf(const Json::Value& list, const char* key)
{
    std::vector<std::string> texts;
    if (!list.isArray())
        return texts;
    for (const Json::Value& element : list)
        texts.push_back(textOf(memberOf(element, key)));
    return texts;
}

std::int64_t readField(Json::Value& object, const char* key)
{
    if (!object.isObject() && !object.isNull())
        return 0;
    return integerOf(object[key]);
}

bool readFlag(Json::Value& object, const char* key)
{
    if (!object.isObject() && !object.isNull())
        return false;
    return truthOf(object[key]);
}

const Json::Value* objectSection(const Json::Value& parent, const char* key)
{
    const Json::Value* member = memberPointer(parent, key);
    return member && member->isObject() ? member : nullptr;
}

const Json::Value* arraySection(const Json::Value& parent, const char* key)
{
    const Json::Value* member = memberPointer(parent, key);
    return member && member->isArray() ? member : nullptr;
}

Json::Value* objectSection(Json::Value& parent, const char* key)
{
    return const_cast<Json::Value*>(objectSection(std::as_const(parent), key));
}

Json::Value* arraySection(Json::Value& parent, const char* key)
{
    return const_cast<Json::Value*>(arraySection(std::as_const(parent), key));
}

Json::Value& objectSlot(Json::Value& parent, const char* key)
{
    return shaped(shaped(parent, Json::objectValue)[key], Json::objectValue);
}

Json::Value& arraySlot(Json::Value& parent, const char* key)
{
    return shaped(shaped(parent, Json::objectValue)[key], Json::arrayValue);
}

Json::Value& objectElement(Json::Value& array, Json::ArrayIndex index)
{
    return shaped(shaped(array, Json::arrayValue)[index], Json::objectValue);
}

Json::Value& arrayElement(Json::Value& array, Json::ArrayIndex index)
{
    return shaped(shaped(array, Json::arrayValue)[index], Json::arrayValue);
}

}  // namespace kestrion
