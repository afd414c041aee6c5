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
        QByteArray echoed;
        auto echo = [&] {
            const QByteArray got = sim.device->takeReceived();
            if (!got.isEmpty()) {
                echoed += got;
                sim.device->send(got);
            }
            sim.device->setCts(received.size() % 2 == 0);
        };
        const bool streamed = waitUntil([&] {
            echo();
            return received.size() > 200;
        });
        stop = true;
        tick.join();
        ASSERT_TRUE(streamed) << "round " << round << ": " << received.size() << " bytes came back";

        // The line goes quiet: the last byte has left (and the transmitter-
        // empty event for it comes), and every byte the far end sent has been
        // read, in order, none lost or doubled; the text written alongside
        // the second writer arrived in one piece.
        ASSERT_TRUE(waitUntil([&] {
            echo();
            return sim.port.GetOutCount() == 0 && sim.device->transmitterEmpty() && txEmpty > 0
                   && received.size() >= echoed.size() && sim.device->queues().inQueue == 0
                   && sim.port.InCount() == 0;
        })) << "round " << round << ": " << txEmpty << " transmitter-empty events, " << received.size() << " of "
            << echoed.size() << " bytes back";
        pumpFor(20); // and nothing more arrives
        EXPECT_EQ(received, echoed) << "round " << round;
        EXPECT_TRUE(echoed.contains(text)) << "round " << round;
        sim.port.Close();
        sim.port.OnDataAvail = nullptr;
        sim.port.OnTxEmptySignal = nullptr;
        sim.port.OnCTSSignal = nullptr;
    }
}

} // namespace
