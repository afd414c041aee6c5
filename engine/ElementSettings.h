#pragma once

// Settings that protocol elements store in their channel driver for no other
// element of the engine to read: they belong to the channel's configuration
// as its protocol sets it up.

#include <QString>

#include <cstdint>

namespace korvane {

// "Встpечная pабота": how work from the other side is met.
struct ContraryWorkSettings {
    std::int32_t Count = 0;    // tries
    std::int32_t Wait = 0;     // ms
    std::int32_t Pause = 0;    // ms
    std::uint16_t Counter = 0; // characters
    std::int32_t Rollback = 0; // characters
    QString Text;              // at most 69 characters
};

// "Параметры сообщения": the marks of a message's start and end.
struct MessageMarks {
    QString Start; // at most 69 characters each
    QString EndA;
    QString EndB;
};

// "Выход на ЦКС": the call of the message-switching centre.
struct SwitchingCentreSettings {
    bool Enabled = false;
    std::uint16_t Attempts = 0;
    QString Code;
};

} // namespace korvane
