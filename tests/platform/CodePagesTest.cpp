#include "platform/CodePages.h"

#include <gtest/gtest.h>

using namespace korvane;

namespace {

QString allCyrillicLetters()
{
    QString s;
    for (char16_t c = 0x0410; c <= 0x044F; ++c)
        s += QChar(c);
    s += QStringLiteral("ЁёЄєЇїЎў");
    return s;
}

} // namespace

TEST(CodePages, EveryCyrillicLetterSurvivesCp1251ToCp866AndBack)
{
    const QString letters = allCyrillicLetters();
    const QByteArray ansi = codepage::toCp1251(letters);
    ASSERT_EQ(ansi.size(), letters.size());
    EXPECT_FALSE(ansi.contains('?'));
    const QByteArray oem = codepage::cp1251ToCp866(ansi);
    EXPECT_FALSE(oem.contains('?'));
    EXPECT_EQ(codepage::cp866ToCp1251(oem), ansi);
    EXPECT_EQ(codepage::fromCp866(oem), letters);
    EXPECT_EQ(codepage::fromCp1251(ansi), letters);
}

TEST(CodePages, KnownBytesOfBothPages)
{
    struct Case {
        char16_t c;
        unsigned char ansi;
        unsigned char oem;
    };
    const Case cases[] = {
        {u'А', 0xC0, 0x80}, {u'п', 0xEF, 0xAF}, {u'р', 0xF0, 0xE0}, {u'я', 0xFF, 0xEF},
        {u'Ё', 0xA8, 0xF0}, {u'ё', 0xB8, 0xF1}, {u'№', 0xB9, 0xFC}, {u'A', 0x41, 0x41},
        {u'\r', 0x0D, 0x0D}, {0x00A0, 0xA0, 0xFF},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(static_cast<int>(k.c));
        EXPECT_EQ(static_cast<unsigned char>(codepage::unicodeToCp1251(k.c)), k.ansi);
        EXPECT_EQ(static_cast<unsigned char>(codepage::unicodeToCp866(k.c)), k.oem);
        EXPECT_EQ(codepage::cp1251ToUnicode(k.ansi), k.c);
        EXPECT_EQ(codepage::cp866ToUnicode(k.oem), k.c);
    }
}

TEST(CodePages, Cp1251CharactersMissingFromCp866TakeACloseFitOrQuestionMark)
{
    struct Case {
        const char16_t* from;
        const char* to866;
    };
    const Case cases[] = {
        {u"І", "I"}, {u"і", "i"}, {u"Ј", "J"}, {u"ѕ", "s"},
        {u"«»", "\"\""}, {u"–—", "--"}, {u"…", "."},
        {u"€", "?"}, {u"©", "?"}, {u"Ђ", "?"}, {u"‰", "?"},
    };
    for (const Case& k : cases) {
        const QString text = QString::fromUtf16(k.from);
        SCOPED_TRACE(text.toStdString());
        EXPECT_EQ(codepage::toCp866(text), QByteArray(k.to866));
        EXPECT_EQ(codepage::cp1251ToCp866(codepage::toCp1251(text)), QByteArray(k.to866));
    }
    // Ґ becomes Г, which CP866 has.
    EXPECT_EQ(codepage::toCp866(u"Ґґ"), codepage::toCp866(u"Гг"));
}

TEST(CodePages, Cp866GraphicsMapToPlainSignsInCp1251)
{
    EXPECT_EQ(codepage::cp866ToCp1251(QByteArray("\xC4\xB3\xDA\xCD\xBA\xB0", 6)), QByteArray("-|+-|?"));
    EXPECT_EQ(codepage::cp866ToCp1251(QByteArray("\xF9", 1)), QByteArray("\xB7", 1));
}

TEST(CodePages, CharactersOutsideBothPagesBecomeQuestionMarks)
{
    EXPECT_EQ(codepage::toCp1251(u"a\u4E2Db"), QByteArray("a?b"));
    EXPECT_EQ(codepage::toCp866(u"a\u4E2Db"), QByteArray("a?b"));
}

TEST(CodePages, EveryCp1251ByteRoundTripsThroughUnicode)
{
    QByteArray all(256, '\0');
    for (int i = 0; i < 256; ++i)
        all[i] = static_cast<char>(i);
    EXPECT_EQ(codepage::toCp1251(codepage::fromCp1251(all)), all);
    EXPECT_EQ(codepage::toCp866(codepage::fromCp866(all)), all);
}

TEST(CodePages, LongTextIsConvertedWhole)
{
    const QString line = QString(300, QChar(u'Ж'));
    const QByteArray oem = codepage::toCp866(line);
    EXPECT_EQ(oem, QByteArray(300, '\x86'));
    EXPECT_EQ(codepage::fromCp866(oem), line);
}
