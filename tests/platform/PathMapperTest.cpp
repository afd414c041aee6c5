#include "platform/PathMapper.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace korvane;

class PathMapperTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        root_ = dir_.path();
        ASSERT_TRUE(QDir(root_).mkpath(QStringLiteral("drive_c/mail2/OUTGO1")));
        ASSERT_TRUE(QDir(root_).mkpath(QStringLiteral("drive_d/Data")));
        ASSERT_TRUE(QDir(root_).mkpath(QStringLiteral("Rel/Sub")));
    }
    QTemporaryDir dir_;
    QString root_;
};

TEST_F(PathMapperTest, WindowsPathsMapIntoTheProgramFolder)
{
    const PathMapper mapper(root_);
    struct Case {
        QString stored;
        QString native; // relative to the program folder
    };
    const Case cases[] = {
        {QStringLiteral("C:\\MAIL2\\Outgo1"), QStringLiteral("drive_c/mail2/OUTGO1")},
        {QStringLiteral("c:\\mail2\\outgo1\\"), QStringLiteral("drive_c/mail2/OUTGO1/")},
        {QStringLiteral("C:\\MAIL2\\OUTGO1\\TEL00001.TLG"), QStringLiteral("drive_c/mail2/OUTGO1/TEL00001.TLG")},
        // From the first missing component on, the path is kept as written.
        {QStringLiteral("C:\\MAIL2\\INCOME1\\Sub"), QStringLiteral("drive_c/mail2/INCOME1/Sub")},
        {QStringLiteral("D:\\DATA\\x.db"), QStringLiteral("drive_d/Data/x.db")},
        {QStringLiteral("E:\\New\\Folder"), QStringLiteral("drive_e/New/Folder")},
        {QStringLiteral("C:\\"), QStringLiteral("drive_c/")},
        {QStringLiteral("C:"), QStringLiteral("drive_c")},
        {QStringLiteral("C:/MAIL2/outgo1"), QStringLiteral("drive_c/mail2/OUTGO1")},
        {QStringLiteral("C:\\\\MAIL2\\\\OUTGO1"), QStringLiteral("drive_c/mail2/OUTGO1")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(mapper.toNative(c.stored), root_ + u'/' + c.native) << c.stored.toStdString();
}

TEST_F(PathMapperTest, NativePathsPassUnchanged)
{
    const PathMapper mapper(root_);
    const QString cases[] = {
        root_ + QStringLiteral("/DRIVE_C/MAIL2"), // no case matching for native paths
        QStringLiteral("/var/spool/korvane"),
        QStringLiteral("relative/path.txt"),
        QStringLiteral("name:with:colons"),
        QString(),
    };
    for (const QString& c : cases)
        EXPECT_EQ(mapper.toNative(c), c) << c.toStdString();
}

TEST_F(PathMapperTest, BackslashPathsWithoutDriveBecomeNative)
{
    const PathMapper mapper(root_);
    // Absolute: matched from the root.
    QString stored = root_;
    stored.replace(u'/', u'\\');
    EXPECT_EQ(mapper.toNative(stored + QStringLiteral("\\REL\\sub")), root_ + QStringLiteral("/Rel/Sub"));

    // Relative: matched from the current folder.
    const QString saved = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(root_));
    const QString mapped = mapper.toNative(QStringLiteral("rel\\SUB\\file.txt"));
    QDir::setCurrent(saved);
    EXPECT_EQ(mapped, QStringLiteral("Rel/Sub/file.txt"));
}

TEST_F(PathMapperTest, ProgramFolderWithTrailingSlash)
{
    const PathMapper mapper(root_ + u'/');
    EXPECT_EQ(mapper.toNative(QStringLiteral("C:\\MAIL2")), root_ + QStringLiteral("/drive_c/mail2"));
}
