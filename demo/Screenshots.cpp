// Photographs the program's windows on a demonstration folder, for the
// documentation. Run it under an X server (xvfb-run), from the program
// folder laid out by korvane2-demo-folder, with channel 1 on the simulated
// network:
//
//   KORVANE_COM1=sim:demo/demo.scenario xvfb-run -a -s "-screen 0 1000x720x24"
//       korvane2-screenshots <program folder> <output folder>
//
// It writes main-window-call.png (channel 1 during its call), editor.png,
// journal-view.png, number-lists.png (once the busy station's call is
// listed), driver-modes.png, file-browser.png (channel 1's outgoing folder
// after its calls), answerbacks.png and about.png, and says on the
// standard error which state each was taken in.

#include "demo/WindowPicture.h"
#include "platform/AudioToneOutput.h"
#include "platform/Clock.h"
#include "platform/ToneSystemBeep.h"
#include "protocols/TxProtoc.h"
#include "sim/SimPortFactory.h"
#include "support/Tunes.h"
#include "ui/program/Program.h"
#include "ui/toolkit/QtMessageBox.h"
#include "engine/TxDriver.h"
#include "ui/mainwindow/StatusPanels.h"
#include "ui/channel/TxChWind.h"
#include "ui/telegrams/TxEdit.h"
#include "ui/settings/TxABForm.h"
#include "ui/about/TxAbout.h"
#include "ui/telegrams/TxFileView.h"
#include "ui/settings/TxModeDr.h"
#include "ui/telegrams/txBadNumbers.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QTextStream>

#include <functional>

using namespace korvane;

namespace {

// Runs the event loop until Done holds or Seconds have passed.
bool WaitFor(const std::function<bool()>& done, int seconds)
{
    const QDeadlineTimer deadline(seconds * 1000);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        DelayWithMessages(systemClock(), 50);
    }
    return true;
}

void Settle()
{
    DelayWithMessages(systemClock(), 600);
}

// The picture of a top-level window once it has settled.
bool Photograph(QWidget& window, const QString& path)
{
    Settle();
    return SaveWindowPicture(window, path);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Korvane 2"));
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 3) {
        QTextStream(stderr) << "usage: korvane2-screenshots <program folder> <output folder>\n";
        return 2;
    }
    const QString out = QDir(args.at(2)).absolutePath() + QLatin1Char('/');
    QDir().mkpath(out);
    sim::installSimulatedPorts();

    QtMessageBox box;
    AudioToneOutput tone;
    ToneSystemBeep beep(tone);
    TunePlayer tunes(tone, systemClock());
    MainFormEnvironment env;
    env.Box = &box;
    env.Beep = &beep;
    env.Tunes = &tunes;
    env.ProgramFolder = QDir(args.at(1)).absolutePath();
    auto program = std::make_unique<TProgram>(env);
    TMainForm* mainForm = &program->MainForm();
    TBadNumbersForm* badNumbers = &program->BadNumbersForm();
    mainForm->show();

    int failures = 0;
    // Channel 1 during its call: answerbacks exchanged, the text going out
    // (in automatic mode the window shows the step that runs).
    const bool inCall = WaitFor(
        [&] {
            TTxChannelWindow* w = mainForm->ChannelWindowOf(1);
            return w && w->StatusBar1()->PanelText(3) == QStringLiteral("Передача данных")
                && w->Memo()->toPlainText().contains(QStringLiteral("ПЕРВАЯ ТЕЛЕГРАММА"));
        },
        120);
    QTextStream(stderr) << "channel 1 " << (inCall ? "connected" : "not connected in time") << '\n';
    DelayWithMessages(systemClock(), 1500);
    failures += !Photograph(*mainForm, out + QStringLiteral("main-window-call.png"));

    // The transmit journal once the telegram has gone.
    const QString journal = mainForm->ScannerObject()->Driver(1)->TransmJrnFile;
    const bool written = WaitFor([&] { return QFileInfo(journal).size() > 0; }, 150);
    QTextStream(stderr) << "transmit journal " << (written ? "written" : "not written in time") << '\n';
    mainForm->ShowTransmitJournal(1);
    if (QMdiSubWindow* sub = mainForm->MdiArea()->activeSubWindow())
        sub->showMaximized();
    failures += !Photograph(*mainForm, out + QStringLiteral("journal-view.png"));
    if (QMdiSubWindow* sub = mainForm->MdiArea()->activeSubWindow())
        sub->close();

    // A new telegram in the editor.
    mainForm->CreateTelegram(1);
    if (QMdiSubWindow* sub = mainForm->MdiArea()->activeSubWindow()) {
        sub->showMaximized();
        if (auto* editor = qobject_cast<TEditForm*>(sub->widget())) {
            editor->Memo1()->moveCursor(QTextCursor::Start);
            editor->Memo1()->moveCursor(QTextCursor::EndOfLine);
            editor->Memo1()->insertPlainText(QStringLiteral("4567 PORT"));
            editor->Memo1()->moveCursor(QTextCursor::End);
            editor->Memo1()->insertPlainText(QStringLiteral("ZCZC\nПРОШУ ПОДТВЕРДИТЬ ПРИХОД СУДНА\nNNNN"));
        }
    }
    failures += !Photograph(*mainForm, out + QStringLiteral("editor.png"));
    if (QMdiSubWindow* sub = mainForm->MdiArea()->activeSubWindow()) {
        // Dropped unsaved: no question on closing.
        if (auto* editor = qobject_cast<TEditForm*>(sub->widget()))
            editor->Memo1()->document()->setModified(false);
        sub->close();
    }

    // The busy station's number in the ineffective calls' list.
    const bool listed = WaitFor([&] { return badNumbers->UnsuccListView()->rowCount() > 0; }, 120);
    QTextStream(stderr) << "ineffective call " << (listed ? "listed" : "not listed in time") << '\n';
    badNumbers->show();
    badNumbers->raise();
    failures += !Photograph(*badNumbers, out + QStringLiteral("number-lists.png"));
    badNumbers->hide();

    {
        TDriverModeDlg modes(AppDir, box, mainForm);
        modes.show();
        failures += !Photograph(modes, out + QStringLiteral("driver-modes.png"));
    }

    {
        // Channel 1's outgoing folder, as a report, the last file shown.
        TFileViewForm& browser = program->FileViewForm();
        browser.FillChannelTree(mainForm->ScannerObject());
        if (const TTxChannelDriver* d = mainForm->ScannerObject()->Driver(1))
            browser.SelectFolder(d->TransmDir);
        browser.ViewModeAction->trigger();
        browser.show();
        failures += !Photograph(browser, out + QStringLiteral("file-browser.png"));
        browser.hide();
    }
    {
        TABForm& answerBacks = program->ABForm();
        TABForm::AnswerBacks texts;
        if (const TProtocolSet* set = mainForm->ScannerObject()->ProtocolSet)
            for (int c = 0; c < TABForm::ChannelCount; ++c)
                texts[c] = set->Channels[c].AnswerBack.text();
        answerBacks.SetAnswerBacks(texts);
        answerBacks.show();
        failures += !Photograph(answerBacks, out + QStringLiteral("answerbacks.png"));
        answerBacks.hide();
    }
    {
        TfrmAbout about(mainForm);
        about.show();
        failures += !Photograph(about, out + QStringLiteral("about.png"));
    }

    // Leave as the operator does.
    mainForm->ShutdownChannels();
    mainForm->close();
    program.reset();
    return failures == 0 ? 0 : 1;
}
