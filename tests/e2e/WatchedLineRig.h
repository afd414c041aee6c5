#pragma once

#include "tests/e2e/ProgramRig.h"
#include "tests/e2e/WatchedNetwork.h"

#include <QFile>

#include <memory>

namespace korvane::test {

// The demonstration folder with channel 1 on station 2345's network alone
// (tests/e2e/data/station-2345.scenario), whose line the test watches whole.
class WatchedLineRig : public ProgramRig {
protected:
    void SetUp() override
    {
        ProgramRig::SetUp();
        if (HasFatalFailure())
            return;
        line = std::make_unique<WatchedNetwork>(QStringLiteral(KORVANE_E2E_DATA "/station-2345.scenario"),
                                                QStringLiteral("e2e-watched-line"));
        qputenv("KORVANE_COM1", QByteArray("sim:e2e-watched-line"));
    }

    // Takes one of the demonstration's queued telegrams out of the
    // outgoing folder before the program starts.
    void Unqueue(const QString& name)
    {
        ASSERT_TRUE(QFile::remove(outgoing + QLatin1Char('/') + name)) << name.toStdString();
    }

    // Lives after the program (ProgramRig::TearDown ends it first).
    std::unique_ptr<WatchedNetwork> line;
};

} // namespace korvane::test
