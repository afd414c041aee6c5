#pragma once

#include "platform/CodePages.h"
#include "protocols/ChannelOptions.h"
#include "protocols/DefaultProtocols.h"

#include <QByteArray>
#include <QString>

#include <cstring>

namespace korvane::test {

// Composes protocol file bytes by hand, item by item, independently of the
// writer under test.
class ProtocolFileBytes {
public:
    ProtocolFileBytes& i32(qint32 v)
    {
        for (int i = 0; i < 4; ++i)
            m_bytes.append(char((quint32(v) >> (8 * i)) & 0xFF));
        return *this;
    }
    ProtocolFileBytes& f64(double v)
    {
        quint64 bits;
        std::memcpy(&bits, &v, 8);
        for (int i = 0; i < 8; ++i)
            m_bytes.append(char((bits >> (8 * i)) & 0xFF));
        return *this;
    }
    ProtocolFileBytes& str(const QString& text)
    {
        const QByteArray b = codepage::toCp1251(text);
        m_bytes.append(char(b.size()));
        m_bytes.append(b);
        return *this;
    }
    ProtocolFileBytes& flag(char c)
    {
        m_bytes.append(c);
        return *this;
    }
    ProtocolFileBytes& raw(const QByteArray& b)
    {
        m_bytes.append(b);
        return *this;
    }
    // One value item: Value, parameter name, Value again, Min, Max.
    ProtocolFileBytes& value(const QString& v, const QString& name, double min = 0, double max = 0)
    {
        return str(v).str(name).str(v).f64(min).f64(max);
    }
    // Eight channel blocks of the given record and zero port tables.
    ProtocolFileBytes& channels(const TChannelOptions& o = DefaultChannelOptions())
    {
        for (int c = 0; c < 8; ++c)
            m_bytes.append(o.toBytes()).append(QByteArray(20, '\0'));
        return *this;
    }
    // Three empty lists, for the kinds after the first.
    ProtocolFileBytes& emptyKinds(int n = 3)
    {
        for (int i = 0; i < n; ++i)
            i32(0);
        return *this;
    }

    const QByteArray& bytes() const { return m_bytes; }

private:
    QByteArray m_bytes;
};

} // namespace korvane::test
