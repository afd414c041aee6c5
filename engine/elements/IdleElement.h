#pragma once

// The idle element, the step at which a channel's protocol rests between
// connections. While it runs it watches the line for a break and for an
// incoming call (and starts the reception), asks the file side for the next
// destination and starts the automatic transmission to it, carries out the
// operator's dial and leave commands in dialog mode, and keeps an alarm
// visible. On a channel with the intelligent adapter it first runs the
// adapter exchange to its end.

#include "engine/ElementCatalog.h"
#include "engine/TxElementPro.h"

#include <QString>

#include <cstdint>

namespace korvane {

// "Анализ состояния приема".
class TTxCheckInputLine final : public TTxElementPro {
public:
    explicit TTxCheckInputLine(TTxChannelDriver& owner);
    void Start() override;
    void DoIt() override;
    // Begins a reception: the receive record, the journal, the jump to "*Успех".
    void StartReceive();

    std::int32_t ScanWait = 0; // ms between the checks for a selected destination
    std::int32_t CallTime = 0; // ms the input must stay '+' for an incoming call
    QString OnSuccess;         // a reception continues here
    QString OnFailure;         // a dialled call or an automatic transmission continues here
    QString OnClear;           // a broken line continues here
    std::uint8_t BlinkPhase = 0;
    std::uint16_t BlinkCount = 0; // fast ticks since the last blink
    std::int32_t CallLeft = 0;
    std::int32_t ScanLeft = 0;

private:
    // Each part returns whether it ended the element's run (a jump or a restart).
    bool AdapterExchange();
    bool LineWatch();
    void ShowAlarm();
    void AutomaticTransmission();
    void StartTransmission();
    void OperatorCommand();
    void Dial();
    // Puts back the destination set aside by Dial when it still waits;
    // true then.
    bool TakeBackWaitingDestination();
    // One step of the intelligent adapter's exchange; sets the driver's
    // AdapterExchangeDone when the exchange has ended.
    void AdapterExchangeStep();
};

void AddIdleElement(ElementFactories& factories);

} // namespace korvane
