#include "ui/SettingsCommands.h"

#include "protocols/DriverModes.h"
#include "protocols/TxProtoc.h"
#include "ui/Main.h"
#include "ui/TxModeDr.h"

#include <QDialog>

namespace korvane {

SettingsCommands::SettingsCommands(TMainForm& form)
    : QObject(&form), form_(form), run_([](QDialog& dialog) { return dialog.exec(); })
{
}

void SettingsCommands::DriverMenuClick()
{
    // Creating the dialog loads the modes (and shows its file messages).
    TDriverModeDlg dialog(AppDir, form_.Box(), &form_, form_.WaveDevices());
    if (run_(dialog) != QDialog::Accepted)
        return;
    // The channels stop before the modes they run by change.
    form_.FreeScanner();
    ApplyDriverModes(dialog.Modes());
    form_.RestartChannels();
    form_.SetOpenWindowsPending();
}

} // namespace korvane
