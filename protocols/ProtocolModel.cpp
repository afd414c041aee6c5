#include "protocols/ProtocolModel.h"

namespace korvane {

const TParamValue* TElementRec::param(const QString& name) const
{
    for (const TParamValue& v : Params)
        if (v.Def && v.Def->Name == name)
            return &v;
    return nullptr;
}

const TElementRec* TProtocolRec::findStep(const QString& name) const
{
    for (const TElementRec& e : Elements)
        if (e.Name == name)
            return &e;
    return nullptr;
}

const TElementRec* TProtocolRec::stepAfter(const TElementRec* step) const
{
    if (Elements.empty() || step < Elements.data() || step >= Elements.data() + Elements.size())
        return nullptr;
    const TElementRec* next = step + 1;
    return next == Elements.data() + Elements.size() ? nullptr : next;
}

const TProtocolRec* TProtocolSet::protocolOfChannel(int channel) const
{
    if (channel < 1 || channel > kChannelCount)
        return nullptr;
    const std::uint32_t station = Channels[size_t(channel - 1)].StationType;
    if (station >= kStationTypeCount)
        return nullptr;
    const std::vector<TProtocolRec>& list = Protocols[station];
    return list.empty() ? nullptr : &list.front();
}

namespace {

bool sameValue(const TParamValue& a, const TParamValue& b)
{
    return a.Value == b.Value && a.Value2 == b.Value2 && a.Value3 == b.Value3 && a.Min == b.Min
        && a.Max == b.Max && (a.Def && b.Def ? a.Def->Name == b.Def->Name : a.Def == b.Def);
}

bool sameStep(const TElementRec& a, const TElementRec& b)
{
    if (a.Name != b.Name || a.Flag != b.Flag || a.Params.size() != b.Params.size())
        return false;
    if (a.ClassDef && b.ClassDef ? a.ClassDef->Name != b.ClassDef->Name : a.ClassDef != b.ClassDef)
        return false;
    for (size_t i = 0; i < a.Params.size(); ++i)
        if (!sameValue(a.Params[i], b.Params[i]))
            return false;
    return true;
}

bool sameProtocol(const TProtocolRec& a, const TProtocolRec& b)
{
    if (a.Name != b.Name || a.Flag != b.Flag || a.Elements.size() != b.Elements.size())
        return false;
    for (size_t i = 0; i < a.Elements.size(); ++i)
        if (!sameStep(a.Elements[i], b.Elements[i]))
            return false;
    return true;
}

} // namespace

bool sameContents(const TProtocolSet& a, const TProtocolSet& b)
{
    for (int k = 0; k < kProtocolKindCount; ++k) {
        if (a.Protocols[size_t(k)].size() != b.Protocols[size_t(k)].size())
            return false;
        for (size_t i = 0; i < a.Protocols[size_t(k)].size(); ++i)
            if (!sameProtocol(a.Protocols[size_t(k)][i], b.Protocols[size_t(k)][i]))
                return false;
    }
    return a.Channels == b.Channels && a.PortTables == b.PortTables;
}

} // namespace korvane
