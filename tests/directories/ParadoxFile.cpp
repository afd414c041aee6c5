#include "ParadoxFile.h"

#include <QFile>

// pxlib's header declares C functions without a C++ guard.
extern "C" {
#include <paradox.h>
}

#include <vector>

namespace korvane::test {

bool WriteParadoxFile(const QString& path, const QList<ParadoxField>& fields, const QList<QVariantList>& rows,
                      int codePage)
{
    PX_boot();
    pxdoc_t* doc = PX_new();
    if (!doc)
        return false;
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
        return false;
    }
    PX_set_value(doc, "codepage", static_cast<float>(codePage));
    std::vector<char> record(static_cast<size_t>(PX_get_recordsize(doc)));
    for (const QVariantList& row : rows) {
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

} // namespace korvane::test
