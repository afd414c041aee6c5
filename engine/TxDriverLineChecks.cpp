// What the line returned after a call, read by the driver from its receive
// buffers: the partner's answerback and the exchange's service signals.

#include "engine/TxDriver.h"

#include "engine/ServiceSignals.h"
#include "protocols/DriverModes.h"

namespace korvane {

bool TTxChannelDriver::CheckAnswerBack(std::int64_t start)
{
    EngineLock lock(Mutex());
    // Stored() joins the block before a swap of the buffers and the one being filled.
    const AnswerBackCheck check =
        korvane::CheckAnswerBack(Rx.Stored(start, Rx.Total()), ExpectedAnswerBack, (Modes & ChannelMode::CheckAB) != 0,
                                 (GlobalModes.ModeDriver & DriverMode::FigsTenIsFour) != 0);
    if (!check.StepLine.isEmpty())
        NoteStepLine(check.StepLine);
    return check.Matched;
}

FailureCode TTxChannelDriver::ClassifyServiceSignal(std::int64_t start)
{
    EngineLock lock(Mutex());
    return korvane::ClassifyServiceSignal(Rx.Stored(start, Rx.Total()));
}

} // namespace korvane
