#include "platform/IntegerText.h"

#include <QString>
#include <gtest/gtest.h>

using namespace korvane;

TEST(SystemInteger, AcceptsBlanksSignDecimalAndHexWithinThirtyTwoBits)
{
    struct Case {
        const char* text;
        std::optional<qint32> expected;
    };
    const Case cases[] = {
        {"12", 12},
        {"00012", 12},
        {"-2147483649", std::nullopt},
        {"99999999999999999999", std::nullopt},
        {"$000000001", 1},
        {"1e3", std::nullopt},
        {" 12", 12},
        {"\t 7", 7},
        {"-3", -3},
        {"+4", 4},
        {"$1F", 31},
        {"$ff", 255},
        {"0x10", 16},
        {"0X1a", 26},
        {"-$10", -16},
        {"$FFFFFFFF", -1},
        {"2147483647", 2147483647},
        {"-2147483648", qint32(-2147483647 - 1)},
        {"2147483648", std::nullopt},
        {"$100000000", std::nullopt},
        {"abc", std::nullopt},
        {"", std::nullopt},
        {" ", std::nullopt},
        {"-", std::nullopt},
        {"$", std::nullopt},
        {"0x", std::nullopt},
        {"12abc", std::nullopt},
        {"12 ", std::nullopt},
        {"1.5", std::nullopt},
        {"$1G", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(parseSystemInteger(QString::fromLatin1(c.text)), c.expected) << c.text;
}
