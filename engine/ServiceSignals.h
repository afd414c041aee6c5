#pragma once

#include "support/FailureCodes.h"

#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace korvane {

// What the line returned after a call, read from the receive buffer: the
// partner's answerback and the exchange's service signals. Received is the
// stretch of the receive buffer from a remembered position up to, not
// including, the write position: CP1251 bytes (the ...Text forms take the
// same stretch already as text). Both are pure functions, safe on any
// thread.

// The outcome of one answerback check.
struct AnswerBackCheck {
    bool Matched = true;
    // The channel's step line for the log, empty when nothing was checked:
    // "=== Проверка автоответа ['<expected>' in '<received>', <position>,
    // (Cntr=<count>)]".
    QString StepLine;
};

// Whether Expected occurs in the received text (an empty Expected never
// does). CheckEnabled: the channel option that asks for the check; without
// it the answerback counts as matched and nothing is logged. In the text
// compared and logged CR becomes '<' and LF '_'. Unless Use4 (figures code
// 10 decodes as '4'), 'Ч' counts as '4' on both sides: the received 'Ч' is
// the decoded figures code 10, an expected 'Ч' stands for the same code.
// The position in the step line is 1-based, 0 when not found; the count is
// the number of characters received.
AnswerBackCheck CheckAnswerBack(QByteArrayView received, const QString& expected, bool checkEnabled, bool use4);
AnswerBackCheck CheckAnswerBackText(QStringView received, const QString& expected, bool checkEnabled, bool use4);

// The service signal in the received text: tested in this order, anywhere
// in the text, "OCC" (Occ), "NC" (Nc), "DER", "ABS", "CI", "NA", "NP"
// (Np); the first test that finds its signal decides, whatever the
// positions. None of them: Dis.
FailureCode ClassifyServiceSignal(QByteArrayView received);
FailureCode ClassifyServiceSignalText(QStringView received);

} // namespace korvane
