#pragma once

// The telegram editor's two printouts: raw to the matrix printer on the
// first parallel port, and through the system's printer.

#include <QByteArray>
#include <QStringList>

class QFont;
class QPrinter;

namespace korvane {

// The printout of the lines for the first parallel port (PrinterPort): in
// the OEM code page, each followed by CR LF; no initialisation string,
// margin or copy count.
QByteArray DosPrintBytes(const QStringList& lines);

// Each line as one printed line in Font, page after page, on Printer.
// Throws PrintError when the printout cannot be made.
void PrintLines(QPrinter& printer, const QStringList& lines, const QFont& font);

} // namespace korvane
