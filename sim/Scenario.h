#pragma once

#include "platform/serial/SerialTypes.h"
#include "sim/Exchange.h"
#include "sim/Station.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace korvane::sim {

// A simulated network behind one port: the adapter's line, the exchange and
// the stations. Written as a small text (sim/README.md), one statement a line.
struct Scenario {
    QString name;
    serial::LineSettings frame{50, 5, 0, 1}; // the adapter's line
    std::int64_t dcdDelayMs = 0;
    ExchangeConfig exchange;
    std::vector<StationConfig> stations;

    // Parses a scenario text; nullopt with the line and the reason in error.
    static std::optional<Scenario> parse(const QString& text, QString* error = nullptr);
    // A built-in scenario by name, or a scenario file by path; nullopt with
    // the reason in error.
    static std::optional<Scenario> load(const QString& nameOrPath, QString* error = nullptr);
    static QStringList builtInNames();
    static QString builtInText(const QString& name); // empty for an unknown name
};

} // namespace korvane::sim
