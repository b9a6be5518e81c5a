#pragma once

#include <cstdint>
#include <json/value.h>
#include <optional>
#include <string>
#include <vector>

namespace kestrion {

// The one way the tool takes values out of documents that may come from anywhere (profile documents
// and lists, macro files, light configurations, virtual-device descriptions). jsoncpp's own
// conversions and lookups throw on a value of the wrong type; these read such a value as the
// default instead, and the writers replace a wrongly shaped member by one of the right shape.

// Deepest nesting the parser follows before giving up on a document.
inline constexpr int kMaxJsonDepth = 256;

// Parses text as a document (comments kept); null when it is empty, malformed or too deep.
Json::Value parseJsonText(const std::string& text);

// A number as an integer; truth values as 0 or 1; anything else (text, containers, numbers outside
// the 64-bit signed range) as 0.
std::int64_t integerOf(const Json::Value& value);
// An integral number within [lowest, highest]; nullopt for any other value, reals included.
std::optional<std::int64_t> integerWithin(const Json::Value& value, std::int64_t lowest, std::int64_t highest);
// Truth values and numbers (non-zero is true); anything else is false.
bool truthOf(const Json::Value& value);
// Text; anything else is empty.
std::string textOf(const Json::Value& value);

// The member of an object or the element of an array; a null value when it is absent or the parent
// has another shape. Never inserts.
const Json::Value& memberOf(const Json::Value& parent, const char* key);
const Json::Value& elementOf(const Json::Value& array, Json::ArrayIndex index);
// The text member `key` of every element of a list, in order; "" for an element without it. Empty
// when list is not an array.
std::vector<std::string> textMembersOf(const Json::Value& list, const char* key);

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
