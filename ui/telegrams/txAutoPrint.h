#pragma once

// The automatic printing's one window, never shown: it prints a telegram or
// record file either raw to the first parallel port (a matrix printer with
// the OEM character set of its own), written off the main thread, or
// through the system's printer.

#include "engine/TelegramPrinter.h"
#include "platform/PrinterPort.h"
#include "support/OemText.h"

#include <QObject>
#include <QStringList>

#include <chrono>
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
    // InitPrnStr), read at every print. PortDeadline: how long the parallel
    // port may take no byte before a raw printout fails.
    explicit TAutoPrintForm(const TDriverModes& modes, QObject* owner = nullptr,
                            std::chrono::milliseconds portDeadline = PrinterPort::DefaultDeadline);
    ~TAutoPrintForm() override;

    void SetPrinterSource(PrinterSource source) { printerSource_ = std::move(source); }
    void SetLogWriter(LogWriter writer) { log_ = std::move(writer); }

    // Prints FileName: nothing (and no log line) for a file without lines;
    // otherwise the log line, then CopyCntr copies raw to "//./LPT1" (each
    // its own open, write and close; started here, written by the port) or
    // through the printer. Throws FileError for an unreadable file,
    // PrintError when the system has no printer or the printout fails. A
    // port that cannot be opened or written, or takes nothing until its
    // deadline, shows in PrintProgress.
    void PrintFile(const QString& fileName) override;
    Progress PrintProgress(QString& error) const override;

    OemLines RawLines;
    QStringList TextLines;

private:
    void PrintRaw(int copies);
    void PrintThroughPrinter(const QString& fileName, int copies) const;

    const TDriverModes& modes_;
    PrinterSource printerSource_;
    LogWriter log_;
    PrinterPort* port_ = nullptr;
    // The last printout went to the port: its outcome is the port's.
    bool onPort_ = false;
};

} // namespace korvane
