#include "support/JournalTail.h"

#include "support/FileError.h"
#include "tests/fakes/TestFiles.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

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

TEST_F(JournalTailTest, AMissingFileIsAFileErrorAndKeepsThePosition)
{
    Append("A\r\n");
    tail.Read();
    ASSERT_TRUE(QFile::remove(path));
    EXPECT_THROW(tail.Read(), FileError);
    EXPECT_EQ(tail.Offset(), 3);
}

} // namespace
