#include "support/FileCopy.h"
#include "support/FileError.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace korvane;

namespace {

QByteArray pattern(qsizetype size, char seed)
{
    QByteArray b(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        b[i] = static_cast<char>(seed + i * 7 % 251);
    return b;
}

int openDescriptors()
{
    return static_cast<int>(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size());
}

} // namespace

class CopyOrAppend : public ::testing::Test {
protected:
    QString path(const QString& name) const { return dir_.filePath(name); }
    void write(const QString& name, const QByteArray& body)
    {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(f.write(body), body.size());
    }
    QByteArray read(const QString& name)
    {
        QFile f(path(name));
        EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name.toStdString();
        return f.readAll();
    }
    void expectError(const QString& src, const QString& dst, FileError::Kind kind, const QString& text)
    {
        try {
            CopyOrAppendFile(src, dst, false);
            ADD_FAILURE() << "no error for " << src.toStdString() << " -> " << dst.toStdString();
        } catch (const FileError& e) {
            EXPECT_EQ(e.kind(), kind);
            EXPECT_EQ(e.message(), text);
        }
    }
    QTemporaryDir dir_;
};

TEST_F(CopyOrAppend, CopiesOrAppendsWholeFiles)
{
    // Sizes around the copy buffer catch a lost or repeated last piece.
    struct Case {
        qsizetype srcSize;
        qsizetype oldDstSize; // -1: no destination yet
    };
    const Case cases[] = {
        {100, -1}, {CopyBufSize, -1}, {CopyBufSize + 1, -1}, {3 * CopyBufSize, -1}, {0, -1},
        {100, 50}, {CopyBufSize, 10}, {2 * CopyBufSize - 1, CopyBufSize}, {0, 50},
    };
    for (const Case& c : cases) {
        const QByteArray src = pattern(c.srcSize, 'a');
        write(QStringLiteral("S.TLG"), src);
        QFile::remove(path(QStringLiteral("D.TRS")));
        QByteArray expected = src;
        if (c.oldDstSize >= 0) {
            const QByteArray old = pattern(c.oldDstSize, 'x');
            write(QStringLiteral("D.TRS"), old);
            expected = old + src;
        }
        CopyOrAppendFile(path(QStringLiteral("S.TLG")), path(QStringLiteral("D.TRS")), false);
        EXPECT_EQ(read(QStringLiteral("D.TRS")), expected) << c.srcSize << " onto " << c.oldDstSize;
        EXPECT_EQ(read(QStringLiteral("S.TLG")), src);
    }
}

TEST_F(CopyOrAppend, AppendsTwiceInOrder)
{
    write(QStringLiteral("A.TLG"), "first\r\n");
    write(QStringLiteral("B.TLG"), "second\r\n");
    CopyOrAppendFile(path(QStringLiteral("A.TLG")), path(QStringLiteral("X.TRS")), false);
    CopyOrAppendFile(path(QStringLiteral("B.TLG")), path(QStringLiteral("X.TRS")), false);
    EXPECT_EQ(read(QStringLiteral("X.TRS")), QByteArray("first\r\nsecond\r\n"));
}

TEST_F(CopyOrAppend, KeepDateGivesTheSourceModificationTime)
{
    write(QStringLiteral("S.TLG"), "text");
    const QDateTime then = QDateTime::fromString(QStringLiteral("2003-04-05T06:07:08"), Qt::ISODate);
    {
        QFile f(path(QStringLiteral("S.TLG")));
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(then, QFileDevice::FileModificationTime));
    }
    for (const bool existing : {false, true}) {
        QFile::remove(path(QStringLiteral("D.TRS")));
        if (existing)
            write(QStringLiteral("D.TRS"), "old");
        CopyOrAppendFile(path(QStringLiteral("S.TLG")), path(QStringLiteral("D.TRS")), true);
        EXPECT_EQ(QFileInfo(path(QStringLiteral("D.TRS"))).lastModified(), then) << existing;
    }
    QFile::remove(path(QStringLiteral("D.TRS")));
    CopyOrAppendFile(path(QStringLiteral("S.TLG")), path(QStringLiteral("D.TRS")), false);
    EXPECT_NE(QFileInfo(path(QStringLiteral("D.TRS"))).lastModified(), then);
}

TEST_F(CopyOrAppend, ErrorTexts)
{
    write(QStringLiteral("S.TLG"), "text");
    const QString src = path(QStringLiteral("S.TLG"));
    const QString missing = path(QStringLiteral("NONE.TLG"));
    const QString noFolder = path(QStringLiteral("nofolder/D.TRS"));
    // An existing destination that cannot be opened for writing: a folder.
    ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("FOLDER.TRS")));
    const QString folder = path(QStringLiteral("FOLDER.TRS"));

    expectError(missing, path(QStringLiteral("D.TRS")), FileError::Kind::Open,
                QStringLiteral("Ошибка открытия файла ") + missing);
    expectError(src, noFolder, FileError::Kind::Create, QStringLiteral("Ошибка создания файла ") + noFolder);
    expectError(src, folder, FileError::Kind::Open, QStringLiteral("Ошибка открытия файла ") + folder);
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("D.TRS"))));
}

TEST_F(CopyOrAppend, AFailedWriteRaisesAndClosesBothFiles)
{
    if (!QFile::exists(QStringLiteral("/dev/full")))
        GTEST_SKIP() << "/dev/full not available";
    write(QStringLiteral("S.TLG"), pattern(3 * CopyBufSize + 5, 'q'));
    const int before = openDescriptors();
    try {
        CopyOrAppendFile(path(QStringLiteral("S.TLG")), QStringLiteral("/dev/full"), false);
        FAIL() << "a write to a full device reported success";
    } catch (const FileError& e) {
        EXPECT_EQ(e.kind(), FileError::Kind::Write);
        EXPECT_TRUE(e.message().contains(QStringLiteral("/dev/full")));
    }
    EXPECT_EQ(openDescriptors(), before);
}

TEST_F(CopyOrAppend, TheSourceIsClosedWhenTheDestinationFails)
{
    write(QStringLiteral("S.TLG"), "text");
    const int before = openDescriptors();
    EXPECT_THROW(CopyOrAppendFile(path(QStringLiteral("S.TLG")), path(QStringLiteral("no/D.TRS")), false),
                 FileError);
    EXPECT_EQ(openDescriptors(), before);
}
