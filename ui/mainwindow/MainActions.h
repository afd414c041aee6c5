#pragma once

// The main window's actions, each created once with its caption, shortcut
// and hint, and shared by the main menu, the two tool bars, the channel
// windows' menus and the editor's menus. A hint's short part is the tool
// tip, its long part the status bar text.

#include <QString>

class QAction;
class QObject;

namespace korvane {

// "Канал &n": the caption of channel n's item in the menus of channels.
inline QString ChannelItemCaption(int channel)
{
    return QStringLiteral("Канал &%1").arg(channel);
}

struct TMainActions {
    // Clipboard and editing, to the active editor or channel window.
    QAction* EditCopy1 = nullptr;
    QAction* EditCut1 = nullptr;
    QAction* EditDelete1 = nullptr;
    QAction* EditPaste1 = nullptr;
    QAction* EditUndo1 = nullptr;
    // Line commands, to the active channel window.
    QAction* CallAction1 = nullptr;
    QAction* AskAction1 = nullptr;
    QAction* AnswerAction1 = nullptr;
    QAction* DisconAction1 = nullptr;
    QAction* BellAction1 = nullptr;
    QAction* ManualAction = nullptr;
    QAction* RestartProtocolAction = nullptr;
    // The windows.
    QAction* WindowCascade1 = nullptr;
    QAction* WindowTileHorizontal1 = nullptr;
    QAction* WindowTileVertical1 = nullptr;
    QAction* WindowMinimizeAll1 = nullptr;
    // Files, directories, telegrams.
    QAction* ViewFilesAction = nullptr;
    QAction* AbonentsAction = nullptr;
    QAction* ViewCountriesAction = nullptr;
    QAction* CreateTlgAction = nullptr;
    QAction* TrsmTlgAction = nullptr;
    QAction* RecTlgAction = nullptr;
    QAction* TrmJrnAction = nullptr;
    QAction* RecJrnAction = nullptr;
    QAction* ShowBadNumbersAction = nullptr;
    // The active editor's sending and printing.
    QAction* SendEditAction = nullptr;
    QAction* PrintAction = nullptr;
    QAction* DOSPrintAction = nullptr;
    // The program.
    QAction* AboutAction1 = nullptr;
    QAction* SoundOffAction = nullptr;
    QAction* AnswerBackAction1 = nullptr;
    QAction* ExitAction = nullptr;

    // Every action, owned by Owner, with its texts and shortcut; none is
    // connected to a command yet.
    static TMainActions Create(QObject* owner);
};

} // namespace korvane
