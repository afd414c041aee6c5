#pragma once

// The two settings commands built on the channel options dialog. Each
// loads its own copy of the protocol set from the store's protocol file,
// edits it in a TMultPageDlg, and writes it back only when CheckProtocols
// accepts it. Neither restarts the channels: that is the caller's next step
// when the result is true (TMainForm::RestartChannels, OpenWindowsPending).

#include "ui/settings/TxOption.h"

#include <functional>

class QWidget;

namespace korvane {

class TProtocol;

// How the dialog is shown: the modal result. Tests replace it.
using ShowChannelOptions = std::function<int(TMultPageDlg&)>;

// "Канал N" of "Режимы" → "Каналы": the dialog for channel 1..8. True when
// the dialog closed with OK, the set passed the check and was written.
bool EditChannelOptions(TProtocol& store, int channel, const ChannelOptionsEnvironment& env,
                        QWidget* parent = nullptr, const ShowChannelOptions& show = {});

// Stores one channel's own answerback (cut to 20 characters) in the
// protocol file without showing anything. True when the set was written.
bool SetChannelAnswerBack(TProtocol& store, int channel, const QString& answerBack,
                          const ChannelOptionsEnvironment& env);

} // namespace korvane
