// Forwarders to the print form and the subscriber directory, which fail plainly until those exist.
#include "ui/program/LateServices.h"

#include "ui/telegrams/PrintError.h"

namespace korvane {

namespace {

QString NotReadyToPrint()
{
    return QStringLiteral("Печать невозможна: принтер программы ещё не подключён");
}

} // namespace

SubscriberLookup::Result LateSubscriberLookup::LocateSubscriber(const QString& number, SubscriberRecord& record,
                                                                QString& error)
{
    if (target_)
        return target_->LocateSubscriber(number, record, error);
    error = QStringLiteral("Справочник абонентов ещё не открыт");
    return Result::Unavailable;
}

void LateTelegramPrinter::PrintFile(const QString& fileName)
{
    if (!target_)
        throw PrintError(NotReadyToPrint());
    target_->PrintFile(fileName);
}

TelegramPrinter::Progress LateTelegramPrinter::PrintProgress(QString& error) const
{
    if (target_)
        return target_->PrintProgress(error);
    error = NotReadyToPrint();
    return Progress::Failed;
}

} // namespace korvane
