// Starting the data module on a database folder: the subscriber table is
// created when missing, each table opens on its own, table files are
// found without regard to letter case, and a file that is no table is
// kept aside and reported.

#include "DirectoryFixture.h"

#include "directories/AbonentLookup.h"
#include "directories/DirectoryTables.h"
#include "directories/SqliteTableFile.h"
#include "directories/TableFolder.h"

#include <QFileInfo>

namespace korvane::test {
namespace {

using StartTest = DirectoryFixture;

TEST_F(StartTest, MissingSubscriberTableIsCreatedWithItsEightFieldsAndNoRecords)
{
    TTxDataModule& m = Start();
    ASSERT_TRUE(QFileInfo::exists(DbFile(QStringLiteral("abonents.db"))));
    EXPECT_EQ(ClassifyTableFile(DbFile(QStringLiteral("abonents.db"))), TableFileKind::Sqlite);
    ASSERT_TRUE(m.AbonentQuery.Active());
    EXPECT_EQ(m.AbonentQuery.FieldNames(),
              QStringList({"ABONENT_ID", "ABONENT_No", "ABONENT_Name", "ABONENT_Category", "ABONENT_AnsBk",
                           "ABONENT_Cntr1", "ABONENT_Cntr2", "ABONENT_Comment"}));
    EXPECT_TRUE(m.AbonentQuery.IsEmpty());
    EXPECT_EQ(m.AbonentQuery.RecNo(), 0);
    EXPECT_EQ(m.AbonentQuery.Sql(), QStringList({"SELECT *", "FROM \"abonents.db\"", "ORDER BY ABONENT_ID"}));

    // A second start finds the file and leaves it as it is.
    AddSubscribers({{"12345", "ЗАВОД", "12345 ZAVOD"}});
    module.reset();
    const QByteArray before = ReadAll(DbFile(QStringLiteral("abonents.db")));
    TTxDataModule& again = Start();
    EXPECT_EQ(ReadAll(DbFile(QStringLiteral("abonents.db"))), before);
    EXPECT_EQ(again.AbonentQuery.RecordCount(), 1);
}

TEST_F(StartTest, MissingCountryTableLeavesSubscriberLookUpsWorking)
{
    TTxDataModule& m = Start();
    AddSubscribers({{"12345", "ЗАВОД", "12345 ZAVOD"}});

    // Only the country table is reported, once.
    ASSERT_EQ(box.shown.size(), 1);
    EXPECT_TRUE(box.shown[0].text.contains(QStringLiteral("country.db"))) << box.shown[0].text.toStdString();
    EXPECT_EQ(box.shown[0].caption, QStringLiteral("Korvane 2"));
    EXPECT_FALSE(m.CountryQuery.Active());
    EXPECT_FALSE(m.CountryError().isEmpty());

    AbonentLookup lookup(m);
    SubscriberRecord record;
    QString error;
    ASSERT_EQ(lookup.LocateSubscriber(QStringLiteral("12345"), record, error), SubscriberLookup::Result::Found);
    EXPECT_EQ(record.Name, QStringLiteral("ЗАВОД"));
    EXPECT_EQ(record.AnswerBack, QStringLiteral("12345 ZAVOD"));
}

TEST_F(StartTest, MissingDatabaseFolderLeavesBothQueriesClosedAndLookUpsUnavailable)
{
    ASSERT_TRUE(QDir(DbPath()).removeRecursively());
    TTxDataModule& m = Start();
    EXPECT_FALSE(m.AbonentQuery.Active());
    EXPECT_FALSE(m.CountryQuery.Active());
    // One box per table, none about the same table twice.
    ASSERT_EQ(box.shown.size(), 2);
    EXPECT_TRUE(box.shown[0].text.contains(QStringLiteral("KorvaneDB")));

    AbonentLookup lookup(m);
    SubscriberRecord record;
    QString error;
    EXPECT_EQ(lookup.LocateSubscriber(QStringLiteral("1"), record, error), SubscriberLookup::Result::Unavailable);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(DbPath())) << "the folder is not created behind the operator's back";
}

// A folder where no file may be created: the subscriber table's creation
// is refused in the operator's words, naming the file.
TEST_F(StartTest, SubscriberTableThatCannotBeCreatedIsReportedInRussian)
{
    const QString folder = QStringLiteral("/proc/sys/vm"); // not even the superuser creates files here
    if (!QFileInfo(folder).isDir())
        GTEST_SKIP() << "no /proc/sys/vm";
    module = std::make_unique<TTxDataModule>(folder, box);
    EXPECT_FALSE(module->AbonentQuery.Active());
    ASSERT_FALSE(box.shown.isEmpty());
    EXPECT_EQ(box.shown[0].text.toStdString(),
              QStringLiteral("Таблица абонентов не создана: таблица /proc/sys/vm/abonents.db не открывается "
                             "(нет доступа к файлу или к его папке)")
                  .toStdString());
    module.reset();
}

TEST_F(StartTest, TableFilesAreFoundWithoutRegardToLetterCase)
{
    // Tables written under upper-case names, as the old system's folder has them.
    QString error;
    ASSERT_TRUE(WriteTableFile(DbFile(QStringLiteral("ABONENTS.DB")), QStringLiteral("abonents.db"),
                               AbonentsTableColumns(), {{1, "777", "СКЛАД", QVariant(), "777 SKLAD"}}, error))
        << error.toStdString();
    ASSERT_TRUE(WriteTableFile(DbFile(QStringLiteral("Country.Db")), QStringLiteral("country.db"),
                               CountryTableColumns(), {{1, "Россия", "7", "RU"}}, error));
    TTxDataModule& m = Start();
    EXPECT_TRUE(box.shown.isEmpty()) << box.texts().join('\n').toStdString();
    EXPECT_FALSE(QFileInfo::exists(DbFile(QStringLiteral("abonents.db")))) << "no second table created";
    ASSERT_EQ(m.AbonentQuery.RecordCount(), 1);
    EXPECT_EQ(m.AbonentQuery.FieldAsText(u"abonent_ansbk"), QStringLiteral("777 SKLAD"));
    ASSERT_EQ(m.CountryQuery.RecordCount(), 1);
    EXPECT_EQ(m.CountryQuery.FieldAsText(u"COUNTRY_NAME"), QStringLiteral("Россия"));

    // The change statements spell the same files in upper case.
    PrepareCountryAdd(m.DynamicQuery, QStringLiteral("380"), QStringLiteral("Украина"), QStringLiteral("UA"));
    ASSERT_TRUE(m.DynamicQuery.ExecSQL()) << m.DynamicQuery.LastError().toStdString();
    ASSERT_TRUE(m.OpenCountryQuery(QStringLiteral("COUNTRY_ID")));
    EXPECT_EQ(m.CountryQuery.RecordCount(), 2);
}

struct BadFileCase {
    const char* name;
    QByteArray contents;
};

class UnreadableTableTest : public DirectoryFixture, public ::testing::WithParamInterface<BadFileCase> {};

TEST_P(UnreadableTableTest, SubscriberFileThatIsNoTableIsKeptAsideAndANewTableCreated)
{
    const QByteArray junk = GetParam().contents;
    WriteAll(DbFile(QStringLiteral("ABONENTS.DB")), junk);
    // An earlier file kept aside is never overwritten.
    WriteAll(DbFile(QStringLiteral("ABONENTS.DB.unreadable")), "older");

    TTxDataModule& m = Start();
    const QString aside = DbFile(QStringLiteral("ABONENTS.DB.unreadable.1"));
    EXPECT_EQ(ReadAll(aside), junk);
    EXPECT_EQ(ReadAll(DbFile(QStringLiteral("ABONENTS.DB.unreadable"))), QByteArray("older"));
    ASSERT_FALSE(box.shown.isEmpty());
    EXPECT_TRUE(box.shown[0].text.contains(QStringLiteral("ABONENTS.DB.unreadable.1")))
        << box.shown[0].text.toStdString();
    EXPECT_TRUE(m.AbonentQuery.Active());
    EXPECT_TRUE(m.AbonentQuery.IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Files, UnreadableTableTest,
    ::testing::Values(BadFileCase{"Text", QByteArray("12345\r\nЗАВОД\r\n\r\n")}, BadFileCase{"Empty", QByteArray()},
                      BadFileCase{"DamagedSqlite", QByteArray("SQLite format 3\0", 16) + QByteArray(600, '\x55')},
                      BadFileCase{"DamagedParadoxHeader",
                                  QByteArray::fromHex("2e000008020100") + QByteArray(0x900, '\x7f')}),
    [](const auto& info) { return std::string(info.param.name); });

// A subscriber table the program may not open is the operator's to mend:
// reported as not accessible, never moved aside nor replaced.
TEST_F(StartTest, SubscriberTableThatMayNotBeOpenedIsReportedAndKeptAsItIs)
{
    const QString path = DbFile(QStringLiteral("ABONENTS.DB"));
    QString error;
    ASSERT_TRUE(WriteTableFile(path, QStringLiteral("abonents.db"), AbonentsTableColumns(), {{1, "777", "СКЛАД"}},
                               error));
    QFile(path).setPermissions(QFileDevice::WriteOwner);
    if (TableFileAccessProblem(path).isEmpty()) {
        // The superuser reads any file: a file even he may not read stands in.
        ASSERT_TRUE(QFile::remove(path));
        ASSERT_TRUE(QFile::link(QStringLiteral("/proc/sys/vm/drop_caches"), path));
    }
    if (TableFileAccessProblem(path).isEmpty())
        GTEST_SKIP() << "no file here that the program may not read";

    TTxDataModule& m = Start();
    EXPECT_TRUE(QFileInfo::exists(path) || QFileInfo(path).isSymLink());
    EXPECT_EQ(QDir(DbPath()).entryList(QDir::Files | QDir::System), QStringList({"ABONENTS.DB"}));
    EXPECT_FALSE(m.AbonentQuery.Active());
    ASSERT_FALSE(box.shown.isEmpty());
    EXPECT_EQ(box.shown[0].text,
              QStringLiteral("Таблица %1 недоступна: у программы нет прав на чтение файла. Файл оставлен как есть.")
                  .arg(path));
    EXPECT_EQ(box.texts().filter(QStringLiteral("ABONENTS.DB")).size(), 1) << box.texts().join('\n').toStdString();
    QFile(path).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

TEST_F(StartTest, UnreadableCountryTableIsKeptAsideAndSubscribersStillOpen)
{
    WriteAll(DbFile(QStringLiteral("COUNTRY.DB")), "not a table");
    TTxDataModule& m = Start();
    EXPECT_EQ(ReadAll(DbFile(QStringLiteral("COUNTRY.DB.unreadable"))), QByteArray("not a table"));
    EXPECT_FALSE(QFileInfo::exists(DbFile(QStringLiteral("COUNTRY.DB"))));
    EXPECT_FALSE(m.CountryQuery.Active());
    EXPECT_TRUE(m.AbonentQuery.Active());
    ASSERT_FALSE(box.shown.isEmpty());
    EXPECT_TRUE(box.shown[0].text.contains(QStringLiteral("COUNTRY.DB.unreadable")));
}

} // namespace
} // namespace korvane::test
