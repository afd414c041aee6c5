#pragma once

#include "tests/e2e/ProgramRig.h"
#include "tests/e2e/WatchedNetwork.h"
#include "ui/mainwindow/Main.h"

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

    // Starts the program with neither of the demonstration's queued
    // telegrams, so that the test's own work is all its line carries. True
    // once channel 1's window is open.
    [[nodiscard]] bool StartWithNothingQueued()
    {
        for (const QString& name : {QStringLiteral("TEL00001.TLG"), QStringLiteral("TEL00002.TLG")}) {
            if (!QFile::remove(outgoing + QLatin1Char('/') + name)) {
                ADD_FAILURE() << "not in the outgoing folder: " << name.toStdString();
                return false;
            }
        }
        Start();
        return RunUntil([this] { return program->MainForm().ChannelWindowOf(1) != nullptr; }, 10);
    }

    // Lives after the program (ProgramRig::TearDown ends it first).
    std::unique_ptr<WatchedNetwork> line;
};

} // namespace korvane::test
