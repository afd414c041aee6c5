#include "directories/ParadoxTable.h"

#include "directories/DirectoryTables.h"
#include "directories/ParadoxChildReader.h"
#include "platform/CodePages.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
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

// A document that opens no file: pxlib's conversions of field values.
using PxDecoder = std::unique_ptr<pxdoc_t, decltype(&PX_delete)>;

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

// A table protected by a password: pxlib would decrypt its blocks with
// the header's key and follow chains that nothing here has checked. The
// key is the word at 0x25, or, when that holds the mark FF00FF00, the one
// the data header of a table of level 4 and later keeps at 0x5C. An empty
// string when the table is not encrypted.
QString CheckEncryption(const QByteArray& head)
{
    const auto u32 = [&](qint64 at) { return U16(head, at) | static_cast<quint32>(U16(head, at + 2)) << 16; };
    constexpr quint32 SeeDataHeader = 0xFF00FF00;
    const quint32 first = u32(0x25);
    if (first == 0)
        return {};
    const unsigned fileVersion = static_cast<unsigned char>(head[0x39]);
    if (first == SeeDataHeader && fileVersion >= 5 && head.size() >= 0x60 && u32(0x5C) == 0)
        return {};
    return QStringLiteral("таблица зашифрована (защищена паролем), такие таблицы программа не читает");
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
    const QByteArray head = file.read(0x60);
    if (head.size() < 0x58)
        return QStringLiteral("заголовок обрезан");
    if (const QString encrypted = CheckEncryption(head); !encrypted.isEmpty())
        return encrypted;
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
    return ReadParadoxTable(path, contents, error, ParadoxReadDeadline(QFileInfo(path).size()));
}

bool ReadParadoxTable(const QString& path, ParadoxContents& contents, QString& error,
                      std::chrono::milliseconds deadline)
{
    static std::once_flag booted;
    std::call_once(booted, [] { PX_boot(); });

    if (const QString damage = CheckDataBlocks(path); !damage.isEmpty()) {
        error = QStringLiteral("Таблица Paradox %1 не читается: %2").arg(QDir::toNativeSeparators(path), damage);
        return false;
    }
    // pxlib's own walk through the file runs in a child process under the
    // deadline; here only the records it read are taken apart.
    ParadoxRecords read;
    if (!ReadParadoxRecords(path, deadline, read, error))
        return false;

    PxErrors errors;
    const PxDecoder decoder(PX_new3(CollectError, nullptr, nullptr, nullptr, &errors), &PX_delete);
    if (!decoder) {
        error = QStringLiteral("pxlib: нет памяти");
        return false;
    }
    pxdoc_t* raw = decoder.get();

    const int fieldCount = static_cast<int>(read.Fields.size());
    const int recordSize = read.RecordSize;
    const int codePage = read.CodePage;

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
        const ParadoxFieldInfo& f = read.Fields[i];
        const QString fieldName = Decode(f.Name.constData(), codePage);
        const int length = TypeLength(f.Type);
        if ((length > 0 && f.Length != length) || (f.Type == pxfAlpha && (f.Length < 1 || f.Length > 255))
            || f.Length < 0) {
            error = QStringLiteral("Повреждён заголовок таблицы Paradox %1: поле %2 типа %3 длиной %4")
                        .arg(path, fieldName)
                        .arg(f.Type)
                        .arg(f.Length);
            return false;
        }
        layout.append({f.Type, offset, f.Length});
        offset += f.Length;
        QString declaration;
        switch (f.Type) {
        case pxfAlpha:
            // The new table keeps the field's size.
            declaration = TextColumn(fieldName, f.Length).Declaration;
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
        out.Columns.append({fieldName, declaration});
    }
    if (offset > recordSize) {
        error = QStringLiteral("Повреждён заголовок таблицы Paradox: ") + path;
        return false;
    }

    QSet<long> autoIncValues;
    int autoIncColumn = -1;
    for (int i = 0; i < fieldCount && autoIncColumn < 0; ++i) {
        if (layout[i].Type == pxfAutoInc)
            autoIncColumn = i;
    }
    for (QByteArray& record : read.Records) {
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
