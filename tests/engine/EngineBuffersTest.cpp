// The transmit ring and the receive buffers on their own.

#include "engine/ReceiveBuffers.h"
#include "engine/TransmitRing.h"

#include <QString>

#include <gtest/gtest.h>

using namespace korvane;

namespace {

TEST(TransmitRing, CountFollowsThePositionsAlsoWhenTheyJump)
{
    TransmitRing ring(8);
    for (QChar c : QStringLiteral("ABCDE"))
        ASSERT_TRUE(ring.Put(c));
    ring.Take();
    EXPECT_EQ(ring.Count(), 4);
    ring.SetPositions(ring.Write(), ring.Write()); // the rest is held, the ring reads as empty
    EXPECT_EQ(ring.Count(), 0);
    ring.SetPositions(1, 5);
    EXPECT_EQ(ring.Count(), 4);
    ring.Reset();
    EXPECT_EQ(ring.Count(), 0);
    EXPECT_TRUE(ring.IsEmpty());
}

TEST(TransmitRing, AFullRingRefusesRatherThanOverwriteTextNotYetSent)
{
    TransmitRing ring(4);
    EXPECT_TRUE(ring.Put(u'A'));
    EXPECT_TRUE(ring.Put(u'B'));
    EXPECT_TRUE(ring.Put(u'C'));
    EXPECT_FALSE(ring.Put(u'D'));
    EXPECT_EQ(ring.Peek(), u'A');
    ring.Take();
    EXPECT_TRUE(ring.Put(u'D')); // wraps
    QString out;
    while (!ring.IsEmpty()) {
        out += ring.Peek();
        ring.Take();
    }
    EXPECT_EQ(out, "BCD");
}

void Fill(ReceiveBuffers& rx, int n, char c)
{
    for (int i = 0; i < n; ++i)
        rx.Put(static_cast<std::uint8_t>(c));
}

TEST(ReceiveBuffers, TextStoredAcrossASwapIsReadBackWhole)
{
    ReceiveBuffers rx;
    Fill(rx, ReceiveBuffers::BufferSize - 3, '.');
    const std::int64_t start = rx.Total();
    for (char c : QByteArray("ABCDEF"))
        rx.Put(static_cast<std::uint8_t>(c));
    EXPECT_TRUE(rx.RxActiveB());
    EXPECT_EQ(rx.Stored(start, rx.Total()), QByteArray("ABCDEF"));
}

TEST(ReceiveBuffers, TextStoredAcrossAHeldSwapIsReadBackWhole)
{
    ReceiveBuffers rx;
    Fill(rx, ReceiveBuffers::BufferSize, '1'); // first chunk, not taken
    Fill(rx, ReceiveBuffers::BufferSize - 2, '2');
    const std::int64_t start = rx.Total();
    EXPECT_EQ(rx.Put('X'), ReceiveBuffers::Swap::None);
    EXPECT_EQ(rx.Put('Y'), ReceiveBuffers::Swap::Held);
    rx.Put('Z');
    EXPECT_EQ(rx.Stored(start, rx.Total()), QByteArray("XYZ"));
    EXPECT_EQ(rx.HeldLen(), ReceiveBuffers::BufferSize);
}

TEST(ReceiveBuffers, APartFilledBufferIsHandedOverWithItsLength)
{
    ReceiveBuffers rx;
    Fill(rx, 10, 'a');
    EXPECT_EQ(rx.HandOver(), ReceiveBuffers::Swap::HandedOver);
    EXPECT_EQ(rx.ChunkLen(), 10);
    Fill(rx, 5, 'b');
    EXPECT_EQ(rx.TakeChunk(), QByteArray(10, 'a'));
    EXPECT_FALSE(rx.ChunkPending());
    EXPECT_TRUE(rx.TakeChunk().isEmpty());
    EXPECT_EQ(rx.Stored(0, rx.Total()), QByteArray(10, 'a') + QByteArray(5, 'b'));
}

} // namespace
