#pragma once

// The folder browser's list of files: one plain entry per file (its name,
// its record and the picture of its kind), kept sorted by the browser's
// rule, shown by a view as four columns (name, size, type, date). A folder
// listed again updates the rows that changed only, so the view keeps its
// place and its selection; the pictures are shared, one per kind of file.

#include "ui/telegrams/TxFileView.h"

#include <QAbstractTableModel>
#include <QIcon>
#include <QString>

#include <array>
#include <vector>

class QStyle;

namespace korvane::fileview {

struct FileEntry {
    QString Name;
    TFileData Data;
    int Picture = TFileViewForm::NoPicture;
};

// The ordinary files of Folder (no folders, no hidden files; a link counts
// as what it points to), in the order the file system gives them. An empty
// name lists nothing.
std::vector<FileEntry> ReadFolder(const QString& folder);

class FileListModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    static constexpr int Columns = 4;

    // The pictures are taken from Style once.
    FileListModel(const QStyle& style, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    const FileEntry& Entry(int row) const { return rows_[static_cast<std::size_t>(row)]; }
    // The row of the file Name; -1 when none.
    int RowOf(const QString& name) const;
    // The first row whose name starts with Prefix, one of an exchange
    // record (.PTC) only when no other does; -1 when none.
    int FirstRowStartingWith(const QString& prefix) const;

    // The sort column (TFileViewForm's columns; NoColumn keeps the order)
    // and direction; the rows are sorted again, the view's selection and
    // focus following their files.
    void SetSort(int column, bool ascending);
    // Every row replaced by Entries, sorted.
    void Reset(std::vector<FileEntry> entries);
    // The rows brought to Entries (the folder listed again): rows of files
    // gone are removed, rows of new files inserted, changed rows updated.
    void Update(std::vector<FileEntry> entries);
    // No rows, and the memory they held given back.
    void Clear();
    // The rows given (any order) removed.
    void RemoveRows(std::vector<int> rows);

private:
    bool Less(const FileEntry& a, const FileEntry& b) const;
    void Sort(std::vector<FileEntry>& entries) const;

    std::vector<FileEntry> rows_;
    std::array<QIcon, TFileViewForm::SentTelegram + 1> icons_;
    int sortColumn_ = TFileViewForm::NameColumn;
    bool ascending_ = true;
};

} // namespace korvane::fileview
