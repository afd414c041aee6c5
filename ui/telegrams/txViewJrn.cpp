// The journal view: one channel's transmit or receive journal, followed as it grows.
#include "ui/telegrams/txViewJrn.h"

#include "engine/RecordFiles.h"
#include "support/FileError.h"
#include "support/OemText.h"
#include "widgets/LayoutScale.h"
#include "ui/mainwindow/StatusPanels.h"

#include <QDateTime>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QVBoxLayout>

namespace korvane {

TViewJrnForm::TViewJrnForm(QWidget* parent) : QWidget(parent)
{
    QFont f = font();
    f.setPixelSize(11);
    setFont(f);
    const LayoutScale scale(this);
    resize(scale.Size(519, 373));

    text_ = new QPlainTextEdit;
    QFont mono(QStringLiteral("Courier New"));
    mono.setPixelSize(11);
    mono.setStyleHint(QFont::Monospace);
    text_->setFont(mono);
    text_->setReadOnly(true);
    text_->setUndoRedoEnabled(false);
    text_->setLineWrapMode(QPlainTextEdit::NoWrap);
    text_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    status_ = new StatusPanels({scale.X(300), scale.X(100), scale.X(50)});

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(text_, 1);
    layout->addWidget(status_);
}

TViewJrnForm::~TViewJrnForm() = default;

void TViewJrnForm::ShowReceiveJournal(const QString& path)
{
    setWindowTitle(QStringLiteral("Журнал приема, %1 канал").arg(Channel_));
    LoadJournal(path);
    Kind_ = ReceiveKind;
}

void TViewJrnForm::ShowTransmitJournal(const QString& path)
{
    setWindowTitle(QStringLiteral("Журнал передачи, %1 канал").arg(Channel_));
    LoadJournal(path);
    Kind_ = TransmitKind;
}

void TViewJrnForm::RefreshJournal(int channel, int kind)
{
    if (channel == Channel_ && kind == Kind_)
        LoadJournal(JournalPath_);
}

void TViewJrnForm::LoadJournal(const QString& path)
{
    JournalPath_ = path;
    const QFileInfo info(path);
    if (!info.exists())
        return;
    if (tail_.Path() != path)
        tail_ = JournalTail(path);
    // Nothing of this file shown yet: whatever the view held goes.
    const bool fromStart = tail_.Offset() == 0 && !fragmentShown_;
    JournalTail::Update update;
    try {
        update = tail_.Read();
    } catch (const FileError&) {
        // Being written at this moment: the next notice shows it.
        return;
    }
    QTextCursor end(text_->document());
    end.movePosition(QTextCursor::End);
    if (update.Restart || fromStart) {
        text_->clear();
        fragmentShown_ = false;
        linesShown_ = 0;
    } else if (fragmentShown_) {
        // The unfinished line comes again, whole, with what follows it.
        end.movePosition(QTextCursor::StartOfBlock, QTextCursor::KeepAnchor);
        end.removeSelectedText();
        end.deletePreviousChar();
        fragmentShown_ = false;
        --linesShown_;
    }
    QStringList lines = std::move(update.Lines);
    if (!update.Fragment.isEmpty()) {
        lines << update.Fragment;
        fragmentShown_ = true;
    }
    if (!lines.isEmpty()) {
        end.movePosition(QTextCursor::End);
        end.insertText((linesShown_ > 0 ? QStringLiteral("\n") : QString()) + lines.join(u'\n'));
        linesShown_ += lines.size();
    }
    status_->SetPanelText(0, path);
    status_->SetPanelText(1, QString::asprintf("%3.3f K", info.size() / 1024.0) + QStringLiteral("б"));
    // In the journal's own form, as its lines give their times.
    status_->SetPanelText(2, RecordDateTime(info.lastModified()));
}

} // namespace korvane
