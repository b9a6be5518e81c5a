# Fails when a source file under any of ROOTS converts a JSON value with jsoncpp's own conversions
# (asString, asInt, asBool, ...), which throw on a value of another type. Documents come from
# anywhere, so every reader goes through profiles/json_access, the only file allowed to use them.
# Usage: cmake -DROOTS="dir;dir" -DALLOWED=file -P raw_json_conversions.cmake
set(conversion "(\\.|->)[ \t]*as(String|CString|Int|UInt|Int64|UInt64|LargestInt|LargestUInt|Float|Double|Bool)[ \t]*\\(")

set(found "")
foreach(root IN LISTS ROOTS)
  file(GLOB_RECURSE sources "${root}/*.cpp" "${root}/*.h")
  foreach(source IN LISTS sources)
    if(source STREQUAL ALLOWED)
      continue()
    endif()
    file(STRINGS "${source}" lines REGEX "${conversion}")
    foreach(line IN LISTS lines)
      string(STRIP "${line}" line)
      string(APPEND found "\n  ${source}: ${line}")
    endforeach()
  endforeach()
endforeach()

if(found)
  message(FATAL_ERROR "raw jsoncpp conversions outside profiles/json_access.cpp:${found}")
endif()
