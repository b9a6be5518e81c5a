#pragma once

#include <cstdint>
#include <json/value.h>
#include <string>

namespace kestrion {

// Type-checked access to documents that may come from anywhere. jsoncpp's own conversions throw on
// a value of the wrong type; these read such a value as the default instead, and the writers replace
// a wrongly shaped member by one of the right shape.

// A number as an integer; truth values as 0 or 1; anything else (text, containers, reals out of
// range) as 0.
std::int64_t integerOf(const Json::Value& value);
// Truth values and numbers (non-zero is true); anything else is false.
bool truthOf(const Json::Value& value);
// Text; anything else is empty.
std::string textOf(const Json::Value& value);

// Reads a member of a present section the way the profile record always has: a missing member is
// added as null and reads as 0. A value that is neither an object nor null reads 0 and stays as is.
std::int64_t readField(Json::Value& object, const char* key);
bool readFlag(Json::Value& object, const char* key);

// The member when it holds an object (or an array); nullptr otherwise. Never inserts.
Json::Value* objectSection(Json::Value& parent, const char* key);
Json::Value* arraySection(Json::Value& parent, const char* key);
const Json::Value* objectSection(const Json::Value& parent, const char* key);
const Json::Value* arraySection(const Json::Value& parent, const char* key);

// Writable members and elements of the right shape. A parent that is not an object (or array) is
// turned into one; an existing member of another shape is replaced.
Json::Value& objectSlot(Json::Value& parent, const char* key);
Json::Value& arraySlot(Json::Value& parent, const char* key);
Json::Value& objectElement(Json::Value& array, Json::ArrayIndex index);
Json::Value& arrayElement(Json::Value& array, Json::ArrayIndex index);

}  // namespace kestrion
