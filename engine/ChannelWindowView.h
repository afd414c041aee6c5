#pragma once

#include "engine/ChannelWindowCodes.h"
#include "platform/MessageBox.h"

#include <QString>

namespace korvane {

// The two status bars of a channel window: the first (at the very bottom)
// holds the call data and the LEDs, the second the answerback, protocol and
// counters.
enum class ChannelStatusBar : std::uint8_t { First, Second };

// The controls of a channel window, as ChannelWindowState drives them.
// Implemented by the widget window; every call comes on the GUI thread.
class ChannelWindowView {
public:
    virtual ~ChannelWindowView() = default;

    virtual void ShowCaption(const QString& caption) = 0;
    virtual void SetStatusText(ChannelStatusBar bar, int panel, const QString& text) = 0;

    // The text area: one character at the end of the text (a carriage return
    // starts a new line), one whole line appended, or everything cleared.
    virtual void InsertMemoChar(QChar c) = 0;
    virtual void AppendMemoLine(const QString& line) = 0;
    virtual void ClearMemo() = 0;
    // Red background (alarm) or the normal window colour.
    virtual void SetMemoAlarmColor(bool alarm) = 0;
    // I-beam cursor over the text area (typing possible) or the arrow.
    virtual void SetMemoTextCursor(bool iBeam) = 0;

    virtual void SetLedLight(ChannelLed led, bool light) = 0;
    virtual void SetLedAutoBlink(ChannelLed led, bool autoBlink) = 0;

    // The progress bar: shown at position 0 with Maximum, moved, hidden.
    virtual void ShowProgress(int maximum) = 0;
    virtual void SetProgressPosition(int position) = 0;
    virtual void HideProgress() = 0;

    // The channel window's modal box, which closes itself after the driver
    // mode's message delay (answering Cancel or No when it does).
    virtual MessageResult ShowChannelMessage(const QString& text, MessageIcon icon,
                                             MessageButtons buttons = MessageButtons::Ok) = 0;
    // The number pad; its OK sets the window's Number and command 2.
    virtual void DialNumber() = 0;
    // The enable flags of the main window's line actions have changed.
    virtual void ActionsChanged() = 0;
    // The main window is shutting down: the channel window shows no boxes.
    virtual bool ShuttingDown() const = 0;
};

} // namespace korvane
