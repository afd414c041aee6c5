#pragma once

#include "platform/CodePages.h"
#include "protocols/ChannelOptions.h"
#include "protocols/DefaultProtocols.h"

#include <QByteArray>
#include <QString>

#include <cstring>

namespace korvane::test {

// The first 90 bytes of a protocol file written from the default set, item by
// item: one protocol of kind 1, "Стандарт A", 'N', 42 steps; the first step
// "Отбой приема" of the class of that name, 'N', two values; the first value
// "350" of "Длительность-Д" with Min 50.0 and Max 3500.0.
inline QByteArray defaultFileHead()
{
    return QByteArray::fromHex("01000000"
                               "0a" "d1f2e0ede4e0f0f22041"
                               "4e"
                               "2a000000"
                               "0c" "cef2e1eee920eff0e8e5ece0"
                               "0c" "cef2e1eee920eff0e8e5ece0"
                               "4e"
                               "02000000"
                               "03" "333530"
                               "0e" "c4ebe8f2e5ebfcedeef1f2fc2dc4"
                               "03" "333530"
                               "0000000000004940"
                               "000000000058ab40");
}

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
