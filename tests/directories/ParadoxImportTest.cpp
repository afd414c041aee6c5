// Paradox tables carried over from the old system: read into SQLite once,
// the Paradox file kept beside the new table under a new name.

#include "DirectoryFixture.h"
#include "ParadoxFile.h"

#include "directories/AbonentLookup.h"
#include "directories/ParadoxTable.h"
#include "directories/TableFolder.h"
#include "platform/CodePages.h"

#include <QFileInfo>

// pxlib's header declares C functions without a C++ guard.
extern "C" {
#include <paradox.h>
}

namespace korvane::test {
namespace {

QByteArray Ansi(const char* utf8)
{
    return codepage::toCp1251(QString::fromUtf8(utf8));
}

const QList<ParadoxField> AbonentFields = {
    {"ABONENT_ID", pxfAutoInc, 4},     {"ABONENT_No", pxfAlpha, 20},      {"ABONENT_Name", pxfAlpha, 60},
    {"ABONENT_Category", pxfShort, 2}, {"ABONENT_AnsBk", pxfAlpha, 20},   {"ABONENT_Cntr1", pxfLong, 4},
    {"ABONENT_Cntr2", pxfLong, 4},     {"ABONENT_Comment", pxfAlpha, 60},
};

using ParadoxImportTest = DirectoryFixture;

TEST_F(ParadoxImportTest, SubscriberTableIsReadInOnceAndThePardoxFileKept)
{
    const QString path = DbFile(QStringLiteral("ABONENTS.DB"));
    ASSERT_TRUE(WriteParadoxFile(path, AbonentFields,
                                 {{1, Ansi("12345"), Ansi("ЗАВОД \"ЗВЕЗДА\""), QVariant(), Ansi("12345 ZVEZDA"), 3, QVariant(),
                                   Ansi("примечание")},
                                  {2, Ansi("+7-495"), Ansi("Ёлка"), 5, QVariant(), QVariant(), 9, QVariant()}}));
    ASSERT_EQ(ClassifyTableFile(path), TableFileKind::Paradox);
    const QByteArray paradox = ReadAll(path);

    TTxDataModule& m = Start();
    EXPECT_EQ(ReadAll(DbFile(QStringLiteral("ABONENTS.DB.paradox"))), paradox);
    EXPECT_EQ(ClassifyTableFile(path), TableFileKind::Sqlite);
    ASSERT_TRUE(m.AbonentQuery.Active()) << m.AbonentError().toStdString();
    ASSERT_EQ(m.AbonentQuery.RecordCount(), 2);
    EXPECT_EQ(m.AbonentQuery.FieldNames().size(), 8);

    AbonentLookup lookup(m);
    SubscriberRecord record;
    QString error;
    ASSERT_EQ(lookup.LocateSubscriber(QStringLiteral("12345"), record, error), SubscriberLookup::Result::Found);
    EXPECT_EQ(record.Name, QStringLiteral("ЗАВОД \"ЗВЕЗДА\""));
    EXPECT_EQ(record.AnswerBack, QStringLiteral("12345 ZVEZDA"));
    EXPECT_EQ(m.AbonentQuery.FieldAsText(u"ABONENT_Comment"), QStringLiteral("примечание"));
    EXPECT_EQ(m.AbonentQuery.FieldAsText(u"ABONENT_Cntr1"), QStringLiteral("3"));
    EXPECT_EQ(m.AbonentQuery.FieldAsText(u"ABONENT_Category"), QString());
    m.AbonentQuery.Last();
    EXPECT_EQ(m.AbonentQuery.FieldAsText(u"ABONENT_Name"), QStringLiteral("Ёлка"));
    EXPECT_EQ(m.AbonentQuery.FieldAsText(u"ABONENT_ID"), QStringLiteral("2"));

    // New records go on numbering after the imported ones.
    PrepareAbonentAdd(m.DynamicQuery, QStringLiteral("3"), QStringLiteral("НОВЫЙ"), QString());
    ASSERT_TRUE(m.DynamicQuery.ExecSQL()) << m.DynamicQuery.LastError().toStdString();
    ASSERT_TRUE(m.OpenAbonentQuery(QStringLiteral("ABONENT_ID")));
    m.AbonentQuery.Last();
    EXPECT_EQ(m.AbonentQuery.FieldAsText(u"ABONENT_ID"), QStringLiteral("3"));

    // The fields keep their sizes.
    PrepareAbonentAdd(m.DynamicQuery, QString(21, u'4'), QStringLiteral("ДЛИННЫЙ"), QString());
    EXPECT_FALSE(m.DynamicQuery.ExecSQL());
    PrepareAbonentAdd(m.DynamicQuery, QStringLiteral("4"), QString(61, u'Я'), QString());
    EXPECT_FALSE(m.DynamicQuery.ExecSQL());
    ASSERT_TRUE(m.OpenAbonentQuery(QStringLiteral("ABONENT_ID")));
    EXPECT_EQ(m.AbonentQuery.RecordCount(), 3);

    // A second start uses the SQLite table: nothing is read in again.
    const QByteArray sqlite = ReadAll(path);
    module.reset();
    Start();
    EXPECT_EQ(module->AbonentQuery.RecordCount(), 3);
    EXPECT_FALSE(QFileInfo::exists(DbFile(QStringLiteral("ABONENTS.DB.paradox.1"))));
    EXPECT_TRUE(box.shown.size() == 2) << box.texts().join('\n').toStdString(); // the missing country table, twice
}

TEST_F(ParadoxImportTest, CountryTableInTheDosCodePageIsReadIn)
{
    const QList<ParadoxField> fields = {
        {"COUNTRY_ID", pxfAutoInc, 4}, {"COUNTRY_NAME", pxfAlpha, 40}, {"COUNTRY_CODE", pxfAlpha, 5},
        {"COUNTRY_LETT", pxfAlpha, 3}};
    const auto oem = [](const char* utf8) { return codepage::toCp866(QString::fromUtf8(utf8)); };
    ASSERT_TRUE(WriteParadoxFile(DbFile(QStringLiteral("country.db")), fields,
                                 {{1, oem("Россия"), oem("7"), oem("RU")}, {2, oem("Беларусь"), oem("375"), oem("BY")}},
                                 866));
    TTxDataModule& m = Start();
    EXPECT_TRUE(box.shown.isEmpty()) << box.texts().join('\n').toStdString();
    ASSERT_TRUE(m.CountryQuery.Active()) << m.CountryError().toStdString();
    ASSERT_TRUE(m.CountryQuery.Locate(u"COUNTRY_NAME", QStringLiteral("бел"),
                                      LocateOption::PartialKey | LocateOption::CaseInsensitive));
    EXPECT_EQ(m.CountryQuery.FieldAsText(u"COUNTRY_CODE"), QStringLiteral("375"));
    EXPECT_TRUE(QFileInfo::exists(DbFile(QStringLiteral("country.db.paradox"))));
}

TEST_F(ParadoxImportTest, RepeatedRecordNumbersAreKeptInAPlainColumn)
{
    ASSERT_TRUE(WriteParadoxFile(DbFile(QStringLiteral("abonents.db")), AbonentFields,
                                 {{7, Ansi("1"), Ansi("A")}, {7, Ansi("2"), Ansi("B")}, {QVariant(), Ansi("3"), Ansi("C")}}));
    TTxDataModule& m = Start();
    ASSERT_TRUE(m.AbonentQuery.Active()) << m.AbonentError().toStdString();
    EXPECT_EQ(m.AbonentQuery.RecordCount(), 3);
}

TEST_F(ParadoxImportTest, ParadoxFileWhoseRecordsCannotBeReadIsKeptAside)
{
    const QString path = DbFile(QStringLiteral("abonents.db"));
    ASSERT_TRUE(WriteParadoxFile(path, AbonentFields, {{1, Ansi("1"), Ansi("A")}, {2, Ansi("2"), Ansi("B")}}));
    // Cut the data block away: the header still promises two records.
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    const qint64 header = static_cast<unsigned char>(ReadAll(path)[2]) | (static_cast<unsigned char>(ReadAll(path)[3]) << 8);
    ASSERT_TRUE(f.resize(header));
    f.close();
    const QByteArray cut = ReadAll(path);

    TTxDataModule& m = Start();
    EXPECT_EQ(ReadAll(DbFile(QStringLiteral("abonents.db.unreadable"))), cut);
    EXPECT_TRUE(m.AbonentQuery.Active());
    EXPECT_TRUE(m.AbonentQuery.IsEmpty());
    ASSERT_FALSE(box.shown.isEmpty());
    EXPECT_TRUE(box.shown[0].text.contains(QStringLiteral("abonents.db.unreadable")));
}

// A table that cannot be read safely, or whose reading does not finish in
// its time, holds nothing up: it is kept aside and reported, and the start
// goes on with a new subscriber table.
TEST_F(ParadoxImportTest, TableRefusedOrNotReadInTimeIsKeptAsideAndTheStartGoesOn)
{
    struct Case {
        const char* what;
        std::optional<quint32> key;
        std::optional<std::chrono::milliseconds> deadline;
        QString reason;
    };
    const Case cases[] = {
        {"encrypted", 0x0BADF00D, std::nullopt, QStringLiteral("зашифрована")},
        // A deadline already passed stands for a reading that does not end.
        {"not read in time", std::nullopt, std::chrono::milliseconds(0), QStringLiteral("не прочитана")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        module.reset();
        box.shown.clear();
        QDir(DbPath()).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(DbPath()));
        const QString path = DbFile(QStringLiteral("ABONENTS.DB"));
        ASSERT_TRUE(WriteParadoxFile(path, AbonentFields, {{1, Ansi("12345"), Ansi("ЗАВОД")}}));
        QByteArray bytes = ReadAll(path);
        if (c.key)
            PutLittleEndian(bytes, DataHeaderEncryptionAt, *c.key, 4);
        WriteAll(path, bytes);

        TTxDataModule& m = Start(c.deadline);
        EXPECT_EQ(ReadAll(DbFile(QStringLiteral("ABONENTS.DB.unreadable"))), bytes);
        EXPECT_TRUE(m.AbonentQuery.Active());
        EXPECT_TRUE(m.AbonentQuery.IsEmpty());
        ASSERT_FALSE(box.shown.isEmpty());
        EXPECT_TRUE(box.shown[0].text.contains(QStringLiteral("ABONENTS.DB.unreadable"))) << box.shown[0].text.toStdString();
        EXPECT_TRUE(box.shown[0].text.contains(c.reason)) << box.shown[0].text.toStdString();
    }
}

// The deadline leaves room for a big table: 100 000 subscribers are read in.
TEST_F(ParadoxImportTest, TableOf100000SubscribersIsReadIn)
{
    constexpr int Records = 100000;
    QList<QVariantList> rows;
    rows.reserve(Records);
    for (int i = 1; i <= Records; ++i)
        rows.append({i, QByteArray::number(1000000 + i), Ansi("АБОНЕНТ ") + QByteArray::number(i), QVariant(),
                     QByteArray::number(i) + " AB"});
    ASSERT_TRUE(WriteParadoxFileQuickly(DbFile(QStringLiteral("abonents.db")), AbonentFields, rows));
    TTxDataModule& m = Start();
    ASSERT_TRUE(m.AbonentQuery.Active()) << m.AbonentError().toStdString();
    ASSERT_EQ(m.AbonentQuery.RecordCount(), Records);
    m.AbonentQuery.Last();
    EXPECT_EQ(m.AbonentQuery.FieldAsText(u"ABONENT_Name"), QStringLiteral("АБОНЕНТ %1").arg(Records));
    EXPECT_TRUE(QFileInfo::exists(DbFile(QStringLiteral("abonents.db.paradox"))));
}

} // namespace
} // namespace korvane::test
