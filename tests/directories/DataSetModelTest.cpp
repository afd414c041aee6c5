// The item model over a browsing query: it shows the query's rows, holds
// still while the query's views are suspended and catches up at the last
// resumption.

#include "DirectoryFixture.h"

#include "directories/DataSetModel.h"

#include <QSignalSpy>

namespace korvane::test {
namespace {

class DataSetModelTest : public DirectoryFixture {
protected:
    void SetUp() override
    {
        DirectoryFixture::SetUp();
        Start();
        AddSubscribers({{"1", "ОДИН", "A"}, {"2", "ДВА", "B"}});
    }
};

TEST_F(DataSetModelTest, ShowsTheRowsAndCatchesUpOnlyAfterTheLastResumption)
{
    DataSetModel model(module->AbonentQuery);
    ASSERT_EQ(model.rowCount(), 2);
    ASSERT_EQ(model.columnCount(), 8);
    const int name = model.FieldColumn(u"abonent_name");
    EXPECT_EQ(model.headerData(name, Qt::Horizontal).toString(), QStringLiteral("ABONENT_Name"));
    EXPECT_EQ(model.data(model.index(1, name)).toString(), QStringLiteral("ДВА"));

    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    QSignalSpy current(&model, &DataSetModel::CurrentRowChanged);
    module->AbonentQuery.DisableControls();
    PrepareAbonentAdd(module->DynamicQuery, QStringLiteral("3"), QStringLiteral("ТРИ"), QString());
    ASSERT_TRUE(module->DynamicQuery.ExecSQL());
    ASSERT_TRUE(module->OpenAbonentQuery(QStringLiteral("ABONENT_ID DESC")));
    module->AbonentQuery.Last();
    EXPECT_EQ(model.rowCount(), 2) << "still what the view showed";
    EXPECT_EQ(reset.count(), 0);
    module->AbonentQuery.EnableControls();
    EXPECT_EQ(reset.count(), 1);
    EXPECT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.data(model.index(0, name)).toString(), QStringLiteral("ТРИ"));
    ASSERT_FALSE(current.isEmpty());
    EXPECT_EQ(current.last().at(0).toInt(), 2);

    module->AbonentQuery.Close();
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(current.last().at(0).toInt(), -1);
}

// A subscriber edited, added or deleted: the refresh tells the grid only
// the rows that changed, and the current record stays with the operator.
TEST_F(DataSetModelTest, ARefreshAfterAChangeTellsOnlyTheRowsThatChanged)
{
    AddSubscribers({{"3", "ТРИ", "C"}, {"4", "ЧЕТЫРЕ", "D"}});
    DataSetModel model(module->AbonentQuery);
    const int name = model.FieldColumn(u"abonent_name");
    module->AbonentQuery.MoveTo(3);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);

    PrepareAbonentEdit(module->DynamicQuery, QStringLiteral("2"), QStringLiteral("ДВА-2"), QStringLiteral("B"));
    ASSERT_TRUE(module->DynamicQuery.ExecSQL());
    ASSERT_TRUE(module->RefreshAbonentQuery());
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed[0][0].toModelIndex().row(), 1);
    EXPECT_EQ(changed[0][1].toModelIndex().row(), 1);
    EXPECT_EQ(model.data(model.index(1, name)).toString(), QStringLiteral("ДВА-2"));
    EXPECT_EQ(module->AbonentQuery.CurrentRow(), 3);

    PrepareAbonentDelete(module->DynamicQuery, QStringLiteral("1"));
    ASSERT_TRUE(module->DynamicQuery.ExecSQL());
    ASSERT_TRUE(module->RefreshAbonentQuery());
    ASSERT_EQ(removed.count(), 1);
    EXPECT_EQ(removed[0][1].toInt(), 0);
    EXPECT_EQ(removed[0][2].toInt(), 0);
    EXPECT_EQ(model.rowCount(), 3);
    EXPECT_EQ(module->AbonentQuery.CurrentRow(), 2) << "still on subscriber 4";
    EXPECT_EQ(module->AbonentQuery.FieldAsText(u"ABONENT_No"), QStringLiteral("4"));

    PrepareAbonentAdd(module->DynamicQuery, QStringLiteral("5"), QStringLiteral("ПЯТЬ"), QString());
    ASSERT_TRUE(module->DynamicQuery.ExecSQL());
    ASSERT_TRUE(module->RefreshAbonentQuery());
    ASSERT_EQ(inserted.count(), 1);
    EXPECT_EQ(inserted[0][1].toInt(), 3);
    EXPECT_EQ(model.rowCount(), 4);
    EXPECT_EQ(model.data(model.index(3, name)).toString(), QStringLiteral("ПЯТЬ"));

    ASSERT_TRUE(module->RefreshAbonentQuery()); // nothing changed
    EXPECT_EQ(changed.count() + inserted.count() + removed.count(), 3);
    EXPECT_EQ(reset.count(), 0);
}

// An edit or deletion by a subscriber's number reads that subscriber alone
// again; the grid hears of its row only, wherever the order puts it.
TEST_F(DataSetModelTest, ARefreshOfOneSubscriberChangesItsRowAlone)
{
    AddSubscribers({{"3", "ТРИ", "C"}, {"4", "ЧЕТЫРЕ", "D"}});
    struct Case {
        const char* order;
        const char* number;
        const char* newName; // null: deleted
        QStringList names;   // the grid's names afterwards, in its order
    };
    const Case cases[] = {
        {"ABONENT_ID", "3", "ТРИ-3", {"ОДИН", "ДВА", "ТРИ-3", "ЧЕТЫРЕ"}},
        {"ABONENT_ID", "1", nullptr, {"ДВА", "ТРИ-3", "ЧЕТЫРЕ"}},
        // Sorted by name, a new name moves the row: the whole query is read.
        {"ABONENT_Name", "2", "ЯЯЯ", {"ТРИ-3", "ЧЕТЫРЕ", "ЯЯЯ"}},
        {"ABONENT_Name", "4", "ЧЕТЫРЕ!", {"ТРИ-3", "ЧЕТЫРЕ!", "ЯЯЯ"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.order) + " " + c.number);
        ASSERT_TRUE(module->OpenAbonentQuery(QString::fromLatin1(c.order)));
        DataSetModel model(module->AbonentQuery);
        const int name = model.FieldColumn(u"abonent_name");
        QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        const QString number = QString::fromLatin1(c.number);
        if (c.newName)
            PrepareAbonentEdit(module->DynamicQuery, number, QString::fromUtf8(c.newName), QStringLiteral("X"));
        else
            PrepareAbonentDelete(module->DynamicQuery, number);
        ASSERT_TRUE(module->DynamicQuery.ExecSQL());
        ASSERT_TRUE(module->RefreshAbonentRecords(u"ABONENT_No", number));
        QStringList names;
        for (int row = 0; row < model.rowCount(); ++row)
            names << model.data(model.index(row, name)).toString();
        EXPECT_EQ(names, c.names);
        EXPECT_EQ(reset.count(), 0);
        if (c.newName && std::string(c.order) == "ABONENT_ID") {
            EXPECT_EQ(changed.count(), 1);
        }
        // The engine's look-up by number still finds every subscriber.
        EXPECT_TRUE(module->AbonentQuery.Locate(u"ABONENT_No", QStringLiteral("4")));
    }
}

} // namespace
} // namespace korvane::test
