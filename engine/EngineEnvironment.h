#pragma once

#include "engine/DiskSteps.h"
#include "engine/ElementCatalog.h"
#include "engine/EngineMutex.h"

#include <QString>

#include <atomic>
#include <functional>

namespace korvane {

class Clock;
class JournalNotifier;
class MessageBox;
class SubscriberLookup;
class SystemBeep;
namespace serial {
class SerialPortMap;
}

// What the channel engine is given from outside: the boxes, the beep, the
// clock, the engine lock, where the ports and the element classes come
// from, the INI file of the counters and the program folder the stored
// paths are mapped from. Everything referred to outlives the engine.
struct EngineEnvironment {
    MessageBox* Box = nullptr;
    SystemBeep* Beep = nullptr;
    const Clock* Time = nullptr;
    EngineMutex* Mutex = nullptr;
    serial::SerialPortMap* PortMap = nullptr; // null: the process-wide map
    const ElementCatalog* Catalog = nullptr;  // null: DefaultElementCatalog()
    QString IniFileName;                      // KORVANE2.INI
    QString ProgramFolder;                    // for stored Windows paths
    const std::atomic<bool>* Closing = nullptr; // the main window is shutting down
    // Where the engine's log lines go; empty: the daily log (LogFile, when
    // there is one). May throw what the log throws.
    std::function<void(const QString&)> WriteLog;
    // The subscriber directory for the destinations' names and answerbacks;
    // null: no subscriber is found.
    SubscriberLookup* Directory = nullptr;
    // Where the journal-changed notices go; null: nowhere.
    JournalNotifier* Journals = nullptr;
    // The telegram folder browser shows Folder (a native path) again after
    // a file there was written, renamed or deleted; empty: no browser.
    std::function<void(const QString&)> RefreshFolder;
    // Passed before every disk step of the record and telegram work; empty:
    // none (tests fail steps or stop the process there).
    DiskStepHook DiskStep;

    void Log(const QString& line) const;
};

} // namespace korvane
