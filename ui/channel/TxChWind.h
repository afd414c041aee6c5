// The channel window: the line watched ("Контроль") or used by hand ("Диалог").
#pragma once

#include "engine/ChannelWindowState.h"
#include "engine/ChannelWindowView.h"
#include "ui/toolkit/QtMessageBox.h"

#include <QPlainTextEdit>
#include <QString>
#include <QWidget>

#include <atomic>
#include <deque>
#include <functional>
#include <memory>

class QAction;
class QMenu;
class QKeyEvent;
class QProgressBar;
class QTimer;

namespace korvane {

class MessageBox;
class StatusPanels;
class TODLedLittle;
class TTxChannelDriver;
class TTxChannelWindow;

// The main window's actions that a channel window's menus carry.
struct ChannelWindowActions {
    // "&Телетайп": call, clear, own answerback, ask answerback, back to Control.
    QAction* CallAction1 = nullptr;
    QAction* DisconAction1 = nullptr;
    QAction* AnswerAction1 = nullptr;
    QAction* AskAction1 = nullptr;
    QAction* ManualAction = nullptr;
    // "Телеграмма": create, sent, received, transmit journal, receive journal.
    QAction* CreateTlgAction = nullptr;
    QAction* TrsmTlgAction = nullptr;
    QAction* RecTlgAction = nullptr;
    QAction* TrmJrnAction = nullptr;
    QAction* RecJrnAction = nullptr;
};

// What a channel window needs of the main window and the program.
struct ChannelWindowEnvironment {
    // The standard boxes (the paste confirmation). Required.
    MessageBox* Box = nullptr;
    // The channel boxes; null: boxes of the window's own that close
    // themselves after GlobalModes.MsgDelay seconds.
    MessageBox* ChannelBox = nullptr;
    // KORVANE2.INI, for the number pad's history.
    QString IniFileName;
    // The main window is shutting down: no channel box is shown.
    const std::atomic<bool>* Closing = nullptr;
    // The driver of a channel, or null; empty: the current scanner's.
    std::function<TTxChannelDriver*(int channel)> DriverOf;
    // The main window's sound-off action; the refusal chime.
    std::function<void()> SoundOff;
    std::function<void()> PlayChime;
    // The number pad; empty: the real one on KORVANE2.INI.
    std::function<void(ChannelWindow& window)> DialNumber;
    ChannelWindowActions Actions;
};

// The text area of a channel window: every character, typed or shown by
// the engine, lands at the end of the text. Keys go first to the window,
// which decides which of them go to the line. It keeps the last LineLimit
// lines (the oldest go as new ones come) and no undo history.
class TTxMemo : public QPlainTextEdit {
    Q_OBJECT

public:
    // The last calls of the channel: fifty minutes of a line busy without
    // a pause (a 69-character line every ten seconds at 50 baud), a dozen
    // minutes of short calls back to back. The text document costs about
    // 1 kB a full line, so the windows of eight busy channels reach their
    // size within the first minutes and stay at some 2 MiB together; the
    // whole of every call is in its record and journal.
    static constexpr int LineLimit = 300;

    explicit TTxMemo(TTxChannelWindow& owner, QWidget* parent = nullptr);

    // The memo's usual handling of a typed key, at the end of the text.
    void InsertTyped(QKeyEvent* event);

protected:
    // Text reaches the line only through the window's paste command: the
    // memo itself takes nothing from the clipboard, a drop or the selection.
    bool canInsertFromMimeData(const QMimeData*) const override { return false; }
    void insertFromMimeData(const QMimeData*) override {}
    void keyPressEvent(QKeyEvent* event) override;

private:
    TTxChannelWindow& owner_;
};

// The operator's window on one telegraph channel: an MDI child (put it into
// a QMdiSubWindow) with the text area, two status bars with the call data,
// counters and LEDs, and the channel's menus. It implements the widget side
// of the channel window contract (ChannelWindowView); ChannelWindowState
// keeps the fields the driver shares and turns codes and states into boxes.
class TTxChannelWindow : public QWidget, private ChannelWindowView {
    Q_OBJECT
    friend class TTxMemo;

public:
    static constexpr int HelpContext = 70;
    static constexpr int PasteLimit = 1000;

    explicit TTxChannelWindow(ChannelWindowEnvironment env, QWidget* parent = nullptr);
    ~TTxChannelWindow() override;

    // The contract with the driver (pass Window() to the driver's SetWindow).
    ChannelWindowState& State() { return state_; }
    ChannelWindow& Window() { return state_; }

    // Channel 1..8; also sets the caption "Контроль - канал n" (or "Диалог - ...").
    void SetChannel(int channel);
    int Channel() const { return state_.Channel(); }
    bool DialogMode() const { return state_.DialogMode(); }
    std::uint8_t ChannelState() const { return state_.ChannelState(); }
    std::uint8_t MessageCode() const { return state_.MessageCode(); }
    std::uint8_t ChannelCommand() const { return state_.ChannelCommand(); }
    void SetChannelCommand(std::uint8_t command) { state_.SetChannelCommand(command); }

    // The driver of Channel gets this window, and the alarm is reset.
    void AttachDriver();
    // The driver of Channel, if it has this window, lets it go.
    void DetachDriver();

    // The main window's line actions (enabled by the flags below).
    void CallCommand();
    void AskAnswerBackCommand();
    void AnswerBackCommand();
    void DisconnectCommand();
    void ControlModeCommand();
    void RestartCommand();
    bool CallEnabled() const { return state_.CallEnabled(); }
    bool AskEnabled() const { return state_.AskEnabled(); }
    bool AnswerBackEnabled() const { return state_.AnswerBackEnabled(); }
    bool DisconnectEnabled() const { return state_.DisconnectEnabled(); }
    bool ControlEnabled() const { return state_.ControlEnabled(); }
    bool AlarmActive() const { return state_.AlarmActive(); }
    // The paste action is enabled only while this holds.
    bool CanPaste() const { return state_.CanType() && state_.PasteText().isEmpty(); }

    // The number pad; its OK sets Number and command 2.
    void DialNumber() override;
    // The clipboard's text, through the telegraph code, after the operator's
    // confirmation, typed by the timer at ten characters a second.
    void PasteFromClipboard();
    void CopyToClipboard();

    // Keys. KeyDown decides whether the key is a plain one; KeyPress routes
    // a character of a plain key to the line (or refuses it) and answers
    // true; false: the memo handles the character itself. The main window's
    // bell action calls BellKey.
    void TxWinMemoKeyDown(const QKeyEvent& event);
    bool TxWinMemoKeyPress(QChar key);
    void BellKey();
    bool PlainKeyDown() const { return plainKeyDown_; }

    // The channel's part of the main menu ("&Телетайп", group 20, and
    // "Телеграмма", group 30), which the main window merges while this
    // window is active, and the pop-up menu.
    QMenu* TeletypeMenu() const { return mnTeletype_; }
    QMenu* TelegramMenu() const { return mnTelegram_; }
    static constexpr int TeletypeGroup = 20;
    static constexpr int TelegramGroup = 30;
    QMenu* PopupMenu() const { return popup_; }
    QAction* PopupStatusAction() const { return popupStatus_; }
    void popupStatusClick();

    // Controls, for the main window's tests and screenshots.
    TTxMemo* Memo() const { return memo_; }
    StatusPanels* StatusBar1() const { return statusBar1_; }
    StatusPanels* StatusBar2() const { return statusBar2_; }
    TODLedLittle* TxLed() const { return txLed_; }
    TODLedLittle* RxLed() const { return rxLed_; }
    QProgressBar* ProgressBar1() const { return progressBar_; }
    QTimer* MessagesTimer() const { return messagesTimer_; }
    // The 100 ms timer's work.
    void MessagesTimerTimer();

signals:
    // The enable flags of the line actions have changed.
    void LineActionsChanged();
    // The window is closing (FormClose): the main window empties its status panels.
    void WindowClosing(TTxChannelWindow* window);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // ChannelWindowView
    void ShowCaption(const QString& caption) override;
    void SetStatusText(ChannelStatusBar bar, int panel, const QString& text) override;
    void InsertMemoChar(QChar c) override;
    void AppendMemoLine(const QString& line) override;
    void ClearMemo() override;
    void SetMemoAlarmColor(bool alarm) override;
    void SetMemoTextCursor(bool iBeam) override;
    void SetLedLight(ChannelLed led, bool light) override;
    void SetLedAutoBlink(ChannelLed led, bool autoBlink) override;
    void ShowProgress(int maximum) override;
    void SetProgressPosition(int position) override;
    void HideProgress() override;
    MessageResult ShowChannelMessage(const QString& text, MessageIcon icon,
                                     MessageButtons buttons) override;
    void ActionsChanged() override;
    bool ShuttingDown() const override;

    void BuildMenus();
    void BuildPopupMenu();
    void StatusBar1Resize();
    void ShowDeferredBoxes();
    TTxChannelDriver* Driver() const;
    // Runs Work where the window may show its boxes at once.
    template <class F>
    void InBoxContext(F&& work);

    ChannelWindowEnvironment env_;
    std::unique_ptr<QtMessageBox> ownChannelBox_;
    TTxMemo* memo_ = nullptr;
    StatusPanels* statusBar1_ = nullptr;
    StatusPanels* statusBar2_ = nullptr;
    TODLedLittle* txLed_ = nullptr;
    TODLedLittle* rxLed_ = nullptr;
    QProgressBar* progressBar_ = nullptr;
    QTimer* messagesTimer_ = nullptr;
    QMenu* mnTeletype_ = nullptr;
    QMenu* mnTelegram_ = nullptr;
    QMenu* popup_ = nullptr;
    QAction* popupStatus_ = nullptr;
    bool plainKeyDown_ = false;
    // Boxes asked for from inside a call into the engine wait for the timer:
    // no box opens while the engine lock may be held.
    int boxContext_ = 0;
    bool deferredBusy_ = false;
    struct DeferredBox {
        QString text;
        MessageIcon icon;
    };
    std::deque<DeferredBox> deferredBoxes_;

    // Last: the driver's calls still queued for the window die first.
    ChannelWindowState state_;
};

} // namespace korvane
