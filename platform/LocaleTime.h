#pragma once

#include <QString>
#include <QTime>

namespace korvane {

// The locale's long time format without the time zone: a time of day on a
// status panel or in a journal view has no use for it, and the zone would
// not fit there.
QString LongTimeFormat();

// A time of day in LongTimeFormat().
QString LongTimeText(const QTime& time);

} // namespace korvane
