#include "support/FileNumbering.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace korvane;

TEST(MatchesFileMask, DosRules)
{
    struct Case {
        const char* name;
        const char* mask;
        bool matches;
    };
    const Case cases[] = {
        {"TLG00001.REC", "TLG*.RE?", true},
        {"TLG00001.RE", "TLG*.RE?", true},
        {"TLG00001.PRT", "TLG*.RE?", false},
        {"TLG00001.RECX", "TLG*.RE?", false},
        {"tlg00001.rec", "TLG*.RE?", true},
        {"TLG00001.REC", "tlg*.re?", true},
        {"TEL00001.TLG", "TLG*.RE?", false},
        {"TEL00001.TLG", "TEL*.*", true},
        {"TEL00001", "TEL*.*", true},
        {"TELNOTES.TXT", "TEL*.*", true},
        {"XTEL0001.TLG", "TEL*.*", false},
        {"DLG00004.PTC", "DLG*.PT?", true},
        {"DLG00004.PT", "DLG*.PT?", true},
        {"DLG00004.P", "DLG*.PT?", false},
        {"AB", "A?B", false},
        {"AXB", "A?B", true},
        {"A.B", "A?.B", true},
        {"ANYTHING", "*", true},
        {"", "*", true},
        {"", "?", true},
        {"A", "", false},
        {"TEL00001.TLG", "*.*", true},
        {"TEL00001.TLG", "T*L*.T?G", true},
        {"TEL00001.TLG", "*1*1*", false},
        {"TEL00011.TLG", "*1*1*", true},
        {"AAAB", "*A*B", true},
        {"AAAC", "*A*B", false},
        {"A.B.C", "A*.C", true},
        {"A.B", "A.B.*", true},
        {"A.BC", "A.B.*", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MatchesFileMask(QString::fromLatin1(c.name), QString::fromLatin1(c.mask)), c.matches)
            << c.name << " ~ " << c.mask;
}

TEST(MatchesFileMask, ManyStarsOnALongNameTakeNoTimeToSpeakOf)
{
    // A matcher that tries every way of spreading the name over the stars
    // would need about C(60, 20) tries here, which never ends.
    const QString name(60, u'A');
    const QString mask = QString(QStringLiteral("*A")).repeated(20) + QStringLiteral("B");
    QElapsedTimer elapsed;
    elapsed.start();
    EXPECT_FALSE(MatchesFileMask(name, mask));
    EXPECT_TRUE(MatchesFileMask(name + u'B', mask));
    EXPECT_TRUE(MatchesFileMask(name, QStringLiteral("*A").repeated(60)));
    EXPECT_FALSE(MatchesFileMask(name, QStringLiteral("*A").repeated(61)));
    EXPECT_LT(elapsed.elapsed(), 5000);
}

TEST(NumberOfFileName, ReadsEveryDigitBeforeTheFirstFullStop)
{
    struct Case {
        const char* name;
        int number;
    };
    const Case cases[] = {
        {"TEL00003.TLG", 3},
        {"TLG99999.REC", 99999},
        {"TEL100000.TLG", 100000},
        {"TEL1234567.TRS", 1234567},
        {"TEL12.TLG", 12},
        {"TELXYZ.TLG", 0},
        {"TELNOTES.TXT", 0},
        {"TEL0001A.TLG", 0},
        {"TEL+0001.TLG", 0},
        {"TEL.TLG", 0},
        {"TEL00001", 0},
        {"TEL00001.TLG.BAK", 1},
        {"TEL2147483647.TLG", 2147483647}, // the last 32-bit number
        {"TEL02147483647.TLG", 2147483647},
        {"TEL2147483648.TLG", 0}, // beyond the 32-bit range
        {"TEL99999999999.TLG", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NumberOfFileName(QString::fromLatin1(c.name)), c.number) << c.name;
}

class NextFileNumber : public ::testing::Test {
protected:
    void touch(const QString& name)
    {
        QFile f(dir_.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << name.toStdString();
    }
    int next(const QString& mask, QChar separator = u'/')
    {
        std::int32_t n = -7;
        GetNextFileNumber(dir_.path() + separator + mask, n);
        return n;
    }
    QTemporaryDir dir_;
};

TEST_F(NextFileNumber, FoldersOfNumberedFiles)
{
    struct Case {
        const char* what;
        QStringList files;
        const char* mask;
        int expected;
    };
    const Case cases[] = {
        {"highest plus one", {"TEL00003.TLG", "TEL00010.TRS", "TELNOTES.TXT"}, "TEL*.*", 11},
        {"empty folder", {}, "TEL*.*", 1},
        {"only a name without number", {"TELXYZ.TLG"}, "TEL*.*", 1},
        {"received .RE and .REC", {"TLG00007.RE", "TLG00004.REC", "TLG00050.PRT"}, "TLG*.RE?", 8},
        {"six digits", {"TEL99999.TRS", "TEL100000.TLG", "TEL00005.TLG"}, "TEL*.*", 100001},
        {"mixed case", {"tlg00012.rec", "Tlg00009.Re", "TLG00003.REC"}, "TLG*.RE?", 13},
        {"other prefix ignored", {"DLG00040.PTC", "TEL00002.TLG"}, "TEL*.*", 3},
        {"record files", {"DLG00040.PTC", "DLG00041.PT", "DLG00090.TXT"}, "DLG*.PT?", 42},
        {"the last number has no next", {"TEL2147483647.TLG", "TEL00005.TLG"}, "TEL*.*", 6},
        {"the one before the last", {"TEL2147483646.TLG", "TEL00005.TLG"}, "TEL*.*", 2147483647},
    };
    for (const Case& c : cases) {
        QDir(dir_.path()).removeRecursively();
        QDir().mkpath(dir_.path());
        for (const QString& f : c.files)
            touch(f);
        EXPECT_EQ(next(QString::fromLatin1(c.mask)), c.expected) << c.what;
    }
}

TEST_F(NextFileNumber, FoldersDoNotCount)
{
    ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("TEL00500.TLG")));
    EXPECT_EQ(next(QStringLiteral("TEL*.*")), 1);
    touch(QStringLiteral("TEL00002.TLG"));
    EXPECT_EQ(next(QStringLiteral("TEL*.*")), 3);
}

TEST_F(NextFileNumber, AcceptsABackslashBeforeTheNameMask)
{
    touch(QStringLiteral("TLG00021.REC"));
    EXPECT_EQ(next(QStringLiteral("TLG*.RE?"), u'\\'), 22);
}

TEST_F(NextFileNumber, MissingFolderGivesOne)
{
    std::int32_t n = 0;
    GetNextFileNumber(dir_.filePath(QStringLiteral("none/TEL*.*")), n);
    EXPECT_EQ(n, 1);
}
