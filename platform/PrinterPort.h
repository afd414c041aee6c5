#pragma once

// Raw printouts on the first parallel port ("//./LPT1"): the bytes go to the
// printer as they are (a matrix printer with a character set of its own).
// The port may block for ever - a FIFO that nobody reads, a printer that is
// offline - so every printout is written on a thread of its own, with a
// deadline, and the window or work that asked for it is never held up.
//
// Use:
//     auto* port = new PrinterPort(this);
//     connect(port, &PrinterPort::Finished, this, [](const QString& error) { ... });
//     port->Print({bytes});   // returns at once
// or poll Busy() and LastError() from a timer.

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

#include <chrono>
#include <memory>

namespace korvane {

inline constexpr char FirstPrinterPort[] = "//./LPT1";

// The first parallel port as the program names it ("//./LPT1") maps to a
// native path: the environment variable KORVANE_LPT1 when it is set (a
// printer device such as /dev/usb/lp0 or /dev/lp0, a FIFO or a plain
// file), otherwise /dev/lp0. Any other name passes unchanged.
QString NativePrinterDevice(const QString& name);

class PrinterPort : public QObject {
    Q_OBJECT

public:
    // How long the device may take no byte before the printout fails.
    static constexpr std::chrono::milliseconds DefaultDeadline{30000};

    // Device: the port's name as the program gives it; it is mapped
    // (NativePrinterDevice) at each printout.
    explicit PrinterPort(QObject* parent = nullptr, std::chrono::milliseconds deadline = DefaultDeadline,
                         QString device = QString::fromLatin1(FirstPrinterPort));
    // A printout still being written is abandoned and its device closed.
    ~PrinterPort() override;

    // Queues one printout and returns at once. Each copy is an open, write
    // and close of the device of its own (appending to a plain file); the
    // first copy that fails ends the printout, and the copies after it are
    // dropped. Printouts are written one after the other, in order.
    void Print(QList<QByteArray> copies);

    // A printout is queued or being written.
    bool Busy() const;
    // The outcome of the last printout that has ended: empty when every
    // copy was written, else the error in the program's words.
    QString LastError() const;

signals:
    // Once per printout, in order, on this object's thread.
    void Finished(const QString& error);

private:
    class Writer;
    std::unique_ptr<Writer> writer_;
};

} // namespace korvane
