#pragma once

#include "protocols/ChannelOptions.h"

#include <QString>
#include <QStringView>

#include <array>

namespace korvane {

// The keywords of the header groups, in table order: 1 full telegram number,
// 2 CKS telegram number, 3 day and month, 4 word count, 5 time, 6 subscriber
// number, 7 file name.
inline constexpr std::array<QStringView, 7> HeaderKeywords = {
    u"НОМЕР-", u"НОМЕРЦКС-", u"ДАТА", u"СЛОВ", u"ВРЕМЯ", u"#АБОНЕНТА", u"ИМЯФАЙЛА",
};

// Days of months 1..12 (index month - 1); February always 28.
inline constexpr std::array<int, 12> DaysInMonth = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

// The first keyword in table order that occurs anywhere in Name: its number
// 1..7 when it stands at the very start of Name, else 0 (0 too when none occurs).
int FindHeaderKeyword(QStringView name);

// The header groups in braces ({НОМЕР-М5}, {НОМЕРЦКС-Д2}, {ДАТА9/12},
// {СЛОВ}, ...). ToText true writes the counters and the date into the
// groups; false reads them back into Counters (numbers, day and month only
// when the whole template is valid; a reset mode as soon as its group is
// read) and leaves the bare groups ({НОМЕР-М}, {ДАТА}). Either way Header is
// rewritten, cut to 100 characters, and the result tells whether the whole
// template is valid. From the first group that does not parse on, Header
// keeps the template as it was.
bool ParseHeaderCounters(TTlgCounters& counters, QString& header, bool toText);

} // namespace korvane
