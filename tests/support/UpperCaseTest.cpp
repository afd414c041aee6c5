#include "support/UpperCase.h"

#include <gtest/gtest.h>

using namespace korvane;

TEST(UpperCaseCyr, CapitalisesLatinAndCyrillicLettersOnly)
{
    struct Case {
        QString in;
        QString out;
    };
    const Case cases[] = {
        {QStringLiteral("телекс ёж ї"), QStringLiteral("ТЕЛЕКС ЁЖ Ї")},
        {QStringLiteral("№12 abc xyz"), QStringLiteral("№12 ABC XYZ")},
        {QStringLiteral("абвгдежзийклмнопрстуфхцчшщъыьэюя"), QStringLiteral("АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ")},
        {QStringLiteral("ё є ї і ґ"), QStringLiteral("Ё Є Ї І Ґ")},
        // Letters outside the rule stay, whatever the locale says.
        {QStringLiteral("ў ђ µ é"), QStringLiteral("ў ђ µ é")},
        {QStringLiteral("<<_ $^*@"), QStringLiteral("<<_ $^*@")},
    };
    for (const Case& c : cases) {
        QString s = c.in;
        UpperCaseCyr(s);
        EXPECT_EQ(s, c.out) << c.in.toStdString();
    }
}

TEST(UpperCaseLine, UpperCasesAndTurnsCyrillicIIntoLatin)
{
    struct Case {
        QString in;
        QString out;
    };
    const Case cases[] = {
        {QStringLiteral("київ"), QStringLiteral("КИЇВ")},
        {QStringLiteral("іванів"), QStringLiteral("IВАНIВ")},
        {QStringLiteral("І"), QStringLiteral("I")},
        {QStringLiteral("ў ђ ё abc"), QStringLiteral("Ў Ђ Ё ABC")},
        // 'µ' has a capital only outside the Cyrillic code page: it stays.
        {QStringLiteral("µ"), QStringLiteral("µ")},
    };
    for (const Case& c : cases) {
        QString s = c.in;
        UpperCaseLine(s);
        EXPECT_EQ(s, c.out) << c.in.toStdString();
        EXPECT_FALSE(s.contains(u'І'));
    }
}
