// The workers on real threads sleep until there is work: an idle port costs
// no wake-ups, and each kind of work still wakes the worker it is for.
#include "PseudoTerminal.h"
#include "SerialTestSupport.h"

#include "platform/serial/TermiosSerialDevice.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

using namespace korvane;
using namespace korvane::test;

namespace {

// Voluntary context switches of every thread of the process so far.
long Switches()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    // Voluntary switches only: a thread that wakes and sleeps again makes
    // one; being preempted by the rest of a busy machine is not a wake-up.
    return u.ru_nvcsw;
}

struct IdleCase {
    const char* name;
    bool pty;
};

class CommPortIdle : public ::testing::TestWithParam<IdleCase> {};

TEST_P(CommPortIdle, OpenPortsWithNothingToDoDoNotWakeUp)
{
    // With 1 ms intervals, workers that poll wake up about a thousand times a
    // second each; sleeping ones not at all.
    if (GetParam().pty)
        KORVANE_SKIP_WITHOUT_PSEUDO_TERMINALS();
    SimPort sim;
    PseudoTerminal pty(GetParam().pty ? "KORVANE_COM4" : nullptr);
    TCommPort& port = sim.port;
    if (GetParam().pty) {
        ASSERT_TRUE(pty.ok()) << pty.error();
        port.SetComNumber(cnCOM4);
    }
    port.OnDataAvail = [](QObject*, int) {};
    port.OnTxEmptySignal = [](QObject*) {};
    port.OnCTSSignal = [](QObject*) {};
    port.Open();
    ASSERT_TRUE(port.Opened()) << port.LastError().toStdString();
    pumpFor(100); // the first line report and the start-up settle

    const long before = Switches();
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const long woken = Switches() - before;
    EXPECT_LT(woken, 100) << "wake-ups of an idle port in 500 ms";

    // And the port still works: bytes both ways.
    QByteArray in;
    port.OnDataAvail = [&](QObject*, int count) {
        QByteArray chunk(count, '\0');
        chunk.resize(static_cast<int>(port.Read(chunk.data(), static_cast<std::uint32_t>(count))));
        in += chunk;
    };
    EXPECT_EQ(port.WriteString("out"), 3u);
    if (GetParam().pty) {
        QByteArray out;
        EXPECT_TRUE(waitUntil([&] {
            char buf[16];
            const ssize_t n = ::read(pty.master(), buf, sizeof buf);
            if (n > 0)
                out.append(buf, static_cast<int>(n));
            return out.size() >= 3;
        }));
        EXPECT_EQ(out, QByteArray("out"));
        ASSERT_EQ(::write(pty.master(), "in", 2), 2);
    } else {
        QByteArray out;
        EXPECT_TRUE(waitUntil([&] {
            out += sim.device->takeReceived();
            return out.size() >= 3;
        }));
        EXPECT_EQ(out, QByteArray("out"));
        sim.device->send("in");
    }
    EXPECT_TRUE(waitUntil([&] { return in == "in"; }));
    port.Close();
}

INSTANTIATE_TEST_SUITE_P(Devices, CommPortIdle,
                         ::testing::Values(IdleCase{"Simulated", false}, IdleCase{"PseudoTerminal", true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CommPortIdleWorkers, WriteWakesTheWriterAtOnce)
{
    SimPort sim;
    sim.port.SetBaudRate(br115200);
    sim.port.SetWriteInterval(60'000); // a writer that waited its interval would keep the bytes a minute
    sim.port.Open();
    ASSERT_TRUE(sim.port.Opened());
    pumpFor(50);
    QByteArray out;
    auto sent = [&](const char* text) {
        out.clear();
        return waitUntil([&] {
            out += sim.device->takeReceived();
            return out == text;
        });
    };
    sim.port.WriteString("now");
    EXPECT_TRUE(sent("now"));
    sim.port.WriteString("again"); // the writer went back to sleep in between
    EXPECT_TRUE(sent("again"));
    const auto start = std::chrono::steady_clock::now();
    sim.port.Close(); // ends the writer's sleep at once
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
}

TEST(CommPortIdleWorkers, InputLeftInTheDeviceIsReadOnceTheBufferHasRoom)
{
    // The port's buffer and the device queue hold 8 bytes each; 12 arrive.
    // The far end then falls silent: no new event will wake the reader, yet
    // the 8 bytes still in the device must come through once the caller has
    // read the buffer.
    SimPort sim;
    sim.port.SetBaudRate(br115200);
    sim.port.SetInBuffSize(8);
    sim.port.Open();
    ASSERT_TRUE(sim.port.Opened());
    QByteArray in;
    bool reading = false;
    sim.port.OnDataAvail = [&](QObject*, int count) {
        if (!reading)
            return;
        QByteArray chunk(count, '\0');
        chunk.resize(static_cast<int>(sim.port.Read(chunk.data(), static_cast<std::uint32_t>(count))));
        in += chunk;
    };
    sim.device->send("01234567");
    ASSERT_TRUE(waitUntil([&] { return sim.port.InCount() == 8u; }));
    sim.device->send("89ab");
    ASSERT_TRUE(waitUntil([&] { return sim.device->queues().inQueue == 4u; }));
    reading = true;
    EXPECT_TRUE(waitUntil([&] { return in.size() >= 12; }));
    EXPECT_EQ(in, QByteArray("0123456789ab"));
    sim.port.Close();
}

TEST(CommPortIdleWorkers, UnreadBytesRaiseDataAvailAgainUntilRead)
{
    SimPort sim;
    sim.port.SetBaudRate(br115200);
    sim.port.SetReadInterval(5);
    sim.port.Open();
    ASSERT_TRUE(sim.port.Opened());
    int raised = 0;
    bool read = false;
    sim.port.OnDataAvail = [&](QObject*, int count) {
        if (!read) {
            EXPECT_EQ(count, 1);
        }
        ++raised;
    };
    sim.device->send("x");
    EXPECT_TRUE(waitUntil([&] { return raised >= 5; })); // once per reader interval
    char buf[4];
    EXPECT_EQ(sim.port.Read(buf, 4), 1u);
    read = true;
    const int atRead = raised;
    pumpFor(300); // a reader interval of 5 ms: about 60 more, were the reader still raising it
    EXPECT_LE(raised - atRead, 1) << "only a cycle already under way may still raise it";
    sim.port.Close();
}

TEST(TermiosTransmitter, WithoutTheLineStatusTransmitterEmptyWaitsForTheCharacterTimes)
{
    // A pseudo-terminal takes the bytes at once and refuses the line status
    // query, as many USB adapters do: transmitter empty must still wait until
    // the characters could have left the line. 6 characters at 300 bit/s 8N1
    // take 200 ms.
    KORVANE_SKIP_WITHOUT_PSEUDO_TERMINALS();
    PseudoTerminal pty("KORVANE_COM4");
    ASSERT_TRUE(pty.ok()) << pty.error();
    serial::SerialPortMap map;
    TCommPort port(nullptr, &map);
    port.SetComNumber(cnCOM4);
    port.SetBaudRate(br___300);
    port.Open();
    ASSERT_TRUE(port.Opened()) << port.LastError().toStdString();
    bool empty = false;
    port.OnTxEmptySignal = [&](QObject*) { empty = true; };
    pumpFor(50);
    empty = false;
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(port.WriteString("abcdef"), 6u);
    ASSERT_TRUE(waitUntil([&] { return empty; }));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(195));
    char buf[16];
    EXPECT_EQ(::read(pty.master(), buf, sizeof buf), 6);
    port.Close();
}

} // namespace
