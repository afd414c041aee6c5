#include "engine/EngineEnvironment.h"

#include "support/LogFile.h"

namespace korvane {

void EngineEnvironment::Log(const QString& line) const
{
    if (WriteLog)
        WriteLog(line);
    else if (LogFile)
        LogFile->Write(line);
}

} // namespace korvane
