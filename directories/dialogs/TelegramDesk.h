#pragma once

// What the subscriber directory's "Телеграмма" command needs of the main
// window: its current channel, whether that channel runs, its telegram
// editors, and a new telegram of a channel. The main window implements it;
// tests fake it.

#include <QString>

namespace korvane {

// An open telegram editor, as the directory addresses it.
class TelegramAddressee {
public:
    virtual ~TelegramAddressee() = default;
    // "|      #" + Number becomes the editor's first line.
    virtual void InsertNumberLine(const QString& number) = 0;
    // Shows the editor and brings it to the front.
    virtual void ShowInFront() = 0;
};

class TelegramDesk {
public:
    virtual ~TelegramDesk() = default;
    // The channel of the channel window activated last; 0 when none was.
    virtual int CurrentChannel() const = 0;
    // Whether Channel has a driver (its outgoing folder and its telegram
    // numbers): false for a channel that is off or whose port did not open.
    virtual bool ChannelHasDriver(int channel) const = 0;
    // The first telegram editor among the main window's children, in their
    // order; null when none is open.
    virtual TelegramAddressee* FirstEditor() = 0;
    // A new telegram of Channel: its driver's next telegram number is taken
    // (and used up), and a new editor opens on TEL<number>.TLG of the
    // channel's outgoing folder. Null when the channel has no driver.
    virtual TelegramAddressee* NewTelegram(int channel) = 0;
};

} // namespace korvane
