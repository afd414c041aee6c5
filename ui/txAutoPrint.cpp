#include "ui/txAutoPrint.h"

#include "protocols/DriverModes.h"
#include "support/LogFile.h"
#include "ui/PrintError.h"
#include "ui/PrinterPort.h"

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

TAutoPrintForm::TAutoPrintForm(const TDriverModes& modes, QObject* owner)
    : QObject(owner), modes_(modes), printerSource_(DefaultPrinter)
{
}

TAutoPrintForm::~TAutoPrintForm() = default;

void TAutoPrintForm::PrintFile(const QString& fileName)
{
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

void TAutoPrintForm::PrintRaw(int copies) const
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

    for (int i = 0; i < copies; ++i)
        WriteToPrinterPort(copy);
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
