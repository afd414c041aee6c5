// The telegram editor, TEditForm.
#pragma once

#include <QPlainTextEdit>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>

class QAction;
class QActionGroup;
class QMenu;
class QPrinter;

namespace korvane {

class MessageBox;
class PrinterPort;
class StatusPanels;
class SystemBeep;
class TEditForm;

// The main window's actions that the editor's menus carry.
struct EditorActions {
    QAction* FileBrowser = nullptr; // "Просмотр файлов"
    QAction* Abonents = nullptr;    // "&База данных абонентов"
    QAction* Countries = nullptr;   // "&Таблица кодов стран"
    QAction* DosPrint = nullptr;    // "DOS Печать"
    QAction* Print = nullptr;       // "Печатать..."
    QAction* Exit = nullptr;        // "Выход"
    // The edit actions; the editor's own are used for those not given.
    QAction* Cut = nullptr;
    QAction* Copy = nullptr;
    QAction* Paste = nullptr;
    QAction* Delete = nullptr;
    QAction* Send = nullptr; // "Отправить"
};

// What the telegram editor needs of the main window and the program.
struct EditorEnvironment {
    MessageBox* Box = nullptr;  // required
    SystemBeep* Beep = nullptr; // the beep of a line about to be full; null: none
    // The save dialog, preset with a path: the chosen path, or empty when
    // cancelled. Empty: the toolkit's dialog.
    std::function<QString(const QString& preset)> ChooseSaveFile;
    // Printing of the editor's lines: raw to the first parallel port in the
    // OEM code page, and through the printer. Empty: the real ones (the
    // port that KORVANE_LPT1 names, the print dialog and the printer).
    std::function<void(const QStringList& lines)> DosPrint;
    std::function<void(const QStringList& lines, const QFont& font)> Print;
    // The printer setup dialog. Empty: the toolkit's page setup dialog.
    std::function<void()> PrinterSetup;
    EditorActions Actions;
};

// The text control of the editor: it hands keys to the editor first.
class TEditMemo : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit TEditMemo(TEditForm& owner, QWidget* parent = nullptr);
    void SetMargins(int left, int top, int right, int bottom)
    {
        setViewportMargins(left, top, right, bottom);
    }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    TEditForm& owner_;
};

// The telegram editor: an MDI child (put it into a QMdiSubWindow) on one
// outgoing telegram file. Its first lines are address lines "|      #"
// followed by the number; typing keeps to the telegraph line width, the
// address lines are checked before every write, and the file is written
// upper-cased in the OEM code page, where the channel's next scan takes it.
//
// Offsets (CaretOffset, the address check's fault position) count two
// characters per line break, as the telegram file holds them.
class TEditForm : public QWidget {
    Q_OBJECT

public:
    static constexpr int HelpContext = 110;
    static constexpr int LineWidth = 69;   // a line is broken after its 69th character
    static constexpr int BeepColumn = 61;  // typing beyond this beeps
    static const QString NumberLinePrefix; // "|      #"

    explicit TEditForm(EditorEnvironment env, QWidget* parent = nullptr);
    ~TEditForm() override;

    // The outgoing folder's next telegram file: <dir>/TEL<number, 5 digits or more>.TLG.
    static QString TelegramFileName(const QString& outgoingDir, int number);
    // A new editor on a telegram file: the file name, the caption and the
    // channel; the text stays empty.
    void OpenTelegram(const QString& fileName, int channel);
    // What the telegram command does with a new editor: OpenTelegram, then
    // the first address line with Number (empty for a new telegram).
    void StartTelegram(const QString& fileName, int channel, const QString& number);

    QString FileName() const { return FileName_; }
    void SetFileName(const QString& fileName) { FileName_ = fileName; }
    int Channel() const { return Channel_; }
    // "Канал №%d" in the status bar when the channel changes.
    void SetChannel(int channel);
    int TranslState() const { return TranslState_; }
    bool SkipLineFeed() const { return SkipLineFeed_; }

    // A new first line "|      #" + Number; the caret keeps its offset plus 10.
    void InsertNumberLine(const QString& number);
    // Long lines split (address lines stay whole), then the address check
    // and the write; the editor closes when the file is written.
    void SendTelegram();
    // The address check, the upper case and the write; false when nothing
    // was written.
    bool SaveTelegram();
    // Splits every line longer than LineWidth, except the address lines;
    // true when any line was split.
    bool WrapLongLines();
    // Ctrl+F3: the address check alone, with its message and fault position.
    void CheckHeaderCommand();
    // The menu's "&Сохранить" and "Сохранить &Как...".
    void Save1Click();
    void SaveAs1Click();
    // The file exists and is read-only: "<name> только для чтения", true.
    bool WarnIfReadOnly(const QString& name);
    // "Перекодировка DOS->WIN" / "Перекодировка WIN->DOS".
    void TranslDOS_WINClick();
    void TranslWIN_DOSClick();
    void ConvertText(bool toAnsi);
    void UpperCaseLines();

    // The lines raw to the first parallel port, or through the print
    // dialog on the editor's printer; a failure is shown in a box.
    void DOSPrint();
    void Print();
    // "&Установки печати...": the page setup of the editor's printer.
    void PrinterSetup();
    void CopyToClipboard();
    void CutToClipboard();
    void PasteFromClipboard();
    void Delete();
    // Enables the clipboard items for the clipboard and the selection.
    void UpdateEditItems();

    // The caret and the lines as the telegram file holds them.
    int CaretOffset() const;
    void SetCaretOffset(int offset);
    QStringList Lines() const;
    // The index of the caret's line; -1 in an empty memo or on an empty last line.
    int CaretLineIndex() const;

    // The editor's menus ("&Файл", "&Редактор"), which the main window
    // merges while the editor is active, and the pop-up menu.
    QMenu* FileMenu() const { return fileMenu_; }
    QMenu* EditorMenu() const { return editorMenu_; }
    QMenu* MemoPopUp() const { return popup_; }
    QAction* TranslDosWinAction() const { return dosWin_; }
    QAction* TranslWinDosAction() const { return winDos_; }
    QAction* SendAction() const { return send_; }
    QAction* WordWrapAction() const { return wordWrap_; }
    TEditMemo* Memo1() const { return memo_; }
    StatusPanels* StatusBar1() const { return status_; }

signals:
    // The editor wrote its file (the folder browser may refresh).
    void TelegramSaved(const QString& fileName);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    friend class TEditMemo;
    // The editor's part of a key; true when it was swallowed.
    bool KeyPress(QKeyEvent* event, bool& breakAfter);
    // True: a line break follows the character being typed.
    bool CheckLineLength();
    // Line LineIndex is one of the address lines at the top ("|...").
    bool InAddressBlock(int lineIndex) const;
    void SetLines(const QStringList& lines);
    void BuildMenus();
    QAction* EditAction(QAction* given, QAction* own) const { return given ? given : own; }
    void SetMemoMargins();
    void SetAlignment(Qt::Alignment alignment);
    void ToggleWordWrap();
    void ChooseFont();
    QPrinter& Printer();

    EditorEnvironment env_;
    std::unique_ptr<QPrinter> printer_;
    PrinterPort* printerPort_ = nullptr; // "DOS Печать", made at its first use
    TEditMemo* memo_ = nullptr;
    StatusPanels* status_ = nullptr;
    QMenu* fileMenu_ = nullptr;
    QMenu* editorMenu_ = nullptr;
    QMenu* popup_ = nullptr;
    QAction* cut_ = nullptr;
    QAction* copy_ = nullptr;
    QAction* paste_ = nullptr;
    QAction* delete_ = nullptr;
    QAction* popupCut_ = nullptr;
    QAction* popupCopy_ = nullptr;
    QAction* popupPaste_ = nullptr;
    QAction* dosWin_ = nullptr;
    QAction* winDos_ = nullptr;
    QAction* send_ = nullptr;
    QAction* wordWrap_ = nullptr;
    QActionGroup* alignment_ = nullptr;

    int TranslState_ = 0;
    bool SkipLineFeed_ = false;
    int Channel_ = 0;
    QString FileName_;
};

} // namespace korvane
