#pragma once

// The engine's look-up of a destination number in the subscriber table:
// Locate on the data module's AbonentQuery, exact and letter case
// counting, on ABONENT_No. It moves the query's current record, which the
// subscriber directory's grid follows.

#include "directories/TxDataM.h"
#include "engine/SubscriberLookup.h"

namespace korvane {

class AbonentLookup final : public SubscriberLookup {
public:
    explicit AbonentLookup(TTxDataModule& module) : m_module(module) {}

    Result LocateSubscriber(const QString& number, SubscriberRecord& record, QString& error) override;

private:
    TTxDataModule& m_module;
};

} // namespace korvane
