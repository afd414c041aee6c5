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

TEST(ReceiveBuffers, FullBuffersWaitAsSeparateChunksWhileTheFirstIsNotWritten)
{
    ReceiveBuffers rx;
    Fill(rx, ReceiveBuffers::BufferSize, '1'); // first chunk, not written
    Fill(rx, ReceiveBuffers::BufferSize - 2, '2');
    const std::int64_t start = rx.Total();
    EXPECT_FALSE(rx.Put('X'));
    EXPECT_TRUE(rx.Put('Y')); // the second buffer is full and waits behind the first
    rx.Put('Z');              // lands in buffer A again, over the first chunk's old place
    EXPECT_EQ(rx.Stored(start, rx.Total()), QByteArray("XYZ"));
    ASSERT_EQ(rx.ChunkCount(), 2);
    EXPECT_EQ(rx.NextChunk(), QByteArray(ReceiveBuffers::BufferSize, '1'));
    rx.ChunkWritten();
    EXPECT_EQ(rx.NextChunk(), QByteArray(ReceiveBuffers::BufferSize - 2, '2') + "XY");
    rx.ChunkWritten();
    EXPECT_FALSE(rx.ChunkPending());
}

TEST(ReceiveBuffers, AFlushHandsOverOnlyAPartLongerThanTheLimitAndRestartsInBufferA)
{
    struct Case {
        int length;
        bool handedOver;
    };
    for (const Case c : {Case{5, false}, Case{6, true}, Case{0, false}}) {
        ReceiveBuffers rx;
        Fill(rx, ReceiveBuffers::BufferSize + 3, 'b'); // one full chunk, then the fill is in buffer B
        rx.ChunkWritten();
        Fill(rx, c.length - 3 > 0 ? c.length - 3 : 0, 'c');
        const int held = rx.RxPos();
        EXPECT_EQ(rx.Flush(5), held);
        EXPECT_EQ(rx.ChunkPending(), c.handedOver) << c.length;
        EXPECT_FALSE(rx.RxActiveB());
        EXPECT_EQ(rx.RxPos(), 0);
        rx.Put('n');
        EXPECT_EQ(rx.BufA()[0], 'n');
    }
}

TEST(ReceiveBuffers, AResetDropsTheFillButKeepsPositionsGrowing)
{
    ReceiveBuffers rx;
    Fill(rx, 10, 'a');
    rx.Reset();
    EXPECT_FALSE(rx.ChunkPending());
    EXPECT_EQ(rx.Total(), 10);
    Fill(rx, 3, 'b');
    EXPECT_EQ(rx.Stored(0, rx.Total()), QByteArray("bbb")); // the dropped bytes cannot be read back
    EXPECT_EQ(rx.Stored(10, rx.Total()), QByteArray("bbb"));
}

TEST(ReceiveBuffers, APlacedTextBecomesBlocksOfAtMostOneBuffer)
{
    ReceiveBuffers rx;
    Fill(rx, 4, 'r');
    QByteArray text(2 * ReceiveBuffers::BufferSize + 100, 't');
    text[ReceiveBuffers::BufferSize] = 'U';
    rx.Place(text);
    ASSERT_EQ(rx.ChunkCount(), 3);
    EXPECT_EQ(rx.ChunkLen(), ReceiveBuffers::BufferSize);
    rx.ChunkWritten();
    EXPECT_EQ(rx.NextChunk().front(), 'U');
    rx.ChunkWritten();
    EXPECT_EQ(rx.ChunkLen(), 100);
    EXPECT_EQ(rx.RxPos(), 4); // the buffers are not touched
    rx.ChunkWritten();
    rx.Place({}); // an empty text is a record of its own: one empty block
    ASSERT_EQ(rx.ChunkCount(), 1);
    EXPECT_EQ(rx.ChunkLen(), 0);
}

} // namespace
