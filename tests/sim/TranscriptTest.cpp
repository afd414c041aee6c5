// The line's transcript: everything for a test, the recent past only for a
// network that runs as long as the program.
#include "sim/Transcript.h"

#include <gtest/gtest.h>

using namespace korvane;

namespace {

TEST(Transcript, ALimitedTranscriptKeepsItsNewestEntriesInOrder)
{
    struct Case {
        std::size_t limit;
        int added;
        QStringList kept;
    };
    const Case cases[] = {
        {0, 5, {"out 1", "out 2", "out 3", "out 4", "out 5"}},
        {3, 5, {"out 3", "out 4", "out 5"}},
        {3, 2, {"out 1", "out 2"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.limit);
        sim::Transcript t;
        t.setLimit(c.limit);
        for (int i = 1; i <= c.added; ++i)
            t.add(i * 1000, QStringLiteral("out %1").arg(i));
        EXPECT_EQ(t.texts(), c.kept);
        EXPECT_EQ(t.entries().front().us, c.kept.front().mid(4).toInt() * 1000);
    }
}

TEST(Transcript, ALimitSetLaterDropsTheOldestAtOnce)
{
    sim::Transcript t;
    for (int i = 1; i <= 4; ++i)
        t.add(i, QStringLiteral("in %1").arg(i));
    t.setLimit(2);
    EXPECT_EQ(t.texts(), (QStringList{"in 3", "in 4"}));
    EXPECT_EQ(t.codes(false), QByteArray("\x03\x04"));
}

} // namespace
