#include "support/JournalTail.h"

#include "support/FileError.h"
#include "tests/fakes/TestFiles.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>

using namespace korvane;
using korvane::test::WriteFileBytes;

namespace {

class JournalTailTest : public ::testing::Test {
protected:
    void Append(const QByteArray& bytes)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::Append));
        ASSERT_EQ(f.write(bytes), bytes.size());
    }

    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("RECEIVE.JRN"));
    JournalTail tail{path};
};

TEST_F(JournalTailTest, EachReadGivesOnlyTheLinesAppendedSinceTheLast)
{
    Append("\x8f\xa5\xe0\xa2\xa0\xef\r\nSECOND\r\n"); // "Первая" in CP866
    JournalTail::Update first = tail.Read();
    EXPECT_FALSE(first.Restart);
    EXPECT_EQ(first.Lines, (QStringList{QStringLiteral("Первая"), QStringLiteral("SECOND")}));
    EXPECT_EQ(tail.Read().Lines, QStringList());
    Append("THIRD\r\n");
    const JournalTail::Update next = tail.Read();
    EXPECT_FALSE(next.Restart);
    EXPECT_EQ(next.Lines, QStringList{QStringLiteral("THIRD")});
    EXPECT_EQ(tail.Offset(), 23);
}

// A line is written in pieces: shown as it stands, then again whole.
TEST_F(JournalTailTest, AnUnfinishedLineComesAgainWholeOnceItEnds)
{
    struct Step {
        QByteArray appended;
        QStringList lines;
        QString fragment;
    };
    const Step steps[] = {
        {"ONE\r\nTW", {QStringLiteral("ONE")}, QStringLiteral("TW")},
        {"O\r", {}, QStringLiteral("TWO")},
        {"\nTHREE\rFOUR\r", {QStringLiteral("TWO"), QStringLiteral("THREE")}, QStringLiteral("FOUR")},
        {"\n", {QStringLiteral("FOUR")}, QString()},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.appended.toStdString());
        Append(s.appended);
        const JournalTail::Update u = tail.Read();
        EXPECT_FALSE(u.Restart);
        EXPECT_EQ(u.Lines, s.lines);
        EXPECT_EQ(u.Fragment, s.fragment);
    }
}

TEST_F(JournalTailTest, ANewFileUnderTheSameNameIsReadFromItsStart)
{
    struct Case {
        const char* name;
        QByteArray replacement;
    };
    const Case cases[] = {
        {"shorter", "NEW\r\n"},
        {"as long, other bytes", "LINE TWO\r\nLINE 1\r\n"},
        {"longer", "OTHER LINE\r\nAND MORE LINES\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(WriteFileBytes(path, "LINE 1\r\nLINE TWO\r\n"));
        tail = JournalTail(path);
        ASSERT_EQ(tail.Read().Lines.size(), 2);
        ASSERT_TRUE(WriteFileBytes(path, c.replacement));
        const JournalTail::Update u = tail.Read();
        EXPECT_TRUE(u.Restart);
        EXPECT_EQ(u.Lines.join(u'|').toLatin1(), c.replacement.trimmed().replace("\r\n", "|"));
    }
}

// A journal rewritten, in place or by a rename, whose bytes just before the
// position read are the same as before: told from one that grew by what
// changed before them, and read again from its start.
TEST_F(JournalTailTest, AJournalRewrittenWithTheSameLastBytesIsReadFromItsStart)
{
    const QByteArray long1 = "11-12-26 05:00:00 #0000000001 +7-1234567 PEREDANO USPESHNO " + QByteArray(40, '.') + "\r\n";
    const QByteArray long2 = "11-12-26 05:01:00 #0000000002 +7-1234567 PEREDANO USPESHNO " + QByteArray(40, '.') + "\r\n";
    const QByteArray before = "FIRST\r\n" + long1 + long2;
    struct Case {
        const char* name;
        bool inPlace; // the same file written over, else a new file renamed over it
        QByteArray rewritten;
        bool restart;
    };
    const Case cases[] = {
        {"in place, a line before the last ones changed", true, "OTHER\r\n" + long1 + long2 + "NEW\r\n", true},
        {"in place, as long, a line before the last ones changed", true, "FIRSX\r\n" + long1 + long2, true},
        {"in place, a line taken out and another put in", true, long1 + "FIRST\r\n" + long2, true},
        {"renamed over it, the same lines and one more", false, before + "NEW\r\n", true},
        {"in place, the same lines and one more", true, before + "NEW\r\n", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(WriteFileBytes(path, before));
        tail = JournalTail(path);
        ASSERT_EQ(tail.Read().Lines.size(), 3);
        if (c.inPlace) {
            ASSERT_TRUE(WriteFileBytes(path, c.rewritten));
        } else {
            const QString next = path + QStringLiteral(".new");
            ASSERT_TRUE(WriteFileBytes(next, c.rewritten));
            ASSERT_TRUE(std::rename(QFile::encodeName(next).constData(), QFile::encodeName(path).constData()) == 0);
        }
        const JournalTail::Update u = tail.Read();
        EXPECT_EQ(u.Restart, c.restart);
        const QByteArray shown = c.restart ? c.rewritten : c.rewritten.mid(before.size());
        EXPECT_EQ(u.Lines.join(u'|').toLatin1(), shown.trimmed().replace("\r\n", "|"));
        EXPECT_EQ(tail.Offset(), c.rewritten.size());
    }
}

// A long journal, read over several Reads: a byte changed anywhere in what
// was read is seen, in the first part as in the last.
TEST_F(JournalTailTest, AChangeAnywhereInALongJournalIsSeen)
{
    QByteArray before;
    for (int i = 0; i < 4000; ++i)
        before += QByteArray("LINE ") + QByteArray::number(i).rightJustified(6, '0') + " OF A LONG JOURNAL\r\n";
    const qsizetype changedAt[] = {0, 70000, before.size() / 2, before.size() - 90};
    for (const qsizetype at : changedAt) {
        SCOPED_TRACE(at);
        ASSERT_TRUE(WriteFileBytes(path, before.first(before.size() / 3)));
        tail = JournalTail(path);
        tail.Read();
        Append(before.sliced(before.size() / 3));
        ASSERT_EQ(tail.Read().Restart, false);
        ASSERT_EQ(tail.Offset(), before.size());

        Append("NEW\r\n");
        QByteArray rewritten = before + "NEW\r\n";
        rewritten[at] = 'X';
        {
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::ReadWrite));
            ASSERT_TRUE(f.seek(at));
            ASSERT_EQ(f.write("X", 1), 1);
        }
        const JournalTail::Update u = tail.Read();
        EXPECT_TRUE(u.Restart);
        EXPECT_EQ(u.Lines.size(), 4001);
        EXPECT_EQ(tail.Offset(), rewritten.size());
    }
}

TEST_F(JournalTailTest, AMissingFileIsAFileErrorAndKeepsThePosition)
{
    Append("A\r\n");
    tail.Read();
    ASSERT_TRUE(QFile::remove(path));
    EXPECT_THROW(tail.Read(), FileError);
    EXPECT_EQ(tail.Offset(), 3);
}

} // namespace
