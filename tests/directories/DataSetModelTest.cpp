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

} // namespace
} // namespace korvane::test
