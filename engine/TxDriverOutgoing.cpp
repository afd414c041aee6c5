// The driver's side of the outgoing telegrams: what the line side and the
// clear-down call on the driver itself.

#include "engine/TxDriver.h"

namespace korvane {

void TTxChannelDriver::SetExpectedAnswerBack(const QString& a)
{
    EngineLock lock(Mutex());
    ExpectedAnswerBack = a;
    NoteStepLine(QStringLiteral("===+ Ожидаемый автоответ ['%1']").arg(a));
}

} // namespace korvane
