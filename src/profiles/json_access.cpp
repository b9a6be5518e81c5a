#include "profiles/json_access.h"

#include <cmath>
#include <limits>
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

const Json::Value* memberOf(const Json::Value& parent, const char* key)
{
    if (!parent.isObject())
        return nullptr;
    return parent.find(key, key + std::char_traits<char>::length(key));
}

}  // namespace

std::int64_t integerOf(const Json::Value& value)
{
    switch (value.type()) {
    case Json::intValue:
        return value.asInt64();
    case Json::uintValue:
        return static_cast<std::int64_t>(value.asUInt64());
    case Json::realValue:
        return integerOfReal(value.asDouble());
    case Json::booleanValue:
        return value.asBool() ? 1 : 0;
    default:
        return 0;
    }
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
    const Json::Value* member = memberOf(parent, key);
    return member && member->isObject() ? member : nullptr;
}

const Json::Value* arraySection(const Json::Value& parent, const char* key)
{
    const Json::Value* member = memberOf(parent, key);
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
