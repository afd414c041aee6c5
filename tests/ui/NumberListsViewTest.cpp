#include "ui/telegrams/txBadNumbers.h"

#include "engine/CallFailurePolicy.h"
#include "support/NumberLists.h"
#include "tests/ui/QtPrinters.h"
#include "ui/settings/DriverModesFiles.h"

#include <QAction>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>

#include <gtest/gtest.h>

using namespace korvane;

namespace {

QStringList Row(const QTableWidget* view, int row)
{
    QStringList cells;
    for (int c = 0; c < view->columnCount(); ++c)
        cells << (view->item(row, c) ? view->item(row, c)->text() : QString());
    return cells;
}

QStringList Headers(const QTableWidget* view)
{
    QStringList out;
    for (int c = 0; c < view->columnCount(); ++c)
        out << view->horizontalHeaderItem(c)->text();
    return out;
}

// The number lists of a running scanner, filled by the engine's policy
// with the built-in bad-calls tables.
class NumberListsViewTest : public ::testing::Test {
protected:
    NumberListsViewTest()
    {
        modes = DriverModesFiles::DefaultModes();
        DriverModesFiles::SetBuiltInTables(modes);
        modes.ModeDriver |= DriverMode::BlockSpentNumbers;
    }

    void Fail(const char* number, FailureCode reason, int times = 1)
    {
        for (int i = 0; i < times; ++i)
            RegisterCallFailure(modes, QString::fromLatin1(number), reason);
    }

    TDriverModes modes;
    ScopedNumberLists lists;
    TBadNumbersForm form;
};

TEST_F(NumberListsViewTest, FormColumnsAndLegend)
{
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Обработка неэффективных вызовов"));
    EXPECT_EQ(Headers(form.UnsuccListView()),
              (QStringList{"Номер", "Всего", "Тип отказа", "Попыток", "Пауза", "Серий", "Интервал",
                           "Попытка", "Задержка"}));
    EXPECT_EQ(Headers(form.BadNumbersListView()), (QStringList{"Номер", "Тип отказа"}));
    ASSERT_EQ(form.ListBox1()->count(), 14);
    EXPECT_EQ(form.ListBox1()->item(0)->text(), QStringLiteral("OCC - абонент занят"));
    EXPECT_EQ(form.ListBox1()->item(11)->text(), QStringLiteral("OCC2 - абонент занят (импульсный сигнал)"));
    EXPECT_EQ(form.ListBox1()->item(13)->text(), QStringLiteral("BAB - плохой автоответ"));
    EXPECT_EQ(form.DeleteNumberAction()->statusTip(),
              QStringLiteral("Удалить номер из списка и разрешить дальнейшую передачу по этому номеру"));
    EXPECT_FALSE(form.DeleteNumberAction()->isEnabled());
    EXPECT_EQ(form.DeleteBitBtn()->text(), QStringLiteral("Удалить"));
    EXPECT_EQ(form.OKBtn()->text(), QStringLiteral("OK"));
    EXPECT_EQ(form.HelpBtn()->text(), QStringLiteral("&Справка"));
}

TEST_F(NumberListsViewTest, ScriptedFailuresMoveANumberFromTheUpperViewToTheLower)
{
    Fail("1234", FailureCodes::Occ);
    Fail("5678", FailureCodes::Aab);
    form.FillLists();
    EXPECT_TRUE(form.Filled());
    QTableWidget* upper = form.UnsuccListView();
    ASSERT_EQ(upper->rowCount(), 2);
    // OCC: 4 attempts a series, 300 s apart, 10 series 600 s apart.
    EXPECT_EQ(Row(upper, 0), (QStringList{"1234", "1", "OCC", "4", "300", "10", "600", "3", "300"}));
    EXPECT_EQ(Row(upper, 1), (QStringList{"5678", "1", "AAB", "2", "120", "2", "900", "1", "120"}));

    // The AAB number spends its two series of two attempts and is given up.
    Fail("5678", FailureCodes::Aab, 3);
    form.UpdateLists();
    ASSERT_EQ(upper->rowCount(), 1);
    EXPECT_EQ(Row(upper, 0)[0], QStringLiteral("1234"));
    ASSERT_EQ(form.BadNumbersListView()->rowCount(), 1);
    EXPECT_EQ(Row(form.BadNumbersListView(), 0), (QStringList{"5678", "AAB"}));

    // The countdown rewrites the row in place.
    CountDownRetryWaits();
    CountDownRetryWaits();
    Fail("9999", FailureCodes::Sta);
    form.UpdateLists();
    ASSERT_EQ(upper->rowCount(), 2);
    EXPECT_EQ(Row(upper, 0), (QStringList{"1234", "1", "OCC", "4", "300", "10", "600", "3", "298"}));
    EXPECT_EQ(Row(upper, 1)[0], QStringLiteral("9999"));
    EXPECT_EQ(Row(upper, 1)[2], QStringLiteral("STA"));
    EXPECT_FALSE(ListsBusy.load());
}

TEST_F(NumberListsViewTest, DeletingABlockedNumberClearsItFromBothLists)
{
    Fail("777", FailureCodes::Num, 2); // NUM: one attempt, one series: given up
    Fail("777", FailureCodes::Occ);    // called again meanwhile: retried as well
    form.FillLists();
    ASSERT_EQ(form.BadNumbersListView()->rowCount(), 1);
    ASSERT_EQ(form.UnsuccListView()->rowCount(), 1);

    form.SetCurrentListView(form.BadNumbersListView());
    EXPECT_FALSE(form.DeleteNumberAction()->isEnabled()); // no focused row yet
    form.BadNumbersListView()->setCurrentCell(0, 0);
    ASSERT_TRUE(form.DeleteNumberAction()->isEnabled());
    form.DeleteNumberAction()->trigger();

    EXPECT_EQ(BadNumbers->IndexOf("777"), -1);
    EXPECT_EQ(UnsuccNumbers->IndexOf("777"), -1);
    EXPECT_EQ(form.BadNumbersListView()->rowCount(), 0);
    EXPECT_FALSE(form.DeleteNumberAction()->isEnabled());
    form.UpdateLists();
    EXPECT_EQ(form.UnsuccListView()->rowCount(), 0);
}

TEST_F(NumberListsViewTest, ClearingEmptiesTheViewsAndStopsTheRefresh)
{
    Fail("1", FailureCodes::Nc);
    form.FillLists();
    form.ClearLists();
    EXPECT_FALSE(form.Filled());
    EXPECT_EQ(form.UnsuccListView()->rowCount(), 0);
}

} // namespace

TEST(NumberListsViewWithoutScanner, ViewsStayUntouchedWhileNoListsExist)
{
    TBadNumbersForm form;
    form.FillLists();
    form.UpdateLists();
    EXPECT_TRUE(form.Filled());
    EXPECT_EQ(form.UnsuccListView()->rowCount(), 0);
}
