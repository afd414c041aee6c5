#include "platform/CodePages.h"

#include <array>

namespace korvane::codepage {
namespace {

// Upper halves of the two pages, as Unicode. CP1251 leaves 0x98 undefined;
// it is carried as U+0098 so that such a byte survives a round trip.
constexpr std::array<char16_t, 128> kCp1251High = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F, // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, // B8
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417, // C0 А..
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437, // E0 а..
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
};

constexpr std::array<char16_t, 128> kCp866High = {
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417, // 80 А..
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437, // A0 а..п
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556, // B0
    0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510,
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, // C0
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567,
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B, // D0
    0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447, // E0 р..я
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
    0x0401, 0x0451, 0x0404, 0x0454, 0x0407, 0x0457, 0x040E, 0x045E, // F0
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x2116, 0x00A4, 0x25A0, 0x00A0,
};

// Close fits used when a character is missing from the target page.
struct Fit {
    char16_t from;
    char16_t to;
};

constexpr Fit kFitsFor866[] = {
    {0x0406, u'I'}, {0x0456, u'i'},       // І і
    {0x0408, u'J'}, {0x0458, u'j'},       // Ј ј
    {0x0405, u'S'}, {0x0455, u's'},       // Ѕ ѕ
    {0x0490, 0x0413}, {0x0491, 0x0433},   // Ґ ґ -> Г г
    {0x201A, u','}, {0x201E, u'"'},       // ‚ „
    {0x2018, u'\''}, {0x2019, u'\''},     // ‘ ’
    {0x201C, u'"'}, {0x201D, u'"'},       // “ ”
    {0x00AB, u'"'}, {0x00BB, u'"'},       // « »
    {0x2039, u'<'}, {0x203A, u'>'},       // ‹ ›
    {0x2013, u'-'}, {0x2014, u'-'},       // – —
    {0x00AD, u'-'},                       // soft hyphen
    {0x2026, u'.'},                       // …
    {0x2022, 0x2219},                     // • -> ∙
};

constexpr Fit kFitsFor1251[] = {
    {0x2219, 0x00B7},                     // ∙ -> ·
};

// Box drawing (U+2500..U+257F) by shape, for CP1251 which has none.
char16_t boxFit(char16_t c)
{
    switch (c) {
    case 0x2500: case 0x2550: return u'-';
    case 0x2502: case 0x2551: return u'|';
    default: return u'+';
    }
}

// A Unicode-to-byte map over the Basic Multilingual Plane, built once.
using ReverseMap = std::array<unsigned char, 0x10000>;

template <typename Fits>
ReverseMap buildReverse(const std::array<char16_t, 128>& high, const Fits& fits, bool boxes)
{
    ReverseMap map{};
    map.fill('?');
    for (unsigned i = 0; i < 0x80; ++i)
        map[i] = static_cast<unsigned char>(i);
    for (unsigned i = 0; i < 128; ++i)
        map[high[i]] = static_cast<unsigned char>(0x80 + i);
    for (const Fit& f : fits)
        if (map[f.from] == '?')
            map[f.from] = map[f.to];
    if (boxes)
        for (char16_t c = 0x2500; c <= 0x257F; ++c)
            if (map[c] == '?')
                map[c] = map[boxFit(c)];
    return map;
}

const ReverseMap& reverse1251()
{
    static const ReverseMap map = buildReverse(kCp1251High, kFitsFor1251, true);
    return map;
}

const ReverseMap& reverse866()
{
    static const ReverseMap map = buildReverse(kCp866High, kFitsFor866, false);
    return map;
}

// Byte-to-byte tables between the pages, built once from the maps above.
using ByteMap = std::array<unsigned char, 256>;

ByteMap buildByteMap(const std::array<char16_t, 128>& fromHigh, const ReverseMap& to)
{
    ByteMap map{};
    for (unsigned i = 0; i < 0x80; ++i)
        map[i] = static_cast<unsigned char>(i);
    for (unsigned i = 0; i < 128; ++i)
        map[0x80 + i] = to[fromHigh[i]];
    return map;
}

QByteArray encode(QStringView text, const ReverseMap& map)
{
    QByteArray out(text.size(), Qt::Uninitialized);
    char* dst = out.data();
    for (QChar c : text)
        *dst++ = static_cast<char>(map[c.unicode()]);
    return out;
}

QString decode(QByteArrayView bytes, const std::array<char16_t, 128>& high)
{
    QString out(bytes.size(), Qt::Uninitialized);
    QChar* dst = out.data();
    for (char b : bytes) {
        const auto u = static_cast<unsigned char>(b);
        *dst++ = QChar(u < 0x80 ? char16_t(u) : high[u - 0x80]);
    }
    return out;
}

QByteArray mapBytes(QByteArrayView bytes, const ByteMap& map)
{
    QByteArray out(bytes.size(), Qt::Uninitialized);
    char* dst = out.data();
    for (char b : bytes)
        *dst++ = static_cast<char>(map[static_cast<unsigned char>(b)]);
    return out;
}

} // namespace

QByteArray toCp1251(QStringView text) { return encode(text, reverse1251()); }
QString fromCp1251(QByteArrayView bytes) { return decode(bytes, kCp1251High); }
QByteArray toCp866(QStringView text) { return encode(text, reverse866()); }
QString fromCp866(QByteArrayView bytes) { return decode(bytes, kCp866High); }

QByteArray cp1251ToCp866(QByteArrayView bytes)
{
    static const ByteMap map = buildByteMap(kCp1251High, reverse866());
    return mapBytes(bytes, map);
}

QByteArray cp866ToCp1251(QByteArrayView bytes)
{
    static const ByteMap map = buildByteMap(kCp866High, reverse1251());
    return mapBytes(bytes, map);
}

char unicodeToCp1251(char16_t c) { return static_cast<char>(reverse1251()[c]); }
char unicodeToCp866(char16_t c) { return static_cast<char>(reverse866()[c]); }

char16_t cp1251ToUnicode(unsigned char b)
{
    return b < 0x80 ? char16_t(b) : kCp1251High[b - 0x80];
}

char16_t cp866ToUnicode(unsigned char b)
{
    return b < 0x80 ? char16_t(b) : kCp866High[b - 0x80];
}

} // namespace korvane::codepage
