#include "support/FileError.h"
#include "support/OemText.h"

#include "platform/CodePages.h"
#include "tests/fakes/FileSizeLimit.h"
#include "tests/fakes/TestFiles.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace korvane;

namespace {

// Every Cyrillic letter that both code pages hold.
QString cyrillicLetters()
{
    QString s;
    for (char16_t c = u'А'; c <= u'я'; ++c)
        s += QChar(c);
    s += QStringLiteral("ЁёЄєЇїЎў");
    return s;
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    return f.readAll();
}

void writeFile(const QString& path, const QByteArray& body)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(body), body.size());
}

} // namespace

// --- single strings ---------------------------------------------------------

TEST(OemConversion, EveryCyrillicLetterSurvivesAnsiToOemAndBack)
{
    const QString letters = cyrillicLetters();
    for (const QChar letter : letters) {
        const QByteArray ansi = codepage::toCp1251(QString(letter));
        QByteArray s = ansi;
        AnsiToOemShort(s);
        ASSERT_EQ(s.size(), 1);
        EXPECT_EQ(codepage::cp866ToUnicode(static_cast<unsigned char>(s[0])), letter.unicode())
            << "letter U+" << std::hex << int(letter.unicode());
        OemToAnsiStr(s);
        EXPECT_EQ(s, ansi) << "letter U+" << std::hex << int(letter.unicode());
        QByteArray t = codepage::cp1251ToCp866(ansi);
        OemToAnsiShort(t);
        EXPECT_EQ(t, ansi);
    }
}

TEST(OemConversion, KnownBytes)
{
    // 'А' C0/80, 'п' EF/AF, 'р' F0/E0, 'я' FF/EF, 'Ё' A8/F0, '№' B9/FC.
    QByteArray s("\xC0\xEF\xF0\xFF\xA8\xB9 A1", 9);
    AnsiToOemShort(s);
    EXPECT_EQ(s, QByteArray("\x80\xAF\xE0\xEF\xF0\xFC A1", 9));
    OemToAnsiStr(s);
    EXPECT_EQ(s, QByteArray("\xC0\xEF\xF0\xFF\xA8\xB9 A1", 9));
}

TEST(OemConversion, ConvertsTheWholeStringWhateverItsLength)
{
    QString line;
    while (line.size() < 300)
        line += cyrillicLetters();
    line.truncate(300);
    const QByteArray ansi = codepage::toCp1251(line);
    QByteArray s = ansi;
    AnsiToOemShort(s);
    ASSERT_EQ(s.size(), 300);
    EXPECT_EQ(codepage::fromCp866(s), line);
    OemToAnsiShort(s);
    EXPECT_EQ(s, ansi);

    // A NUL inside the string does not stop the in-place conversions.
    QByteArray withNul("\x80\0\x81", 3);
    OemToAnsiStr(withNul);
    EXPECT_EQ(withNul, QByteArray("\xC0\0\xC1", 3));
}

TEST(OemConversion, OemToAnsiStopsAtTheFirstNul)
{
    EXPECT_EQ(OemToAnsi(QByteArray("\x8F\xE0\xA8\xA2\xA5\xE2", 6)), QStringLiteral("Привет"));
    EXPECT_EQ(OemToAnsi(QByteArray("\x8F\xE0\0\xA8", 4)), QStringLiteral("Пр"));
    EXPECT_EQ(OemToAnsi(QByteArray("\0\x80", 2)), QString());
    EXPECT_EQ(AnsiToOem(QStringLiteral("Привет")), QByteArray("\x8F\xE0\xA8\xA2\xA5\xE2", 6));
}

// --- string lists and files -------------------------------------------------

class OemFiles : public ::testing::Test {
protected:
    QString path(const QString& name) const { return dir_.filePath(name); }
    QTemporaryDir dir_;
};

TEST_F(OemFiles, LoadGivesRawLinesAndTheirText)
{
    struct Case {
        const char* name;
        QByteArray body;
        QStringList text;
    };
    const Case cases[] = {
        {"crlf", QByteArray("\x87\x8A\r\nAB 12\r\n"), {QStringLiteral("ЗК"), QStringLiteral("AB 12")}},
        {"no end on last line", QByteArray("\x87\x8A\r\nAB"), {QStringLiteral("ЗК"), QStringLiteral("AB")}},
        {"bare lf and cr", QByteArray("a\nb\rc"), {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}},
        {"empty lines kept", QByteArray("a\r\n\r\nb\r\n"), {QStringLiteral("a"), QString(), QStringLiteral("b")}},
        {"empty file", QByteArray(), {}},
    };
    for (const Case& c : cases) {
        const QString file = path(QStringLiteral("T.TLG"));
        writeFile(file, c.body);
        OemLines raw;
        QStringList text;
        LoadOemStrings(file, raw, text);
        EXPECT_EQ(text, c.text) << c.name;
        ASSERT_EQ(raw.size(), text.size()) << c.name;
        for (qsizetype i = 0; i < raw.size(); ++i)
            EXPECT_EQ(codepage::fromCp866(raw[i]), text[i]) << c.name;
    }
}

TEST_F(OemFiles, SaveWritesOemLinesEndingCrLfAndLoadReadsThemBack)
{
    const QStringList lines = {QStringLiteral("|      #"), QStringLiteral("ТЕЛЕГРАММА ЁЖ №5"), QString(),
                               QStringLiteral("конец")};
    OemLines raw = {QByteArray("stale")};
    const QString file = path(QStringLiteral("TEL00001.TLG"));
    SaveOemStrings(file, raw, lines);

    QByteArray expected;
    for (const QString& l : lines)
        expected += codepage::toCp866(l) + "\r\n";
    EXPECT_EQ(readFile(file), expected);
    ASSERT_EQ(raw.size(), lines.size());
    EXPECT_EQ(raw[1], codepage::toCp866(lines[1]));

    OemLines raw2;
    QStringList back;
    LoadOemStringsClear(file, raw2, back);
    EXPECT_EQ(back, lines);
    EXPECT_EQ(raw2, raw);
}

TEST_F(OemFiles, SaveReplacesALongerFile)
{
    const QString file = path(QStringLiteral("A.TXT"));
    writeFile(file, QByteArray(1000, 'x'));
    OemLines raw;
    SaveOemStrings(file, raw, {QStringLiteral("ab")});
    EXPECT_EQ(readFile(file), QByteArray("ab\r\n"));
}

TEST_F(OemFiles, StringsToOemEmptiesTheDestinationFirst)
{
    OemLines dest = {QByteArray("old1"), QByteArray("old2"), QByteArray("old3")};
    StringsToOem({QStringLiteral("Я"), QStringLiteral("z")}, dest);
    EXPECT_EQ(dest, (OemLines{QByteArray("\x9F"), QByteArray("z")}));
}

TEST_F(OemFiles, LoadFailureRaisesOpenErrorAndOnlyTheClearingLoadEmptiesTheLists)
{
    const QString missing = path(QStringLiteral("NONE.TLG"));
    OemLines raw = {QByteArray("keep")};
    QStringList text = {QStringLiteral("keep")};
    try {
        LoadOemStrings(missing, raw, text);
        FAIL() << "no error raised";
    } catch (const FileError& e) {
        EXPECT_EQ(e.kind(), FileError::Kind::Open);
        EXPECT_EQ(e.message(), QStringLiteral("Ошибка открытия файла ") + missing);
    }
    EXPECT_EQ(text, QStringList{QStringLiteral("keep")});
    EXPECT_EQ(raw.size(), 1);

    EXPECT_THROW(LoadOemStringsClear(missing, raw, text), FileError);
    EXPECT_TRUE(raw.isEmpty());
    EXPECT_TRUE(text.isEmpty());
}

TEST_F(OemFiles, SaveFailureRaisesCreateError)
{
    const QString file = path(QStringLiteral("no/such/folder/X.TLG"));
    OemLines raw;
    try {
        SaveOemStrings(file, raw, {QStringLiteral("a")});
        FAIL() << "no error raised";
    } catch (const FileError& e) {
        EXPECT_EQ(e.kind(), FileError::Kind::Create);
        EXPECT_EQ(e.message(), QStringLiteral("Ошибка создания файла ") + file);
    }
}

TEST(OemFilesDevice, SaveOnAFullDiskRaisesWriteErrorAndKeepsTheOldFile)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("TEL00001.TLG"));
    ASSERT_TRUE(korvane::test::WriteFileBytes(file, "|#111\r\nOLD TEXT\r\n"));
    OemLines raw;
    try {
        const korvane::test::FileSizeLimit full(8);
        SaveOemStrings(file, raw, {QStringLiteral("|*111"), QStringLiteral("OLD TEXT")});
        FAIL() << "no error raised";
    } catch (const FileError& e) {
        EXPECT_EQ(e.kind(), FileError::Kind::Write);
    }
    EXPECT_EQ(korvane::test::ReadFileBytes(file), "|#111\r\nOLD TEXT\r\n");
}
