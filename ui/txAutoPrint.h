#pragma once

// The automatic printing's one window, never shown: it prints a telegram or
// record file either raw to the first parallel port (a matrix printer with
// the OEM character set of its own) or through the system's printer.

#include "engine/TelegramPrinter.h"
#include "support/OemText.h"

#include <QObject>
#include <QStringList>

#include <functional>
#include <memory>

class QPrinter;
class QTextDocument;

namespace korvane {

struct TDriverModes;

class TAutoPrintForm : public QObject, public TelegramPrinter {
    Q_OBJECT

public:
    // The printer a printout goes to; the default is the system's default
    // printer, tests give a PDF file instead.
    using PrinterSource = std::function<std::unique_ptr<QPrinter>()>;
    // Where the "Выполняется печать файла" line goes; empty: the daily log.
    using LogWriter = std::function<void(const QString&)>;

    // Modes: the driver modes in force (CopyCntr, DOSPrintMode, LeftMargin,
    // InitPrnStr), read at every print.
    explicit TAutoPrintForm(const TDriverModes& modes, QObject* owner = nullptr);
    ~TAutoPrintForm() override;

    void SetPrinterSource(PrinterSource source) { printerSource_ = std::move(source); }
    void SetLogWriter(LogWriter writer) { log_ = std::move(writer); }

    // Prints FileName: nothing (and no log line) for a file without lines;
    // otherwise the log line, then CopyCntr copies raw to "//./LPT1" or
    // through the printer. Throws FileError for an unreadable file or a
    // device that cannot be opened or written, PrintError when the system
    // has no printer or the printout fails.
    void PrintFile(const QString& fileName) override;

    OemLines RawLines;
    QStringList TextLines;

private:
    void PrintRaw(int copies) const;
    void PrintThroughPrinter(const QString& fileName, int copies) const;

    const TDriverModes& modes_;
    PrinterSource printerSource_;
    LogWriter log_;
};

} // namespace korvane
