#include "platform/PrinterPort.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvane {
namespace {

using namespace std::chrono_literals;

TEST(PrinterDevice, TheFirstParallelPortFollowsTheEnvironmentElseTheLinuxDevice)
{
    qunsetenv("KORVANE_LPT1");
    EXPECT_EQ(NativePrinterDevice(QStringLiteral("//./LPT1")), QStringLiteral("/dev/lp0"));
    EXPECT_EQ(NativePrinterDevice(QStringLiteral("//./lpt1")), QStringLiteral("/dev/lp0"));
    qputenv("KORVANE_LPT1", "/dev/usb/lp0");
    EXPECT_EQ(NativePrinterDevice(QStringLiteral("//./LPT1")), QStringLiteral("/dev/usb/lp0"));
    EXPECT_EQ(NativePrinterDevice(QStringLiteral("/tmp/printout")), QStringLiteral("/tmp/printout"));
    qunsetenv("KORVANE_LPT1");
}

// A port on a path of the test's own, its outcomes recorded as they come.
class PrinterPortTest : public ::testing::Test {
protected:
    std::unique_ptr<PrinterPort> MakePort(std::chrono::milliseconds deadline = PrinterPort::DefaultDeadline)
    {
        auto port = std::make_unique<PrinterPort>(nullptr, deadline, device);
        QObject::connect(port.get(), &PrinterPort::Finished, port.get(),
                         [this](const QString& error) { outcomes << error; });
        return port;
    }
    // Runs the event loop until Count outcomes have come (or a minute passed).
    bool WaitForOutcomes(qsizetype count)
    {
        const QDeadlineTimer deadline(60000);
        while (outcomes.size() < count && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
        return outcomes.size() >= count;
    }
    bool MakeFifo() { return ::mkfifo(QFile::encodeName(device).constData(), 0600) == 0; }
    // A reader of the FIFO that reads nothing unless told.
    int OpenReader() const { return ::open(QFile::encodeName(device).constData(), O_RDONLY | O_NONBLOCK); }

    QTemporaryDir dir;
    QString device = dir.filePath(QStringLiteral("lpt1"));
    QStringList outcomes;
};

TEST_F(PrinterPortTest, APlainFileKeepsEveryCopyOfEveryPrintoutInOrder)
{
    auto port = MakePort();
    port->Print({"first\r\n", "first\r\n"});
    port->Print({"\x8f\xe0\xa8\xa2\xa5\xe2\r\n"});
    ASSERT_TRUE(WaitForOutcomes(2));
    EXPECT_EQ(outcomes, (QStringList{QString(), QString()}));
    EXPECT_FALSE(port->Busy());
    EXPECT_EQ(port->LastError(), QString());
    QFile f(device);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("first\r\nfirst\r\n\x8f\xe0\xa8\xa2\xa5\xe2\r\n"));
}

TEST_F(PrinterPortTest, AFifoThatNobodyReadsFailsAtOnceWithoutHoldingTheCaller)
{
    ASSERT_TRUE(MakeFifo());
    auto port = MakePort();
    // An open that waited for a reader would wait for ever.
    port->Print({"ZCZC\r\n"});
    ASSERT_TRUE(WaitForOutcomes(1));
    EXPECT_EQ(outcomes, QStringList{QStringLiteral("Ошибка открытия файла ") + device});
    EXPECT_EQ(port->LastError(), outcomes.first());
    EXPECT_FALSE(port->Busy());
}

TEST_F(PrinterPortTest, APortThatTakesNothingFailsAtItsDeadlineAndDropsTheOtherCopies)
{
    ASSERT_TRUE(MakeFifo());
    // A reader that opens the FIFO and never reads: the pipe fills.
    const int reader = OpenReader();
    ASSERT_GE(reader, 0);
    // The deadline leaves the call ten times the room it takes on a busy
    // machine: a call that waited for the device would come back with the
    // printout ended, no longer busy.
    auto port = MakePort(5000ms);
    QElapsedTimer took;
    took.start();
    port->Print({QByteArray(4 << 20, 'x'), QByteArray("second copy")});
    EXPECT_TRUE(port->Busy());
    EXPECT_TRUE(outcomes.isEmpty());
    ASSERT_TRUE(WaitForOutcomes(1));
    EXPECT_GE(took.elapsed(), 5000);
    EXPECT_EQ(outcomes, QStringList{QStringLiteral("Принтер %1 не принимает данные 5 с").arg(device)});
    EXPECT_FALSE(port->Busy());
    ::close(reader);
}

TEST_F(PrinterPortTest, AReaderGetsEveryByteAndAReaderThatLeavesIsAFailure)
{
    ASSERT_TRUE(MakeFifo());
    // Opened without waiting for a writer, then read with waits.
    const int readEnd = OpenReader();
    ASSERT_GE(readEnd, 0);
    ASSERT_EQ(::fcntl(readEnd, F_SETFL, O_RDONLY), 0);
    const QByteArray big(1 << 20, 'y');
    QByteArray got;
    std::thread reader([&] {
        char buffer[4096];
        while (got.size() < big.size()) {
            const ssize_t n = ::read(readEnd, buffer, sizeof buffer);
            if (n == 0 && got.isEmpty()) { // no writer yet
                std::this_thread::sleep_for(2ms);
                continue;
            }
            if (n <= 0)
                break;
            got.append(buffer, n);
        }
        ::close(readEnd);
    });
    auto port = MakePort();
    port->Print({big});
    ASSERT_TRUE(WaitForOutcomes(1));
    reader.join();
    EXPECT_EQ(outcomes, QStringList{QString()});
    EXPECT_EQ(got, big);

    // A reader that leaves while the pipe is full: the write is refused,
    // and the program lives on.
    const int leaving = OpenReader();
    ASSERT_GE(leaving, 0);
    port->Print({big});
    std::this_thread::sleep_for(50ms);
    ::close(leaving);
    ASSERT_TRUE(WaitForOutcomes(2));
    EXPECT_EQ(outcomes.last(), QStringLiteral("Ошибка записи файла ") + device);
}

// Two windows printing at once: each copy reaches the printer whole, never
// mixed with the other's.
TEST_F(PrinterPortTest, PrintoutsOfTwoPortsOnOneDeviceComeOutWholeOneAfterTheOther)
{
    ASSERT_TRUE(MakeFifo());
    const int readEnd = OpenReader();
    ASSERT_GE(readEnd, 0);
    ASSERT_EQ(::fcntl(readEnd, F_SETFL, O_RDONLY), 0);
    const QByteArray first(256 << 10, 'a');
    const QByteArray second(256 << 10, 'b');
    QByteArray got;
    std::thread reader([&] {
        // Both printouts are waiting for the printer before it takes a byte.
        std::this_thread::sleep_for(100ms);
        char buffer[1024];
        while (got.size() < first.size() + second.size()) {
            const ssize_t n = ::read(readEnd, buffer, sizeof buffer);
            if (n == 0) { // between two writers
                std::this_thread::sleep_for(2ms);
                continue;
            }
            if (n < 0)
                break;
            got.append(buffer, n);
            std::this_thread::sleep_for(200us);
        }
        ::close(readEnd);
    });
    auto editor = MakePort();
    auto browser = MakePort();
    editor->Print({first});
    browser->Print({second});
    ASSERT_TRUE(WaitForOutcomes(2));
    reader.join();
    EXPECT_EQ(outcomes, (QStringList{QString(), QString()}));
    ASSERT_EQ(got.size(), first.size() + second.size());
    EXPECT_TRUE(got == first + second || got == second + first)
        << "the printouts are mixed: the first switch from one to the other comes at byte "
        << got.indexOf(got.front() == 'a' ? 'b' : 'a');
}

TEST_F(PrinterPortTest, APortGoingAwayAbandonsABlockedPrintoutAtOnce)
{
    ASSERT_TRUE(MakeFifo());
    const int reader = OpenReader();
    ASSERT_GE(reader, 0);
    // Far longer than a busy machine takes to tear the port down.
    constexpr auto deadline = 300s;
    auto port = MakePort(deadline);
    port->Print({QByteArray(4 << 20, 'x')});
    std::this_thread::sleep_for(50ms);
    QElapsedTimer took;
    took.start();
    port.reset();
    EXPECT_LT(took.elapsed(), std::chrono::milliseconds(deadline).count() / 10);
    ::close(reader);
}

} // namespace
} // namespace korvane
