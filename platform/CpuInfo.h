#pragma once

#include <QByteArrayView>
#include <QString>

namespace korvane {

// The processor's description: the value of the first "model name" line of
// /proc/cpuinfo, trimmed. Empty when the file cannot be read or has no
// such line.
QString cpuModelName();

// The same, from the text of a cpuinfo file.
QString cpuModelNameFrom(QByteArrayView cpuinfo);

} // namespace korvane
