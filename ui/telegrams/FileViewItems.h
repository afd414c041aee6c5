#pragma once

// What the folder browser's tree nodes and list rows carry: the record of a
// node and the picture in item data, the size and date texts, the pictures.
// Used by the browser's own files only.

#include "ui/telegrams/TxFileView.h"

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

// The icon of a picture index (TFileViewForm::Picture).
QIcon PictureIcon(const QStyle& style, int picture);
// Item shows Picture, and keeps its index for TFileViewForm::PictureIndex.
void SetPicture(QTreeWidgetItem& item, const QStyle& style, int picture);

} // namespace korvane::fileview
