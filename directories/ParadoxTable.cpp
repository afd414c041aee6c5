#include "directories/ParadoxTable.h"

#include "directories/DirectoryTables.h"
#include "platform/CodePages.h"

#include <QDate>
#include <QFile>
#include <QSet>
#include <QTime>

// pxlib's header declares C functions without a C++ guard.
extern "C" {
#include <paradox.h>
}

#include <cstring>
#include <memory>
#include <mutex>

namespace korvane {

namespace {

struct PxErrors {
    QString Text;
};

void CollectError(pxdoc_t*, int level, const char* message, void* data)
{
    auto* errors = static_cast<PxErrors*>(data);
    if (level == PX_Warning)
        return;
    if (errors->Text.isEmpty())
        errors->Text = QString::fromLocal8Bit(message);
}

struct PxDocDeleter {
    void operator()(pxdoc_t* doc) const
    {
        PX_close(doc);
        PX_delete(doc);
    }
};
using PxDoc = std::unique_ptr<pxdoc_t, PxDocDeleter>;

// Frees what pxlib allocated for a field value.
struct PxText {
    pxdoc_t* Doc;
    char* Text = nullptr;
    ~PxText()
    {
        if (Text)
            Doc->free(Doc, Text);
    }
};

unsigned U16(const QByteArray& b, qint64 at)
{
    return static_cast<unsigned char>(b[at]) | static_cast<unsigned>(static_cast<unsigned char>(b[at + 1])) << 8;
}

// What pxlib takes on trust, checked first: the chain of data blocks from
// the header's first block must end within the header's count of blocks
// without coming back on itself (pxlib would walk a loop for ever), and
// every record a block holds must lie whole inside the file (pxlib would
// hand back whatever its buffer held before). An empty string when sound.
QString CheckDataBlocks(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return file.errorString();
    const QByteArray head = file.read(0x20);
    if (head.size() < 0x20)
        return QStringLiteral("заголовок обрезан");
    const unsigned recordSize = U16(head, 0x00);
    const qint64 headerSize = U16(head, 0x02);
    const qint64 blockSize = static_cast<qint64>(static_cast<unsigned char>(head[0x05])) * 1024;
    const unsigned fileBlocks = U16(head, 0x0C);
    const unsigned firstBlock = U16(head, 0x0E);
    if (recordSize == 0 || headerSize < 0x20 || blockSize == 0)
        return QStringLiteral("повреждён заголовок");
    const qint64 fileSize = file.size();
    unsigned block = firstBlock;
    for (unsigned visited = 0; block != 0; ++visited) {
        if (block > fileBlocks || visited >= fileBlocks)
            return QStringLiteral("цепочка блоков данных повреждена (блок %1 из %2)").arg(block).arg(fileBlocks);
        const qint64 at = headerSize + static_cast<qint64>(block - 1) * blockSize;
        if (!file.seek(at))
            return QStringLiteral("блок данных %1 за концом файла").arg(block);
        const QByteArray blockHead = file.read(6);
        if (blockHead.size() < 6)
            return QStringLiteral("блок данных %1 за концом файла").arg(block);
        const int addDataSize = static_cast<qint16>(U16(blockHead, 4));
        if (addDataSize >= 0) {
            const qint64 records = addDataSize / recordSize + 1;
            const qint64 bytes = records * recordSize;
            if (addDataSize % recordSize != 0 || 6 + bytes > blockSize)
                return QStringLiteral("повреждён блок данных %1").arg(block);
            if (at + 6 + bytes > fileSize)
                return QStringLiteral("запись блока данных %1 обрезана концом файла").arg(block);
        }
        block = U16(blockHead, 0);
    }
    return {};
}

// The length a field of Type must have; 0 for the types not read, whose
// values are left empty.
int TypeLength(int type)
{
    switch (type) {
    case pxfShort:
        return 2;
    case pxfLong:
    case pxfAutoInc:
    case pxfDate:
    case pxfTime:
        return 4;
    case pxfNumber:
    case pxfCurrency:
        return 8;
    case pxfLogical:
        return 1;
    default:
        return 0;
    }
}

// Paradox keeps an empty number field as zero bytes (a stored value always
// has its sign bit turned), whatever pxlib makes of it.
bool Blank(const char* data, int length)
{
    for (int i = 0; i < length; ++i)
        if (data[i] != 0)
            return false;
    return true;
}

QString Decode(const char* text, int codePage)
{
    const QByteArrayView bytes(text, static_cast<qsizetype>(std::strlen(text)));
    return codePage == 866 ? codepage::fromCp866(bytes) : codepage::fromCp1251(bytes);
}

} // namespace

bool ReadParadoxTable(const QString& path, ParadoxContents& contents, QString& error)
{
    static std::once_flag booted;
    std::call_once(booted, [] { PX_boot(); });

    PxErrors errors;
    pxdoc_t* raw = PX_new3(CollectError, nullptr, nullptr, nullptr, &errors);
    if (!raw) {
        error = QStringLiteral("pxlib: нет памяти");
        return false;
    }
    std::unique_ptr<pxdoc_t, decltype(&PX_delete)> fresh(raw, &PX_delete);
    if (const QString damage = CheckDataBlocks(path); !damage.isEmpty()) {
        error = QStringLiteral("Повреждена таблица Paradox %1: %2").arg(path, damage);
        return false;
    }
    if (PX_open_file(raw, QFile::encodeName(path).constData()) < 0) {
        error = errors.Text.isEmpty() ? QStringLiteral("Не таблица Paradox: ") + path : errors.Text;
        return false;
    }
    fresh.release();
    PxDoc doc(raw);

    const int fieldCount = PX_get_num_fields(raw);
    const int recordCount = PX_get_num_records(raw);
    const int recordSize = PX_get_recordsize(raw);
    pxfield_t* fields = PX_get_fields(raw);
    if (fieldCount <= 0 || recordCount < 0 || recordSize <= 0 || !fields) {
        error = QStringLiteral("Повреждён заголовок таблицы Paradox: ") + path;
        return false;
    }
    const int codePage = raw->px_head ? raw->px_head->px_doscodepage : 0;

    struct Field {
        int Type;
        int Offset;
        int Length;
    };
    QList<Field> layout;
    ParadoxContents out;
    int offset = 0;
    bool autoIncTaken = false;
    for (int i = 0; i < fieldCount; ++i) {
        const pxfield_t& f = fields[i];
        const int length = TypeLength(f.px_ftype);
        if ((length > 0 && f.px_flen != length) || (f.px_ftype == pxfAlpha && (f.px_flen < 1 || f.px_flen > 255))
            || f.px_flen < 0) {
            error = QStringLiteral("Повреждён заголовок таблицы Paradox %1: поле %2 типа %3 длиной %4")
                        .arg(path, Decode(f.px_fname ? f.px_fname : "", codePage))
                        .arg(static_cast<int>(f.px_ftype))
                        .arg(f.px_flen);
            return false;
        }
        layout.append({f.px_ftype, offset, f.px_flen});
        offset += f.px_flen;
        QString declaration;
        switch (f.px_ftype) {
        case pxfAlpha:
            // The new table keeps the field's size.
            declaration = TextColumn(Decode(f.px_fname ? f.px_fname : "", codePage), f.px_flen).Declaration;
            break;
        case pxfShort:
            declaration = QStringLiteral("SMALLINT");
            break;
        case pxfLong:
            declaration = QStringLiteral("INTEGER");
            break;
        case pxfAutoInc:
            declaration = autoIncTaken ? QStringLiteral("INTEGER") : QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT");
            autoIncTaken = true;
            break;
        case pxfNumber:
        case pxfCurrency:
            declaration = QStringLiteral("DOUBLE");
            break;
        case pxfLogical:
            declaration = QStringLiteral("BOOLEAN");
            break;
        case pxfDate:
            declaration = QStringLiteral("DATE");
            break;
        case pxfTime:
            declaration = QStringLiteral("TIME");
            break;
        default:
            // Timestamps, numbers in BCD, memos and other blobs: not read.
            declaration = QStringLiteral("TEXT");
            break;
        }
        out.Columns.append({Decode(f.px_fname ? f.px_fname : "", codePage), declaration});
    }
    if (offset > recordSize) {
        error = QStringLiteral("Повреждён заголовок таблицы Paradox: ") + path;
        return false;
    }

    QByteArray record(recordSize, '\0');
    QSet<long> autoIncValues;
    int autoIncColumn = -1;
    for (int i = 0; i < fieldCount && autoIncColumn < 0; ++i) {
        if (layout[i].Type == pxfAutoInc)
            autoIncColumn = i;
    }
    for (int r = 0; r < recordCount; ++r) {
        record.fill('\0');
        if (!PX_get_record(raw, r, record.data())) {
            error = errors.Text.isEmpty() ? QStringLiteral("Не читается запись %1 таблицы Paradox: %2").arg(r + 1).arg(path)
                                          : errors.Text;
            return false;
        }
        QVariantList row;
        row.reserve(fieldCount);
        for (int i = 0; i < fieldCount; ++i) {
            const Field& f = layout[i];
            char* data = record.data() + f.Offset;
            QVariant value;
            if (f.Type != pxfAlpha && Blank(data, f.Length)) {
                row.append(value);
                continue;
            }
            switch (f.Type) {
            case pxfAlpha: {
                PxText text{raw};
                if (PX_get_data_alpha(raw, data, f.Length, &text.Text) > 0 && text.Text)
                    value = Decode(text.Text, codePage);
                break;
            }
            case pxfShort: {
                short v = 0;
                if (PX_get_data_short(raw, data, f.Length, &v) > 0)
                    value = static_cast<int>(v);
                break;
            }
            case pxfLong:
            case pxfAutoInc: {
                long v = 0;
                if (PX_get_data_long(raw, data, f.Length, &v) > 0)
                    value = static_cast<qlonglong>(v);
                break;
            }
            case pxfNumber:
            case pxfCurrency: {
                double v = 0;
                if (PX_get_data_double(raw, data, f.Length, &v) > 0)
                    value = v;
                break;
            }
            case pxfLogical: {
                char v = 0;
                if (PX_get_data_byte(raw, data, f.Length, &v) > 0)
                    value = v != 0 ? 1 : 0;
                break;
            }
            case pxfDate: {
                long v = 0;
                if (PX_get_data_long(raw, data, f.Length, &v) > 0) {
                    int y = 0, m = 0, d = 0;
                    PX_SdnToGregorian(v + 1721425, &y, &m, &d);
                    value = QDate(y, m, d).toString(Qt::ISODate);
                }
                break;
            }
            case pxfTime: {
                long v = 0;
                if (PX_get_data_long(raw, data, f.Length, &v) > 0)
                    value = QTime::fromMSecsSinceStartOfDay(static_cast<int>(v)).toString(Qt::ISODateWithMs);
                break;
            }
            default:
                break;
            }
            row.append(value);
        }
        if (autoIncColumn >= 0) {
            const QVariant& id = row[autoIncColumn];
            // A record number that is missing or repeated cannot be the key:
            // the table then keeps the numbers in a plain column.
            if (id.isNull() || autoIncValues.contains(id.toLongLong()))
                out.Columns[autoIncColumn].Declaration = QStringLiteral("INTEGER");
            else
                autoIncValues.insert(id.toLongLong());
        }
        out.Rows.append(std::move(row));
    }
    contents = std::move(out);
    return true;
}

} // namespace korvane
