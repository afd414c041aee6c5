// The two settings commands built on the channel options dialog: check, write, restart.
#include "ui/settings/ChannelOptionsCommands.h"

#include "protocols/TxProtoc.h"
#include "ui/settings/ProtocolCheck.h"

#include <QLineEdit>

#include <memory>

namespace korvane {

bool EditChannelOptions(TProtocol& store, int channel, const ChannelOptionsEnvironment& env,
                        QWidget* parent, const ShowChannelOptions& show)
{
    TMultPageDlg dialog(env, parent);
    dialog.FChannel = std::uint8_t(channel);
    std::unique_ptr<TProtocolSet> set;
    if (!store.LoadFrom(set) || !set)
        return false;
    dialog.FSet = set.get();
    dialog.LoadChannelOptions();
    // The caption names the channel however the dialog is shown.
    const int result = dialog.Execute(show);
    dialog.SaveChannelOptions();
    if (result != QDialog::Accepted || !CheckProtocols(*set, *env.Box))
        return false;
    return store.SaveTo(set);
}

bool SetChannelAnswerBack(TProtocol& store, int channel, const QString& answerBack,
                          const ChannelOptionsEnvironment& env)
{
    TMultPageDlg dialog(env);
    dialog.FChannel = std::uint8_t(channel);
    std::unique_ptr<TProtocolSet> set;
    if (!store.LoadFrom(set) || !set)
        return false;
    dialog.FSet = set.get();
    TChannelOptions& record = set->Channels[std::size_t(channel - 1)];
    const TChannelOptions before = record;
    dialog.LoadChannelOptions();
    // The edit holds at most 20 characters, as the record does.
    dialog.AnswerBack()->setText(answerBack);
    dialog.SaveChannelOptions();
    // Only the answerback changes. A round trip through the controls would
    // also switch off the sound events that have no name for the current
    // output mode and write the counters into the header template, in every
    // channel the answerback form stores, without the operator seeing it.
    const ShortString<20> stored = record.AnswerBack;
    record = before;
    record.AnswerBack = stored;
    if (!CheckProtocols(*set, *env.Box))
        return false;
    return store.SaveTo(set);
}

} // namespace korvane
