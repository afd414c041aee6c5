// The main window's settings commands and the restart of the channels after them.
#include "ui/mainwindow/SettingsCommands.h"

#include "protocols/DriverModes.h"
#include "protocols/TxProtoc.h"
#include "ui/settings/ChannelOptionsCommands.h"
#include "ui/mainwindow/HelpCommands.h"
#include "ui/mainwindow/Main.h"
#include "ui/settings/TxABForm.h"
#include "ui/settings/TxModeDr.h"

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
    connect(&dialog, &TDriverModeDlg::HelpRequested, &form_.Help(), &HelpCommands::ShowTopic);
    if (run_(dialog) != QDialog::Accepted)
        return;
    // The channels stop before the modes they run by change.
    form_.FreeScanner();
    ApplyDriverModes(dialog.Modes());
    form_.RestartChannels();
    form_.SetOpenWindowsPending();
}

ChannelOptionsEnvironment SettingsCommands::OptionsEnvironment() const
{
    ChannelOptionsEnvironment env;
    env.Box = &form_.Box();
    env.Waves = form_.Waves();
    env.Tunes = form_.Tunes();
    env.AppDir = AppDir;
    return env;
}

void SettingsCommands::EditChannelOptions(int channel)
{
    const bool written = korvane::EditChannelOptions(form_.Protocol(), channel, OptionsEnvironment(), &form_,
                                                     [this](TMultPageDlg& dialog) {
                                                         connect(&dialog, &TMultPageDlg::HelpRequested,
                                                                 &form_.Help(), &HelpCommands::ShowTopic);
                                                         return run_(dialog);
                                                     });
    if (!written)
        return;
    form_.RestartChannels();
    form_.SetOpenWindowsPending();
}

bool SettingsCommands::SetChannelAnswerBack(int channel, const QString& answerBack)
{
    return korvane::SetChannelAnswerBack(form_.Protocol(), channel, answerBack, OptionsEnvironment());
}

void SettingsCommands::AnswerBackAction1Execute()
{
    const TProtocolSet* live = form_.Protocol().Set();
    if (!abForm_ || !live)
        return;
    TABForm::AnswerBacks answerBacks;
    for (std::size_t c = 0; c < answerBacks.size(); ++c)
        answerBacks[c] = live->Channels[c].AnswerBack.text();
    abForm_->SetAnswerBacks(answerBacks);
    if (run_(*abForm_) != QDialog::Accepted)
        return;
    abForm_->GetAnswerBacks(answerBacks);
    for (std::size_t c = 0; c < answerBacks.size(); ++c)
        SetChannelAnswerBack(static_cast<int>(c) + 1, answerBacks[c]);
    // The channels restart with the answerbacks that could be written.
    form_.RestartChannels();
    form_.SetOpenWindowsPending();
}

} // namespace korvane
