// The received-text history: what came from the line since a position,
// across the ring's wrap, and only the last Capacity characters.

#include "engine/ReceivedText.h"

#include <gtest/gtest.h>

using namespace korvane;

namespace {

// Characters from the line at every Step-th position from First on.
ReceivedText Noted(std::size_t count, std::int64_t first = 0, std::int64_t step = 2)
{
    ReceivedText text;
    for (std::size_t i = 0; i < count; ++i)
        text.Note(first + static_cast<std::int64_t>(i) * step, static_cast<std::uint8_t>('A' + i % 26));
    return text;
}

QByteArray Letters(std::size_t from, std::size_t to)
{
    QByteArray out;
    for (std::size_t i = from; i < to; ++i)
        out.append(static_cast<char>('A' + i % 26));
    return out;
}

} // namespace

TEST(ReceivedText, GivesTheCharactersStoredAtOrAfterAPosition)
{
    const ReceivedText text = Noted(5, 100);
    EXPECT_EQ(text.Since(0), QByteArray("ABCDE"));
    EXPECT_EQ(text.Since(100), QByteArray("ABCDE"));
    EXPECT_EQ(text.Since(101), QByteArray("BCDE")); // between two characters
    EXPECT_EQ(text.Since(108), QByteArray("E"));
    EXPECT_EQ(text.Since(109), QByteArray());
    EXPECT_EQ(ReceivedText().Since(0), QByteArray());
}

TEST(ReceivedText, KeepsTheLastCapacityCharactersAcrossTheRingsWrap)
{
    constexpr std::size_t cap = ReceivedText::Capacity;
    struct Case {
        std::size_t noted;
        std::size_t sinceIndex; // the position of this character
        std::size_t firstKept;
    };
    const Case cases[] = {
        {cap, 0, 0},
        {cap + 1, 0, 1},
        {cap + 1, 1, 1},
        {cap + 7, cap, cap},
        {3 * cap + 5, 0, 2 * cap + 5},
        {3 * cap + 5, 3 * cap, 3 * cap},
        {3 * cap + 5, 3 * cap + 4, 3 * cap + 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "noted " << c.noted << ", since #" << c.sinceIndex);
        const ReceivedText text = Noted(c.noted);
        EXPECT_EQ(text.Since(static_cast<std::int64_t>(c.sinceIndex) * 2), Letters(std::max(c.sinceIndex, c.firstKept), c.noted));
    }
}
