// The items of the folder browser's list and tree.
#include "ui/telegrams/FileViewItems.h"

#include "platform/LocaleTime.h"

#include <QDateTime>
#include <QLocale>
#include <QStyle>

namespace korvane::fileview {

QString Kb(double bytes)
{
    return QString::asprintf("%3.3f", bytes / 1024.0);
}

QString DateTimeText(const QDateTime& at)
{
    return QLocale().toString(at.date(), QLocale::ShortFormat) + u' ' + LongTimeText(at.time());
}

QIcon PictureIcon(const QStyle& style, int picture)
{
    switch (picture) {
    case TFileViewForm::ChannelCollapsed:
        return style.standardIcon(QStyle::SP_DirClosedIcon);
    case TFileViewForm::ChannelExpanded:
        return style.standardIcon(QStyle::SP_DirOpenIcon);
    case TFileViewForm::IncomingFolder:
        return style.standardIcon(QStyle::SP_ArrowDown);
    case TFileViewForm::OutgoingFolder:
        return style.standardIcon(QStyle::SP_ArrowUp);
    case TFileViewForm::FailedTelegram:
        return style.standardIcon(QStyle::SP_MessageBoxCritical);
    case TFileViewForm::RecordFile:
        return style.standardIcon(QStyle::SP_FileDialogDetailedView);
    case TFileViewForm::PartRecordFile:
        return style.standardIcon(QStyle::SP_FileDialogInfoView);
    case TFileViewForm::TelegramToSend:
        return style.standardIcon(QStyle::SP_FileIcon);
    case TFileViewForm::SentTelegram:
        return style.standardIcon(QStyle::SP_DialogApplyButton);
    case TFileViewForm::Ascending:
        return style.standardIcon(QStyle::SP_TitleBarShadeButton);
    case TFileViewForm::Descending:
        return style.standardIcon(QStyle::SP_TitleBarUnshadeButton);
    default:
        return {};
    }
}

void SetPicture(QTreeWidgetItem& item, const QStyle& style, int picture)
{
    item.setData(0, PictureRole, picture);
    item.setIcon(0, PictureIcon(style, picture));
}

} // namespace korvane::fileview
