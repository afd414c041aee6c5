#pragma once

#include <QString>

namespace korvane {

// What the engine asks of the subscriber directory when it picks a
// destination: the subscriber whose number is exactly Number (letter case
// counting). A look-up moves the directory's current record, as the
// operator's browsing of the directory follows it. Implemented by the
// directories' data module; runs on the main thread, from the file tick.
struct SubscriberRecord {
    QString Name;       // ABONENT_Name
    QString AnswerBack; // ABONENT_AnsBk
};

class SubscriberLookup {
public:
    enum class Result {
        Found,      // Record holds the subscriber
        NotFound,   // no subscriber has that number
        Unavailable // the table cannot be read now (closed while subscribers are
                    // imported, or not opened at start); Error says why. The
                    // number is not called meanwhile: the scan asks again on
                    // the next file tick.
    };

    virtual ~SubscriberLookup() = default;
    virtual Result LocateSubscriber(const QString& number, SubscriberRecord& record, QString& error) = 0;
};

} // namespace korvane
