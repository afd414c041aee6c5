#pragma once

#include "protocols/ChannelOptions.h"
#include "protocols/ElementClassRegistry.h"

#include <QString>

#include <array>
#include <memory>
#include <vector>

namespace korvane {

// The value of one parameter of a step.
struct TParamValue {
    QString Value;                 // the current value; the engine reads it
    const TParamDef* Def = nullptr; // definition of the step's class (not owned)
    QString Value2;                // as built or loaded
    QString Value3;                // as built or loaded; shown after "Установлено:"
    double Min = 0;                // numeric: the range; text: Max is the length limit
    double Max = 0;
};

// One step of a protocol. Its values stand in the order of its class's
// definitions, one per definition (or none at all).
struct TElementRec {
    QString Name;
    const TElementClassDef* ClassDef = nullptr; // entry of the set's own registry (not owned)
    quint8 Flag = 0;
    std::vector<TParamValue> Params;

    // The value bound to the definition named Name, or null.
    const TParamValue* param(const QString& name) const;
};

// One telegraph protocol; its first step is where it starts.
struct TProtocolRec {
    QString Name;
    quint8 Flag = 0;
    std::vector<TElementRec> Elements;

    // The first step of that name (exact comparison), or null.
    const TElementRec* findStep(const QString& name) const;
    // The step after Step, or null after the last (or for a step not of this protocol).
    const TElementRec* stepAfter(const TElementRec* step) const;
};

// Protocol kinds 1 to 4: "Стандарт A", "Стандарт B", "Физическая линия",
// "Ж/Д-ЭВМ АСОУП". Only the first protocol of a kind is run.
inline constexpr int kProtocolKindCount = 4;
inline constexpr int kChannelCount = 8;

// The whole settings block: registry, four protocol lists, eight channel
// records and port tables. Steps and values point into the set's own
// registry, so a set is never copied; it is handed round as a unique_ptr.
// Arrays are 0-based: Protocols[kind - 1], Channels[channel - 1].
struct TProtocolSet {
    TProtocolSet() = default;
    TProtocolSet(const TProtocolSet&) = delete;
    TProtocolSet& operator=(const TProtocolSet&) = delete;

    std::unique_ptr<const ElementClassRegistry> Registry;
    std::array<std::vector<TProtocolRec>, kProtocolKindCount> Protocols;
    std::array<TChannelOptions, kChannelCount> Channels{};
    std::array<TPortTable, kChannelCount> PortTables{};

    // The protocol a channel (1..8) runs: the first of kind StationType + 1;
    // null for a channel number or station type out of range or an empty kind.
    const TProtocolRec* protocolOfChannel(int channel) const;
};

// Equal protocol lists, channel records and port tables (registries are
// compared by the names their steps and values point to).
bool sameContents(const TProtocolSet& a, const TProtocolSet& b);

} // namespace korvane
