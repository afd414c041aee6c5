#include "protocols/DecimalNumber.h"

#include <QLocale>

#include <gtest/gtest.h>

using namespace korvane;

TEST(DecimalNumber, PointIsTheSeparatorWhateverTheLocale)
{
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); // decimal comma
    struct Case {
        const char* text;
        std::optional<double> value;
    };
    const Case cases[] = {
        {"17.5", 17.5}, {"0", 0.0},      {"-1", -1.0},   {" 45 ", 45.0},       {"1e3", 1000.0},
        {"17,5", {}},   {"1,000", {}},   {"", {}},       {"abc", {}},          {"12abc", {}},
        {"1.2.3", {}},  {"0x10", {}},    {"$10", {}},    {"1 000", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(parseDecimal(QString::fromLatin1(c.text)), c.value) << c.text;
    QLocale::setDefault(saved);
}
