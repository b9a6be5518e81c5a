#pragma once

#include <QString>

#include <span>

namespace kestrion::ui {

// A control family name: "DPI_slider_3" is the prefix "DPI_slider_" (up to and including the last
// underscore) with the index 3. An index that is not a number counts as 0; a name without an
// underscore is no family name (index -1, empty prefix).
struct FamilyName {
    QString prefix;
    int index = -1;
};

inline FamilyName splitFamilyName(const QString& name)
{
    const int split = name.lastIndexOf(QLatin1Char('_'));
    if (split < 0)
        return {};
    bool ok = false;
    const int index = name.mid(split + 1).toInt(&ok);
    return {name.left(split + 1), ok && index >= 0 ? index : 0};
}

// Whether name is one of a table's control names.
inline bool isOneOf(const QString& name, std::span<const char* const> names)
{
    for (const char* candidate : names) {
        if (name == QLatin1String(candidate))
            return true;
    }
    return false;
}

}  // namespace kestrion::ui
