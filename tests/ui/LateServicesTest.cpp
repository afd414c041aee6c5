// The channels start before the directory and the print form exist: until
// the program points the forwarders at them, a lookup says the directory is
// not open and a print fails, so no telegram is renamed as printed.

#include "ui/program/LateServices.h"

#include "ui/telegrams/PrintError.h"

#include <QStringList>

#include <gtest/gtest.h>

using namespace korvane;

namespace {

class OneSubscriber final : public SubscriberLookup {
public:
    Result LocateSubscriber(const QString& number, SubscriberRecord& record, QString&) override
    {
        if (number != QStringLiteral("2345"))
            return Result::NotFound;
        record = {QStringLiteral("ТЕЛЕГРАФ"), QStringLiteral("2345 TLG")};
        return Result::Found;
    }
};

class CountingPrinter final : public TelegramPrinter {
public:
    void PrintFile(const QString& fileName) override { printed << fileName; }
    Progress PrintProgress(QString&) const override { return Progress::Printing; }
    QStringList printed;
};

TEST(LateServicesTest, BeforeTheDirectoryExistsALookupSaysItIsNotOpen)
{
    LateSubscriberLookup lookup;
    SubscriberRecord record;
    QString error;
    EXPECT_EQ(lookup.LocateSubscriber(QStringLiteral("2345"), record, error), SubscriberLookup::Result::Unavailable);
    EXPECT_EQ(error, QStringLiteral("Справочник абонентов ещё не открыт"));
    EXPECT_TRUE(record.Name.isEmpty());

    OneSubscriber directory;
    lookup.SetTarget(&directory);
    error.clear();
    EXPECT_EQ(lookup.LocateSubscriber(QStringLiteral("2345"), record, error), SubscriberLookup::Result::Found);
    EXPECT_EQ(record.AnswerBack, QStringLiteral("2345 TLG"));
    EXPECT_EQ(lookup.LocateSubscriber(QStringLiteral("9999"), record, error), SubscriberLookup::Result::NotFound);
}

TEST(LateServicesTest, BeforeThePrintFormExistsAPrintFailsAndIsNeverReportedDone)
{
    LateTelegramPrinter printer;
    EXPECT_THROW(printer.PrintFile(QStringLiteral("/in/TLG00001.REC")), PrintError);
    QString error;
    EXPECT_EQ(printer.PrintProgress(error), TelegramPrinter::Progress::Failed);
    EXPECT_FALSE(error.isEmpty());

    CountingPrinter form;
    printer.SetTarget(&form);
    printer.PrintFile(QStringLiteral("/in/TLG00001.REC"));
    EXPECT_EQ(form.printed, QStringList{QStringLiteral("/in/TLG00001.REC")});
    error.clear();
    EXPECT_EQ(printer.PrintProgress(error), TelegramPrinter::Progress::Printing);
}

} // namespace
