// A reader that takes a value with a raw conversion: the check must reject it.
#include <json/value.h>
#include <string>

std::string nameOf(const Json::Value& entry)
{
    return entry["Name"].asString();
}
