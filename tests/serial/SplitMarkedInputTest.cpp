// Seeded random marked input streams, split into reads at random points:
// the data and the events that come out do not depend on where the reads
// end.

#include "platform/serial/MarkedInputDecoder.h"
#include "platform/serial/SerialTypes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <random>
#include <vector>

using namespace korvane::serial;

namespace {

using Bytes = std::vector<std::uint8_t>;

// A stream of marked input with what it must decode to.
struct Stream {
    Bytes raw;
    Bytes data;
    std::uint32_t events = 0;
    std::uint32_t errors = 0;
};

class StreamMaker {
public:
    explicit StreamMaker(std::uint32_t seed) : m_rng(seed) {}

    size_t pick(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(m_rng); }

    // Plain bytes, escaped 0377, breaks, characters with errors and 0377
    // followed by a byte that makes no mark; perhaps an unfinished mark at
    // the end, which gives nothing yet.
    Stream make()
    {
        Stream s;
        auto data = [&](std::initializer_list<std::uint8_t> in, Bytes out) {
            s.raw.insert(s.raw.end(), in);
            s.data.insert(s.data.end(), out.begin(), out.end());
            if (!out.empty())
                s.events |= ev::RxChar;
        };
        for (int n = int(pick(40)); n > 0; --n) {
            const auto b = std::uint8_t(pick(255)); // anything but 0377
            switch (pick(6)) {
            case 0:
                data({0377, 0377}, {0377});
                break;
            case 1:
                data({0377, 0, 0}, {});
                s.events |= ev::Break;
                s.errors |= ce::Break;
                break;
            case 2:
                data({0377, 0, std::uint8_t(b == 0 ? 1 : b)}, {});
                s.events |= ev::Err;
                s.errors |= ce::Frame;
                break;
            case 3:
                data({0377, std::uint8_t(b == 0 ? 1 : b)}, {0377, std::uint8_t(b == 0 ? 1 : b)});
                break;
            default:
                data({b}, {b});
                break;
            }
        }
        switch (pick(4)) {
        case 0: s.raw.push_back(0377); break;
        case 1: s.raw.insert(s.raw.end(), {0377, 0}); break;
        default: break;
        }
        return s;
    }

    // Where the reads end: any points, empty reads included.
    std::vector<size_t> cuts(size_t size)
    {
        std::vector<size_t> at;
        for (int n = int(pick(8)); n > 0; --n)
            at.push_back(pick(size + 1));
        at.push_back(size);
        std::sort(at.begin(), at.end());
        return at;
    }

private:
    std::mt19937 m_rng;
};

} // namespace

TEST(SplitMarkedInput, TheResultDoesNotDependOnWhereTheReadsEnd)
{
    StreamMaker make(2101u);
    for (int i = 0; i < 3000 && !HasFailure(); ++i) {
        const Stream s = make.make();
        MarkedInputDecoder decoder;
        std::deque<std::uint8_t> data;
        MarkedInputDecoder::Result total;
        size_t from = 0;
        for (const size_t to : make.cuts(s.raw.size())) {
            const size_t before = data.size();
            const auto r = decoder.feed(s.raw.data() + from, to - from, data);
            // A read reports RxChar exactly when it queued data.
            EXPECT_EQ((r.events & ev::RxChar) != 0, data.size() > before) << "stream " << i;
            total.events |= r.events;
            total.errors |= r.errors;
            from = to;
        }
        EXPECT_EQ(Bytes(data.begin(), data.end()), s.data) << "stream " << i;
        EXPECT_EQ(total.events, s.events) << "stream " << i;
        EXPECT_EQ(total.errors, s.errors) << "stream " << i;
    }
}

TEST(SplitMarkedInput, ByteByByteGivesWhatOneReadGives)
{
    // Any bytes at all, 0377 and 0 often.
    StreamMaker make(2102u);
    for (int i = 0; i < 2000 && !HasFailure(); ++i) {
        Bytes raw;
        for (int n = int(make.pick(30)); n > 0; --n)
            raw.push_back(make.pick(3) == 0 ? 0377 : make.pick(3) == 0 ? 0 : std::uint8_t(make.pick(256)));

        MarkedInputDecoder whole;
        std::deque<std::uint8_t> wholeData;
        const auto all = whole.feed(raw.data(), raw.size(), wholeData);

        MarkedInputDecoder single;
        std::deque<std::uint8_t> singleData;
        MarkedInputDecoder::Result total;
        for (const std::uint8_t b : raw) {
            const auto r = single.feed(&b, 1, singleData);
            total.events |= r.events;
            total.errors |= r.errors;
        }
        EXPECT_EQ(singleData, wholeData);
        EXPECT_EQ(total.events, all.events);
        EXPECT_EQ(total.errors, all.errors);
        // Nothing comes out that was not in: at most one byte per byte.
        EXPECT_LE(wholeData.size(), raw.size());

        // Both decoders wait for the same rest of a mark.
        const std::uint8_t tail[] = {0377, 0377};
        std::deque<std::uint8_t> a;
        std::deque<std::uint8_t> b;
        whole.feed(tail, 2, a);
        single.feed(tail, 2, b);
        EXPECT_EQ(a, b);
    }
}
