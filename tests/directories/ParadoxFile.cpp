#include "ParadoxFile.h"

#include <QFile>

// pxlib's header declares C functions without a C++ guard.
extern "C" {
#include <paradox.h>
}

#include <vector>

namespace korvane::test {

namespace {

// The fields of one row in pxlib's record layout.
void EncodeRecord(pxdoc_t* doc, const QList<ParadoxField>& fields, const QVariantList& row, std::vector<char>& record)
{
    std::fill(record.begin(), record.end(), 0);
    int offset = 0;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        char* at = record.data() + offset;
        const ParadoxField& f = fields[i];
        const QVariant v = i < row.size() ? row[i] : QVariant();
        if (!v.isNull()) {
            switch (f.Type) {
            case pxfAlpha: {
                QByteArray text = v.toByteArray();
                PX_put_data_alpha(doc, at, f.Length, text.data());
                break;
            }
            case pxfShort:
                PX_put_data_short(doc, at, f.Length, static_cast<short>(v.toInt()));
                break;
            default:
                PX_put_data_long(doc, at, f.Length, v.toInt());
                break;
            }
        }
        offset += f.Length;
    }
}

// A new table file with Fields and no records; its document stays open.
pxdoc_t* CreateParadoxFile(const QString& path, const QList<ParadoxField>& fields, int codePage)
{
    PX_boot();
    pxdoc_t* doc = PX_new();
    if (!doc)
        return nullptr;
    // pxlib takes over the field array and frees it with the document.
    auto* defs = static_cast<pxfield_t*>(doc->malloc(doc, sizeof(pxfield_t) * fields.size(), "fields"));
    for (qsizetype i = 0; i < fields.size(); ++i) {
        defs[i].px_fname = PX_strdup(doc, fields[i].Name.constData());
        defs[i].px_ftype = static_cast<char>(fields[i].Type);
        defs[i].px_flen = fields[i].Length;
        defs[i].px_fdc = 0;
    }
    if (PX_create_file(doc, defs, static_cast<int>(fields.size()), QFile::encodeName(path).constData(),
                       pxfFileTypNonIndexDB)
        < 0) {
        PX_delete(doc);
        return nullptr;
    }
    PX_set_value(doc, "codepage", static_cast<float>(codePage));
    return doc;
}

} // namespace

bool WriteParadoxFile(const QString& path, const QList<ParadoxField>& fields, const QList<QVariantList>& rows,
                      int codePage)
{
    pxdoc_t* doc = CreateParadoxFile(path, fields, codePage);
    if (!doc)
        return false;
    std::vector<char> record(static_cast<size_t>(PX_get_recordsize(doc)));
    for (const QVariantList& row : rows) {
        EncodeRecord(doc, fields, row, record);
        if (PX_put_record(doc, record.data()) < 0) {
            PX_close(doc);
            PX_delete(doc);
            return false;
        }
    }
    PX_close(doc);
    PX_delete(doc);
    return true;
}

bool WriteParadoxFileQuickly(const QString& path, const QList<ParadoxField>& fields, const QList<QVariantList>& rows,
                             int codePage)
{
    pxdoc_t* doc = CreateParadoxFile(path, fields, codePage);
    if (!doc)
        return false;
    const int recordSize = PX_get_recordsize(doc);
    std::vector<char> record(static_cast<size_t>(recordSize));
    QList<QByteArray> records;
    for (const QVariantList& row : rows) {
        EncodeRecord(doc, fields, row, record);
        records.append(QByteArray(record.data(), recordSize));
    }
    PX_close(doc);
    PX_delete(doc);

    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    QByteArray header = file.readAll();
    const int headerSize = static_cast<unsigned char>(header[2]) | static_cast<unsigned char>(header[3]) << 8;
    const int blockSize = static_cast<unsigned char>(header[5]) * 1024;
    const int perBlock = (blockSize - 6) / recordSize;
    const int blocks = (static_cast<int>(records.size()) + perBlock - 1) / perBlock;
    header.resize(headerSize);
    PutLittleEndian(header, 0x06, static_cast<quint32>(records.size()), 4); // records
    PutLittleEndian(header, 0x0A, blocks, 2);                               // next block to use
    PutLittleEndian(header, 0x0C, blocks, 2);                               // blocks in the file
    PutLittleEndian(header, 0x0E, blocks > 0 ? 1 : 0, 2);                   // first block
    PutLittleEndian(header, 0x10, blocks, 2);                               // last block
    PutLittleEndian(header, 0x3A, blocks, 2);                               // blocks allotted
    QByteArray bytes = header;
    for (int b = 0; b < blocks; ++b) {
        QByteArray block(blockSize, '\0');
        const int first = b * perBlock;
        const int count = std::min(perBlock, static_cast<int>(records.size()) - first);
        PutLittleEndian(block, 0, b + 1 < blocks ? b + 2 : 0, 2); // next
        PutLittleEndian(block, 2, b, 2);                          // previous
        PutLittleEndian(block, 4, static_cast<quint32>((count - 1) * recordSize), 2);
        for (int r = 0; r < count; ++r)
            block.replace(6 + r * recordSize, recordSize, records[first + r]);
        bytes += block;
    }
    file.seek(0);
    file.resize(0);
    return file.write(bytes) == bytes.size() && file.flush();
}

void PutLittleEndian(QByteArray& bytes, qsizetype at, quint32 value, int size)
{
    for (int i = 0; i < size; ++i)
        bytes[at + i] = static_cast<char>(value >> (8 * i) & 0xFF);
}

} // namespace korvane::test
