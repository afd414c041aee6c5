#include "platform/CodePages.h"
#include "protocols/DriverModes.h"
#include "support/FileError.h"
#include "tests/fakes/TestFiles.h"
#include "ui/txAutoPrint.h"

#include <QDir>
#include <QFile>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

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

    const QByteArray copy = QByteArray("\\x1B@ INIT\r\n") + "    ZCZC 12\r\n" + "    \x87\x8A TEXT\r\n" +
                            "    NNNN\r\n";
    EXPECT_EQ(DeviceBytes(), copy + copy);
    EXPECT_EQ(log, QStringList{QStringLiteral("Выполняется печать файла: %1 (Копий: 2)").arg(file)});
}

TEST_F(AutoPrintTest, WithoutInitStringOrMarginOnlyTheLinesAreSent)
{
    modes.LeftMargin = -3;
    form.PrintFile(WriteFile("A\nB"));
    EXPECT_EQ(DeviceBytes(), QByteArray("A\r\nB\r\n"));
}

TEST_F(AutoPrintTest, AnEmptyFilePrintsAndLogsNothing)
{
    form.PrintFile(WriteFile(QByteArray()));
    EXPECT_FALSE(QFile::exists(device));
    EXPECT_TRUE(log.isEmpty());
}

TEST_F(AutoPrintTest, NoCopiesLogsTheCountAndPrintsNothing)
{
    modes.CopyCntr = 0;
    const QString file = WriteFile(Telegram);
    form.PrintFile(file);
    EXPECT_FALSE(QFile::exists(device));
    EXPECT_EQ(log, QStringList{QStringLiteral("Выполняется печать файла: %1 (Копий: 0)").arg(file)});
}

TEST_F(AutoPrintTest, APrinterPortThatCannotBeOpenedRaisesAfterTheLogLine)
{
    qputenv("KORVANE_LPT1", dir.filePath(QStringLiteral("no/such/lp0")).toLocal8Bit());
    EXPECT_THROW(form.PrintFile(WriteFile(Telegram)), FileError);
    EXPECT_EQ(log.size(), 1);
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
