#pragma once

// The settings commands of the main window: each dialog edits its own copy
// of the settings; after OK the settings files are written first, and only
// then are all channels restarted from them, so a running channel never
// sees a half-edited setting. Cancel changes nothing.

#include <QObject>

#include <functional>
#include <memory>

class QDialog;

namespace korvane {

class TABForm;
class TMainForm;
class TMultPageDlg;
struct ChannelOptionsEnvironment;

class SettingsCommands : public QObject {
    Q_OBJECT

public:
    explicit SettingsCommands(TMainForm& form);

    // "&Драйвер..." of "&Режимы": the driver modes dialog; after OK the
    // scanner goes, the dialog's modes become current, and the channels
    // restart.
    void DriverMenuClick();
    // "Канал n" of "&Режимы" -> "&Каналы": the channel options dialog on a
    // copy of the protocol set; after OK a set the check accepts is written
    // and the channels restart.
    void EditChannelOptions(int channel);
    // One channel's own answerback stored in the protocol file, without a
    // dialog and without a restart.
    bool SetChannelAnswerBack(int channel, const QString& answerBack);
    // "Изменение автоответов": the answerback form; after OK each channel's
    // answerback is stored, then the channels restart.
    void AnswerBackAction1Execute();

    void SetABForm(TABForm* form) { abForm_ = form; }

    // How the modal dialogs are run: exec() by default; a test answers them.
    void SetDialogRunner(std::function<int(QDialog&)> run) { run_ = std::move(run); }

private:
    ChannelOptionsEnvironment OptionsEnvironment() const;

    TMainForm& form_;
    TABForm* abForm_ = nullptr;
    std::function<int(QDialog&)> run_;
};

} // namespace korvane
