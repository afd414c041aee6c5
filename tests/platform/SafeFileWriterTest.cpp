#include "platform/SafeFileWriter.h"
#include "tests/fakes/FileSizeLimit.h"
#include "tests/fakes/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace korvane;
using korvane::test::ReadFileBytes;
using korvane::test::WriteFileBytes;

namespace {

class SafeFileWriterTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path(const QString& name = QStringLiteral("TEL00001.TLG")) const { return dir.filePath(name); }
    QStringList names() const { return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden); }
};

TEST_F(SafeFileWriterTest, WritesANewFileWholeAndLeavesNothingBeside)
{
    const QByteArray body = "|#111\r\nTEXT\r\n";
    QString error;
    ASSERT_TRUE(WriteFileSafely(path(), body, &error)) << error.toStdString();
    EXPECT_EQ(ReadFileBytes(path()), body);
    EXPECT_EQ(names(), QStringList{QStringLiteral("TEL00001.TLG")});
    EXPECT_TRUE(error.isEmpty());
}

TEST_F(SafeFileWriterTest, ReplacesTheOldContentAndKeepsItsPermissions)
{
    ASSERT_TRUE(WriteFileBytes(path(), QByteArray(5000, 'x')));
    QFile::setPermissions(path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    ASSERT_TRUE(WriteFileSafely(path(), "short"));
    EXPECT_EQ(ReadFileBytes(path()), "short");
    const QFile::Permissions kept = QFileInfo(path()).permissions();
    EXPECT_TRUE(kept & QFile::ReadGroup);
    EXPECT_FALSE(kept & QFile::WriteGroup);
    EXPECT_FALSE(kept & QFile::ReadOther);
}

// A disk that fills while the new content is written: the write is cut
// short. The old file must stay byte for byte, and the failure be told.
TEST_F(SafeFileWriterTest, AShortWriteKeepsTheOldFileAndSaysSo)
{
    const QByteArray old = "|#111\r\nTHE WHOLE TEXT OF THE TELEGRAM\r\n";
    ASSERT_TRUE(WriteFileBytes(path(), old));
    QString error;
    bool written = true;
    {
        const korvane::test::FileSizeLimit limit(16);
        written = WriteFileSafely(path(), "|*111\r\nTHE WHOLE TEXT OF THE TELEGRAM\r\n", &error);
    }
    EXPECT_FALSE(written);
    EXPECT_EQ(ReadFileBytes(path()), old);
    EXPECT_EQ(names(), QStringList{QStringLiteral("TEL00001.TLG")});
    EXPECT_TRUE(error.startsWith(QStringLiteral("Ошибка записи файла ") + path())) << error.toStdString();
}

TEST_F(SafeFileWriterTest, AFolderThatDoesNotExistFailsWithItsReason)
{
    const QString missing = dir.filePath(QStringLiteral("NOFOLDER/KORVANE2.INI"));
    QString error;
    EXPECT_FALSE(WriteFileSafely(missing, "x", &error));
    EXPECT_FALSE(QFileInfo::exists(missing));
    EXPECT_TRUE(error.contains(QStringLiteral("NOFOLDER"))) << error.toStdString();
}

// A name that stands for a device (a link to one included) is never
// replaced by a file: the device stays, the write fails.
TEST_F(SafeFileWriterTest, ADeviceUnderTheNameIsNeverReplaced)
{
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/null"), path(QStringLiteral("DC2.PRO"))));
    EXPECT_FALSE(WriteFileSafely(path(QStringLiteral("DC2.PRO")), "tables"));
    EXPECT_TRUE(QFileInfo(path(QStringLiteral("DC2.PRO"))).isSymLink());
    EXPECT_FALSE(WriteFileSafely(dir.path(), "folder"));
    EXPECT_TRUE(QFileInfo(dir.path()).isDir());
    EXPECT_EQ(names(), QStringList{QStringLiteral("DC2.PRO")});
}

TEST_F(SafeFileWriterTest, LeftoversOfACutWriteAreRemovedAndOthersKept)
{
    ASSERT_TRUE(WriteFileBytes(path(), "old"));
    ASSERT_TRUE(WriteFileBytes(path() + SafeWriteSuffix, "half"));
    ASSERT_TRUE(WriteFileBytes(path(QStringLiteral("TEL00002.TLG")) + SafeWriteSuffix, "half"));
    ASSERT_TRUE(WriteFileBytes(path(QStringLiteral("TEL00003.TRS")), "done"));

    EXPECT_TRUE(RemoveSafeWriteLeftover(path()));
    EXPECT_FALSE(RemoveSafeWriteLeftover(path()));
    EXPECT_EQ(RemoveSafeWriteLeftovers(dir.path()), 1);
    EXPECT_EQ(names(), (QStringList{QStringLiteral("TEL00001.TLG"), QStringLiteral("TEL00003.TRS")}));
    EXPECT_EQ(ReadFileBytes(path()), "old");
}

} // namespace
