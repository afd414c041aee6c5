#include "platform/CodePages.h"
#include "protocols/DriverModes.h"
#include "support/FileError.h"
#include "tests/fakes/TestFiles.h"
#include "ui/telegrams/txAutoPrint.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvane {
namespace {

// A telegram file in the OEM code page, and a stand-in for the printer port.
class AutoPrintTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        device = dir.filePath(QStringLiteral("lpt1"));
        qputenv("KORVANE_LPT1", device.toLocal8Bit());
        form.SetLogWriter([this](const QString& l) { log << l; });
        modes.DOSPrintMode = 1;
        modes.CopyCntr = 1;
    }
    void TearDown() override { qunsetenv("KORVANE_LPT1"); }

    QString WriteFile(const QByteArray& bytes)
    {
        const QString name = dir.filePath(QStringLiteral("TLG00007.REC"));
        QFile f(name);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return name;
    }
    QByteArray DeviceBytes() const
    {
        return korvane::test::ReadFileBytes(device);
    }
    // Waits (up to a minute, for a test gone wrong) until the printout has left the port.
    static TelegramPrinter::Progress Outcome(const TAutoPrintForm& printer, QString& error)
    {
        QElapsedTimer waited;
        waited.start();
        TelegramPrinter::Progress p = printer.PrintProgress(error);
        while (p == TelegramPrinter::Progress::Printing && waited.elapsed() < 60000) {
            QThread::msleep(5);
            p = printer.PrintProgress(error);
        }
        return p;
    }
    TelegramPrinter::Progress Outcome()
    {
        QString error;
        const TelegramPrinter::Progress p = Outcome(form, error);
        EXPECT_EQ(error, QString());
        return p;
    }

    QTemporaryDir dir;
    QString device;
    TDriverModes modes{};
    TAutoPrintForm form{modes};
    QStringList log;
};

// "ЗК" in CP866 is 0x87 0x8A: the bytes reach the printer port as stored.
const QByteArray Telegram("ZCZC 12\r\n\x87\x8A TEXT\r\nNNNN\r\n");

TEST_F(AutoPrintTest, RawCopiesRepeatTheInitStringAndTheMarginAndKeepTheBytes)
{
    modes.CopyCntr = 2;
    modes.LeftMargin = 4;
    modes.InitPrnStr.setText(QStringLiteral("\\x1B@ INIT"));
    const QString file = WriteFile(Telegram);

    form.PrintFile(file);
    EXPECT_EQ(Outcome(), TelegramPrinter::Progress::Printed);

    const QByteArray copy = QByteArray("\\x1B@ INIT\r\n") + "    ZCZC 12\r\n" + "    \x87\x8A TEXT\r\n" +
                            "    NNNN\r\n";
    EXPECT_EQ(DeviceBytes(), copy + copy);
    EXPECT_EQ(log, QStringList{QStringLiteral("Выполняется печать файла: %1 (Копий: 2)").arg(file)});
}

TEST_F(AutoPrintTest, WithoutInitStringOrMarginOnlyTheLinesAreSent)
{
    modes.LeftMargin = -3;
    form.PrintFile(WriteFile("A\nB"));
    EXPECT_EQ(Outcome(), TelegramPrinter::Progress::Printed);
    EXPECT_EQ(DeviceBytes(), QByteArray("A\r\nB\r\n"));
}

TEST_F(AutoPrintTest, AnEmptyFilePrintsAndLogsNothing)
{
    form.PrintFile(WriteFile(QByteArray()));
    EXPECT_EQ(Outcome(), TelegramPrinter::Progress::Printed);
    EXPECT_FALSE(QFile::exists(device));
    EXPECT_TRUE(log.isEmpty());
}

TEST_F(AutoPrintTest, NoCopiesLogsTheCountAndPrintsNothing)
{
    modes.CopyCntr = 0;
    const QString file = WriteFile(Telegram);
    form.PrintFile(file);
    EXPECT_EQ(Outcome(), TelegramPrinter::Progress::Printed);
    EXPECT_FALSE(QFile::exists(device));
    EXPECT_EQ(log, QStringList{QStringLiteral("Выполняется печать файла: %1 (Копий: 0)").arg(file)});
}

TEST_F(AutoPrintTest, APrinterPortThatCannotBeOpenedFailsAfterTheLogLine)
{
    const QString missing = dir.filePath(QStringLiteral("no/such/lp0"));
    qputenv("KORVANE_LPT1", missing.toLocal8Bit());
    form.PrintFile(WriteFile(Telegram));
    EXPECT_EQ(log.size(), 1);
    QString error;
    EXPECT_EQ(Outcome(form, error), TelegramPrinter::Progress::Failed);
    EXPECT_EQ(error, QStringLiteral("Ошибка открытия файла ") + missing);
}

// A port that blocks (a FIFO nobody reads, a printer that is offline)
// never holds up the main thread: the printout fails, at once or at the
// port's deadline, and nothing waits for ever.
TEST_F(AutoPrintTest, APortThatBlocksFailsWithoutHoldingUpTheCaller)
{
    ASSERT_EQ(::mkfifo(QFile::encodeName(device).constData(), 0600), 0);
    struct Case {
        const char* name;
        bool reader; // opened, never read: the pipe fills
        QString error;
    };
    const Case cases[] = {
        {"nobody reads", false, QStringLiteral("Ошибка открытия файла ") + device},
        {"a reader that takes nothing", true, QStringLiteral("Принтер %1 не принимает данные 5 с").arg(device)},
    };
    modes.CopyCntr = 3;
    QByteArray big;
    for (int i = 0; i < 20000; ++i)
        big += "ZCZC LINE OF A LONG TELEGRAM\r\n";
    const QString file = WriteFile(big);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int reader = c.reader ? ::open(QFile::encodeName(device).constData(), O_RDONLY | O_NONBLOCK) : -1;
        // The deadline is ten times what a busy machine takes to hand the
        // printout over: a call that waited for the device would return
        // with it ended.
        TAutoPrintForm printer(modes, nullptr, std::chrono::milliseconds(5000));
        printer.SetLogWriter([](const QString&) {});
        QElapsedTimer took;
        took.start();
        printer.PrintFile(file);
        EXPECT_LT(took.elapsed(), 5000);
        QString error;
        if (c.reader)
            EXPECT_EQ(printer.PrintProgress(error), TelegramPrinter::Progress::Printing);
        EXPECT_EQ(Outcome(printer, error), TelegramPrinter::Progress::Failed);
        EXPECT_EQ(error, c.error);
        if (reader >= 0)
            ::close(reader);
    }
}

TEST_F(AutoPrintTest, AMissingFileRaisesBeforeAnythingIsLoggedOrPrinted)
{
    EXPECT_THROW(form.PrintFile(dir.filePath(QStringLiteral("TLG99999.REC"))), FileError);
    EXPECT_TRUE(log.isEmpty());
    EXPECT_FALSE(QFile::exists(device));
}

TEST_F(AutoPrintTest, ThePrinterPathPrintsTheConvertedTextUnderTheFileName)
{
    modes.DOSPrintMode = 0;
    const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
    form.SetPrinterSource([&] {
        auto p = std::make_unique<QPrinter>(QPrinter::HighResolution);
        p->setOutputFormat(QPrinter::PdfFormat);
        p->setOutputFileName(pdf);
        return p;
    });
    const QString file = WriteFile(Telegram);

    form.PrintFile(file);

    ASSERT_TRUE(QFile::exists(pdf));
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    ASSERT_TRUE(text.waitForFinished(30000));
    const QString printed = QString::fromUtf8(text.readAllStandardOutput());
    EXPECT_TRUE(printed.contains(QStringLiteral("ZCZC 12"))) << printed.toStdString();
    EXPECT_TRUE(printed.contains(QStringLiteral("ЗК TEXT"))) << printed.toStdString();
    EXPECT_TRUE(printed.contains(QStringLiteral("NNNN"))) << printed.toStdString();
    EXPECT_FALSE(QFile::exists(device));

    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {pdf});
    ASSERT_TRUE(info.waitForFinished(30000));
    EXPECT_TRUE(QString::fromUtf8(info.readAllStandardOutput()).contains(file));
}

} // namespace
} // namespace korvane
