#pragma once

#include <QString>

namespace korvane {

// What the automatic printing asks of the operator interface: print one
// telegram or record file, stored in the OEM code page, as many copies as
// the driver modes say. Used on the main thread. A printout to a device
// that may block is written elsewhere: PrintFile returns at once, and the
// automatic printing asks for its progress once a second.
class TelegramPrinter {
public:
    enum class Progress {
        Printing, // still going to the device
        Printed,  // every copy is out (or there was nothing to print)
        Failed,   // not printed; the error says why
    };

    virtual ~TelegramPrinter() = default;

    // Starts printing FileName. A failure known at once (the file cannot be
    // read, the system has no printer) leaves by an exception; nothing is
    // printing then.
    virtual void PrintFile(const QString& fileName) = 0;
    // Where the printout that PrintFile started stands; for Failed, Error
    // gets the reason in the program's words.
    virtual Progress PrintProgress(QString& error) const = 0;
};

} // namespace korvane
