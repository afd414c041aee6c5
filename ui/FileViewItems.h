#pragma once

// What the folder browser's list and tree items carry: the record of an
// item and its picture in item data, the list's sort by the browser's rule,
// the size and date texts. Used by the browser's own files only.

#include "ui/TxFileView.h"

#include <QIcon>
#include <QString>
#include <QTreeWidgetItem>

class QStyle;

namespace korvane::fileview {

inline constexpr int RecordRole = Qt::UserRole;
inline constexpr int PictureRole = Qt::UserRole + 1;

// Bytes in kilobytes of 1024, "%3.3f".
QString Kb(double bytes);
// The locale's short date and long time.
QString DateTimeText(const QDateTime& at);

// A file of the list: it sorts by the browser's sort column (the direction
// is applied by the list's sort).
class FileItem final : public QTreeWidgetItem {
public:
    FileItem(const TFileData& data, const int& sortColumn) : data_(data), sortColumn_(sortColumn) {}
    bool operator<(const QTreeWidgetItem& other) const override;

private:
    const TFileData& data_;
    const int& sortColumn_;
};

// The icon of a picture index (TFileViewForm::Picture).
QIcon PictureIcon(const QStyle& style, int picture);
// Item shows Picture, and keeps its index for TFileViewForm::PictureIndex.
void SetPicture(QTreeWidgetItem& item, const QStyle& style, int picture);

} // namespace korvane::fileview
