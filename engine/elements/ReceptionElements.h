#pragma once

// The elements that watch what arrives from the line once a call is up: a
// first character and the pause after it, the text of a reception, the
// distant side's answerback request, its answerback with tries and check,
// the exchange's service signals after dialling, and the alarm state of a
// line that did not come back. They remember places in the receive buffer
// (Rx.Total()) and take any move of the fill position for characters
// arriving.

#include "engine/TxElementPro.h"

#include <QString>

#include <cstdint>

namespace korvane {

// "Ожидание символа": at most "Ожидание" for a first character, then a
// silence of "Пауза".
class TTxWaitMessage final : public TTxElementPro {
public:
    explicit TTxWaitMessage(TTxChannelDriver& owner);
    void Start() override;
    void DoIt() override;

private:
    void Work();

    std::int32_t Wait = 0;
    std::int32_t Pause = 0;
    QString OnSuccess, OnFailure, OnClear;
    std::int64_t LastRxPos = 0;
    std::uint8_t Seen = 0;
    std::int32_t PauseLeft = 0;
};

// "Прием данных": a reception runs until the distant side clears or the
// line stays silent for the receive pause.
class TTxRecData final : public TTxElementPro {
public:
    explicit TTxRecData(TTxChannelDriver& owner);
    void Start() override;
    void DoIt() override;

private:
    void Work();

    QString OnClear;
    std::int64_t LastRxPos = 0;
    std::int32_t IdleLeft = 0;
};

// "Ожидание запроса автоответа": waits for the distant side's WRU ('@').
class TTxWaitAskAuto final : public TTxElementPro {
public:
    explicit TTxWaitAskAuto(TTxChannelDriver& owner);
    void Start() override;
    void DoIt() override;

private:
    void Work();

    std::int32_t Wait = 0;
    QString OnSuccess, OnFailure, OnClear;
    std::int64_t ScanPos = 0;
};

// "Прием автоответа": the distant answerback after a WRU, complete after a
// silence of half the wait left, checked against the expected one; the
// tries ("Число попыток") count over all its starts within one call.
class TTxReceiveAuto final : public TTxElementPro {
public:
    explicit TTxReceiveAuto(TTxChannelDriver& owner);
    void Start() override;
    void DoIt() override;

private:
    void Work();
    // One try used up: another request while tries are left, else the failure.
    void TryFailed(const QString& retryLine, const QString& failureLine);

    std::int32_t Wait = 0;
    std::int32_t Tries = 0;
    QString OnSuccess, OnRetry, OnFailure, OnClear;
    std::int64_t LastRxPos = 0;
    std::int64_t StartRxPos = 0;
    std::int32_t SilenceLeft = 0;
    std::uint8_t Seen = 0;
};

// "Ожидание служебных сигналов": after dialling, the exchange's service
// signals, the distant answerback, a WRU answered by the channel, or an
// incoming call.
class TTxWaitStatMessage final : public TTxElementPro {
public:
    explicit TTxWaitStatMessage(TTxChannelDriver& owner);
    void Start() override;
    void DoIt() override;

private:
    void Work();

    std::int32_t Wait = 0;
    std::int32_t Pause = 0;
    std::int32_t CallChars = 0;
    QString OnIncoming, OnClear, OnAnswerBack, OnAskAnswerBack, OnFailure;
    std::int64_t StartRxPos = 0;
    std::int64_t LastRxPos = 0;
    std::int32_t SilenceLeft = 0;
    std::int32_t WaitAgain = 0;
    std::uint8_t Seen = 0;
    std::uint8_t AbDone = 0;
    std::uint8_t AbActive = 0;
};

// "Авария": the alarm state; the protocol restarts after "Отключение", or
// as soon as the line is quiet again when "Опрос канала" is on.
class TTxEmergency final : public TTxElementPro {
public:
    explicit TTxEmergency(TTxChannelDriver& owner);
    void Start() override;
    void DoIt() override;

private:
    void Work();

    std::int32_t Poll = 0;
    std::int32_t OffTime = 0;
    std::int32_t OffLeft = 0;
};

} // namespace korvane
