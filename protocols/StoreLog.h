#pragma once

#include "support/LogFile.h"

#include <QString>

#include <exception>

namespace korvane {

// A line for the daily log from the settings store, when the log exists.
// A log that cannot be written does not stop the store.
inline void WriteStoreLog(const QString& line)
{
    if (!LogFile)
        return;
    try {
        LogFile->Write(line);
    } catch (const std::exception&) {
    }
}

} // namespace korvane
