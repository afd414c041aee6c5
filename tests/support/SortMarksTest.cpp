#include "support/SortMarks.h"

#include <gtest/gtest.h>

using namespace korvane;

TEST(ClearSortMarks, RemovesTheMarkFromEveryColumnButTheExcepted)
{
    struct Case {
        QStringList titles;
        int except;
        QStringList expected;
    };
    const Case cases[] = {
        {{QStringLiteral("< Номер"), QStringLiteral("> Абонент"), QStringLiteral("Автоответ")}, 1,
         {QStringLiteral("Номер"), QStringLiteral("> Абонент"), QStringLiteral("Автоответ")}},
        {{QStringLiteral("< Номер"), QStringLiteral("> Абонент")}, -1,
         {QStringLiteral("Номер"), QStringLiteral("Абонент")}},
        // Only a leading mark counts; a lone mark leaves nothing.
        {{QStringLiteral("Код <"), QStringLiteral("<"), QStringLiteral(" < Страна")}, 5,
         {QStringLiteral("Код <"), QString(), QStringLiteral(" < Страна")}},
        {{}, 0, {}},
    };
    for (const Case& c : cases) {
        QStringList titles = c.titles;
        ClearSortMarks(titles, c.except);
        EXPECT_EQ(titles, c.expected);
    }
}
