#pragma once

#include <QObject>

namespace korvane {

// The notice that a journal grew by a line: the main window makes an open
// journal view of that channel and kind reload. The engine posts the
// notice; it is delivered later through the event loop of the thread the
// notifier lives on (the main thread), never inside the engine's work.
class JournalNotifier : public QObject {
    Q_OBJECT

public:
    static constexpr int TransmitJournal = 0;
    static constexpr int ReceiveJournal = 1;

    using QObject::QObject;

    // Queues JournalChanged(Channel, Kind).
    void Post(int channel, int kind);

signals:
    void JournalChanged(int channel, int kind);
};

} // namespace korvane
