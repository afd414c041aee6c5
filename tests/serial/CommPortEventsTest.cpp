// Line events of the status thread: what each cycle raises, and in which order.
#include "SerialTestSupport.h"

#include <gtest/gtest.h>

#include <QStringList>
#include <chrono>

using namespace korvane;
using namespace korvane::test;

namespace {

// Records every line event by name.
struct EventLog {
    explicit EventLog(TCommPort& port)
    {
        port.OnCTSSignal = [this](QObject*) { names << "CTS"; };
        port.OnDSRSignal = [this](QObject*) { names << "DSR"; };
        port.OnRLSDSignal = [this](QObject*) { names << "RLSD"; };
        port.OnRingSignal = [this](QObject*) { names << "Ring"; };
        port.OnBreakSignal = [this](QObject*) { names << "Break"; };
        port.OnTxEmptySignal = [this](QObject*) { names << "TxEmpty"; };
        port.OnErrorSignal = [this](QObject*, int e) {
            names << "Error";
            errors = e;
        };
        port.OnDataAvail = [this](QObject*, int count) {
            names << "DataAvail";
            lastCount = count;
        };
    }
    int count(const char* name) const { return static_cast<int>(names.count(QString::fromLatin1(name))); }

    QStringList names;
    int errors = -1;
    int lastCount = -1;
};

TEST(CommPortStatusEvents, OneCycleRaisesItsEventsInOrder)
{
    SteppedPort t;
    t.port().SetBaudRate(br115200); // a character leaves within the millisecond
    t.port().SetReadInterval(1000);
    t.port().Open();
    ASSERT_TRUE(t.port().Opened());
    EventLog log(t.port());

    t.device().send("A"); // read by the reader, and left unread
    t.clock.advance(5);
    ASSERT_EQ(t.port().InCount(), 1u);
    t.port().WriteString("Z");
    t.clock.advance(1); // the writer hands it to the device: it leaves within the next millisecond
    // Everything below happens before the status step looks again, so that
    // one cycle finds all of it, the transmitter empty too.
    t.device().setCts(true);
    t.device().setDsr(true);
    t.device().setRing(true);
    t.device().setDcd(true);
    t.device().setInputBreak(true);
    t.device().injectErrors(serial::ce::Frame);
    log.names.clear();

    t.clock.advance(10);
    const QStringList expected{"DataAvail", "Ring", "Break", "CTS", "DSR", "Error", "Ring", "RLSD", "TxEmpty",
                               // the reader, woken by the same cycle
                               "DataAvail"};
    EXPECT_EQ(log.names, expected);
    EXPECT_EQ(log.errors, static_cast<int>(serial::ce::Frame | serial::ce::Break));
    EXPECT_EQ(log.lastCount, 1);
    EXPECT_TRUE(t.port().CTSState());
    EXPECT_TRUE(t.port().DSRState());
    EXPECT_TRUE(t.port().RingState());
    EXPECT_TRUE(t.port().RLSDState());
    EXPECT_TRUE(t.port().BreakState());
}

TEST(CommPortStatusEvents, ARingChangeTheDeviceReportsIsRaisedTwice)
{
    SteppedPort t;
    t.port().Open();
    EventLog log(t.port());
    t.device().setRing(true);
    t.clock.advance(3);
    EXPECT_EQ(log.names, (QStringList{"Ring", "Ring"}));
    t.device().setRing(false);
    t.clock.advance(3);
    EXPECT_EQ(log.count("Ring"), 4);
    EXPECT_FALSE(t.port().RingState());
}

TEST(CommPortStatusEvents, TheFirstReportRaisesEveryInputLineOnOpen)
{
    SteppedPort t;
    t.device().setDsr(true);
    EventLog log(t.port());
    t.port().Open();
    EXPECT_EQ(log.names, (QStringList{"CTS", "DSR", "Ring", "RLSD"}));
    EXPECT_TRUE(t.port().DSRState());
    EXPECT_FALSE(t.port().CTSState());
}

TEST(CommPortStatusEvents, OnRealThreadsTheFirstReportWaitsForTheMainThread)
{
    // Handlers assigned before Open: the status thread's first report waits
    // for the main thread, which Open does not serve; Open goes on all the
    // same, and the report arrives, in order, once the event loop runs.
    SimPort sim;
    sim.device->setDcd(true);
    EventLog log(sim.port);
    sim.port.Open();
    ASSERT_TRUE(sim.port.Opened());
    EXPECT_TRUE(log.names.isEmpty());
    ASSERT_TRUE(waitUntil([&] { return log.names.size() >= 4; }));
    EXPECT_EQ(log.names, (QStringList{"CTS", "DSR", "Ring", "RLSD"}));
    EXPECT_TRUE(sim.port.RLSDState());

    // And the port works after it: a line change arrives as an event.
    log.names.clear();
    sim.device->setCts(true);
    ASSERT_TRUE(waitUntil([&] { return log.count("CTS") == 1; }));
    EXPECT_TRUE(sim.port.CTSState());
    sim.port.Close();
}

TEST(CommPortStatusEvents, OnlyTheFirstOpenWithHandlersWaitsForTheStatusThreadsStart)
{
    // The first report waits for the main thread, which Open does not serve:
    // Open waits out its second. Each thread sets its signal again when it
    // ends, so a reopen finds the signal set and goes on at once.
    SimPort sim;
    EventLog log(sim.port);
    using Clock = std::chrono::steady_clock;
    auto start = Clock::now();
    sim.port.Open();
    ASSERT_TRUE(sim.port.Opened());
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(950));
    ASSERT_TRUE(waitUntil([&] { return log.names.size() >= 4; }));
    sim.port.Close();

    log.names.clear();
    start = Clock::now();
    sim.port.Open();
    ASSERT_TRUE(sim.port.Opened());
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(900));
    EXPECT_TRUE(log.names.isEmpty()); // the report still waits for the event loop
    ASSERT_TRUE(waitUntil([&] { return log.names.size() >= 4; }));
    EXPECT_EQ(log.names, (QStringList{"CTS", "DSR", "Ring", "RLSD"}));
    sim.port.Close();
}

TEST(CommPortStatusEvents, AnEventReachesItsHandlerWithoutWaitingTheStatusInterval)
{
    // The status step waits for events; only a device that cannot wait is
    // tried again after the interval.
    SteppedPort t;
    t.port().SetStatusInterval(50);
    t.port().Open();
    EventLog log(t.port());
    t.clock.advance(10);
    t.device().setCts(true);
    t.clock.advance(2);
    EXPECT_EQ(log.names, QStringList{"CTS"});
    t.device().setCts(false); // right after the previous event
    t.clock.advance(2);
    EXPECT_EQ(log.names, (QStringList{"CTS", "CTS"}));
}

TEST(CommPortStatusEvents, TheStatusIntervalIsTakenAtOpen)
{
    // A device whose waits fail is tried again once per status interval, the
    // one the status thread took when the port opened.
    SteppedPort t;
    t.port().Open();
    EventLog log(t.port());
    t.port().SetStatusInterval(50); // the running status thread keeps 1 ms
    t.device().setUnplugged(true);
    t.clock.advance(10);
    t.device().setUnplugged(false);
    t.device().setCts(true);
    t.clock.advance(3);
    EXPECT_EQ(log.names, QStringList{"CTS"});

    t.port().Close();
    t.port().Open(); // now a failed wait is tried again after 50 ms
    log.names.clear();
    t.device().setUnplugged(true);
    t.clock.advance(10);
    t.device().setUnplugged(false);
    t.device().setCts(false);
    t.clock.advance(30);
    EXPECT_TRUE(log.names.isEmpty()) << log.names.join(' ').toStdString();
    t.clock.advance(15);
    EXPECT_EQ(log.names, QStringList{"CTS"});
}

TEST(CommPortStatusEvents, AFailedWaitRaisesNothing)
{
    SteppedPort t;
    t.port().Open();
    EventLog log(t.port());
    t.device().setCts(true);
    t.clock.advance(5);
    ASSERT_EQ(log.names, QStringList{"CTS"});

    t.device().setUnplugged(true); // every wait fails from now on
    t.clock.advance(200);
    EXPECT_EQ(log.names, QStringList{"CTS"});

    t.device().setUnplugged(false);
    t.device().setDsr(true);
    t.clock.advance(5);
    EXPECT_EQ(log.names, (QStringList{"CTS", "DSR"}));
}

TEST(CommPortStatusEvents, ABreakIsAnEventAndNeverData)
{
    SteppedPort t;
    t.port().Open();
    EventLog log(t.port());
    t.device().setInputBreak(true);
    t.clock.advance(5);
    EXPECT_EQ(log.names, QStringList{"Break"});
    EXPECT_EQ(t.port().InCount(), 0u);
    EXPECT_EQ(log.errors, -1); // no error event for a break
    EXPECT_TRUE(t.port().BreakState());

    t.device().setInputBreak(false);
    t.device().setCts(true); // the next cycle without a break clears the flag
    t.clock.advance(5);
    EXPECT_FALSE(t.port().BreakState());
    EXPECT_EQ(t.port().InCount(), 0u);
}

TEST(CommPortStatusEvents, DataAvailableIsRaisedAgainWhileBytesWait)
{
    SteppedPort t;
    t.port().SetBaudRate(br__9600);
    t.port().SetReadInterval(10);
    t.port().Open();
    EventLog log(t.port());
    t.device().send("xy");
    t.clock.advance(5);
    const int first = log.count("DataAvail");
    EXPECT_GE(first, 1);
    EXPECT_EQ(log.lastCount, 2);
    t.clock.advance(30); // unread: every reader cycle raises it again
    EXPECT_GE(log.count("DataAvail"), first + 3);

    char buf[4];
    t.port().Read(buf, 4);
    log.names.clear();
    t.clock.advance(30);
    EXPECT_EQ(log.count("DataAvail"), 0);
}

struct LineReReadCase {
    const char* name;
    void (*event)(serial::SimSerialDevice&);
};

class CommPortLineReRead : public ::testing::TestWithParam<LineReReadCase> {};

TEST_P(CommPortLineReRead, EveryLineStateEventReReadsTheInputLines)
{
    SteppedPort t;
    t.port().Open();
    t.device().setLineEventsReported(false); // the lines change silently
    t.device().setCts(true);
    t.device().setDsr(true);
    t.device().setDcd(true);
    t.clock.advance(5);
    ASSERT_FALSE(t.port().DSRState());

    GetParam().event(t.device());
    t.clock.advance(5);
    EXPECT_TRUE(t.port().CTSState());
    EXPECT_TRUE(t.port().DSRState());
    EXPECT_TRUE(t.port().RLSDState());
}

INSTANTIATE_TEST_SUITE_P(
    Events, CommPortLineReRead,
    ::testing::Values(LineReReadCase{"Break", [](serial::SimSerialDevice& d) { d.setInputBreak(true); }},
                      LineReReadCase{"Error", [](serial::SimSerialDevice& d) { d.injectErrors(serial::ce::Overrun); }},
                      LineReReadCase{"Ring",
                                     [](serial::SimSerialDevice& d) {
                                         d.setLineEventsReported(true);
                                         d.setRing(true);
                                     }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CommPortStatusEvents, ErrorFlagsReachTheErrorEventWhileTheReaderRuns)
{
    SteppedPort t;
    t.port().SetStatusInterval(50);
    t.port().SetReadInterval(1); // the reader looks at the device every millisecond
    t.port().Open();
    EventLog log(t.port());
    t.clock.advance(10);
    t.device().injectErrors(serial::ce::Parity);
    t.clock.advance(50);
    EXPECT_EQ(log.count("Error"), 1);
    EXPECT_EQ(log.errors, static_cast<int>(serial::ce::Parity));
}

TEST(CommPortStatusEvents, AnInputOverflowIsReportedAsAnError)
{
    SteppedPort t;
    t.port().SetBaudRate(br115200);
    t.port().SetInBuffSize(8);
    t.port().Open();
    EventLog log(t.port());
    t.device().send(QByteArray(40, 'q')); // device queue 8, port buffer 8
    t.clock.advance(20);
    EXPECT_EQ(t.port().InCount(), 8u);
    EXPECT_GE(log.count("Error"), 1);
    EXPECT_EQ(log.errors & static_cast<int>(serial::ce::RxOver), static_cast<int>(serial::ce::RxOver));
}

} // namespace
