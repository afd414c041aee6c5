#pragma once

// The elements that end a connection: the clear-down, which closes the
// connection's record, settles the call's result with the failure lists,
// asks for the journal and log lines and resets what belongs to one call,
// and the wait for the distant side to confirm the clearing.

#include "engine/TxElementPro.h"

#include <QString>

#include <cstdint>

namespace korvane {

// "Отбой": the whole clear-down happens in Start; DoIt waits until the
// file tick has written the last part of the record and the journal line.
class TTxDisConnect final : public TTxElementPro {
public:
    explicit TTxDisConnect(TTxChannelDriver& owner);
    void Start() override;
    void DoIt() override;

private:
    void EndReception();
    void EndTransmission();
    void EndDialog();
    // The transmit journal's fields and the log line of a transmission or dialog.
    void NoteTransmitJournal(const QString& stepFormat);
    // The line back to '-' and the state of one call reset.
    void ResetCall();
    // Hands the last part of the record to the file tick; whether earlier
    // parts of this connection had been handed over already.
    bool FlushRecord(int& flushed);

    // Where the text of the connection now being recorded began in the
    // stored text: the clear-down before it left the buffers empty there.
    std::int64_t ConnectionTextStart = 0;
};

// "Ожидание подтверждения отбоя": the input at '-' for "Длительность"
// within "Ожидание" confirms the clearing.
class TTxWaitDisConnect final : public TTxElementPro {
public:
    explicit TTxWaitDisConnect(TTxChannelDriver& owner);
    void Start() override;
    void DoIt() override;

private:
    void Work();

    std::int32_t Wait = 0;
    std::int32_t PlusTime = 0;
    QString OnSuccess, OnFailure;
    std::int32_t PlusLeft = 0;
};

} // namespace korvane
