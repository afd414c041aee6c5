#pragma once

// The line control elements: they drive the output polarity, wait, change
// the course of the protocol, or store the channel's element settings in the
// driver for later elements and the adapter. Most of them finish inside
// their Start; the pause and the pulse count down on the fast tick, the jump
// jumps on its first tick.

#include "engine/ElementCatalog.h"
#include "engine/TxElementPro.h"

#include <QString>

#include <cstdint>
#include <optional>

namespace korvane {

// An element that finishes at once: Start stores its values (when a step is
// set) and then runs DoIt, whose only work is GoNext. Some finish even
// without a step.
class TTxAtOnceElement : public TTxElementPro {
public:
    void Start() override;
    void DoIt() override;

protected:
    TTxAtOnceElement(TTxChannelDriver& owner, std::uint16_t code, QString elementName, QString className,
                     bool finishWithoutStep = false);
    // Reads the step's parameters and stores what they set.
    virtual void Apply() {}

private:
    bool finishWithoutStep_;
};

// "Установить полярность "+"": calling; output '+'.
class TTxSetOutPlus final : public TTxAtOnceElement {
public:
    explicit TTxSetOutPlus(TTxChannelDriver& owner);
    void Start() override;
};

// "Установить полярность "-"": output '-'.
class TTxSetOutMinus final : public TTxAtOnceElement {
public:
    explicit TTxSetOutMinus(TTxChannelDriver& owner);
    void Start() override;
};

// "Импульс": output '+' for "Длительность", then '-'.
class TTxImpulse final : public TTxElementPro {
public:
    explicit TTxImpulse(TTxChannelDriver& owner);
    void Start() override;
    void DoIt() override;

    std::int32_t Left = 0; // ms of the pulse still to run
};

// "Пауза": waits "Длительность".
class TTxPause final : public TTxElementPro {
public:
    explicit TTxPause(TTxChannelDriver& owner);
    void Start() override;
    void DoIt() override;

    std::int32_t Left = 0; // ms of the pause still to run
};

// "Переход": jumps to "*Элемент".
class TTxJumpTo final : public TTxElementPro {
public:
    explicit TTxJumpTo(TTxChannelDriver& owner);
    void Start() override;
    void DoIt() override;

    std::optional<QString> Target;
};

// "Выход на ЦКС": the driver's message-switching-centre settings.
class TTxAnalizeGoToCKS final : public TTxAtOnceElement {
public:
    explicit TTxAnalizeGoToCKS(TTxChannelDriver& owner);

    std::int32_t Enabled = 0;
    std::int32_t Attempts = 0;
    QString SwitchingCentreCode;

protected:
    void Apply() override;
};

// "Постоянный донабор": when on, the exit code goes before the number as it
// is dialled ("-" between them in "Стандарт A", "+" in the others). The
// number itself is kept: it names the destination in the telegram file and
// in the failure lists.
class TTxConstPulse final : public TTxAtOnceElement {
public:
    explicit TTxConstPulse(TTxChannelDriver& owner);

    std::int32_t Enabled = 0; // 0 "Выключен", 1 "Включен"
    QString ExitCode;

protected:
    void Apply() override;
};

// "Отбой приема": ClearingTime of the line type.
class TTxDisconReceive final : public TTxAtOnceElement {
public:
    explicit TTxDisconReceive(TTxChannelDriver& owner);

protected:
    void Apply() override;
};

// "Занято": the busy-pulse limits of the line type.
class TTxBusyLine final : public TTxAtOnceElement {
public:
    explicit TTxBusyLine(TTxChannelDriver& owner);

protected:
    void Apply() override;
};

// "Обpыв линии": LineBreakTime.
class TTxBreakLine final : public TTxAtOnceElement {
public:
    explicit TTxBreakLine(TTxChannelDriver& owner);

protected:
    void Apply() override;
};

// "Встpечная pабота": the driver's contrary-work settings.
class TTxContraryWork final : public TTxAtOnceElement {
public:
    explicit TTxContraryWork(TTxChannelDriver& owner);

protected:
    void Apply() override;
};

// "Режим приема/передачи": the port's line parameters, the line-mode event
// handlers and the LED timer's interval.
class TTxPortSettings final : public TTxAtOnceElement {
public:
    explicit TTxPortSettings(TTxChannelDriver& owner);

protected:
    void Apply() override;
};

// "Параметры сообщения": the driver's message marks.
class TTxMessageParam final : public TTxAtOnceElement {
public:
    explicit TTxMessageParam(TTxChannelDriver& owner);

protected:
    void Apply() override;
};

// "Пауза при приеме данных": ReceivePauseTime.
class TTxReceivePause final : public TTxAtOnceElement {
public:
    explicit TTxReceivePause(TTxChannelDriver& owner);

protected:
    void Apply() override;
};

void AddLineControlElements(ElementFactories& factories);

} // namespace korvane
