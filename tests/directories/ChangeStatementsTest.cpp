// The change statements: named parameters matched without regard to
// letter case, every value bound (quotes in numbers and names are plain
// characters), the table names of the statements reaching the same files.

#include "DirectoryFixture.h"

#include "directories/DirectoryTables.h"
#include "directories/SqliteTableFile.h"

namespace korvane::test {
namespace {

class ChangeStatementsTest : public DirectoryFixture {
protected:
    void SetUp() override
    {
        DirectoryFixture::SetUp();
        QString error;
        ASSERT_TRUE(WriteTableFile(DbFile(QStringLiteral("COUNTRY.DB")), QStringLiteral("country.db"),
                                   CountryTableColumns(),
                                   {{1, "Россия", "7", "RU"}, {2, "Кот-д'Ивуар", "225", "CI"}, {3, "Франция", "33", "FR"}},
                                   error));
        Start();
    }
    QStringList Column(BrowseQuery& q, QStringView field)
    {
        QStringList out;
        for (int row = 0; row < q.RecordCount(); ++row)
            out << q.CellText(row, q.FieldIndex(field));
        return out;
    }
};

TEST_F(ChangeStatementsTest, NamesWithQuotesAreStoredAndDeletedAsTheyAre)
{
    TTxDataModule& m = *module;
    PrepareCountryDelete(m.DynamicQuery, QStringLiteral("2")); // "Кот-д'Ивуар"
    ASSERT_TRUE(m.DynamicQuery.ExecSQL()) << m.DynamicQuery.LastError().toStdString();
    EXPECT_EQ(m.DynamicQuery.RowsAffected(), 1);

    // A value shaped like SQL is a value: it matches nothing.
    PrepareCountryDelete(m.DynamicQuery, QStringLiteral("x' OR '1'='1"));
    ASSERT_TRUE(m.DynamicQuery.ExecSQL());
    EXPECT_EQ(m.DynamicQuery.RowsAffected(), 0);

    AddSubscribers({{"1'2", "О'КОННОР \"ЛТД\"", "A'B"}, {"12", "ДРУГОЙ", ""}});
    PrepareAbonentEdit(m.DynamicQuery, QStringLiteral("1'2"), QStringLiteral("ИМЯ; DROP TABLE x"), QStringLiteral("--"));
    ASSERT_TRUE(m.DynamicQuery.ExecSQL());
    ASSERT_TRUE(m.OpenAbonentQuery(QStringLiteral("ABONENT_ID")));
    EXPECT_EQ(Column(m.AbonentQuery, u"ABONENT_Name"), QStringList({"ИМЯ; DROP TABLE x", "ДРУГОЙ"}));
    EXPECT_EQ(Column(m.AbonentQuery, u"ABONENT_AnsBk"), QStringList({"--", ""}));
    PrepareAbonentDelete(m.DynamicQuery, QStringLiteral("1'2"));
    ASSERT_TRUE(m.DynamicQuery.ExecSQL());
    ASSERT_TRUE(m.OpenAbonentQuery(QStringLiteral("ABONENT_ID")));
    EXPECT_EQ(Column(m.AbonentQuery, u"ABONENT_No"), QStringList({"12"}));

    ASSERT_TRUE(m.OpenCountryQuery(QStringLiteral("COUNTRY_ID")));
    EXPECT_EQ(Column(m.CountryQuery, u"COUNTRY_NAME"), QStringList({"Россия", "Франция"}));
}

// The subscriber table holds a number and an answerback of 20 characters and
// a name of 60 (Cyrillic letters counted as one each); a longer one is
// refused, never stored.
TEST_F(ChangeStatementsTest, SubscriberTextsLongerThanTheirFieldsAreRefused)
{
    TTxDataModule& m = *module;
    struct Case {
        const char* what;
        QString number, name, answerBack;
        bool stored;
    };
    const QString ya = QStringLiteral("Я");
    const Case cases[] = {
        {"all at their sizes", QString(20, u'1'), ya.repeated(60), ya.repeated(20), true},
        {"a number of 21", QString(21, u'2'), QStringLiteral("N"), QString(), false},
        {"a name of 61", QStringLiteral("3"), ya.repeated(61), QString(), false},
        {"an answerback of 21", QStringLiteral("4"), QStringLiteral("N"), ya.repeated(21), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PrepareAbonentAdd(m.DynamicQuery, c.number, c.name, c.answerBack);
        EXPECT_EQ(m.DynamicQuery.ExecSQL(), c.stored);
        EXPECT_EQ(m.DynamicQuery.LastError().isEmpty(), c.stored);
    }
    PrepareAbonentEdit(m.DynamicQuery, QString(20, u'1'), ya.repeated(61), QString());
    EXPECT_FALSE(m.DynamicQuery.ExecSQL());
    ASSERT_TRUE(m.OpenAbonentQuery(QStringLiteral("ABONENT_ID")));
    EXPECT_EQ(Column(m.AbonentQuery, u"ABONENT_No"), QStringList({QString(20, u'1')}));
    EXPECT_EQ(Column(m.AbonentQuery, u"ABONENT_Name"), QStringList({ya.repeated(60)}));
}

TEST_F(ChangeStatementsTest, CountryStatementsChangeTheShownTable)
{
    TTxDataModule& m = *module;
    PrepareCountryAdd(m.DynamicQuery, QStringLiteral("380"), QStringLiteral("Украина"), QStringLiteral("UA"));
    EXPECT_TRUE(m.DynamicQuery.Sql().last().contains(QStringLiteral(":CurCode")));
    ASSERT_TRUE(m.DynamicQuery.ExecSQL()) << m.DynamicQuery.LastError().toStdString();
    PrepareCountryEdit(m.DynamicQuery, QStringLiteral("3"), QStringLiteral("ФРАНЦИЯ"), QStringLiteral("FRA"));
    ASSERT_TRUE(m.DynamicQuery.ExecSQL());
    ASSERT_TRUE(m.OpenCountryQuery(QStringLiteral("COUNTRY_CODE DESC")));
    EXPECT_EQ(Column(m.CountryQuery, u"COUNTRY_CODE"), QStringList({"7", "380", "33", "225"}));
    EXPECT_EQ(Column(m.CountryQuery, u"COUNTRY_LETT"), QStringList({"RU", "UA", "FRA", "CI"}));
    EXPECT_EQ(Column(m.CountryQuery, u"COUNTRY_ID"), QStringList({"1", "4", "3", "2"}));
}

TEST_F(ChangeStatementsTest, ParametersAreMatchedWithoutRegardToCaseAndAllMustBeSet)
{
    StatementQuery& q = module->DynamicQuery;
    q.Clear();
    q.Add(QStringLiteral("INSERT INTO \"country.db\" (COUNTRY_NAME, COUNTRY_CODE, COUNTRY_LETT)"));
    q.Add(QStringLiteral("VALUES (:CURNAME, :curCode, :CurLett)"));
    q.SetParam(QStringLiteral(":curname"), QStringLiteral("Чили"));
    q.SetParam(QStringLiteral("CURCODE"), QStringLiteral("56"));
    EXPECT_FALSE(q.ExecSQL());
    EXPECT_TRUE(q.LastError().contains(QStringLiteral("CurLett"))) << q.LastError().toStdString();
    q.SetParam(QStringLiteral("curLett"), QStringLiteral("CL"));
    ASSERT_TRUE(q.ExecSQL()) << q.LastError().toStdString();
    ASSERT_TRUE(module->CountryQuery.Open());
    EXPECT_TRUE(module->CountryQuery.Locate(u"COUNTRY_CODE", QStringLiteral("56")));
    EXPECT_EQ(module->CountryQuery.FieldAsText(u"COUNTRY_LETT"), QStringLiteral("CL"));
}

TEST(StatementPositionalTest, OnlyParametersOutsideQuotesAndCommentsAreReplaced)
{
    const auto p = StatementQuery::ToPositional(
        QStringLiteral("SELECT ':a', \":b\" FROM t -- :c\nWHERE x = :d AND y='it''s :e' AND z=:f_1"));
    EXPECT_EQ(p.Sql, QStringLiteral("SELECT ':a', \":b\" FROM t -- :c\nWHERE x = ? AND y='it''s :e' AND z=?"));
    EXPECT_EQ(p.Names, QStringList({"d", "f_1"}));
}

} // namespace
} // namespace korvane::test
