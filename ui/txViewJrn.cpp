#include "ui/txViewJrn.h"

#include "platform/LocaleTime.h"
#include "support/FileError.h"
#include "support/OemText.h"
#include "ui/LayoutScale.h"
#include "ui/StatusPanels.h"

#include <QDateTime>
#include <QFileInfo>
#include <QLocale>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace korvane {

namespace {

// The locale's short date and long time, without the time zone.
QString DateTimeText(const QDateTime& at)
{
    const QLocale locale;
    return locale.toString(at.date(), QLocale::ShortFormat) + u' ' + LongTimeText(at.time());
}

} // namespace

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
    OemLines raw;
    QStringList lines;
    try {
        LoadOemStringsClear(path, raw, lines);
    } catch (const FileError&) {
        // Being written at this moment: the next notice shows it.
        return;
    }
    text_->setPlainText(lines.join(u'\n'));
    status_->SetPanelText(0, path);
    status_->SetPanelText(1, QString::asprintf("%3.3f K", info.size() / 1024.0) + QStringLiteral("б"));
    status_->SetPanelText(2, DateTimeText(info.lastModified()));
}

} // namespace korvane
