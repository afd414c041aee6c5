// Reading an operator's old Paradox table: damaged files are refused with an
// error instead of hanging, reading past a record or taking wrong values.

#include "ParadoxFile.h"

#include "directories/ParadoxChildReader.h"
#include "directories/ParadoxTable.h"
#include "tests/fakes/TestFiles.h"

#include <QTemporaryDir>

// pxlib's header declares C functions without a C++ guard.
extern "C" {
#include <paradox.h>
}

#include <gtest/gtest.h>

namespace korvane::test {
namespace {

// The header's places: the header size, the number of blocks in the file,
// the first data block. A data block starts with the number of the next
// block, of the previous one, and the bytes of its records after the first.
constexpr int HeaderSizeAt = 2;
constexpr int BlockSizeAt = 5; // in kilobytes
constexpr int FileBlocksAt = 0x0C;
constexpr int FirstBlockAt = 0x0E;

int U16(const QByteArray& b, qsizetype at)
{
    return static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8;
}

void PutU16(QByteArray& b, qsizetype at, int value)
{
    b[at] = static_cast<char>(value & 0xFF);
    b[at + 1] = static_cast<char>(value >> 8 & 0xFF);
}

qsizetype BlockAt(const QByteArray& b, int block)
{
    return U16(b, HeaderSizeAt) + qsizetype(block - 1) * static_cast<unsigned char>(b[BlockSizeAt]) * 1024;
}

const QList<ParadoxField> Fields = {
    {"ID", pxfAutoInc, 4}, {"NO", pxfAlpha, 20}, {"CNT", pxfLong, 4}, {"CAT", pxfShort, 2}, {"LAST", pxfLong, 4},
};

class ParadoxTableTest : public ::testing::Test {
protected:
    QString Path() const { return dir.filePath(QStringLiteral("abonents.db")); }

    // A table of Rows records; its bytes.
    QByteArray Write(const QList<QVariantList>& rows)
    {
        EXPECT_TRUE(WriteParadoxFile(Path(), Fields, rows));
        return ReadFileBytes(Path());
    }
    bool Read(const QByteArray& bytes)
    {
        EXPECT_TRUE(WriteFileBytes(Path(), bytes));
        error.clear();
        return ReadParadoxTable(Path(), contents, error);
    }

    QList<QVariantList> ManyRows(int count) const
    {
        QList<QVariantList> rows;
        for (int i = 1; i <= count; ++i)
            rows.append({i, QByteArray::number(1000 + i), i * 2, 1, i});
        return rows;
    }

    QTemporaryDir dir;
    ParadoxContents contents;
    QString error;
};

TEST_F(ParadoxTableTest, SoundTableOfSeveralBlocksIsReadWhole)
{
    const QByteArray bytes = Write(ManyRows(200));
    ASSERT_GT(U16(bytes, FileBlocksAt), 1);
    ASSERT_TRUE(Read(bytes)) << error.toStdString();
    ASSERT_EQ(contents.Rows.size(), 200);
    EXPECT_EQ(contents.Rows[199][1].toString(), QStringLiteral("1200"));
    EXPECT_EQ(contents.Rows[199][2].toLongLong(), 400);
}

// A chain of data blocks that comes back on itself, or leads past the
// blocks the header counts, is refused at once.
TEST_F(ParadoxTableTest, BlockChainThatLoopsOrLeavesTheFileIsRefused)
{
    const QByteArray sound = Write(ManyRows(200));
    const int blocks = U16(sound, FileBlocksAt);
    ASSERT_GE(blocks, 3);
    struct Case {
        const char* what;
        int block; // whose "next" is changed
        int next;
    };
    const Case cases[] = {
        {"a block that follows itself", 1, 1},
        {"the last block leading back to the first", blocks, 1},
        {"a block beyond the header's count", 2, blocks + 1},
        {"a block far beyond the file", 1, 60000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QByteArray bytes = sound;
        PutU16(bytes, BlockAt(bytes, c.block), c.next);
        EXPECT_FALSE(Read(bytes));
        EXPECT_TRUE(error.contains(Path())) << error.toStdString();
    }
    QByteArray first = sound;
    PutU16(first, FirstBlockAt, blocks + 5);
    EXPECT_FALSE(Read(first));
}

// A table protected by a password: pxlib would decrypt its blocks with the
// header's key and walk chains nobody checked. Refused, however its blocks
// look.
TEST_F(ParadoxTableTest, EncryptedTableIsRefused)
{
    const QByteArray sound = Write(ManyRows(200));
    ASSERT_EQ(U16(sound, EncryptionAt) | U16(sound, EncryptionAt + 2) << 16, 0xFF00FF00u);
    ASSERT_TRUE(Read(sound)) << error.toStdString();
    struct Case {
        const char* what;
        qsizetype at;
        quint32 word;
    };
    const Case cases[] = {
        {"a key in the header", EncryptionAt, 0x5A3C1E07},
        {"a key in the data header", DataHeaderEncryptionAt, 0x12345678},
        {"a key of one byte", DataHeaderEncryptionAt, 0x00000001},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QByteArray bytes = sound;
        PutLittleEndian(bytes, c.at, c.word, 4);
        contents = {};
        EXPECT_FALSE(Read(bytes));
        EXPECT_TRUE(error.contains(Path())) << error.toStdString();
        EXPECT_TRUE(error.contains(QStringLiteral("зашифрована"))) << error.toStdString();
        EXPECT_TRUE(contents.Rows.isEmpty());
    }
}

// pxlib itself walks a chain that comes back on itself for ever: its
// reading is stopped at the deadline and the table refused.
TEST_F(ParadoxTableTest, PxlibThatDoesNotFinishIsStoppedAtTheDeadline)
{
    QByteArray looping = Write(ManyRows(200));
    PutU16(looping, BlockAt(looping, 1), 1); // the first block follows itself
    ASSERT_TRUE(WriteFileBytes(Path(), looping));
    ParadoxRecords records;
    EXPECT_FALSE(ReadParadoxRecords(Path(), std::chrono::milliseconds(300), records, error));
    EXPECT_TRUE(error.contains(Path())) << error.toStdString();
    EXPECT_TRUE(error.contains(QStringLiteral("не прочитана"))) << error.toStdString();
    EXPECT_TRUE(records.Records.isEmpty());

    // The same reader on the sound table hands back every record.
    const QByteArray sound = Write(ManyRows(200));
    error.clear();
    ASSERT_TRUE(ReadParadoxRecords(Path(), ParadoxReadDeadline(sound.size()), records, error)) << error.toStdString();
    EXPECT_EQ(records.Records.size(), 200);
    EXPECT_EQ(records.Fields.size(), Fields.size());
}

// A number field left empty reads as no value, whatever lies next to it.
TEST_F(ParadoxTableTest, EmptyNumberFieldsReadAsNoValue)
{
    ASSERT_TRUE(Read(Write({{QVariant(), QByteArray("1"), QVariant(), QVariant(), 7},
                            {5, QByteArray("2"), 0, -3, QVariant()}})))
        << error.toStdString();
    ASSERT_EQ(contents.Rows.size(), 2);
    const QVariantList& first = contents.Rows[0];
    EXPECT_TRUE(first[0].isNull()) << first[0].toLongLong();
    EXPECT_TRUE(first[2].isNull()) << first[2].toLongLong();
    EXPECT_TRUE(first[3].isNull()) << first[3].toInt();
    EXPECT_EQ(first[4].toLongLong(), 7);
    const QVariantList& second = contents.Rows[1];
    EXPECT_EQ(second[0].toLongLong(), 5);
    EXPECT_EQ(second[2].toLongLong(), 0); // a stored 0 is a value
    EXPECT_EQ(second[3].toInt(), -3);
    EXPECT_TRUE(second[4].isNull());
}

// A field whose length is not that of its type would be read past its end.
TEST_F(ParadoxTableTest, FieldOfTheWrongLengthForItsTypeIsRefused)
{
    const QList<ParadoxField> fields = {{"NO", pxfAlpha, 6}, {"SUM", pxfNumber, 8}};
    ASSERT_TRUE(WriteParadoxFile(Path(), fields, {{QByteArray("1")}}));
    QByteArray bytes = ReadFileBytes(Path());
    ASSERT_TRUE(Read(bytes)) << error.toStdString();
    // The field table: type and length of each field, from 0x78.
    const qsizetype at = bytes.indexOf(QByteArray("\x01\x06\x06\x08", 4));
    ASSERT_GT(at, 0);
    bytes[at + 3] = 2; // a number of 2 bytes, the record now 8 bytes long
    PutU16(bytes, 0, 8);
    EXPECT_FALSE(Read(bytes));
    EXPECT_TRUE(error.contains(Path())) << error.toStdString();
}

// A record cut short by the end of the file is refused; it never takes the
// bytes of the record before it.
TEST_F(ParadoxTableTest, RecordCutByTheEndOfTheFileIsRefused)
{
    const QByteArray sound = Write({{1, QByteArray("111"), 1, 1, 1}, {2, QByteArray("222"), 2, 2, 2}});
    const int recordSize = U16(sound, 0);
    const qsizetype secondEnd = BlockAt(sound, 1) + 6 + 2 * recordSize;
    ASSERT_TRUE(Read(sound.left(secondEnd))) << error.toStdString();
    EXPECT_EQ(contents.Rows.size(), 2);
    for (qsizetype cut : {secondEnd - 1, secondEnd - recordSize + 4}) {
        SCOPED_TRACE(cut);
        contents = {};
        EXPECT_FALSE(Read(sound.left(cut)));
        EXPECT_TRUE(contents.Rows.isEmpty());
    }
}

} // namespace
} // namespace korvane::test
