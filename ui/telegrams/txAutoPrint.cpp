// The automatic printing: a telegram or a file printed through the system or raw.
#include "ui/telegrams/txAutoPrint.h"

#include "protocols/DriverModes.h"
#include "support/LogFile.h"
#include "ui/telegrams/PrintError.h"

#include <QFont>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTextDocument>

namespace korvane {

namespace {

const QByteArray CrLf("\r\n");

std::unique_ptr<QPrinter> DefaultPrinter()
{
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        throw PrintError(QStringLiteral("Принтер по умолчанию не выбран"));
    return std::make_unique<QPrinter>(info, QPrinter::HighResolution);
}

} // namespace

TAutoPrintForm::TAutoPrintForm(const TDriverModes& modes, QObject* owner, std::chrono::milliseconds portDeadline)
    : QObject(owner), modes_(modes), printerSource_(DefaultPrinter), port_(new PrinterPort(this, portDeadline))
{
}

TAutoPrintForm::~TAutoPrintForm() = default;

void TAutoPrintForm::PrintFile(const QString& fileName)
{
    onPort_ = false;
    LoadOemStringsClear(fileName, RawLines, TextLines);
    if (TextLines.isEmpty())
        return;

    const int copies = modes_.CopyCntr;
    const QString line = QStringLiteral("Выполняется печать файла: %1 (Копий: %2)").arg(fileName).arg(copies);
    if (log_)
        log_(line);
    else if (LogFile)
        LogFile->Write(line);

    if (modes_.DOSPrintMode)
        PrintRaw(copies);
    else
        PrintThroughPrinter(fileName, copies);
}

TelegramPrinter::Progress TAutoPrintForm::PrintProgress(QString& error) const
{
    if (!onPort_)
        return Progress::Printed; // through the printer: done when PrintFile returned
    if (port_->Busy())
        return Progress::Printing;
    error = port_->LastError();
    return error.isEmpty() ? Progress::Printed : Progress::Failed;
}

void TAutoPrintForm::PrintRaw(int copies)
{
    QByteArray copy;
    // The initialisation string as stored, byte for byte (no escapes).
    const QByteArray init(reinterpret_cast<const char*>(modes_.InitPrnStr.bytes.data() + 1),
                          qsizetype(modes_.InitPrnStr.length()));
    if (!init.isEmpty())
        copy += init + CrLf;
    const QByteArray margin(std::max(0, int(modes_.LeftMargin)), ' ');
    for (const QByteArray& l : RawLines)
        copy += margin + l + CrLf;

    if (copies <= 0)
        return;
    port_->Print(QList<QByteArray>(copies, copy));
    onPort_ = true;
}

void TAutoPrintForm::PrintThroughPrinter(const QString& fileName, int copies) const
{
    if (copies <= 0)
        return;
    QTextDocument doc;
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setPixelSize(15);
    doc.setDefaultFont(font);
    doc.setPlainText(TextLines.join(QLatin1Char('\n')));

    for (int i = 0; i < copies; ++i) {
        std::unique_ptr<QPrinter> printer = printerSource_();
        printer->setDocName(fileName);
        doc.print(printer.get());
        if (printer->printerState() == QPrinter::Error)
            throw PrintError(QStringLiteral("Ошибка печати файла %1").arg(fileName));
    }
}

} // namespace korvane
