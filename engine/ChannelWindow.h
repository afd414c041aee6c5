#pragma once

#include "engine/AdapterStatus.h"
#include "engine/ChannelKeyRing.h"
#include "engine/ChannelWindowCodes.h"

#include <QString>
#include <QTime>

#include <atomic>
#include <cstdint>
#include <mutex>

namespace korvane {

// What a channel driver sees of its channel window.
//
// The operator's requests reach the driver as the command byte, the ring of
// typed keys and the number to dial; the driver's news reach the window
// through the operations below. Every member may be used from the driver's
// fast tick, which can run on a timer thread: the shared fields are guarded
// here, and the window implementation brings the operations that touch
// controls onto its own thread, in the order they were made.
class ChannelWindow {
public:
    static constexpr int NumberCapacity = 24;

    ChannelWindow() = default;
    virtual ~ChannelWindow() = default;
    ChannelWindow(const ChannelWindow&) = delete;
    ChannelWindow& operator=(const ChannelWindow&) = delete;

    // --- Fields shared with the driver ---

    // The pending operator command (ChannelCommands), 0 when none.
    std::uint8_t ChannelCommand() const { return command_.load(); }
    void SetChannelCommand(std::uint8_t command) { command_.store(command); }
    // The driver clears the byte when it has carried out CarriedOut. A command
    // written meanwhile is kept: the result says whether the byte was cleared.
    bool ClearChannelCommand(std::uint8_t carriedOut);

    // Keys typed by the operator; the window writes, the driver takes.
    ChannelKeyRing& KeyRing() { return keyRing_; }
    const ChannelKeyRing& KeyRing() const { return keyRing_; }

    // The number to dial, written with command 2; at most NumberCapacity characters are kept.
    QString Number() const;
    void SetNumber(const QString& number);

    // The file whose work failed last: the file-operation alarm names it. Empty: none.
    QString AlarmFile() const;
    void SetAlarmFile(const QString& file);

    // The ChannelState the window shows at present.
    std::uint8_t ChannelState() const { return shownState_.load(); }

    // The telegram being transmitted: its length and the characters sent so far.
    std::int16_t ProgressMax() const { return progressMax_.load(); }
    void SetProgressMax(std::int16_t max) { progressMax_.store(max); }
    std::int16_t ProgressPosition() const { return progressPosition_.load(); }
    void SetProgressPosition(std::int16_t position) { progressPosition_.store(position); }
    void AdvanceProgressPosition() { progressPosition_.fetch_add(1); }

    // --- Operations the driver calls ---

    // Control (false) or Dialog (true) mode; updates caption and controls when it changes.
    virtual void SetDialogMode(bool dialog) = 0;
    // Queue a state or a message code for the window's timer.
    virtual void SetChannelState(std::uint8_t state) = 0;
    virtual void SetAuxState(std::uint8_t state) = 0;
    virtual void PostMessageCode(std::uint8_t code) = 0;

    virtual void SetElementName(const QString& name) = 0;
    virtual void SetTxCount(int count) = 0;
    virtual void SetRxCount(int count) = 0;
    virtual void SetCallInfo(const QString& tlgFile, const QString& number, const QString& address,
                             const QString& answerBackInfo) = 0;
    virtual void SetTelegramFile(const QString& name) = 0;
    virtual void SetAnswerBackAndProtocol(const QString& answerBack, const QString& protocol) = 0;
    // Duration of the connection in progress.
    virtual void SetConnectionTime(const QTime& time) = 0;
    // The transmit progress (ProgressMax, ProgressPosition) is to be shown or hidden.
    virtual void SetProgressActive(bool active) = 0;
    // Text area background red while Alarm.
    virtual void SetAlarmColor(bool alarm) = 0;

    virtual void ShowAdapterInfo(const AdapterStatus& status) = 0;
    virtual void ShowAdapterChannelState(const AdapterStatus& status) = 0;
    virtual void ShowStoredTelegram(const StoredTelegramHeader& header) = 0;
    // One line appended to the text area.
    virtual void AddText(const QString& line) = 0;
    virtual void ClearText() = 0;
    // One character shown at the end of the text area as if typed; a carriage
    // return starts a new line (the driver never sends line feeds).
    virtual void SendMemoChar(QChar c) = 0;

    // Raise the adapter flags; the window's timer shows their boxes.
    virtual void SetAdapterTimeout() = 0;
    virtual void SetAdapterLoadError() = 0;
    // The adapter's program file cannot be used; Text says why. Shown as a
    // box by the window's timer, like the flags above.
    virtual void SetAdapterProgramError(const QString& text) = 0;

    // The LEDs' Light and AutoBlink.
    virtual void SetLedLight(ChannelLed led, bool light) = 0;
    virtual void SetLedAutoBlink(ChannelLed led, bool autoBlink) = 0;

protected:
    void SetShownChannelState(std::uint8_t state) { shownState_.store(state); }

private:
    std::atomic<std::uint8_t> command_{0};
    std::atomic<std::uint8_t> shownState_{0};
    std::atomic<std::int16_t> progressMax_{0};
    std::atomic<std::int16_t> progressPosition_{0};
    ChannelKeyRing keyRing_;
    mutable std::mutex numberMutex_; // guards the strings below
    QString number_;
    QString alarmFile_;
};

} // namespace korvane
