// Seeded random code sequences and texts through the telegraph code: any
// bytes decode, any text encodes to codes, and the two conversions undo each
// other exactly as far as the registers carry the characters.

#include "support/TelegraphCode.h"

#include <gtest/gtest.h>

#include <array>
#include <random>

using namespace korvane;

namespace {

class Random {
public:
    explicit Random(std::uint32_t seed) : m_rng(seed) {}
    size_t pick(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(m_rng); }
    QChar from(QStringView chars) { return chars[qsizetype(pick(size_t(chars.size())))]; }

private:
    std::mt19937 m_rng;
};

bool isShift(std::uint8_t code) { return code == 0 || code == 27 || code == 31; }

QString decode(QByteArrayView codes, TelegraphRegister& reg, bool showShifts)
{
    QString text;
    DecodeTelegraph(codes, text, reg, showShifts);
    return text;
}

QByteArray encode(QStringView text, TelegraphRegister& reg)
{
    QByteArray codes;
    EncodeTelegraph(text, codes, reg);
    return codes;
}

std::string hex(QByteArrayView b) { return QByteArray(b.data(), b.size()).toHex(' ').toStdString(); }

// Characters that the registers carry, and the marks.
const QString& carried()
{
    static const QString chars = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                                "АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЫЬЭЮЯабвгдежзийклмнопрстуфхцчшщыьэюя"
                                                "3-'87@ЧЮ,Э:(5+)2Щ6019?Ш./= \r\n<_*$^\\");
    return chars;
}

// Characters with a sign of another one, or with none at all.
const QString& substituted()
{
    static const QString chars = QStringLiteral("ЪъЁёЄєІіЇїҐґ№#\"`!%&;>4[]{|}~\t") + QChar(0) + QChar(0x7F)
        + QChar(0x2014) + QChar(0xD800) + QChar(0xFFFF);
    return chars;
}

// The text that comes back from decoding the codes of Text without shift
// marks: letters in capitals; the line marks as CR and LF; the shift marks
// gone; the bell as figures code 11 ('Ю'); the substitutes by the encoding
// rules; figures code 10 as its current table entry; characters without a
// sign gone.
QString expectedBack(QStringView text)
{
    QString out;
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'<': out += u'\r'; continue;
        case u'_': out += u'\n'; continue;
        case u'*': case u'$': case u'^': continue;
        case u'\\': out += u'Ю'; continue;
        case u'Ъ': case u'ъ': out += u'Ь'; continue;
        case u'Ё': case u'ё': case u'Є': case u'є': out += u'Е'; continue;
        case u'І': case u'і': case u'Ї': case u'ї': out += u'I'; continue;
        case u'Ґ': case u'ґ': out += u'Г'; continue;
        case u'№': case u'#': out += u'N'; continue;
        case u'"': case u'`': out += u'\''; continue;
        case u'!': case u'%': case u'&': case u';': case u'>': out += u' '; continue;
        case u'4': case u'Ч': out += figsCodeTableEntry10(); continue;
        default: break;
        }
        if (carried().contains(c))
            out += c.toUpper();
    }
    return out;
}

} // namespace

TEST(RandomTelegraphCodes, AnyBytesDecodeFromAnyRegister)
{
    Random rnd(101u);
    for (int i = 0; i < 2000 && !HasFailure(); ++i) {
        QByteArray codes;
        for (int n = int(rnd.pick(40)); n > 0; --n)
            codes.append(char(rnd.pick(256)));
        QByteArray low = codes;
        for (char& b : low)
            b = char(b & 31);
        const auto start = TelegraphRegister(rnd.pick(256));

        TelegraphRegister withMarks = start;
        const QString shown = decode(codes, withMarks, true);
        TelegraphRegister plain = start;
        const QString text = decode(codes, plain, false);
        TelegraphRegister masked = start;
        EXPECT_EQ(decode(low, masked, true), shown) << hex(codes);
        EXPECT_EQ(masked, withMarks);

        // One character per code, the shifts as marks or not at all; the
        // register is that of the last shift, or the one handed in.
        qsizetype shifts = 0;
        TelegraphRegister last = start;
        for (const char b : low)
            if (isShift(std::uint8_t(b))) {
                ++shifts;
                last = TelegraphRegister(b);
            }
        ASSERT_EQ(shown.size(), codes.size()) << hex(codes);
        EXPECT_EQ(text.size(), codes.size() - shifts) << hex(codes);
        EXPECT_EQ(withMarks, last);
        EXPECT_EQ(plain, last);
        QString stripped;
        StripTextMarks(shown, stripped);
        EXPECT_EQ(stripped, text) << hex(codes);
        for (const QChar c : shown)
            EXPECT_NE(c, QChar(0)) << hex(codes);

        // Without a register in force the figures are read.
        if (!isShift(start)) {
            TelegraphRegister figures = FiguresRegister;
            EXPECT_EQ(decode(codes, figures, true), shown) << hex(codes);
        }
    }
}

TEST(RandomTelegraphCodes, DecodedCodesEncodeBackToTheSameCodes)
{
    // Every character decoded in a register is encoded in that register
    // again without a shift; only '@' (figures code 9) brings its own
    // figures shift with it.
    Random rnd(202u);
    const TelegraphRegister registers[] = {RussianRegister, LatinRegister, FiguresRegister};
    for (int i = 0; i < 2000 && !HasFailure(); ++i) {
        QByteArray codes;
        for (int n = int(rnd.pick(40)); n > 0; --n)
            codes.append(char(rnd.pick(32)));
        const TelegraphRegister start = registers[rnd.pick(3)];

        TelegraphRegister decodeReg = start;
        const QString text = decode(codes, decodeReg, true);
        TelegraphRegister encodeReg = start;
        const QByteArray back = encode(text, encodeReg);

        QByteArray expected;
        TelegraphRegister reg = start;
        for (const char b : codes) {
            if (isShift(std::uint8_t(b)))
                reg = TelegraphRegister(b);
            else if (b == 9 && reg == FiguresRegister)
                expected.append(char(FiguresRegister));
            expected.append(b);
        }
        EXPECT_EQ(hex(back), hex(expected)) << "from " << int(start) << ": " << text.toStdString();
        EXPECT_EQ(encodeReg, decodeReg);
    }
}

TEST(RandomTelegraphCodes, EncodedTextDecodesBackAsTheMarksAndSubstitutesSay)
{
    Random rnd(303u);
    for (int i = 0; i < 2000 && !HasFailure(); ++i) {
        QString text;
        for (int n = int(rnd.pick(40)); n > 0; --n)
            text += rnd.pick(8) == 0 ? rnd.from(substituted()) : rnd.from(carried());
        const auto start = TelegraphRegister(rnd.pick(4) == 0 ? rnd.pick(256) : std::array{0, 27, 31}[rnd.pick(3)]);

        TelegraphRegister encodeReg = start;
        const QByteArray codes = encode(text, encodeReg);
        for (const char b : codes)
            ASSERT_LT(std::uint8_t(b), 32) << text.toStdString();
        EXPECT_LE(codes.size(), 3 * text.size());

        TelegraphRegister decodeReg = start;
        EXPECT_EQ(decode(codes, decodeReg, false), expectedBack(text)) << text.toStdString() << " | " << hex(codes);
        EXPECT_EQ(decodeReg, encodeReg) << text.toStdString();

        // With the shifts shown, the text is the same once they are taken out.
        TelegraphRegister shownReg = start;
        QString stripped;
        StripTextMarks(decode(codes, shownReg, true), stripped);
        EXPECT_EQ(stripped, expectedBack(text));

        // One character at a time, the register handed over, gives the same codes.
        TelegraphRegister stepReg = start;
        QByteArray stepped;
        QByteArray one;
        for (const QChar c : text) {
            EncodeTelegraph(QStringView(&c, 1), one, stepReg);
            stepped += one;
        }
        EXPECT_EQ(hex(stepped), hex(codes)) << text.toStdString();
        EXPECT_EQ(stepReg, encodeReg);
    }
}

TEST(RandomTelegraphCodes, AnyTextEncodesIntoCodes)
{
    Random rnd(404u);
    for (int i = 0; i < 1000 && !HasFailure(); ++i) {
        QString text;
        for (int n = int(rnd.pick(60)); n > 0; --n)
            text += QChar(char16_t(rnd.pick(0x10000)));
        const auto start = TelegraphRegister(rnd.pick(256));
        TelegraphRegister reg = start;
        const QByteArray codes = encode(text, reg);
        EXPECT_LE(codes.size(), 3 * text.size());
        for (const char b : codes)
            EXPECT_LT(std::uint8_t(b), 32);
        // Characters beyond ASCII, the Cyrillic block and '№' have no sign:
        // the codes are those of the text without them.
        QString known;
        for (const QChar c : text)
            if (c.unicode() < 0x80 || (c.unicode() >= 0x400 && c.unicode() < 0x500) || c == u'№')
                known += c;
        TelegraphRegister knownReg = start;
        EXPECT_EQ(encode(known, knownReg), codes);
        EXPECT_EQ(knownReg, reg);
    }
}
