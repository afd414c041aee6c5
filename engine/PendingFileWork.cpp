#include "engine/PendingFileWork.h"

#include "engine/OutgoingTelegrams.h"
#include "support/FileError.h"
#include "support/OemText.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

#include <algorithm>
#include <utility>

namespace korvane {

namespace {

QString Base64(const QByteArray& b)
{
    return QString::fromLatin1(b.toBase64());
}

QByteArray FromBase64(const QJsonValue& v)
{
    return QByteArray::fromBase64(v.toString().toLatin1());
}

QJsonObject ToJson(const FileWorkItem& i)
{
    QJsonObject o;
    o[u"kind"] = int(i.kind);
    o[u"connection"] = i.connection;
    o[u"path"] = i.path;
    o[u"target"] = i.target;
    o[u"bytes"] = Base64(i.bytes);
    o[u"offset"] = double(i.offset);
    o[u"targetOffset"] = double(i.targetOffset);
    o[u"line"] = i.line;
    o[u"pos"] = i.pos;
    o[u"number"] = i.number;
    o[u"block"] = i.block;
    o[u"doneBit"] = double(i.doneBit);
    o[u"notice"] = i.notice;
    return o;
}

FileWorkItem ItemFromJson(const QJsonObject& o)
{
    FileWorkItem i;
    i.kind = FileWorkItem::Kind(o[u"kind"].toInt());
    i.connection = o[u"connection"].toString();
    i.path = o[u"path"].toString();
    i.target = o[u"target"].toString();
    i.bytes = FromBase64(o[u"bytes"]);
    i.offset = qint64(o[u"offset"].toDouble(-1));
    i.targetOffset = qint64(o[u"targetOffset"].toDouble(-1));
    i.line = o[u"line"].toInt(-1);
    i.pos = o[u"pos"].toInt();
    i.number = o[u"number"].toString();
    i.block = o[u"block"].toBool();
    i.doneBit = std::uint32_t(o[u"doneBit"].toDouble());
    i.notice = o[u"notice"].toInt(-1);
    return i;
}

QJsonObject ToJson(const ConnectionInProgress& c)
{
    QJsonObject o;
    o[u"id"] = c.id;
    o[u"path"] = c.path;
    o[u"firstOffset"] = double(c.firstOffset);
    o[u"header"] = Base64(c.header);
    o[u"part"] = Base64(c.part);
    o[u"crashPath"] = c.crashPath;
    o[u"journalPath"] = c.journalPath;
    o[u"journalLine"] = Base64(c.journalLine);
    o[u"notice"] = c.notice;
    o[u"recNo"] = c.recNo;
    return o;
}

ConnectionInProgress ConnectionFromJson(const QJsonObject& o)
{
    ConnectionInProgress c;
    c.id = o[u"id"].toString();
    c.path = o[u"path"].toString();
    c.firstOffset = qint64(o[u"firstOffset"].toDouble(-1));
    c.header = FromBase64(o[u"header"]);
    c.part = FromBase64(o[u"part"]);
    c.crashPath = o[u"crashPath"].toString();
    c.journalPath = o[u"journalPath"].toString();
    c.journalLine = FromBase64(o[u"journalLine"]);
    c.notice = o[u"notice"].toInt(-1);
    c.recNo = o[u"recNo"].toInt();
    return c;
}

bool Touches(const FileWorkItem& i, const QString& path)
{
    return i.path == path || (i.kind == FileWorkItem::Kind::Move && i.target == path);
}

} // namespace

PendingFileWork::PendingFileWork(QString file, DiskStepHook hook) : file_(std::move(file)), disk_(std::move(hook)) {}

bool PendingFileWork::Load()
{
    damage_ = {};
    QFile f(file_);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = f.readAll();
    bool whole = f.error() == QFileDevice::NoError;
    f.close();
    items_.clear();
    connection_ = {};
    // One piece a line: the connection, the items in order, and a last
    // line with their count, so that a cut or a damaged line loses only
    // itself and is seen.
    bool ended = false;
    int count = 0;
    for (const QByteArray& line : bytes.split('\n')) {
        if (line.isEmpty())
            continue;
        QJsonParseError parse{};
        const QJsonDocument doc = QJsonDocument::fromJson(line, &parse);
        if (ended || parse.error != QJsonParseError::NoError || !doc.isObject()) {
            whole = false;
            continue;
        }
        const QJsonObject o = doc.object();
        if (o.contains(u"items")) {
            // The whole work as one object, as an earlier version kept it.
            for (const QJsonValue& v : o[u"items"].toArray())
                items_.push_back(ItemFromJson(v.toObject()));
            connection_ = ConnectionFromJson(o[u"connection"].toObject());
            damage_.connectionRead = true;
            count = int(items_.size());
            ended = true;
        } else if (o.contains(u"connection")) {
            connection_ = ConnectionFromJson(o[u"connection"].toObject());
            damage_.connectionRead = true;
        } else if (o.contains(u"item")) {
            FileWorkItem item = ItemFromJson(o[u"item"].toObject());
            if (item.kind < FileWorkItem::Kind::Append || item.kind > FileWorkItem::Kind::Setting || item.path.isEmpty()) {
                whole = false;
                continue;
            }
            items_.push_back(std::move(item));
            ++count;
        } else if (o.contains(u"end")) {
            ended = true;
            whole = whole && o[u"end"].toInt(-1) == count;
        } else {
            whole = false;
        }
    }
    changed_ = false;
    if (!whole || !ended) {
        damage_.found = true;
        damage_.itemsRead = int(items_.size());
        KeepDamagedAside();
        changed_ = true; // what was read is written anew
    }
    return !items_.empty() || !connection_.id.isEmpty();
}

bool PendingFileWork::KeepDamagedAside()
{
    QString name = file_ + QStringLiteral(".damaged");
    for (int n = 2; DiskSteps::SizeOf(name) >= 0 || QFileInfo::exists(name); ++n)
        name = file_ + QStringLiteral(".damaged-%1").arg(n);
    if (!disk_.Rename(file_, name))
        return false;
    damage_.keptAs = name;
    return true;
}

bool PendingFileWork::Save(QString* error)
{
    const auto failed = [&](const QString& why) {
        saveFailedIn_ = round_;
        saveError_ = why;
        if (error)
            *error = why;
        return false;
    };
    if (saveFailedIn_ == round_) // tried in this round already
        return failed(saveError_);
    if (!changed_)
        return true;
    // A damaged file is never overwritten before it is kept aside.
    if (damage_.found && damage_.keptAs.isEmpty() && DiskSteps::SizeOf(file_) >= 0 && !KeepDamagedAside())
        return failed(FileError::writeFailed(file_).message());
    if (items_.empty() && connection_.id.isEmpty()) {
        // Nothing waits: no file is left behind.
        if (DiskSteps::SizeOf(file_) >= 0 && !disk_.Remove(file_))
            return failed(FileError::writeFailed(file_).message());
        changed_ = false;
        return true;
    }
    const auto line = [](const char* key, const QJsonValue& value) {
        QJsonObject o;
        o[QLatin1String(key)] = value;
        return QJsonDocument(o).toJson(QJsonDocument::Compact) + '\n';
    };
    QByteArray text = line("connection", ToJson(connection_));
    for (const FileWorkItem& i : items_)
        text += line("item", ToJson(i));
    text += line("end", int(items_.size()));
    try {
        disk_.Replace(file_, text);
    } catch (const FileError& e) {
        return failed(e.message());
    }
    changed_ = false;
    return true;
}

void PendingFileWork::Add(FileWorkItem item)
{
    // A move of the connection's blocks knows where they begin when one is already written.
    if (item.kind == FileWorkItem::Kind::Move && item.offset < 0 && item.connection == connection_.id
        && item.path == connection_.path)
        item.offset = connection_.firstOffset;
    items_.push_back(std::move(item));
    changed_ = true;
}

void PendingFileWork::SetConnection(const ConnectionInProgress& c)
{
    ConnectionInProgress next = c;
    if (!c.id.isEmpty() && c.id == connection_.id) {
        // Where its blocks stand is known here, not by the caller.
        next.path = connection_.path.isEmpty() ? c.path : connection_.path;
        next.firstOffset = connection_.firstOffset;
    }
    if (next.id == connection_.id && next.path == connection_.path && next.part == connection_.part
        && next.header == connection_.header && next.crashPath == connection_.crashPath
        && next.journalLine == connection_.journalLine)
        return;
    connection_ = std::move(next);
    changed_ = true;
}

void PendingFileWork::NoteConnectionBlocks(const QString& path, qint64 offset)
{
    connection_.path = path;
    connection_.firstOffset = offset;
    changed_ = true;
}

bool PendingFileWork::FinishCutConnection(int noiseLength)
{
    const ConnectionInProgress c = connection_;
    if (c.id.isEmpty())
        return false;
    connection_ = {};
    changed_ = true;
    const bool earlier = c.firstOffset >= 0
                         || std::any_of(items_.begin(), items_.end(),
                                        [&](const FileWorkItem& i) { return i.connection == c.id && i.block; });
    const bool last = c.part.size() > noiseLength;
    if (!earlier && !last)
        return false; // noise: no record, no journal line
    if (last) {
        FileWorkItem block;
        block.connection = c.id;
        block.path = c.path;
        block.bytes = c.header + c.part;
        block.block = true;
        items_.push_back(block);
    }
    if (!c.crashPath.isEmpty() && c.crashPath != c.path) {
        FileWorkItem move;
        move.kind = FileWorkItem::Kind::Move;
        move.connection = c.id;
        move.path = c.path;
        move.target = c.crashPath;
        move.offset = c.firstOffset;
        items_.push_back(move);
    }
    if (!c.journalPath.isEmpty()) {
        FileWorkItem journal;
        journal.connection = c.id;
        journal.path = c.journalPath;
        journal.bytes = c.journalLine;
        journal.notice = c.notice;
        items_.push_back(journal);
    }
    return true;
}

bool PendingFileWork::Waiting(std::uint32_t doneBit) const
{
    return std::any_of(items_.begin(), items_.end(), [&](const FileWorkItem& i) { return i.doneBit == doneBit; });
}

bool PendingFileWork::MarkWaiting(const QString& telegram) const
{
    return std::any_of(items_.begin(), items_.end(), [&](const FileWorkItem& i) {
        return i.kind == FileWorkItem::Kind::Mark && i.path == telegram;
    });
}

bool PendingFileWork::SettingWaiting(const QString& path, const QString& section, const QString& key) const
{
    return std::any_of(items_.begin(), items_.end(), [&](const FileWorkItem& i) {
        return i.kind == FileWorkItem::Kind::Setting && i.path == path && i.target.compare(section, Qt::CaseInsensitive) == 0
               && i.number.compare(key, Qt::CaseInsensitive) == 0;
    });
}

bool PendingFileWork::FileWaiting(const QString& path) const
{
    return std::any_of(items_.begin(), items_.end(), [&](const FileWorkItem& i) {
        return i.kind != FileWorkItem::Kind::Mark && i.kind != FileWorkItem::Kind::Setting && Touches(i, path);
    });
}

bool PendingFileWork::ConnectionWaiting(const QString& connection) const
{
    return std::any_of(items_.begin(), items_.end(), [&](const FileWorkItem& i) { return i.connection == connection; });
}

bool PendingFileWork::Eligible(std::list<FileWorkItem>::const_iterator it, std::uint64_t now) const
{
    if (it->retryAt > now)
        return false;
    for (auto e = items_.begin(); e != it; ++e) {
        if (Touches(*e, it->path) || (it->kind == FileWorkItem::Kind::Move && Touches(*e, it->target)))
            return false; // one file's work in the order it was taken
        // A number is marked done (a setting written) after its record and
        // journal line, and a journal line names a record only once the
        // record is on disk.
        const bool journalLine = it->kind == FileWorkItem::Kind::Append && !it->block;
        if ((it->kind == FileWorkItem::Kind::Mark || it->kind == FileWorkItem::Kind::Setting || journalLine)
            && !it->connection.isEmpty() && e->connection == it->connection)
            return false;
    }
    return true;
}

void PendingFileWork::Prepare(FileWorkItem& item)
{
    if (item.kind != FileWorkItem::Kind::Append || item.offset >= 0)
        return;
    item.offset = std::max<qint64>(DiskSteps::SizeOf(item.path), 0);
    changed_ = true;
    if (!item.block)
        return;
    if (item.connection == connection_.id && (connection_.firstOffset < 0 || connection_.path != item.path)) {
        connection_.path = item.path;
        connection_.firstOffset = item.offset;
    }
    // A move of this connection's blocks begins at its first block.
    for (FileWorkItem& m : items_)
        if (m.kind == FileWorkItem::Kind::Move && m.connection == item.connection && m.path == item.path
            && m.offset < 0)
            m.offset = item.offset;
}

void PendingFileWork::Run(std::uint64_t now, const Outcome& outcome, int retryMs, const QString& only)
{
    ++round_;
    const auto taken = [&](std::list<FileWorkItem>::const_iterator it) {
        return (only.isEmpty() || Touches(*it, only)) && Eligible(it, now);
    };
    for (auto it = items_.begin(); it != items_.end(); ++it)
        if (taken(it))
            Prepare(*it);
    Save(); // where each block lands is on disk before the block (a failure here: the work goes on)
    for (auto it = items_.begin(); it != items_.end();) {
        if (!taken(it)) {
            ++it;
            continue;
        }
        if (it->kind == FileWorkItem::Kind::Append && it->offset < 0) {
            // Its turn came only now, the work ahead of it on its file done:
            // where it lands is kept on disk before it is written, or a
            // crash would have it written twice.
            Prepare(*it);
            Save();
        } else if (it->kind == FileWorkItem::Kind::Move) {
            // The appends done before it are struck off first: done again
            // after a crash, they would find their file moved away and
            // begin it anew, and the move would take them along twice.
            Save();
        }
        try {
            Apply(*it);
        } catch (const FileError& e) {
            // Work that keeps failing (a folder gone) is tried ever less often.
            ++it->failures;
            const int doubled = std::min(it->failures - QuickRetries, 16);
            const std::uint64_t wait = std::uint64_t(retryMs) << std::max(doubled, 0);
            it->retryAt = now + std::min(wait, std::max<std::uint64_t>(MaxRetryMs, std::uint64_t(retryMs)));
            if (outcome.failed)
                outcome.failed(*it, e.message());
            ++it;
            continue;
        }
        const FileWorkItem done = std::move(*it);
        it = items_.erase(it);
        changed_ = true;
        if (outcome.done)
            outcome.done(done);
    }
    Save();
}

void PendingFileWork::Apply(FileWorkItem& item)
{
    switch (item.kind) {
    case FileWorkItem::Kind::Append:
        if (!item.path.isEmpty())
            disk_.AppendAt(item.path, item.offset, item.bytes);
        break;
    case FileWorkItem::Kind::Move:
        ApplyMove(item);
        break;
    case FileWorkItem::Kind::Mark:
        ApplyMark(item);
        break;
    case FileWorkItem::Kind::Setting:
        disk_.WriteSetting(item.path, item.target, item.number, QString::fromUtf8(item.bytes));
        break;
    }
}

void PendingFileWork::ApplyMove(FileWorkItem& item)
{
    const bool ours = !item.connection.isEmpty() && item.connection == connection_.id;
    if (item.bytes.isEmpty() && item.targetOffset < 0) {
        const qint64 size = DiskSteps::SizeOf(item.path);
        if (item.offset < 0 || size <= item.offset)
            return; // nothing of the connection there (moved before a crash, or never written)
        if (item.offset == 0 && DiskSteps::SameFile(item.path, item.target)) {
            // A rename by link and unlink that a crash cut: the unlink is all that is left.
            if (!disk_.Remove(item.path))
                throw FileError::writeFailed(item.path);
            if (ours)
                NoteConnectionBlocks(item.target, 0);
            return;
        }
        if (item.offset == 0 && DiskSteps::SizeOf(item.target) < 0 && disk_.Rename(item.path, item.target)) {
            if (ours)
                NoteConnectionBlocks(item.target, 0);
            return;
        }
        // Only this connection's blocks go: they are read out, and what is
        // read is kept on disk before either file changes.
        item.bytes = DiskSteps::ReadRange(item.path, item.offset);
        item.targetOffset = std::max<qint64>(DiskSteps::SizeOf(item.target), 0);
        changed_ = true;
        QString why;
        if (!Save(&why)) {
            // Done again after a crash without this on disk, the move would append them twice.
            item.bytes.clear();
            item.targetOffset = -1;
            throw FileError(FileError::Kind::Write, why);
        }
    }
    disk_.AppendAt(item.target, item.targetOffset, item.bytes);
    const qint64 size = DiskSteps::SizeOf(item.path);
    if (size > item.offset) {
        if (item.offset <= 0) {
            if (!disk_.Remove(item.path))
                throw FileError::writeFailed(item.path);
        } else {
            disk_.Replace(item.path, DiskSteps::ReadRange(item.path, 0, item.offset));
        }
    }
    if (ours)
        NoteConnectionBlocks(item.target, item.targetOffset);
}

void PendingFileWork::ApplyMark(FileWorkItem& item)
{
    if (DiskSteps::SizeOf(item.path) < 0) {
        item.gone = true; // deleted meanwhile: it stays deleted
        return;
    }
    OemLines raw;
    QStringList lines;
    LoadOemStringsClear(item.path, raw, lines);
    if (!OutgoingTelegrams::ApplyDoneMark(lines, item.line, item.pos, item.number))
        return; // marked already, or the number is no longer there
    StringsToOem(lines, raw);
    QByteArray body;
    for (const QByteArray& l : std::as_const(raw))
        body += l + "\r\n";
    disk_.Replace(item.path, body);
}

} // namespace korvane
