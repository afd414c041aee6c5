#include "platform/SafeFileWriter.h"
#include "tests/fakes/FileSizeLimit.h"
#include "tests/fakes/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

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

// Settings, protocol, table and telegram files that are symbolic links:
// the link stays and the file it points to gets the new content; a
// leftover temporary that is a link is never written through.
struct LinkCase {
    const char* what;
    const char* written; // the name given to the writer, under prog/
    QList<QPair<QString, QString>> links; // name under the test folder -> where it points
    QList<QPair<QString, QByteArray>> before; // files under the test folder
    QStringList after; // every file under the test folder afterwards, "name: content" (links followed)
    QStringList linksAfter; // the links there afterwards
};

TEST_F(SafeFileWriterTest, ALinkedNameIsWrittenWhereItPointsAndStaysALink)
{
    const LinkCase cases[] = {
        {"a relative link to a file in another folder", "KORVANE2.INI",
         {{"prog/KORVANE2.INI", "../keep/KORVANE2.INI"}},
         {{"keep/KORVANE2.INI", "[COMMON]\r\nold=1\r\n"}},
         {"keep/KORVANE2.INI: new", "prog/KORVANE2.INI: new"},
         {"prog/KORVANE2.INI"}},
        {"a chain of links, absolute then relative", "KORVANE2.PRO",
         {{"prog/KORVANE2.PRO", "@/keep/current.PRO"}, {"keep/current.PRO", "real.PRO"}},
         {{"keep/real.PRO", "old protocols"}},
         {"keep/current.PRO: new", "keep/real.PRO: new", "prog/KORVANE2.PRO: new"},
         {"keep/current.PRO", "prog/KORVANE2.PRO"}},
        {"a link to a file not there yet", "DC2.PRO",
         {{"prog/DC2.PRO", "../keep/DC2.PRO"}},
         {},
         {"keep/DC2.PRO: new", "prog/DC2.PRO: new"},
         {"prog/DC2.PRO"}},
        {"a leftover temporary linked to another file", "TEL00001.TLG",
         {{"prog/TEL00001.TLG.kvnew", "../keep/victim"}},
         {{"prog/TEL00001.TLG", "old telegram"}, {"keep/victim", "victim"}},
         {"keep/victim: victim", "prog/TEL00001.TLG: new"},
         {}},
        {"a leftover temporary linked to a name not there", "TEL00001.TLG",
         {{"prog/TEL00001.TLG.kvnew", "../keep/made"}},
         {},
         {"prog/TEL00001.TLG: new"},
         {}},
        {"a linked telegram with a leftover temporary beside its target linked elsewhere", "TEL00002.TLG",
         {{"prog/TEL00002.TLG", "../keep/TEL00002.TLG"}, {"keep/TEL00002.TLG.kvnew", "victim"}},
         {{"keep/TEL00002.TLG", "old"}, {"keep/victim", "victim"}},
         {"keep/TEL00002.TLG: new", "keep/victim: victim", "prog/TEL00002.TLG: new"},
         {"prog/TEL00002.TLG"}},
    };
    for (const LinkCase& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir root;
        const QDir top(root.path());
        ASSERT_TRUE(top.mkpath(QStringLiteral("prog")) && top.mkpath(QStringLiteral("keep")));
        for (const auto& [name, bytes] : c.before)
            ASSERT_TRUE(WriteFileBytes(top.filePath(name), bytes));
        for (auto [name, to] : c.links) {
            to.replace(QLatin1Char('@'), root.path());
            ASSERT_EQ(::symlink(QFile::encodeName(to).constData(), QFile::encodeName(top.filePath(name)).constData()), 0);
        }
        QString error;
        ASSERT_TRUE(WriteFileSafely(top.filePath(QStringLiteral("prog/") + QLatin1String(c.written)), "new", &error))
            << error.toStdString();

        QStringList files;
        QStringList links;
        for (const QString& folder : {QStringLiteral("keep"), QStringLiteral("prog")}) {
            const QDir d(top.filePath(folder));
            for (const QString& name : d.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name)) {
                const QString at = folder + QLatin1Char('/') + name;
                files << at + QStringLiteral(": ") + QString::fromLatin1(ReadFileBytes(top.filePath(at)));
                if (QFileInfo(top.filePath(at)).isSymLink())
                    links << at;
            }
        }
        EXPECT_EQ(files.join(u'|').toStdString(), c.after.join(u'|').toStdString());
        EXPECT_EQ(links.join(u'|').toStdString(), c.linksAfter.join(u'|').toStdString());
    }
}

TEST_F(SafeFileWriterTest, ALinkLoopFailsAndSaysSo)
{
    ASSERT_EQ(::symlink("b.INI", QFile::encodeName(path(QStringLiteral("a.INI"))).constData()), 0);
    ASSERT_EQ(::symlink("a.INI", QFile::encodeName(path(QStringLiteral("b.INI"))).constData()), 0);
    QString error;
    EXPECT_FALSE(WriteFileSafely(path(QStringLiteral("a.INI")), "new", &error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("Ошибка записи файла ") + path(QStringLiteral("a.INI"))))
        << error.toStdString();
    EXPECT_TRUE(QFileInfo(path(QStringLiteral("a.INI"))).isSymLink());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::System, QDir::Name),
              (QStringList{QStringLiteral("a.INI"), QStringLiteral("b.INI")}));
}

// A leftover that is a link, even one pointing nowhere, is removed itself;
// what it points to stays.
TEST_F(SafeFileWriterTest, LeftoversThatAreLinksAreRemovedWithoutTheirTargets)
{
    ASSERT_TRUE(WriteFileBytes(path(QStringLiteral("victim")), "victim"));
    ASSERT_EQ(::symlink("victim", QFile::encodeName(path() + SafeWriteSuffix).constData()), 0);
    ASSERT_EQ(::symlink("nowhere", QFile::encodeName(path(QStringLiteral("TEL00002.TLG")) + SafeWriteSuffix).constData()), 0);
    ASSERT_EQ(::symlink("nowhere", QFile::encodeName(path(QStringLiteral("TEL00003.TLG")) + SafeWriteSuffix).constData()), 0);
    EXPECT_TRUE(RemoveSafeWriteLeftover(path(QStringLiteral("TEL00003.TLG"))));
    EXPECT_EQ(RemoveSafeWriteLeftovers(dir.path()), 2);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList{QStringLiteral("victim")});
    EXPECT_EQ(ReadFileBytes(path(QStringLiteral("victim"))), "victim");
}

} // namespace
