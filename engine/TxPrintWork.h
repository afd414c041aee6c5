#pragma once

// The automatic printing, once a second on the main thread: within the
// print hours of the driver modes, the first received telegram
// (TLG?????.REC) or transmission record (TEL?????.PTC) of a channel that
// prints them is printed, held for a minute, and renamed .PRT, which takes
// it out of both masks so that each file is printed once. A printout that
// goes to a device is waited for without blocking: the hold starts once it
// is out, and a printout that fails (the device's deadline passing too)
// keeps its file, which is tried again after the hold.

#include "engine/EngineMutex.h"

#include <QString>

#include <cstdint>
#include <functional>

namespace korvane {

class Clock;
class TTxChannelDriver;
class TelegramPrinter;

class TxPrintWork {
public:
    static constexpr int HoldSeconds = 60;

    struct Environment {
        std::function<TTxChannelDriver*(int)> Drivers; // channel 1..8, or null
        EngineMutex* Mutex = nullptr;
        TelegramPrinter* Printer = nullptr;
        const Clock* Time = nullptr;
        std::function<void(const QString&)> Log;
        // The folder browser shows a folder again after a rename in it.
        std::function<void(const QString&)> RefreshFolder;
    };

    explicit TxPrintWork(Environment env);

    // Once a second: follows the printout going to the device, finishes the
    // print in progress, or starts the next.
    void ScanPrintWork();
    void StartPrint(const QString& fileName);
    void FinishPrint();

    bool PrintWorkBusy = false;
    std::uint8_t Printing = 0;
    int PrintHold = 0;
    int PrintChannel = 0;
    QString PrintFileName;

private:
    bool PrintWindowOpen() const;
    // The first file of Dir matching Mask that no connection is writing.
    QString FirstFile(const QString& dir, const QString& mask) const;
    bool BeingWritten(const QString& path) const;
    void LogOnce(const QString& message);
    // The printout started by StartPrint is out (the hold begins) or has
    // failed (throws); false while it still goes to the device.
    bool PrinterDone();
    void PrintFailed();

    Environment env_;
    QString lastLogged_; // a failure that repeats is logged once
    int retryWait_ = 0;  // seconds before a failed print is tried again
    bool printerBusy_ = false; // StartPrint's printout still goes to the device
};

} // namespace korvane
