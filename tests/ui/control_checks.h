#pragma once

#include <QString>
#include <QWidget>

#include <functional>

namespace kestrion::test {

// What a layout test expects of a named control: that it exists and passes a check.
using Check = std::function<bool(QWidget*)>;

template <typename T>
Check is()
{
    return [](QWidget* w) { return qobject_cast<T*>(w) != nullptr; };
}

struct Expected {
    QString name;
    Check check;
};

}  // namespace kestrion::test
