#include "platform/CodePages.h"
#include "platform/IniFile.h"
#include "tests/fakes/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace korvane;

namespace {

class IniFileTest : public ::testing::Test {
protected:
    QString path(const QString& name = QStringLiteral("KORVANE2.INI")) const { return dir.filePath(name); }

    void put(const QByteArray& bytes, const QString& name = QStringLiteral("KORVANE2.INI")) const
    {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    QByteArray contents(const QString& name = QStringLiteral("KORVANE2.INI")) const
    {
        return korvane::test::ReadFileBytes(path(name));
    }

    QTemporaryDir dir;
};

} // namespace

TEST_F(IniFileTest, ReadIntegerTakesValueFormsAndFallsBackToTheDefault)
{
    put("[COMMON]\r\nA= 12\r\nB=$1F\r\nC=0x10\r\nD=-3\r\nE=abc\r\nF=\r\n");
    IniFile ini(path());
    EXPECT_EQ(ini.ReadInteger("COMMON", "A", 99), 12);
    EXPECT_EQ(ini.ReadInteger("COMMON", "B", 99), 31);
    EXPECT_EQ(ini.ReadInteger("COMMON", "C", 99), 16);
    EXPECT_EQ(ini.ReadInteger("COMMON", "D", 99), -3);
    EXPECT_EQ(ini.ReadInteger("COMMON", "E", 99), 99);
    EXPECT_EQ(ini.ReadInteger("COMMON", "F", 99), 99);
    EXPECT_EQ(ini.ReadInteger("COMMON", "Missing", 99), 99);
    EXPECT_EQ(ini.ReadInteger("NOSECTION", "A", -5), -5);
}

TEST_F(IniFileTest, ReadBoolAndWriteBool)
{
    put("[S]\r\nOn=1\r\nOff=0\r\nOdd=7\r\nBad=yes\r\n");
    IniFile ini(path());
    EXPECT_TRUE(ini.ReadBool("S", "On", false));
    EXPECT_FALSE(ini.ReadBool("S", "Off", true));
    EXPECT_TRUE(ini.ReadBool("S", "Odd", false));
    EXPECT_TRUE(ini.ReadBool("S", "Bad", true));
    EXPECT_FALSE(ini.ReadBool("S", "Bad", false));
    ASSERT_TRUE(ini.WriteBool("S", "New", true));
    ASSERT_TRUE(ini.WriteBool("S", "Off", false));
    EXPECT_EQ(ini.ReadString("S", "New", ""), "1");
    EXPECT_EQ(ini.ReadString("S", "Off", ""), "0");
}

TEST_F(IniFileTest, SectionsAndKeysAreFoundWithoutRegardToCase)
{
    put(codepage::toCp1251(u"[Channel #1]\r\nTlgCntDay=5\r\n[Раздел]\r\nКлюч=значение\r\n"));
    IniFile ini(path());
    EXPECT_EQ(ini.ReadInteger("CHANNEL #1", "tlgcntday", 0), 5);
    EXPECT_EQ(ini.ReadString(QStringLiteral("РАЗДЕЛ"), QStringLiteral("ключ"), ""), QStringLiteral("значение"));
    EXPECT_TRUE(ini.SectionExists("channel #1"));
    EXPECT_FALSE(ini.SectionExists("CHANNEL #2"));
    EXPECT_TRUE(ini.ValueExists("CHANNEL #1", "TLGCNTDAY"));
    EXPECT_FALSE(ini.ValueExists("CHANNEL #1", "TlgCntMonth"));

    // A write through another spelling changes the existing line, keeping
    // the file's own spelling of the section and the key.
    ASSERT_TRUE(ini.WriteInteger("CHANNEL #1", "TLGCNTDAY", 6));
    EXPECT_EQ(contents(), codepage::toCp1251(u"[Channel #1]\r\nTlgCntDay=6\r\n[Раздел]\r\nКлюч=значение\r\n"));
}

TEST_F(IniFileTest, FirstMatchingSectionAndKeyWin)
{
    put("[A]\r\nK=1\r\nK=2\r\n[a]\r\nK=3\r\nL=4\r\n");
    IniFile ini(path());
    EXPECT_EQ(ini.ReadInteger("A", "K", 0), 1);
    EXPECT_EQ(ini.ReadInteger("A", "L", 0), 0); // only the first section counts
    ASSERT_TRUE(ini.WriteInteger("A", "K", 9));
    EXPECT_EQ(contents(), QByteArray("[A]\r\nK=9\r\nK=2\r\n[a]\r\nK=3\r\nL=4\r\n"));
}

TEST_F(IniFileTest, BlanksAroundNamesAndValuesAndEnclosingQuotesAreNotPartOfThem)
{
    put("[ COMMON ]\r\n  Name  =  some text  \r\nQ=\"quoted \"\r\nS='x'\r\nHalf=\"open\r\n");
    IniFile ini(path());
    EXPECT_EQ(ini.ReadString("COMMON", "Name", ""), "some text");
    EXPECT_EQ(ini.ReadString("COMMON", "Q", ""), "quoted ");
    EXPECT_EQ(ini.ReadString("COMMON", "S", ""), "x");
    EXPECT_EQ(ini.ReadString("COMMON", "Half", ""), "\"open");
}

TEST_F(IniFileTest, WritesKeepEveryOtherByte)
{
    const QByteArray before = codepage::toCp1251(
        u"; comment at the top\r\n"
        u"\r\n"
        u"[COMMON]\r\n"
        u"Left=10\r\n"
        u"; a comment inside\r\n"
        u"Top=20\n"          // a bare LF line end stays as it is
        u"garbage line\r\n"
        u"\r\n"
        u"[UNKNOWN]\r\n"
        u"Что-то=кириллица \x98\r\n"
        u"[NUMBERS]\r\n"
        u"1=123");            // last line without a line end
    put(before);
    IniFile ini(path());

    ASSERT_TRUE(ini.WriteInteger("COMMON", "Left", 11));
    QByteArray expected = before;
    expected.replace("Left=10", "Left=11");
    EXPECT_EQ(contents(), expected);

    // A new key goes after the section's last entry, before the blank line.
    ASSERT_TRUE(ini.WriteString("COMMON", "Width", "300"));
    expected.replace("Top=20\n", "Top=20\nWidth=300\r\n");
    EXPECT_EQ(contents(), expected);

    // A new key at the end of a file without a final line end.
    ASSERT_TRUE(ini.WriteString("NUMBERS", "2", "456"));
    expected += "\r\n2=456\r\n";
    EXPECT_EQ(contents(), expected);

    // A new section goes at the end.
    ASSERT_TRUE(ini.WriteString("CHANNEL #5", "TlgRecNo", "1"));
    expected += "[CHANNEL #5]\r\nTlgRecNo=1\r\n";
    EXPECT_EQ(contents(), expected);

    EXPECT_EQ(ini.ReadString("UNKNOWN", QStringLiteral("ЧТО-ТО"), ""), QStringView(u"кириллица \x98").toString());
}

TEST_F(IniFileTest, MissingFileReadsAsEmptyAndAWriteCreatesIt)
{
    IniFile ini(path());
    EXPECT_EQ(ini.ReadString("COMMON", "X", "dflt"), "dflt");
    EXPECT_FALSE(ini.SectionExists("COMMON"));
    EXPECT_TRUE(ini.ReadSections().isEmpty());
    EXPECT_FALSE(QFile::exists(path()));

    ASSERT_TRUE(ini.WriteString(QStringLiteral("COMMON"), QStringLiteral("Надпись"), QStringLiteral("Привет")));
    EXPECT_EQ(contents(), codepage::toCp1251(u"[COMMON]\r\nНадпись=Привет\r\n"));
}

TEST_F(IniFileTest, WriteIntoAMissingFolderFailsAndCreatesNothing)
{
    IniFile ini(dir.filePath("no/such/folder/KORVANE2.INI"));
    EXPECT_FALSE(ini.WriteString("COMMON", "X", "1"));
    EXPECT_FALSE(QDir(dir.filePath("no")).exists());
}

TEST_F(IniFileTest, TwoObjectsOnOneFileSeeEachOthersWrites)
{
    IniFile a(path());
    IniFile b(path());
    ASSERT_TRUE(a.WriteInteger("CHANNEL #1", "TlgCntFullNumber", 5));
    EXPECT_EQ(b.ReadInteger("CHANNEL #1", "TlgCntFullNumber", 0), 5);
    ASSERT_TRUE(b.WriteInteger("CHANNEL #1", "TlgCntFullNumber", 6));
    ASSERT_TRUE(b.WriteInteger("CHANNEL #1", "TlgRecNo", 7));
    EXPECT_EQ(a.ReadInteger("CHANNEL #1", "TlgCntFullNumber", 0), 6);
    // a's next write must not bring back its older view of the file
    ASSERT_TRUE(a.WriteInteger("CHANNEL #2", "TlgRecNo", 1));
    EXPECT_EQ(b.ReadInteger("CHANNEL #1", "TlgCntFullNumber", 0), 6);
    EXPECT_EQ(b.ReadInteger("CHANNEL #1", "TlgRecNo", 0), 7);

    // A change made behind both objects' backs is seen too.
    put("[CHANNEL #1]\r\nTlgRecNo=42\r\n");
    EXPECT_EQ(a.ReadInteger("CHANNEL #1", "TlgRecNo", 0), 42);
}

TEST_F(IniFileTest, ReadSectionListsKeysInFileOrder)
{
    put("[NUMBERS]\r\n; comment\r\nb=1\r\nA=2\r\nnot an entry\r\nc=\r\n[OTHER]\r\nz=1\r\n");
    IniFile ini(path());
    EXPECT_EQ(ini.ReadSection("numbers"), QStringList({"b", "A", "c"}));
    EXPECT_TRUE(ini.ReadSection("MISSING").isEmpty());
    EXPECT_EQ(ini.ReadSections(), QStringList({"NUMBERS", "OTHER"}));
}

TEST_F(IniFileTest, EraseSectionAndDeleteKey)
{
    put("[A]\r\nx=1\r\ny=2\r\n\r\n[B]\r\nz=3\r\n[C]\r\nw=4\r\n");
    IniFile ini(path());
    ASSERT_TRUE(ini.DeleteKey("a", "X"));
    EXPECT_EQ(contents(), QByteArray("[A]\r\ny=2\r\n\r\n[B]\r\nz=3\r\n[C]\r\nw=4\r\n"));
    ASSERT_TRUE(ini.EraseSection("b"));
    EXPECT_EQ(contents(), QByteArray("[A]\r\ny=2\r\n\r\n[C]\r\nw=4\r\n"));
    EXPECT_FALSE(ini.SectionExists("B"));
    // Deleting what is not there changes nothing.
    ASSERT_TRUE(ini.DeleteKey("C", "nope"));
    ASSERT_TRUE(ini.EraseSection("nope"));
    EXPECT_EQ(contents(), QByteArray("[A]\r\ny=2\r\n\r\n[C]\r\nw=4\r\n"));
}
