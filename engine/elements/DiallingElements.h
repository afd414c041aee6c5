#pragma once

// The dialling elements: waiting for the exchange's invitation to dial (a
// pulse of a given length; a busy pulse is told apart), dialling by loop
// pulses, the decisions for decadic additional dialling and the call of the
// central exchange, keyboard selection, and waiting for the connection.
//
// They dial the driver's dial string (DialString: the number, or the number
// behind a fixed exit code) from DialPos, the 1-based position of the next
// character, which carries over from one dialling step of a call to the next.
// Characters with a meaning: digits, '-' (end of the decadic part), '+' (end
// of a part, more dialling follows), '.' (the central exchange is needed).

#include "engine/ElementCatalog.h"
#include "engine/TxElementPro.h"

#include <QString>

#include <cstdint>

namespace korvane {

// "Ожид. приглашения к набору номера": waits for an input pulse of
// "Длительность 1" to "Длительность 2"; a busy pulse ends the call as busy.
class TTxWInvaitSendNum final : public TTxElementPro {
public:
    explicit TTxWInvaitSendNum(TTxChannelDriver& owner);
    void Start() override;
    void DoIt() override;

    std::int32_t Wait = 0; // ms
    std::int32_t MinPulse = 0, MaxPulse = 0;
    QString OnSuccess, OnFailure, OnBusy;
    std::uint8_t InPulse = 0;
    std::int32_t PulseMs = 0;
};

// "Набор номера (B)": pulse dialling by switching the output polarity.
class TTxSendNumB final : public TTxElementPro {
public:
    explicit TTxSendNumB(TTxChannelDriver& owner);
    void Start() override;
    void DoIt() override;

    enum Phases : std::uint8_t { NextCharacter = 0, Break = 1, Make = 2, Gap = 3 };

    std::int32_t BreakTime = 0, MakeTime = 0, DigitGap = 0;
    QString OnMore, OnNoMore;
    std::int32_t Elapsed = 0;
    std::uint8_t Phase = NextCharacter;
    std::uint8_t PulsesLeft = 0;

private:
    void NextChar();
    void Finish();
};

// "Декадный донабор": a '-' in the number means decadic dialling follows.
class TTxAnalizeNumB_A final : public TTxElementPro {
public:
    explicit TTxAnalizeNumB_A(TTxChannelDriver& owner);
    void Start() override;
    void DoIt() override {}

    QString OnMore, OnAbsent;
};

// "Вызов центральной": a '.' in the number sends the central exchange's code.
class TTxAnalizeCenterA final : public TTxElementPro {
public:
    explicit TTxAnalizeCenterA(TTxChannelDriver& owner);
    void Start() override;
    void DoIt() override;

    QString OnAbsent, OnClear, CentralCode;
};

// "Набор номера (A)": keyboard selection, the number sent as characters.
class TTxSendNumA final : public TTxElementPro {
public:
    explicit TTxSendNumA(TTxChannelDriver& owner);
    void Start() override;
    void DoIt() override;

    QString OnMore, OnNoMore, OnClear;
    std::uint8_t NoPlus = 0;
};

// "Ожидание подключения": waits for the input to stay '+' for "Длительность".
class TTxWaitAnswerStat final : public TTxElementPro {
public:
    explicit TTxWaitAnswerStat(TTxChannelDriver& owner);
    void Start() override;
    void DoIt() override;

    std::int32_t Wait = 0; // ms
    std::int32_t PlusTime = 0;
    QString OnSuccess, OnFailure, OnClear;
    std::int32_t PlusLeft = 0;
};

void AddDiallingElements(ElementFactories& factories);

} // namespace korvane
