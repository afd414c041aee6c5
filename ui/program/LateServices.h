// The print form and the subscriber directory as the channels reach them before they exist.
#pragma once

#include "engine/SubscriberLookup.h"
#include "engine/TelegramPrinter.h"

namespace korvane {

// The channels start with the main window, before the subscriber directory
// and the print form exist. They reach both through these forwarders, which
// the program points at the real services once it has made them. Until then
// nothing is taken for done: a lookup says the directory is not open yet and
// a print fails, so its telegram keeps its name and is printed later.

class LateSubscriberLookup final : public SubscriberLookup {
public:
    void SetTarget(SubscriberLookup* target) { target_ = target; }
    Result LocateSubscriber(const QString& number, SubscriberRecord& record, QString& error) override;

private:
    SubscriberLookup* target_ = nullptr;
};

class LateTelegramPrinter final : public TelegramPrinter {
public:
    void SetTarget(TelegramPrinter* target) { target_ = target; }
    void PrintFile(const QString& fileName) override;
    Progress PrintProgress(QString& error) const override;

private:
    TelegramPrinter* target_ = nullptr;
};

} // namespace korvane
