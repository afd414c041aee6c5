#pragma once

#include <QString>

namespace korvane {

// What the automatic printing asks of the operator interface: print one
// telegram or record file, stored in the OEM code page, as many copies as
// the driver modes say. Runs on the main thread; a failure leaves by an
// exception after the device has been closed.
class TelegramPrinter {
public:
    virtual ~TelegramPrinter() = default;
    virtual void PrintFile(const QString& fileName) = 0;
};

} // namespace korvane
