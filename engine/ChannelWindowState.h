#pragma once

#include "engine/ChannelWindow.h"
#include "engine/ChannelWindowView.h"
#include "engine/GuiThreadQueue.h"

#include <QString>
#include <QTime>

#include <atomic>
#include <cstdint>
#include <mutex>

namespace korvane {

// Which of the main window's line actions a channel window enables, and
// whether it is in an alarm (which enables the restart and blinks the caption).
struct ChannelActions {
    bool Call = false;
    bool Ask = false;
    bool AnswerBack = false;
    bool Disconnect = false;
    bool Control = false;
    bool AlarmActive = false;

    bool operator==(const ChannelActions&) const = default;
};

// The channel window's side of its contract with the channel driver, without
// widgets: the values the driver queues, the 100 ms drain that turns them into
// boxes and control states, the enable flags, the caption, the key ring's
// writer and the pasted text. The widget window owns one, implements the
// view, and calls MessagesTimerTimer from its 100 ms timer.
//
// Create and use it on the GUI thread. The driver's operations may come from
// any thread: the small request fields are stored at once; everything that
// touches controls runs on the GUI thread, at once when called there and
// otherwise queued in call order.
class ChannelWindowState final : public ChannelWindow {
public:
    // Typed keys go to the ring only while the last text line is shorter than this.
    static constexpr int LineWidth = 69;

    explicit ChannelWindowState(ChannelWindowView& view);
    ~ChannelWindowState() override;

    // --- The window's own fields (GUI thread) ---

    // Channel number 1..8; also sets the caption for the current mode.
    void SetChannel(std::uint8_t channel);
    std::uint8_t Channel() const { return channel_; }
    bool DialogMode() const { return dialogMode_; }
    QString Caption() const { return caption_; }
    // Column of the last text line in the text area.
    int Column() const { return column_; }

    std::uint8_t MessageCode() const { return messageCode_.load(); }
    std::uint8_t PendingMessageCode() const { return pendingMessageCode_.load(); }
    std::uint8_t PendingState() const { return pendingState_.load(); }
    std::uint8_t AuxState() const { return auxState_.load(); }
    bool AdapterTimeout() const { return adapterTimeout_.load(); }
    bool AdapterLoadError() const { return adapterLoadError_.load(); }

    ChannelActions Actions() const { return actions_; }
    bool CallEnabled() const { return actions_.Call; }
    bool AskEnabled() const { return actions_.Ask; }
    bool AnswerBackEnabled() const { return actions_.AnswerBack; }
    bool DisconnectEnabled() const { return actions_.Disconnect; }
    bool ControlEnabled() const { return actions_.Control; }
    bool AlarmActive() const { return actions_.AlarmActive; }
    // Leaves the alarm (when the window is linked to a driver).
    void ResetAlarm();

    bool ProgressActive() const { return progressActive_.load(); }
    bool ProgressShown() const { return progressShown_; }
    std::int16_t ProgressShownPosition() const { return progressShownPosition_.load(); }

    // --- The main window's line commands ---

    // Control mode: asks before interrupting automatic work (unless the line
    // is idle or in the first alarm), then requests the call. Dialog mode:
    // opens the number pad.
    void CallCommand();
    // Dialog mode only.
    void AskAnswerBackCommand();
    void AnswerBackCommand();
    void DisconnectCommand();
    void ControlModeCommand();
    // Any mode.
    void RestartCommand();

    // --- Typing and pasting ---

    // Keys go to the line only in Dialog mode with the connection established.
    bool CanType() const;
    // Stores Keys in the ring, after a carriage return and a line feed when the
    // last text line is full; all or nothing (false: the ring has no room).
    bool PutKey(QStringView keys);
    bool PutKey(QChar key) { return PutKey(QStringView(&key, 1)); }
    // A key typed by the operator: PutKey, with a line feed after a carriage return.
    bool TypeKey(QChar key);
    // Counts a character that the text area shows without sending it.
    void CountMemoChar(QChar c);
    // Text to be typed by the timer, one character a tick; shows the progress bar.
    void StartPaste(const QString& text);
    QString PasteText() const { return pasteText_; }

    // --- The 100 ms timer ---
    void MessagesTimerTimer();

    // --- ChannelWindow ---
    void SetDialogMode(bool dialog) override;
    void SetChannelState(std::uint8_t state) override;
    void SetAuxState(std::uint8_t state) override;
    void PostMessageCode(std::uint8_t code) override;
    void SetElementName(const QString& name) override;
    void SetTxCount(int count) override;
    void SetRxCount(int count) override;
    void SetCallInfo(const QString& tlgFile, const QString& number, const QString& address,
                     const QString& answerBackInfo) override;
    void SetTelegramFile(const QString& name) override;
    void SetAnswerBackAndProtocol(const QString& answerBack, const QString& protocol) override;
    void SetConnectionTime(const QTime& time) override;
    void SetProgressActive(bool active) override;
    void SetAlarmColor(bool alarm) override;
    void ShowAdapterInfo(const AdapterStatus& status) override;
    void ShowAdapterChannelState(const AdapterStatus& status) override;
    void ShowStoredTelegram(const StoredTelegramHeader& header) override;
    void AddText(const QString& line) override;
    void ClearText() override;
    void SendMemoChar(QChar c) override;
    void SetAdapterTimeout() override;
    void SetAdapterLoadError() override;
    void SetAdapterProgramError(const QString& text) override;
    void SetLedLight(ChannelLed led, bool light) override;
    void SetLedAutoBlink(ChannelLed led, bool autoBlink) override;

private:
    QString ModeCaption() const;
    void ShowCaptionText(const QString& caption);
    // The box with the caption before the message.
    MessageResult ShowBox(const QString& message, MessageIcon icon,
                          MessageButtons buttons = MessageButtons::Ok);
    void SetActions(const ChannelActions& actions);
    void FeedPaste();
    void ShowEngineProgress();
    void TakeQueued();
    void ShowMessageCode(std::uint8_t code);
    void UpdateStateControls();
    bool CheckAlarm(std::uint8_t state);
    void UpdateAlarmCaption();

    ChannelWindowView& view_;

    // Written by the driver from any thread, read by the timer.
    std::atomic<std::uint8_t> messageCode_{0};
    std::atomic<std::uint8_t> pendingMessageCode_{0};
    std::atomic<std::uint8_t> pendingState_{0};
    std::atomic<std::uint8_t> auxState_{0};
    std::atomic<bool> adapterTimeout_{false};
    std::atomic<bool> adapterLoadError_{false};
    std::atomic<bool> progressActive_{false};
    std::atomic<std::int16_t> progressShownPosition_{0};
    mutable std::mutex programErrorMutex_;
    QString programError_; // the adapter program file's trouble, until shown

    // GUI thread only.
    std::uint8_t channel_ = 0;
    bool dialogMode_ = false;
    QString caption_;
    ChannelActions actions_;
    bool timerBusy_ = false;
    bool alarmBlink_ = false;
    int tickCount_ = 0;
    int column_ = 0;
    bool progressShown_ = false;
    QString pasteText_;
    int pasteDone_ = 0;
    QString elementName_;
    int txCount_ = 0;
    int rxCount_ = 0;
    QTime connectionTime_{0, 0};
    // What each LED was last told to show (-1: nothing yet), so that the
    // protocol tick, which tells them at every step, posts only changes.
    std::atomic<int> txLight_{-1};
    std::atomic<int> rxLight_{-1};
    // The second of the connection time last posted (-1: none), for the same reason.
    std::atomic<int> connectionSecond_{-1};

    // Last: destroyed first, dropping calls still queued for this window.
    GuiThreadQueue gui_;
};

} // namespace korvane
