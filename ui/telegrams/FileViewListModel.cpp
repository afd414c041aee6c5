// The folder browser's list of files: its entries, sorting, pictures and in-place updates.
#include "ui/telegrams/FileViewListModel.h"

#include "ui/telegrams/FileViewItems.h"

#include <QDateTime>
#include <QFile>
#include <QHash>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>

#include <algorithm>
#include <memory>
#include <numeric>

namespace korvane::fileview {

namespace {

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

// As TFileViewForm::DosDateTime, from the seconds since the epoch in local
// time, without a date object per file.
std::int32_t DosDateTimeOf(time_t at)
{
    struct tm t {};
    if (!::localtime_r(&at, &t) || t.tm_year + 1900 < 1980)
        return (1 << 21) | (1 << 16); // 1 January 1980, the first date the format holds
    const std::uint32_t packed = (std::uint32_t(std::min(t.tm_year + 1900 - 1980, 127)) << 25)
                                 | (std::uint32_t(t.tm_mon + 1) << 21) | (std::uint32_t(t.tm_mday) << 16)
                                 | (std::uint32_t(t.tm_hour) << 11) | (std::uint32_t(t.tm_min) << 5)
                                 | std::uint32_t(std::min(t.tm_sec, 59) / 2);
    return static_cast<std::int32_t>(packed);
}

// Beyond so many separate runs of changed rows a listing replaces the rows
// at once rather than one run after another.
constexpr int MaxChangeRuns = 64;

} // namespace

std::vector<FileEntry> ReadFolder(const QString& folder)
{
    std::vector<FileEntry> entries;
    if (folder.isEmpty())
        return entries;
    const std::unique_ptr<DIR, DirCloser> dir(::opendir(QFile::encodeName(folder).constData()));
    if (!dir)
        return entries;
    // One string per type: a folder holds few of them.
    QHash<QString, QString> types;
    while (const dirent* e = ::readdir(dir.get())) {
        if (e->d_name[0] == '.') // hidden, and the folder's own entries
            continue;
        // A link counts as what it points to; one look-up by name within
        // the folder open.
        struct stat st {};
        if (::fstatat(::dirfd(dir.get()), e->d_name, &st, 0) != 0 || !S_ISREG(st.st_mode))
            continue;
        FileEntry entry;
        entry.Name = QFile::decodeName(e->d_name);
        entry.Data.Size = static_cast<std::int32_t>(static_cast<std::uint32_t>(st.st_size));
        entry.Data.Time = DosDateTimeOf(st.st_mtim.tv_sec);
        const qsizetype dot = entry.Name.lastIndexOf(u'.');
        const QString type = dot < 0 ? QString() : entry.Name.mid(dot + 1).toUpper();
        auto known = types.constFind(type);
        if (known == types.constEnd())
            known = types.insert(type, type);
        entry.Data.TypeText = *known;
        entry.Picture = TFileViewForm::PictureOfType(entry.Data.TypeText);
        entries.push_back(std::move(entry));
    }
    return entries;
}

FileListModel::FileListModel(const QStyle& style, QObject* parent) : QAbstractTableModel(parent)
{
    for (std::size_t p = 0; p < icons_.size(); ++p)
        icons_[p] = PictureIcon(style, int(p));
}

int FileListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(rows_.size());
}

int FileListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : Columns;
}

QVariant FileListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= int(rows_.size()))
        return {};
    const FileEntry& e = Entry(index.row());
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case TFileViewForm::NameColumn:
            return e.Name;
        case TFileViewForm::SizeColumn:
            return Kb(double(static_cast<std::uint32_t>(e.Data.Size))) + QStringLiteral(" Kб");
        case TFileViewForm::TypeColumn:
            return e.Data.TypeText;
        case TFileViewForm::DateColumn:
            return DateTimeText(TFileViewForm::FromDosDateTime(e.Data.Time));
        default:
            return {};
        }
    case Qt::DecorationRole:
        if (index.column() == 0 && e.Picture >= 0 && e.Picture < int(icons_.size()))
            return icons_[static_cast<std::size_t>(e.Picture)];
        return {};
    case PictureRole:
        return index.column() == 0 ? QVariant(e.Picture) : QVariant();
    default:
        return {};
    }
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const char* const captions[Columns] = {"Имя", "Размер", "Тип", "Изменен"};
    return section >= 0 && section < Columns ? QString::fromUtf8(captions[section]) : QVariant();
}

int FileListModel::RowOf(const QString& name) const
{
    for (int row = 0; row < int(rows_.size()); ++row)
        if (Entry(row).Name == name)
            return row;
    return -1;
}

int FileListModel::FirstRowStartingWith(const QString& prefix) const
{
    int record = -1;
    for (int row = 0; row < int(rows_.size()); ++row) {
        const QString& name = Entry(row).Name;
        if (!name.startsWith(prefix))
            continue;
        if (!name.endsWith(QStringLiteral(".PTC"), Qt::CaseInsensitive))
            return row;
        if (record < 0)
            record = row;
    }
    return record;
}

// The browser's order: by the sort column's key, names (unique in a
// folder) deciding between equal keys, all of it turned for descending.
bool FileListModel::Less(const FileEntry& a, const FileEntry& b) const
{
    const FileEntry& x = ascending_ ? a : b;
    const FileEntry& y = ascending_ ? b : a;
    switch (sortColumn_) {
    case TFileViewForm::SizeColumn:
        if (x.Data.Size != y.Data.Size)
            return x.Data.Size < y.Data.Size;
        break;
    case TFileViewForm::TypeColumn:
        if (const int c = x.Data.TypeText.compare(y.Data.TypeText, Qt::CaseSensitive); c != 0)
            return c < 0;
        break;
    case TFileViewForm::DateColumn:
        if (x.Data.Time != y.Data.Time)
            return x.Data.Time < y.Data.Time;
        break;
    default:
        break;
    }
    return x.Name.compare(y.Name, Qt::CaseSensitive) < 0;
}

void FileListModel::Sort(std::vector<FileEntry>& entries) const
{
    if (sortColumn_ == TFileViewForm::NoColumn)
        return;
    std::sort(entries.begin(), entries.end(), [this](const FileEntry& a, const FileEntry& b) { return Less(a, b); });
}

void FileListModel::SetSort(int column, bool ascending)
{
    sortColumn_ = column;
    ascending_ = ascending;
    if (column == TFileViewForm::NoColumn || rows_.empty())
        return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<int> order(rows_.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [this](int a, int b) { return Less(Entry(a), Entry(b)); });
    std::vector<FileEntry> sorted;
    sorted.reserve(rows_.size());
    std::vector<int> newRowOf(rows_.size());
    for (std::size_t k = 0; k < order.size(); ++k) {
        sorted.push_back(std::move(rows_[static_cast<std::size_t>(order[k])]));
        newRowOf[static_cast<std::size_t>(order[k])] = int(k);
    }
    rows_ = std::move(sorted);
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& i : before)
        after.append(index(newRowOf[static_cast<std::size_t>(i.row())], i.column()));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void FileListModel::Reset(std::vector<FileEntry> entries)
{
    Sort(entries);
    beginResetModel();
    rows_ = std::move(entries);
    endResetModel();
}

void FileListModel::Update(std::vector<FileEntry> entries)
{
    if (sortColumn_ == TFileViewForm::NoColumn) {
        Reset(std::move(entries));
        return;
    }
    Sort(entries);
    // Both are in the same order: one walk finds the runs of rows gone and
    // of rows new; a row in both (the same name and key) may have changed.
    const auto runs = [this, &entries] {
        int count = 0, last = 0; // 1 gone, 2 new
        std::size_t i = 0, j = 0;
        while (i < rows_.size() || j < entries.size()) {
            int kind = 0;
            if (j == entries.size() || (i < rows_.size() && Less(rows_[i], entries[j])))
                kind = 1, ++i;
            else if (i == rows_.size() || Less(entries[j], rows_[i]))
                kind = 2, ++j;
            else
                ++i, ++j;
            if (kind != 0 && kind != last)
                ++count;
            last = kind;
        }
        return count;
    }();
    if (runs > MaxChangeRuns) {
        Reset(std::move(entries));
        return;
    }
    std::size_t i = 0, j = 0;
    while (i < rows_.size() || j < entries.size()) {
        if (j == entries.size() || (i < rows_.size() && Less(rows_[i], entries[j]))) {
            std::size_t end = i + 1;
            while (end < rows_.size() && (j == entries.size() || Less(rows_[end], entries[j])))
                ++end;
            beginRemoveRows({}, int(i), int(end) - 1);
            rows_.erase(rows_.begin() + std::ptrdiff_t(i), rows_.begin() + std::ptrdiff_t(end));
            endRemoveRows();
        } else if (i == rows_.size() || Less(entries[j], rows_[i])) {
            std::size_t end = j + 1;
            while (end < entries.size() && (i == rows_.size() || Less(entries[end], rows_[i])))
                ++end;
            const std::size_t count = end - j;
            beginInsertRows({}, int(i), int(i + count) - 1);
            rows_.insert(rows_.begin() + std::ptrdiff_t(i), std::make_move_iterator(entries.begin() + std::ptrdiff_t(j)),
                         std::make_move_iterator(entries.begin() + std::ptrdiff_t(end)));
            endInsertRows();
            i += count;
            j = end;
        } else {
            FileEntry& row = rows_[i];
            const FileEntry& now = entries[j];
            if (row.Data.Size != now.Data.Size || row.Data.Time != now.Data.Time) {
                row = std::move(entries[j]);
                emit dataChanged(index(int(i), 0), index(int(i), Columns - 1));
            }
            ++i;
            ++j;
        }
    }
}

void FileListModel::Clear()
{
    beginResetModel();
    std::vector<FileEntry>().swap(rows_);
    endResetModel();
}

void FileListModel::RemoveRows(std::vector<int> rows)
{
    std::sort(rows.begin(), rows.end(), std::greater<>());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    // From the end, a run of neighbours at a time.
    std::size_t k = 0;
    while (k < rows.size()) {
        const int last = rows[k];
        int first = last;
        while (k + 1 < rows.size() && rows[k + 1] == first - 1)
            first = rows[++k];
        ++k;
        if (first < 0 || last >= int(rows_.size()))
            continue;
        beginRemoveRows({}, first, last);
        rows_.erase(rows_.begin() + first, rows_.begin() + last + 1);
        endRemoveRows();
    }
}

} // namespace korvane::fileview
