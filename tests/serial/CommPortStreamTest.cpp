// Opening, streaming and closing a port on real threads, over and over; the
// ThreadSanitizer build runs this to find races between the port's threads,
// the main thread and a second caller thread.
#include "SerialTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace korvane;
using namespace korvane::test;

namespace {

TEST(CommPortStream, OpenStreamCloseRepeatedly)
{
    SimPort sim;
    sim.port.SetBaudRate(br115200);
    for (int round = 0; round < 8; ++round) {
        QByteArray received;
        int txEmpty = 0;
        sim.port.Open();
        ASSERT_TRUE(sim.port.Opened());
        sim.port.OnDataAvail = [&](QObject*, int count) {
            QByteArray chunk(count, '\0');
            chunk.resize(static_cast<int>(sim.port.Read(chunk.data(), static_cast<std::uint32_t>(count))));
            received += chunk;
        };
        sim.port.OnTxEmptySignal = [&](QObject*) { ++txEmpty; };
        sim.port.OnCTSSignal = [&](QObject*) {};

        std::atomic<bool> stop{false};
        std::thread tick([&] { // a second caller, as the engine's fast tick
            std::uint8_t b = 0;
            while (!stop.load()) {
                sim.port.WriteByte(b++);
                sim.port.SetRTS((b & 1) != 0);
                (void)sim.port.GetOutCount();
                (void)sim.port.CTSState();
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            }
        });
        const QByteArray text = QByteArray("round ") + QByteArray::number(round);
        sim.port.WriteString(text);
        // The far end echoes what it gets and toggles CTS.
        waitUntil(
            [&] {
                const QByteArray got = sim.device->takeReceived();
                if (!got.isEmpty())
                    sim.device->send(got);
                sim.device->setCts(received.size() % 2 == 0);
                return received.size() > 200;
            },
            500);
        stop = true;
        tick.join();
        EXPECT_GT(received.size(), 200) << "round " << round;
        EXPECT_GT(txEmpty, 0);
        sim.port.Close();
        sim.port.OnDataAvail = nullptr;
        sim.port.OnTxEmptySignal = nullptr;
        sim.port.OnCTSSignal = nullptr;
    }
}

} // namespace
