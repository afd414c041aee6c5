#pragma once

// The telegram editor's two printouts: raw to the matrix printer on the
// first parallel port, and through the system's printer.

#include <QByteArray>
#include <QStringList>

#include <functional>

class QFont;
class QObject;
class QPrinter;

namespace korvane {

class PrinterPort;

// The printout of the lines for the first parallel port (PrinterPort): in
// the OEM code page, each followed by CR LF; no initialisation string,
// margin or copy count.
QByteArray DosPrintBytes(const QStringList& lines);

// The lines queued raw for the first parallel port on Port, which is made
// at the first printout as a child of Owner; it returns at once, and a
// failure of the printout reaches ShowError later.
void DosPrintLinesLater(PrinterPort*& port, QObject* owner, const QStringList& lines,
                        std::function<void(const QString&)> showError);

// Each line as one printed line in Font, page after page, on Printer.
// Throws PrintError when the printout cannot be made.
void PrintLines(QPrinter& printer, const QStringList& lines, const QFont& font);

} // namespace korvane
