#pragma once

// The telegram commands of the main window: a new telegram in the editor,
// the transmit and receive journal views of one channel (one view per
// channel and kind), the number lists, and the "Телегра&мма" menu whose
// forty items name the command and the channel.

#include <QObject>

#include <array>
#include <cstdint>

class QMenu;

namespace korvane {

class TEditForm;
class TMainForm;
struct TMainActions;

class TelegramCommands : public QObject {
    Q_OBJECT

public:
    TelegramCommands(TMainForm& form, const TMainActions& actions, QMenu* telegramMenu);

    // Channel 1..8, a channel with a driver; nothing otherwise. The new
    // telegram's editor, with an empty address line to fill in, or null.
    TEditForm* CreateTelegram(int channel);
    // The same without the address line: the caller puts the first line in
    // (the subscriber directory its subscriber's).
    TEditForm* OpenTelegram(int channel);
    void ShowTransmitJournal(int channel);
    void ShowReceiveJournal(int channel);

    // The "Телегра&мма" items' sub-items: Create makes the eight channel
    // items of each, hidden; otherwise only those of active channels show.
    void BuildTelegramMenus(bool create);
    // Item 0..4 of "Телегра&мма", for Channel.
    void TelegramSubItemClicked(int item, int channel);

    // The per-channel actions and the number lists are enabled while a
    // channel window is current.
    void UpdateEnabled();

    std::array<QMenu*, 5> Items() const { return items_; }

private:
    TEditForm* NewEditor(int channel);
    void ShowJournal(int channel, std::uint8_t kind);

    TMainForm& form_;
    const TMainActions& actions_;
    std::array<QMenu*, 5> items_{};
};

} // namespace korvane
