#include "ui/toolkit/QtFileChooser.h"

#include <gtest/gtest.h>

using namespace korvane;

TEST(QtNameFilters, PairsBecomeQtFiltersWithoutRepeatingTheirPattern)
{
    struct Case {
        QString filter;
        QStringList expected;
    };
    const std::vector<Case> cases = {
        {QStringLiteral("Wav files (*.wav)|*.WAV"), {QStringLiteral("Wav files (*.wav)")}},
        {QStringLiteral("Файл протокола (*.ptc)|*.ptc|Все файлы (*.*)|*.*"),
         {QStringLiteral("Файл протокола (*.ptc)"), QStringLiteral("Все файлы (*.*)")}},
        {QStringLiteral("Тексты|*.txt"), {QStringLiteral("Тексты (*.txt)")}},
        {QStringLiteral("Журналы (*.ptc)|*.jrn"), {QStringLiteral("Журналы (*.ptc) (*.jrn)")}},
        {QString(), {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(QtNameFilters(c.filter), c.expected) << c.filter.toStdString();
}
