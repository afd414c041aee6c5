#include "MoCatalog.h"

#include <QFile>
#include <QtEndian>

namespace korvane::tools {

bool MoCatalog::Load(const QString& path, QString& error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = file.errorString();
        return false;
    }
    const QByteArray data = file.readAll();
    if (data.size() < 28) {
        error = QStringLiteral("too short for a message catalogue");
        return false;
    }
    const auto* bytes = reinterpret_cast<const uchar*>(data.constData());
    bool bigEndian = false;
    if (qFromLittleEndian<quint32>(bytes) == 0x950412deU)
        bigEndian = false;
    else if (qFromBigEndian<quint32>(bytes) == 0x950412deU)
        bigEndian = true;
    else {
        error = QStringLiteral("not a message catalogue");
        return false;
    }
    const auto word = [&](qsizetype at) -> quint32 {
        if (at < 0 || at + 4 > data.size())
            return 0;
        return bigEndian ? qFromBigEndian<quint32>(bytes + at) : qFromLittleEndian<quint32>(bytes + at);
    };
    const auto text = [&](qsizetype entry, bool& ok) -> QByteArray {
        const quint32 length = word(entry);
        const quint32 offset = word(entry + 4);
        ok = qsizetype(offset) + qsizetype(length) <= data.size();
        return ok ? data.mid(offset, length) : QByteArray();
    };
    const quint32 count = word(8);
    const quint32 originals = word(12);
    const quint32 translations = word(16);
    for (quint32 i = 0; i < count; ++i) {
        bool ok1 = false;
        bool ok2 = false;
        QByteArray original = text(originals + 8 * qsizetype(i), ok1);
        QByteArray translation = text(translations + 8 * qsizetype(i), ok2);
        if (!ok1 || !ok2) {
            error = QStringLiteral("damaged message catalogue");
            return false;
        }
        // Plural forms: the first, singular one counts.
        original = original.left(original.indexOf('\0') < 0 ? original.size() : original.indexOf('\0'));
        translation = translation.left(translation.indexOf('\0') < 0 ? translation.size() : translation.indexOf('\0'));
        if (!original.isEmpty())
            m_messages.insert(original, translation);
    }
    return true;
}

QString MoCatalog::Translate(const QString& original) const
{
    return QString::fromUtf8(m_messages.value(original.toUtf8()));
}

} // namespace korvane::tools
