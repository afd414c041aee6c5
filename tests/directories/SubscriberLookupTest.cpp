// The engine's look-up of a destination number: exact, letter case
// counting, the first of duplicates in the directory's current order, and
// "unavailable" while the table is closed.

#include "DirectoryFixture.h"

#include "directories/AbonentLookup.h"

namespace korvane::test {
namespace {

class SubscriberLookupTest : public DirectoryFixture {
protected:
    void SetUp() override
    {
        DirectoryFixture::SetUp();
        Start();
        AddSubscribers({{"12345", "ЗАВОД", "12345 ZAVOD"},
                        {"ab77", "ЛАТИНИЦА", "AB77 X"},
                        {"12345", "АРХИВ", "12345 ARHIV"}});
    }
    SubscriberLookup::Result Look(const QString& number)
    {
        record = {};
        error.clear();
        AbonentLookup lookup(*module);
        return lookup.LocateSubscriber(number, record, error);
    }
    SubscriberRecord record;
    QString error;
};

TEST_F(SubscriberLookupTest, DuplicateNumberGivesTheFirstInTheDirectorysOrder)
{
    ASSERT_EQ(Look(QStringLiteral("12345")), SubscriberLookup::Result::Found);
    EXPECT_EQ(record.AnswerBack, QStringLiteral("12345 ZAVOD"));

    // The operator sorts the directory by name: the other record comes first.
    ASSERT_TRUE(module->OpenAbonentQuery(QStringLiteral("ABONENT_Name")));
    ASSERT_EQ(Look(QStringLiteral("12345")), SubscriberLookup::Result::Found);
    EXPECT_EQ(record.Name, QStringLiteral("АРХИВ"));
    EXPECT_EQ(record.AnswerBack, QStringLiteral("12345 ARHIV"));
}

TEST_F(SubscriberLookupTest, OnlyTheWholeNumberInItsOwnLetterCaseMatches)
{
    for (const char* number : {"AB77", "1234", "123456", " 12345", ""}) {
        EXPECT_EQ(Look(QString::fromUtf8(number)), SubscriberLookup::Result::NotFound) << number;
    }
    EXPECT_EQ(Look(QStringLiteral("ab77")), SubscriberLookup::Result::Found);
    EXPECT_EQ(record.Name, QStringLiteral("ЛАТИНИЦА"));
}

TEST_F(SubscriberLookupTest, LookUpMovesTheDirectorysCurrentRecordAndItsHook)
{
    QObject dialog;
    int recNo = 0;
    module->OnAbonentScroll.Set(&dialog, [&](QObject*) { recNo = module->AbonentQuery.RecNo(); });
    ASSERT_EQ(Look(QStringLiteral("ab77")), SubscriberLookup::Result::Found);
    EXPECT_EQ(recNo, 2);
    EXPECT_EQ(module->AbonentQuery.FieldAsText(u"ABONENT_No"), QStringLiteral("ab77"));
    // Not found: the record stays.
    EXPECT_EQ(Look(QStringLiteral("0")), SubscriberLookup::Result::NotFound);
    EXPECT_EQ(module->AbonentQuery.RecNo(), 2);
}

TEST_F(SubscriberLookupTest, ClosedTableIsUnavailableWithAReason)
{
    module->AbonentQuery.Close(); // as during the directory's import
    EXPECT_EQ(Look(QStringLiteral("12345")), SubscriberLookup::Result::Unavailable);
    EXPECT_FALSE(error.isEmpty());

    EXPECT_FALSE(module->OpenAbonentQuery(QStringLiteral("NO_SUCH_FIELD")));
    EXPECT_EQ(Look(QStringLiteral("12345")), SubscriberLookup::Result::Unavailable);
    EXPECT_EQ(error, module->AbonentError());

    ASSERT_TRUE(module->OpenAbonentQuery(QStringLiteral("ABONENT_ID")));
    EXPECT_EQ(Look(QStringLiteral("12345")), SubscriberLookup::Result::Found);
}

TEST_F(SubscriberLookupTest, EmptyTableFindsNothing)
{
    PrepareAbonentDelete(module->DynamicQuery, QStringLiteral("12345"));
    ASSERT_TRUE(module->DynamicQuery.ExecSQL());
    PrepareAbonentDelete(module->DynamicQuery, QStringLiteral("ab77"));
    ASSERT_TRUE(module->DynamicQuery.ExecSQL());
    ASSERT_TRUE(module->OpenAbonentQuery(QStringLiteral("ABONENT_ID")));
    EXPECT_TRUE(module->AbonentQuery.IsEmpty());
    EXPECT_EQ(Look(QStringLiteral("12345")), SubscriberLookup::Result::NotFound);
}

} // namespace
} // namespace korvane::test
