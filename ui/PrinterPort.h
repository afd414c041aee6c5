#pragma once

#include <QByteArray>

namespace korvane {

// Writes Bytes to the first parallel port ("//./LPT1", mapped to a device
// or file by KORVANE_LPT1): opened for appending, written whole, closed,
// also when a write fails. Throws FileError when the port cannot be opened
// or written.
void WriteToPrinterPort(const QByteArray& bytes);

} // namespace korvane
