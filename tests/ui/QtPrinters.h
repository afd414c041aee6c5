#pragma once

#include <QString>

#include <ostream>

// GoogleTest prints Qt strings as UTF-8 text.
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}
