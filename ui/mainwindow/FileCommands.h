#pragma once

// The main window's commands that open the program's other windows: the
// telegram folder browser (on its own, or on one channel's sent or received
// telegrams), the subscriber directory, the country table and the About
// box. The subscriber directory's "Телеграмма" reaches the main window's
// editors through the telegram desk this class implements.

#include "directories/dialogs/TelegramDesk.h"

#include <QObject>
#include <QPointer>

#include <memory>

namespace korvane {

class TAbonentAddressDlg;
class TFileViewForm;
class TMainForm;
class TTxDataModule;
struct TMainActions;

class FileCommands : public QObject, public TelegramDesk {
    Q_OBJECT

public:
    FileCommands(TMainForm& form, const TMainActions& actions);
    ~FileCommands() override;

    // The windows made after the main window (the program's order).
    void SetFileViewForm(TFileViewForm* browser);
    void SetDataModule(TTxDataModule* module) { module_ = module; }

    void ViewFiles();
    // Channel's outgoing folder sorted by date, oldest first, on its last file.
    void ShowTransmittedTelegrams(int channel);
    // Channel's incoming folder on its last file.
    void ShowReceivedTelegrams(int channel);
    void ShowAbonents();
    void ShowCountries();
    void ShowAbout();

    TAbonentAddressDlg* AbonentsDialog() const { return abonents_.get(); }

    // TelegramDesk
    int CurrentChannel() const override;
    bool ChannelHasDriver(int channel) const override;
    TelegramAddressee* FirstEditor() override;
    TelegramAddressee* NewTelegram(int channel) override;

private:
    bool ShowBrowserOn(int channel, bool outgoing);

    TMainForm& form_;
    QPointer<TFileViewForm> browser_;
    TTxDataModule* module_ = nullptr;
    std::unique_ptr<TAbonentAddressDlg> abonents_;
    std::unique_ptr<TelegramAddressee> addressee_;
};

} // namespace korvane
