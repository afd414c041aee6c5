#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <array>
#include <cstdint>
#include <cstring>
#include <stdexcept>

namespace korvane {

// Raised when a byte source ends before an item it must hold.
class ReadPastEndError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Appends little-endian items to a byte array.
class LittleEndianWriter {
public:
    explicit LittleEndianWriter(QByteArray& out) : m_out(out) {}

    void u8(std::uint8_t v) { m_out.append(char(v)); }
    void u16(std::uint16_t v) { u8(std::uint8_t(v)); u8(std::uint8_t(v >> 8)); }
    void u32(std::uint32_t v) { u16(std::uint16_t(v)); u16(std::uint16_t(v >> 16)); }
    void i32(std::int32_t v) { u32(std::uint32_t(v)); }
    void f64(double v)
    {
        std::uint64_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        u32(std::uint32_t(bits));
        u32(std::uint32_t(bits >> 32));
    }
    template <std::size_t N>
    void bytes(const std::array<std::uint8_t, N>& a)
    {
        m_out.append(reinterpret_cast<const char*>(a.data()), qsizetype(N));
    }
    void raw(QByteArrayView b) { m_out.append(b.data(), b.size()); }

private:
    QByteArray& m_out;
};

// Reads little-endian items from a byte range; reading past its end raises
// ReadPastEndError.
class LittleEndianReader {
public:
    explicit LittleEndianReader(QByteArrayView in) : m_in(in) {}

    qsizetype position() const { return m_pos; }
    qsizetype remaining() const { return m_in.size() - m_pos; }

    std::uint8_t u8()
    {
        need(1);
        return std::uint8_t(m_in[m_pos++]);
    }
    std::uint16_t u16()
    {
        const std::uint16_t lo = u8();
        return std::uint16_t(lo | (std::uint16_t(u8()) << 8));
    }
    std::uint32_t u32()
    {
        const std::uint32_t lo = u16();
        return lo | (std::uint32_t(u16()) << 16);
    }
    std::int32_t i32() { return std::int32_t(u32()); }
    double f64()
    {
        const std::uint64_t lo = u32();
        const std::uint64_t bits = lo | (std::uint64_t(u32()) << 32);
        double v;
        std::memcpy(&v, &bits, sizeof v);
        return v;
    }
    template <std::size_t N>
    void bytes(std::array<std::uint8_t, N>& a)
    {
        need(qsizetype(N));
        std::memcpy(a.data(), m_in.data() + m_pos, N);
        m_pos += qsizetype(N);
    }
    QByteArrayView raw(qsizetype n)
    {
        need(n);
        const QByteArrayView v = m_in.sliced(m_pos, n);
        m_pos += n;
        return v;
    }

private:
    void need(qsizetype n) const
    {
        if (n < 0 || remaining() < n)
            throw ReadPastEndError("read past the end of the data");
    }

    QByteArrayView m_in;
    qsizetype m_pos = 0;
};

} // namespace korvane
