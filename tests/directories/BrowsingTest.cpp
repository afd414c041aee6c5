// Browsing the subscriber query: its order, moves of the current record,
// Locate with its three kinds of match, the scroll hooks and the counted
// suspension of the views.

#include "DirectoryFixture.h"

#include <QSignalSpy>

namespace korvane::test {
namespace {

class BrowsingTest : public DirectoryFixture {
protected:
    void SetUp() override
    {
        DirectoryFixture::SetUp();
        Start();
        AddSubscribers({{"+7-495-1", "МОСКВА ГЛАВПОЧТАМТ", "MSK"},
                        {"2345", "Ёлкино", "elk 2345"},
                        {"+7-812-2", "ПИТЕР", "SPB"},
                        {"2345", "ДУБЛЬ", "DUB"},
                        {"98", "straße", "STR"}});
    }
    BrowseQuery& q() { return module->AbonentQuery; }
    QString Name() { return q().FieldAsText(u"ABONENT_Name"); }
};

TEST_F(BrowsingTest, MovesWalkTheRecordsInTheQueryOrder)
{
    EXPECT_EQ(q().RecordCount(), 5);
    EXPECT_EQ(q().RecNo(), 1);
    EXPECT_EQ(Name(), QStringLiteral("МОСКВА ГЛАВПОЧТАМТ"));
    q().Last();
    EXPECT_EQ(q().RecNo(), 5);
    q().Next(); // stays on the last
    EXPECT_EQ(q().RecNo(), 5);
    q().Prior();
    EXPECT_EQ(Name(), QStringLiteral("ДУБЛЬ"));
    q().First();
    q().Prior(); // stays on the first
    EXPECT_EQ(q().RecNo(), 1);

    ASSERT_TRUE(module->OpenAbonentQuery(QStringLiteral("ABONENT_No DESC")));
    EXPECT_EQ(q().Sql().last(), QStringLiteral("ORDER BY ABONENT_No DESC"));
    EXPECT_EQ(q().RecNo(), 1);
    EXPECT_EQ(q().FieldAsText(u"abonent_no"), QStringLiteral("98"));
    EXPECT_EQ(q().FieldAsText(u"ABONENT_ID"), QStringLiteral("5"));
    EXPECT_EQ(q().FieldAsText(u"ABONENT_Comment"), QString()) << "a null field reads as empty text";
}

struct LocateCase {
    const char* what;
    const char* field;
    const char* value;
    LocateOptions options;
    const char* expectedName; // nullptr: not found, the current record stays
};

class LocateTest : public BrowsingTest, public ::testing::WithParamInterface<LocateCase> {};

TEST_P(LocateTest, FindsTheFirstMatchingRecordOrStays)
{
    const LocateCase& c = GetParam();
    q().Last(); // "straße"
    const bool found = q().Locate(QString::fromUtf8(c.field), QString::fromUtf8(c.value), c.options);
    EXPECT_EQ(found, c.expectedName != nullptr);
    EXPECT_EQ(Name(), QString::fromUtf8(c.expectedName ? c.expectedName : "straße"));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LocateTest,
    ::testing::Values(
        LocateCase{"ExactNumber", "ABONENT_No", "+7-812-2", {}, "ПИТЕР"},
        LocateCase{"ExactFieldNameInOtherCase", "Abonent_NO", "+7-812-2", {}, "ПИТЕР"},
        LocateCase{"ExactIsNotAPrefix", "ABONENT_No", "+7", {}, nullptr},
        LocateCase{"ExactCountsCase", "ABONENT_AnsBk", "ELK 2345", {}, nullptr},
        LocateCase{"ExactDuplicateTakesFirst", "ABONENT_No", "2345", {}, "Ёлкино"},
        LocateCase{"PartialPrefix", "ABONENT_No", "+7", LocateOption::PartialKey, "МОСКВА ГЛАВПОЧТАМТ"},
        LocateCase{"PartialCountsCase", "ABONENT_Name", "ёлк", LocateOption::PartialKey, nullptr},
        LocateCase{"InsensitiveCyrillic", "ABONENT_Name", "пит", LocateOption::PartialKey | LocateOption::CaseInsensitive,
                   "ПИТЕР"},
        LocateCase{"InsensitiveYo", "ABONENT_Name", "ЁЛК", LocateOption::PartialKey | LocateOption::CaseInsensitive,
                   "Ёлкино"},
        LocateCase{"InsensitiveLatin", "ABONENT_AnsBk", "ELK", LocateOption::PartialKey | LocateOption::CaseInsensitive,
                   "Ёлкино"},
        LocateCase{"YoIsNotYe", "ABONENT_Name", "ел", LocateOption::PartialKey | LocateOption::CaseInsensitive, nullptr},
        LocateCase{"UnknownField", "ABONENT_Nothing", "1", LocateOption::PartialKey, nullptr},
        LocateCase{"EmptyPartialMatchesFirst", "ABONENT_Name", "", LocateOption::PartialKey, "МОСКВА ГЛАВПОЧТАМТ"}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(BrowsingTest, ExactLocateFollowsTheCurrentOrder)
{
    ASSERT_TRUE(module->OpenAbonentQuery(QStringLiteral("ABONENT_AnsBk")));
    ASSERT_TRUE(q().Locate(u"ABONENT_No", QStringLiteral("2345")));
    EXPECT_EQ(Name(), QStringLiteral("ДУБЛЬ"));
    ASSERT_TRUE(module->OpenAbonentQuery(QStringLiteral("ABONENT_AnsBk DESC")));
    ASSERT_TRUE(q().Locate(u"ABONENT_No", QStringLiteral("2345")));
    EXPECT_EQ(Name(), QStringLiteral("Ёлкино"));
}

TEST_F(BrowsingTest, ScrollHookGetsTheModuleAndFollowsEveryMove)
{
    QObject dialog;
    QList<QObject*> senders;
    QList<int> recNos;
    module->OnAbonentScroll.Set(&dialog, [&](QObject* sender) {
        senders << sender;
        recNos << q().RecNo();
    });
    q().Last();
    q().Prior();
    q().Locate(u"ABONENT_No", QStringLiteral("98"));
    q().Locate(u"ABONENT_No", QStringLiteral("none"));
    module->OpenAbonentQuery(QStringLiteral("ABONENT_ID"));
    EXPECT_EQ(recNos, QList<int>({5, 4, 5, 1}));
    for (QObject* s : senders)
        EXPECT_EQ(s, module.get());
}

TEST_F(BrowsingTest, ScrollHookOfADestroyedDialogIsNeverCalled)
{
    int calls = 0;
    {
        QObject dialog;
        module->OnCountryScroll.Set(&dialog, [&](QObject*) { ++calls; });
        module->OnAbonentScroll.Set(&dialog, [&](QObject*) { ++calls; });
        q().Next();
        EXPECT_EQ(calls, 1);
    }
    q().Next();
    module->OpenAbonentQuery(QStringLiteral("ABONENT_ID"));
    EXPECT_EQ(calls, 1);
}

TEST_F(BrowsingTest, SuspendedViewsAreToldOnlyAfterTheLastResumption)
{
    QSignalSpy changed(&q(), &BrowseQuery::DataSetChanged);
    QSignalSpy moved(&q(), &BrowseQuery::CurrentChanged);
    q().DisableControls();
    q().DisableControls();
    q().Last();
    module->OpenAbonentQuery(QStringLiteral("ABONENT_ID"));
    q().Locate(u"ABONENT_No", QStringLiteral("98"));
    q().EnableControls();
    EXPECT_TRUE(q().ControlsDisabled());
    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(moved.count(), 0);
    q().EnableControls();
    EXPECT_FALSE(q().ControlsDisabled());
    EXPECT_EQ(changed.count(), 1);
    ASSERT_EQ(moved.count(), 1);
    EXPECT_EQ(moved.at(0).at(0).toInt(), 4);
    q().EnableControls(); // one too many: no effect
    EXPECT_FALSE(q().ControlsDisabled());

    q().First();
    EXPECT_EQ(moved.count(), 2);
}

TEST_F(BrowsingTest, ClosedQueryHasNoRecordAndFindsNothing)
{
    q().Close();
    EXPECT_EQ(q().RecordCount(), 0);
    EXPECT_EQ(q().RecNo(), 0);
    EXPECT_EQ(Name(), QString());
    EXPECT_FALSE(q().Locate(u"ABONENT_No", QStringLiteral("98")));
    q().Last();
    EXPECT_EQ(q().RecNo(), 0);
}

TEST_F(BrowsingTest, StatementTheDatabaseRefusesLeavesTheQueryClosedWithTheError)
{
    EXPECT_FALSE(module->OpenAbonentQuery(QStringLiteral("NO_SUCH_FIELD")));
    EXPECT_FALSE(q().Active());
    EXPECT_TRUE(module->AbonentError().contains(QStringLiteral("NO_SUCH_FIELD"))) << module->AbonentError().toStdString();
    EXPECT_TRUE(module->OpenAbonentQuery(QStringLiteral("ABONENT_ID")));
    EXPECT_TRUE(module->AbonentError().isEmpty());

    // An order that is more than a field name never reaches the database.
    for (const char* order : {"ABONENT_ID; DROP TABLE \"abonents.db\"", "1", "ABONENT_ID ASC, ABONENT_No", ""}) {
        EXPECT_FALSE(module->OpenAbonentQuery(QString::fromUtf8(order))) << order;
        EXPECT_FALSE(module->AbonentError().isEmpty());
    }
    ASSERT_TRUE(module->OpenAbonentQuery(QStringLiteral("ABONENT_ID")));
    EXPECT_EQ(q().RecordCount(), 5);
}

} // namespace
} // namespace korvane::test
