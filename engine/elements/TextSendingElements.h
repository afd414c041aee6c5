#pragma once

// The elements that put text on the line once a connection stands: the
// answerback request, the own answerback, a configured string, the
// pre-header, the header with the addressee line and the telegram text.
// They queue characters into the driver's transmit ring and finish when it
// has drained (TxIdle); all but the answerback request watch for the
// distant side clearing first.

#include "engine/TxElementPro.h"
#include "engine/elements/TextFeed.h"

#include <QString>

#include <cstdint>

namespace korvane {

// "Передача ЗАО": sends the answerback request (WRU).
class TTxSendAskAB final : public TTxElementPro {
public:
    explicit TTxSendAskAB(TTxChannelDriver& owner);
    void Start() override;
    void DoIt() override;
};

// The text elements that finish when all their text has gone into the
// ring and the ring has drained, or jump to "*Отбой" with DIS when the
// distant side clears first (with UNK when their text can never be sent).
class TTxTextElement : public TTxElementPro {
public:
    using TTxElementPro::TTxElementPro;
    void DoIt() override;

protected:
    // Text to send, behind what is still waiting for room in the ring.
    void Queue(const QString& text);

    QString OnClear;
    TextFeed Feed;
};

// "Передача автоответа": sends the channel's own answerback.
class TTxSendAnswerBack final : public TTxTextElement {
public:
    explicit TTxSendAnswerBack(TTxChannelDriver& owner);
    void Start() override;
};

// "Передача строки": sends "Строка" with its macros expanded, when "Передача" is on.
class TTxSendString : public TTxTextElement {
public:
    explicit TTxSendString(TTxChannelDriver& owner);
    void Start() override;

protected:
    TTxSendString(TTxChannelDriver& owner, std::uint16_t code, const QString& elementName, const QString& className);
    // The text as queued, before its macros are expanded.
    virtual QString Template() const { return Text; }

    std::int32_t Enabled = 0;
    QString Text;
};

// "Передача предзаголовка": as the string, followed by a line end.
class TTxSendPreHeader final : public TTxSendString {
public:
    explicit TTxSendPreHeader(TTxChannelDriver& owner);

protected:
    QString Template() const override;
};

// "Передача заголовка": the telegram header and the addressee line.
class TTxSendHeaderAddrR final : public TTxTextElement {
public:
    explicit TTxSendHeaderAddrR(TTxChannelDriver& owner);
    void Start() override;

private:
    std::int32_t HeaderOn = 0;
    std::int32_t AddressOn = 0;
};

// "Передача данных": the telegram text, line by line. Each '&' in a line
// sends the part before it, waits for the line to fall silent for
// "Ожидание сообщения", then goes on with the rest; the line end follows
// the last part. A line longer than the ring goes in as the ring makes
// room. While the ring is sending, a second without any echo logs a
// time-out and nudges the transmitter.
class TTxSendData final : public TTxElementPro {
public:
    static constexpr std::int32_t EchoTimeout = 1250; // ms

    explicit TTxSendData(TTxChannelDriver& owner);
    void Start() override;
    void DoIt() override;

private:
    void Work();
    void SendNextLine();
    // Queues Text up to its first '&' and pauses there, or all of it with
    // the line end; false when it can never be sent. (Text is a copy: it
    // may be RestText itself.)
    bool SendPart(QString text);
    // The call fails: the text cannot go into the ring.
    void CannotSend();
    void ShowProgress(bool active);
    // The index of the first text line: the lines before it are the
    // leading block of destination lines.
    int TextStart() const;

    std::int32_t MsgWait = 0;
    QString OnClear;
    std::int64_t LastRxPos = 0;
    int LineIndex = -1;
    QString RestText;
    QString Line;
    std::uint8_t Paused = 0;
    std::int32_t PauseLeft = 0;
    std::int32_t EchoLeft = EchoTimeout;
    TextFeed Feed;
};

} // namespace korvane
