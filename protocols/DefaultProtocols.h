#pragma once

#include "protocols/ProtocolModel.h"

#include <QString>

#include <array>
#include <memory>
#include <optional>
#include <vector>

namespace korvane {

class MessageBox;

// Node builders for protocols held in code. Each checks its names (and a
// numeric value) against the registry and reports what does not fit in an
// error box; a failed build gives no node.

// One parameter value: Value, Value2 and Value3 are Value cut to 68
// characters. Fails (no node) when the class or the parameter is unknown,
// when a numeric value is not a number or lies outside Min..Max, and,
// silently, when the class has no parameters.
std::optional<TParamValue> NewParamValue(const ElementClassRegistry& registry, MessageBox& box,
                                         const QString& elementName, const QString& className,
                                         const QString& paramName, double min, double max,
                                         const QString& value);

// One step: Name cut to 68 characters, Flag 0. Fails when the class is unknown.
std::optional<TElementRec> NewElement(const ElementClassRegistry& registry, MessageBox& box,
                                      const QString& elementName, const QString& className,
                                      std::vector<TParamValue> params);

// One protocol: Name cut to 68 characters, Flag 0.
TProtocolRec NewProtocol(const QString& name, std::vector<TElementRec> elements);

// Builds a list from node builders called from the last node to the first,
// as chained construction does: a builder that fails drops its own node and
// every node after it. Every builder is called, so every failure is told.
template <typename Node, typename Builder>
std::vector<Node> BuildChain(std::size_t count, Builder build)
{
    std::vector<Node> reversed;
    for (std::size_t i = count; i-- > 0;) {
        std::optional<Node> node = build(i);
        if (!node)
            reversed.clear();
        else
            reversed.push_back(std::move(*node));
    }
    return std::vector<Node>(std::make_move_iterator(reversed.rbegin()),
                             std::make_move_iterator(reversed.rend()));
}

// The built-in protocols of a kind (1..4): a list of one protocol; empty
// for any other kind.
std::vector<TProtocolRec> DefaultProtocolsOfKind(int kind, const ElementClassRegistry& registry,
                                                 MessageBox& box);
std::vector<TProtocolRec> BuildStandardAProtocols(const ElementClassRegistry& registry, MessageBox& box);
std::vector<TProtocolRec> BuildStandardBProtocols(const ElementClassRegistry& registry, MessageBox& box);
std::vector<TProtocolRec> BuildPhysicalLineProtocols(const ElementClassRegistry& registry, MessageBox& box);
std::vector<TProtocolRec> BuildRailwayComputerProtocols(const ElementClassRegistry& registry,
                                                        MessageBox& box);

// The settings record every channel starts from (channel digit 1 in its paths).
const TChannelOptions& DefaultChannelOptions();
// The ten sounds of DefaultChannelOptions, entry k-1 for sound event k.
const std::array<TSoundEntry, TChannelOptions::kSoundCount>& DefaultSoundEntry();

// Replaces the first '1' in Path by the digit of Channel; a path without
// a '1' stays as it is.
template <std::size_t N>
void SetChannelDigit(int channel, ShortString<N>& path)
{
    for (std::size_t i = 1; i <= path.length(); ++i)
        if (path.bytes[i] == '1') {
            path.bytes[i] = std::uint8_t('0' + channel);
            return;
        }
}

// A complete default set: a new registry, the four built-in protocols, the
// default record for every channel with its channel digit in the paths, and
// zero port tables. Err is 0 afterwards.
std::unique_ptr<TProtocolSet> BuildDefaultProtocolSet(int& Err, MessageBox& box);

} // namespace korvane
