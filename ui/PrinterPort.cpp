#include "ui/PrinterPort.h"

#include "platform/PrinterDevice.h"
#include "support/FileError.h"

#include <QFile>

namespace korvane {

void WriteToPrinterPort(const QByteArray& bytes)
{
    const QString device = NativePrinterDevice(QString::fromLatin1(FirstPrinterPort));
    QFile f(device);
    // Append: a printer device or a FIFO takes every printout as it comes,
    // and a plain file standing in for the printer keeps every one of them.
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        throw FileError::openFailed(device);
    qint64 done = 0;
    while (done < bytes.size()) {
        const qint64 n = f.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0) {
            f.close();
            throw FileError::writeFailed(device);
        }
        done += n;
    }
    f.close();
}

} // namespace korvane
