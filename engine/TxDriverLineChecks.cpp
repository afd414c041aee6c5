// What the line returned after a call, read by the driver from the text
// received from the line: the partner's answerback and the exchange's
// service signals.

#include "engine/TxDriver.h"

#include "engine/ServiceSignals.h"
#include "protocols/DriverModes.h"

namespace korvane {

bool TTxChannelDriver::CheckAnswerBack(std::int64_t start)
{
    EngineLock lock(Mutex());
    // Only what came from the line counts: the channel's own text (its
    // answerback, its WRU) is stored among it but is no answer.
    const AnswerBackCheck check =
        korvane::CheckAnswerBack(LineText.Since(start), ExpectedAnswerBack, (Modes & ChannelMode::CheckAB) != 0,
                                 (GlobalModes.ModeDriver & DriverMode::FigsTenIsFour) != 0);
    if (!check.StepLine.isEmpty())
        NoteStepLine(check.StepLine);
    return check.Matched;
}

FailureCode TTxChannelDriver::ClassifyServiceSignal(std::int64_t start)
{
    EngineLock lock(Mutex());
    return korvane::ClassifyServiceSignal(LineText.Since(start));
}

} // namespace korvane
