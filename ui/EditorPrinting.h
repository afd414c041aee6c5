#pragma once

// The telegram editor's two printouts: raw to the matrix printer on the
// first parallel port, and through the system's printer.

#include <QStringList>

class QFont;
class QPrinter;

namespace korvane {

// The lines in the OEM code page, each followed by CR LF, on the first
// parallel port, once; no initialisation string, margin or copy count.
// Throws FileError when the port cannot be opened or written.
void DosPrintLines(const QStringList& lines);

// Each line as one printed line in Font, page after page, on Printer.
// Throws PrintError when the printout cannot be made.
void PrintLines(QPrinter& printer, const QStringList& lines, const QFont& font);

} // namespace korvane
