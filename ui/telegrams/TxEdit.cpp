// The telegram editor: its memo, line width, address-line check, saving and sending.
#include "ui/telegrams/TxEdit.h"

#include "platform/CodePages.h"
#include "platform/MessageBox.h"
#include "platform/SystemBeep.h"
#include "support/AddressCheck.h"
#include "support/FileError.h"
#include "support/OemText.h"
#include "support/UpperCase.h"
#include "ui/telegrams/EditorPrinting.h"
#include "platform/MessageCaptions.h"
#include "widgets/LayoutScale.h"
#include "ui/telegrams/PrintError.h"
#include "ui/mainwindow/StatusPanels.h"

#include <QAction>
#include <QActionGroup>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace korvane {

const QString TEditForm::NumberLinePrefix = QStringLiteral("|      #");

namespace {

// The characters the line width counts: everything typed but line ends and Backspace.
bool CountedChar(QChar c)
{
    return c.isPrint() || c == u'\t';
}

} // namespace

// ---- TEditMemo ----

TEditMemo::TEditMemo(TEditForm& owner, QWidget* parent)
    : QPlainTextEdit(parent)
    , owner_(owner)
{
}

void TEditMemo::keyPressEvent(QKeyEvent* event)
{
    // Shift+Enter would put a soft break inside the line; a telegram only
    // knows whole lines.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        && event->modifiers() == Qt::ShiftModifier) {
        QKeyEvent plain(event->type(), event->key(), Qt::NoModifier, event->text(), event->isAutoRepeat(),
                        static_cast<quint16>(event->count()));
        keyPressEvent(&plain);
        event->setAccepted(plain.isAccepted());
        return;
    }
    bool breakAfter = false;
    if (owner_.KeyPress(event, breakAfter))
        return;
    QPlainTextEdit::keyPressEvent(event);
    if (breakAfter) {
        QTextCursor at = textCursor();
        at.insertBlock();
        setTextCursor(at);
    }
}

// ---- TEditForm ----

TEditForm::TEditForm(EditorEnvironment env, QWidget* parent)
    : QWidget(parent)
    , env_(std::move(env))
{
    memo_ = new TEditMemo(*this);
    QFont f(QStringLiteral("Courier New"));
    f.setPixelSize(11);
    f.setStyleHint(QFont::Monospace);
    memo_->setFont(f);
    memo_->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    const LayoutScale scale(this);
    status_ = new StatusPanels({scale.X(150), scale.X(150), scale.X(50)});

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(memo_, 1);
    layout->addWidget(status_);

    BuildMenus();
    memo_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(memo_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        UpdateEditItems();
        popup_->exec(memo_->mapToGlobal(at));
    });

    SetMemoMargins();
    // Wide enough for a whole telegraph line of the memo's font.
    const int line = QFontMetrics(memo_->font()).horizontalAdvance(QString(LineWidth, u'Ш'))
                     + 2 * static_cast<int>(std::ceil(memo_->document()->documentMargin())) + 2 * memo_->frameWidth()
                     + memo_->verticalScrollBar()->sizeHint().width() + scale.X(6) + 4;
    resize(std::max(scale.X(600), line), scale.Y(400));
    TranslState_ = 0;
    setFocusProxy(memo_);
}

TEditForm::~TEditForm() = default;

void TEditForm::BuildMenus()
{
    auto own = [this](const QString& text, auto slot, const QKeySequence& keys = {}) {
        auto* action = new QAction(text, this);
        if (!keys.isEmpty()) {
            action->setShortcut(keys);
            action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
            addAction(action);
        }
        connect(action, &QAction::triggered, this, slot);
        return action;
    };
    auto add = [](QMenu* menu, QAction* action) {
        if (action)
            menu->addAction(action);
    };
    const EditorActions& a = env_.Actions;

    fileMenu_ = new QMenu(QStringLiteral("&Файл"), this);
    add(fileMenu_, a.FileBrowser);
    fileMenu_->addAction(own(QStringLiteral("&Закрыть"), [this] {
        if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
            sub->close();
        else
            close();
    }));
    fileMenu_->addAction(own(QStringLiteral("&Сохранить"), &TEditForm::Save1Click, QKeySequence(Qt::CTRL | Qt::Key_S)));
    fileMenu_->addAction(own(QStringLiteral("Сохранить &Как..."), &TEditForm::SaveAs1Click));
    fileMenu_->addSeparator();
    add(fileMenu_, a.Abonents);
    add(fileMenu_, a.Countries);
    fileMenu_->addSeparator();
    add(fileMenu_, a.DosPrint);
    add(fileMenu_, a.Print);
    fileMenu_->addAction(own(QStringLiteral("&Установки печати..."), &TEditForm::PrinterSetup));
    fileMenu_->addSeparator();
    add(fileMenu_, a.Exit);

    cut_ = own(QStringLiteral("Вырезать"), &TEditForm::CutToClipboard);
    copy_ = own(QStringLiteral("&Скопировать"), &TEditForm::CopyToClipboard);
    paste_ = own(QStringLiteral("Вклеить"), &TEditForm::PasteFromClipboard);
    delete_ = own(QStringLiteral("Удалить"), &TEditForm::Delete);
    send_ = EditAction(a.Send, own(QStringLiteral("Отправить"), &TEditForm::SendTelegram));

    editorMenu_ = new QMenu(QStringLiteral("&Редактор"), this);
    editorMenu_->addAction(EditAction(a.Cut, cut_));
    editorMenu_->addAction(EditAction(a.Copy, copy_));
    editorMenu_->addAction(EditAction(a.Paste, paste_));
    editorMenu_->addAction(EditAction(a.Delete, delete_));
    editorMenu_->addAction(own(QStringLiteral("&Выделить Все"), [this] { memo_->selectAll(); }));
    editorMenu_->addSeparator();
    editorMenu_->addAction(send_);
    editorMenu_->addSeparator();
    alignment_ = new QActionGroup(this);
    const std::pair<QString, Qt::Alignment> alignments[] = {
        {QStringLiteral("В&лево"), Qt::AlignLeft},
        {QStringLiteral("В&право"), Qt::AlignRight},
        {QStringLiteral("По &центру"), Qt::AlignHCenter},
    };
    for (const auto& [text, alignment] : alignments) {
        QAction* item = own(text, [this, alignment = alignment] { SetAlignment(alignment); });
        item->setCheckable(true);
        item->setChecked(alignment == Qt::AlignLeft);
        alignment_->addAction(item);
        editorMenu_->addAction(item);
    }
    wordWrap_ = own(QStringLiteral("Перенос &слов"), &TEditForm::ToggleWordWrap);
    wordWrap_->setCheckable(true);
    editorMenu_->addAction(wordWrap_);
    editorMenu_->addAction(own(QStringLiteral("&Шрифт..."), &TEditForm::ChooseFont));
    connect(editorMenu_, &QMenu::aboutToShow, this, &TEditForm::UpdateEditItems);

    popup_ = new QMenu(this);
    popupCut_ = own(QStringLiteral("Вырезать"), &TEditForm::CutToClipboard);
    popupCopy_ = own(QStringLiteral("Скопировать"), &TEditForm::CopyToClipboard);
    popupPaste_ = own(QStringLiteral("Вклеить"), &TEditForm::PasteFromClipboard);
    popup_->addActions({popupCut_, popupCopy_, popupPaste_});
    popup_->addSeparator();
    winDos_ = own(QStringLiteral("Перекодировка WIN->DOS"), &TEditForm::TranslWIN_DOSClick);
    dosWin_ = own(QStringLiteral("Перекодировка DOS->WIN"), &TEditForm::TranslDOS_WINClick);
    popup_->addAction(winDos_);
    popup_->addAction(dosWin_);
    popup_->addSeparator();
    popup_->addAction(send_);
    connect(popup_, &QMenu::aboutToShow, this, &TEditForm::UpdateEditItems);
}

QString TEditForm::TelegramFileName(const QString& outgoingDir, int number)
{
    return QDir(outgoingDir).filePath(QStringLiteral("TEL%1.TLG").arg(number, 5, 10, QChar(u'0')));
}

void TEditForm::OpenTelegram(const QString& fileName, int channel)
{
    FileName_ = fileName;
    setWindowTitle(fileName);
    SetChannel(channel);
}

void TEditForm::StartTelegram(const QString& fileName, int channel, const QString& number)
{
    OpenTelegram(fileName, channel);
    InsertNumberLine(number);
    // A fresh telegram with nothing but its address line has nothing to keep.
    memo_->document()->setModified(false);
}

void TEditForm::SetChannel(int channel)
{
    if (channel == Channel_)
        return;
    Channel_ = channel;
    status_->SetPanelText(1, QStringLiteral("Канал №%1").arg(channel));
}

// ---- Offsets and lines ----

int TEditForm::CaretOffset() const
{
    const QTextCursor c = memo_->textCursor();
    return c.position() + c.blockNumber();
}

void TEditForm::SetCaretOffset(int offset)
{
    QTextCursor c = memo_->textCursor();
    int position = memo_->document()->characterCount() - 1;
    for (QTextBlock b = memo_->document()->begin(); b.isValid(); b = b.next()) {
        const int length = static_cast<int>(b.text().size());
        if (offset <= length) {
            position = b.position() + std::max(offset, 0);
            break;
        }
        if (offset <= length + 1) { // between the CR and the LF
            position = b.position() + length;
            break;
        }
        offset -= length + 2;
    }
    c.setPosition(position);
    memo_->setTextCursor(c);
}

QStringList TEditForm::Lines() const
{
    const QString text = memo_->toPlainText();
    if (text.isEmpty())
        return {};
    QStringList lines = text.split(u'\n');
    // A line break at the very end does not start a line of its own.
    if (lines.size() > 1 && lines.back().isEmpty())
        lines.removeLast();
    return lines;
}

void TEditForm::SetLines(const QStringList& lines)
{
    if (lines == Lines())
        return;
    const int caret = CaretOffset();
    QString text = lines.join(u'\n');
    if (memo_->toPlainText().endsWith(u'\n'))
        text += u'\n';
    QTextCursor all(memo_->document());
    all.select(QTextCursor::Document);
    all.insertText(text);
    SetCaretOffset(caret);
}

int TEditForm::CaretLineIndex() const
{
    const QTextCursor c = memo_->textCursor();
    const QTextBlock block = c.block();
    if (!block.next().isValid() && block.text().isEmpty())
        return -1;
    return block.blockNumber();
}

// ---- Address lines and typing ----

void TEditForm::InsertNumberLine(const QString& number)
{
    const int caret = CaretOffset();
    QTextCursor start(memo_->document());
    start.movePosition(QTextCursor::Start);
    start.insertText(NumberLinePrefix + number + u'\n');
    SkipLineFeed_ = true;
    // The new line is a change to a telegram already being written: closing
    // asks whether to keep it, as for any other change.
    SetCaretOffset(caret + static_cast<int>(NumberLinePrefix.size()) + 2);
    status_->SetPanelText(0, QStringLiteral("Номер: %1").arg(number));
}

bool TEditForm::KeyPress(QKeyEvent* event, bool& breakAfter)
{
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    if (ctrl && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        InsertNumberLine(QString());
        // The line feed that the key also types is dropped.
        SkipLineFeed_ = false;
        return true;
    }
    if (ctrl && event->key() == Qt::Key_F3) {
        CheckHeaderCommand();
        return true;
    }
    const QString text = event->text();
    if (text.isEmpty())
        return false;
    const QChar c = text.front();
    if (c == u'\n' && SkipLineFeed_) {
        SkipLineFeed_ = false;
        return true;
    }
    if (CountedChar(c) && !ctrl)
        breakAfter = CheckLineLength();
    return false;
}

bool TEditForm::CheckLineLength()
{
    const int index = CaretLineIndex();
    if (index < 0)
        return false;
    const int length = static_cast<int>(memo_->document()->findBlockByNumber(index).text().size());
    if (length >= BeepColumn && env_.Beep)
        env_.Beep->beep();
    // An address line stays whole, as the wrap before sending keeps it: a
    // break would cut a number in two.
    return length >= LineWidth - 1 && !InAddressBlock(index);
}

bool TEditForm::InAddressBlock(int lineIndex) const
{
    for (QTextBlock block = memo_->document()->firstBlock(); block.isValid(); block = block.next()) {
        if (!block.text().startsWith(u'|'))
            return false;
        if (block.blockNumber() == lineIndex)
            return true;
    }
    return false;
}

bool TEditForm::WrapLongLines()
{
    QStringList lines = Lines();
    bool split = false;
    bool addressBlock = true;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        // An address line stays whole, however long: a split would lose its numbers.
        addressBlock = addressBlock && lines[i].startsWith(u'|');
        if (addressBlock || lines[i].size() <= LineWidth)
            continue;
        lines.insert(i + 1, lines[i].mid(LineWidth));
        lines[i].truncate(LineWidth);
        split = true;
    }
    if (split)
        SetLines(lines);
    return split;
}

void TEditForm::CheckHeaderCommand()
{
    QStringList lines = Lines();
    int errPos = 0;
    const HeaderErrorCode code = CheckHeader(lines, errPos, true);
    SetLines(lines);
    if (code != HeaderErrorCode::Correct) {
        SetCaretOffset(errPos);
        ShowHeaderError(code, FileName_, *env_.Box);
    }
}

void TEditForm::UpperCaseLines()
{
    QStringList lines = Lines();
    for (QString& line : lines)
        UpperCaseLine(line);
    SetLines(lines);
}

// ---- Writing ----

bool TEditForm::SaveTelegram()
{
    QStringList lines = Lines();
    int errPos = 0;
    const HeaderErrorCode code = CheckHeader(lines, errPos, true);
    SetLines(lines);
    if (code != HeaderErrorCode::Correct) {
        SetCaretOffset(errPos);
        ShowHeaderError(code, FileName_, *env_.Box);
        return false;
    }
    UpperCaseLines();
    try {
        OemLines stored;
        SaveOemStrings(FileName_, stored, Lines());
    } catch (const FileError& e) {
        ShowMessage(*env_.Box, e.message(), MessageIcon::Error);
        memo_->document()->setModified(true);
        return false;
    }
    memo_->document()->setModified(false);
    emit TelegramSaved(FileName_);
    return true;
}

void TEditForm::SendTelegram()
{
    if (WrapLongLines()
        && ShowMessage(*env_.Box,
                       QStringLiteral("В тексте телеграммы были произведены изменения.\rКоррекция длины "
                                      "строк. Продолжить отправку телеграммы?"),
                       MessageIcon::Question, MessageButtons::YesNo)
               != MessageResult::Yes)
        return;
    if (!SaveTelegram())
        return;
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        sub->close();
    else
        close();
}

bool TEditForm::WarnIfReadOnly(const QString& name)
{
    const QFileInfo info(name);
    // The file's own read-only mark counts even for a user who could write it.
    if (!info.exists() || (info.isWritable() && (info.permissions() & QFile::WriteOwner)))
        return false;
    ShowMessage(*env_.Box, QStringLiteral("%1 только для чтения").arg(info.fileName()), MessageIcon::Warning);
    return true;
}

void TEditForm::Save1Click()
{
    if (!FileName_.isEmpty() && !WarnIfReadOnly(FileName_))
        SaveTelegram();
    else
        SaveAs1Click();
}

void TEditForm::SaveAs1Click()
{
    const QString chosen =
        env_.ChooseSaveFile
            ? env_.ChooseSaveFile(FileName_)
            : QFileDialog::getSaveFileName(this, QString(), FileName_,
                                           QStringLiteral("Text Files (*.txt);;All Files (*.*)"));
    if (chosen.isEmpty())
        return;
    FileName_ = chosen;
    setWindowTitle(QFileInfo(chosen).fileName());
    Save1Click();
}

// ---- Code pages ----

void TEditForm::ConvertText(bool toAnsi)
{
    // Upper case belongs to the Cyrillic page: text going to the DOS page is
    // upper-cased before, text coming from it after the conversion (the DOS
    // bytes shown as Cyrillic characters are no letters to upper-case).
    if (!toAnsi)
        UpperCaseLines();
    const QString text = memo_->toPlainText();
    if (text.isEmpty())
        return;
    // The characters shown stand for the bytes of one code page and become
    // those of the other.
    const QString converted = toAnsi ? codepage::fromCp866(codepage::toCp1251(text))
                                     : codepage::fromCp1251(codepage::toCp866(text));
    const int caret = CaretOffset();
    QTextCursor all(memo_->document());
    all.select(QTextCursor::Document);
    all.insertText(converted);
    SetCaretOffset(caret);
    if (toAnsi)
        UpperCaseLines();
    memo_->document()->setModified(true);
}

void TEditForm::TranslDOS_WINClick()
{
    if (TranslState_ > 0)
        return;
    ConvertText(true);
    TranslState_ = 1;
    winDos_->setEnabled(true);
    dosWin_->setEnabled(false);
}

void TEditForm::TranslWIN_DOSClick()
{
    if (TranslState_ < 0)
        return;
    ConvertText(false);
    TranslState_ = -1;
    winDos_->setEnabled(false);
    dosWin_->setEnabled(true);
}

// ---- Printing and the clipboard ----

void TEditForm::DOSPrint()
{
    if (env_.DosPrint) {
        try {
            env_.DosPrint(Lines());
        } catch (const FileError& e) {
            ShowMessage(*env_.Box, e.message(), MessageIcon::Error);
        }
        return;
    }
    // Written off the main thread: a port that blocks holds up nothing, and
    // its failure comes back as a box.
    DosPrintLinesLater(printerPort_, this, Lines(),
                       [this](const QString& error) { ShowMessage(*env_.Box, error, MessageIcon::Error); });
}

void TEditForm::Print()
{
    try {
        if (env_.Print) {
            env_.Print(Lines(), memo_->font());
            return;
        }
        QPrintDialog dialog(&Printer(), this);
        if (dialog.exec() == QDialog::Accepted)
            PrintLines(Printer(), Lines(), memo_->font());
    } catch (const PrintError& e) {
        ShowMessage(*env_.Box, e.message(), MessageIcon::Error);
    }
}

void TEditForm::PrinterSetup()
{
    if (env_.PrinterSetup) {
        env_.PrinterSetup();
        return;
    }
    QPageSetupDialog dialog(&Printer(), this);
    dialog.exec();
}

QPrinter& TEditForm::Printer()
{
    if (!printer_)
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *printer_;
}

void TEditForm::CopyToClipboard()
{
    memo_->copy();
}

void TEditForm::CutToClipboard()
{
    memo_->cut();
}

void TEditForm::PasteFromClipboard()
{
    memo_->paste();
}

void TEditForm::Delete()
{
    memo_->textCursor().removeSelectedText();
}

void TEditForm::UpdateEditItems()
{
    const bool text = !QGuiApplication::clipboard()->text().isEmpty();
    const bool selection = memo_->textCursor().hasSelection();
    for (QAction* paste : {paste_, popupPaste_})
        paste->setEnabled(text);
    for (QAction* needsSelection : {cut_, copy_, delete_, popupCut_, popupCopy_})
        needsSelection->setEnabled(selection);
}

// ---- Appearance ----

void TEditForm::SetMemoMargins()
{
    memo_->SetMargins(3, 2, 3, 2);
}

void TEditForm::SetAlignment(Qt::Alignment alignment)
{
    QTextOption option = memo_->document()->defaultTextOption();
    option.setAlignment(alignment);
    memo_->document()->setDefaultTextOption(option);
}

void TEditForm::ToggleWordWrap()
{
    const bool wrap = memo_->lineWrapMode() == QPlainTextEdit::NoWrap;
    memo_->setLineWrapMode(wrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    memo_->setHorizontalScrollBarPolicy(wrap ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAlwaysOn);
    wordWrap_->setChecked(wrap);
    SetMemoMargins();
}

void TEditForm::ChooseFont()
{
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, memo_->font(), this);
    if (!ok)
        return;
    memo_->setFont(font);
    SetMemoMargins();
}

// ---- Closing ----

void TEditForm::closeEvent(QCloseEvent* event)
{
    if (!memo_->document()->isModified()) {
        event->accept();
        return;
    }
    switch (ShowMessage(*env_.Box, QStringLiteral("Сохранить изменения в '%1'?").arg(windowTitle()),
                        MessageIcon::Question, MessageButtons::YesNoCancel)) {
    case MessageResult::Yes:
        if (SaveTelegram())
            event->accept();
        else
            event->ignore();
        break;
    case MessageResult::No:
        event->accept();
        break;
    default:
        event->ignore();
        break;
    }
}

} // namespace korvane
