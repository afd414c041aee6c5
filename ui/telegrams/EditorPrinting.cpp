// The telegram editor's two printouts: raw to the printer port, and through the system.
#include "ui/telegrams/EditorPrinting.h"

#include "platform/PrinterPort.h"

#include "support/OemText.h"
#include "ui/telegrams/PrintError.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>

namespace korvane {

void DosPrintLinesLater(PrinterPort*& port, QObject* owner, const QStringList& lines,
                        std::function<void(const QString&)> showError)
{
    if (!port) {
        port = new PrinterPort(owner);
        QObject::connect(port, &PrinterPort::Finished, owner, [showError = std::move(showError)](const QString& error) {
            if (!error.isEmpty())
                showError(error);
        });
    }
    port->Print({DosPrintBytes(lines)});
}

QByteArray DosPrintBytes(const QStringList& lines)
{
    OemLines oem;
    StringsToOem(lines, oem);
    QByteArray bytes;
    for (const QByteArray& line : oem)
        bytes += line + "\r\n";
    return bytes;
}

void PrintLines(QPrinter& printer, const QStringList& lines, const QFont& font)
{
    QPainter painter;
    if (!painter.begin(&printer))
        throw PrintError(QStringLiteral("Ошибка печати: принтер недоступен"));
    // The font keeps its size on paper: points, not the screen's pixels.
    QFont paperFont(font, &printer);
    if (font.pixelSize() > 0)
        paperFont.setPointSizeF(font.pixelSize() * 72.0 / 96.0);
    painter.setFont(paperFont);
    const QFontMetrics metrics(paperFont, &printer);
    const QRect page = painter.viewport();
    int y = metrics.ascent();
    for (const QString& line : lines) {
        if (y + metrics.descent() > page.height()) {
            printer.newPage();
            y = metrics.ascent();
        }
        painter.drawText(0, y, line);
        y += metrics.lineSpacing();
    }
    painter.end();
    if (printer.printerState() == QPrinter::Error)
        throw PrintError(QStringLiteral("Ошибка печати"));
}

} // namespace korvane
