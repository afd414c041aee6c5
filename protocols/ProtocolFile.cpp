#include "protocols/ProtocolFile.h"

#include "protocols/ErrorBox.h"
#include "protocols/LittleEndian.h"
#include "protocols/StoreLog.h"

namespace korvane {
namespace {

constexpr qsizetype kMaxText = 255;
constexpr char kYes = 'Y';
constexpr char kNo = 'N';

// ---- writing ----

void writeStr(LittleEndianWriter& w, const QString& text)
{
    const QByteArray b = codepage::toCp1251(QStringView(text).left(kMaxText));
    w.u8(std::uint8_t(b.size()));
    w.raw(b);
}

void writeFlag(LittleEndianWriter& w, quint8 flag)
{
    w.u8(flag != 0 ? kYes : kNo);
}

void WriteParamValues(LittleEndianWriter& w, const std::vector<TParamValue>& values)
{
    w.i32(std::int32_t(values.size()));
    for (const TParamValue& v : values) {
        writeStr(w, v.Value);
        writeStr(w, v.Def ? v.Def->Name : QString());
        writeStr(w, v.Value);
        w.f64(v.Min);
        w.f64(v.Max);
    }
}

void WriteElements(LittleEndianWriter& w, const std::vector<TElementRec>& steps)
{
    w.i32(std::int32_t(steps.size()));
    for (const TElementRec& e : steps) {
        writeStr(w, e.Name);
        writeStr(w, e.ClassDef ? e.ClassDef->Name : QString());
        writeFlag(w, e.Flag);
        if (e.ClassDef && !e.ClassDef->Params.empty())
            WriteParamValues(w, e.Params);
    }
}

void WriteProtocols(LittleEndianWriter& w, const std::vector<TProtocolRec>& list)
{
    w.i32(std::int32_t(list.size()));
    for (const TProtocolRec& p : list) {
        writeStr(w, p.Name);
        writeFlag(w, p.Flag);
        WriteElements(w, p.Elements);
    }
}

// ---- reading ----

QString readStr(LittleEndianReader& r)
{
    const std::uint8_t len = r.u8();
    return codepage::fromCp1251(r.raw(len));
}

quint8 readFlag(LittleEndianReader& r)
{
    return r.u8() == std::uint8_t(kYes) ? 1 : 0;
}

std::int32_t readCount(LittleEndianReader& r)
{
    const std::int32_t n = r.i32();
    if (n < 0)
        throw ProtocolFileError("negative count in the protocol file");
    return n;
}

void reportUnknownParam(MessageBox& box, const QString& value, const QString& name)
{
    showErrorBox(box, QChar(3) + QStringLiteral("Задан отсутствующий параметр элемента ") + value + name);
}

// Reads one step's values and returns them in the order of the class's
// definitions; Err = 1 after an error box when they do not fit.
std::vector<TParamValue> ReadParamValues(LittleEndianReader& r, const TElementClassDef& cls, int& Err,
                                         MessageBox& box)
{
    Err = 0;
    const std::int32_t count = readCount(r);
    std::vector<TParamValue> read;
    for (std::int32_t i = 0; i < count; ++i) {
        TParamValue v;
        v.Value = readStr(r);
        const QString name = readStr(r);
        v.Value2 = readStr(r);
        v.Value3 = v.Value2;
        v.Min = r.f64();
        v.Max = r.f64();
        v.Def = cls.findParam(name);
        if (!v.Def) {
            reportUnknownParam(box, v.Value, name);
            Err = 1;
            return read;
        }
        read.push_back(std::move(v));
    }
    if (read.empty())
        return read;

    // The engine takes the values by position: one per definition, in the
    // definitions' order.
    std::vector<std::optional<TParamValue>> byDefinition(cls.Params.size());
    for (TParamValue& v : read) {
        std::optional<TParamValue>& slot = byDefinition[size_t(v.Def - cls.Params.data())];
        if (slot) {
            reportUnknownParam(box, v.Value, v.Def->Name);
            Err = 1;
            return {};
        }
        slot = std::move(v);
    }
    std::vector<TParamValue> ordered;
    ordered.reserve(byDefinition.size());
    for (size_t i = 0; i < byDefinition.size(); ++i) {
        if (!byDefinition[i]) {
            reportUnknownParam(box, QString(), cls.Params[i].Name);
            Err = 1;
            return ordered;
        }
        ordered.push_back(std::move(*byDefinition[i]));
    }
    return ordered;
}

std::vector<TElementRec> ReadElements(LittleEndianReader& r, const ElementClassRegistry& registry, int& Err,
                                      MessageBox& box)
{
    Err = 0;
    const std::int32_t count = readCount(r);
    std::vector<TElementRec> steps;
    for (std::int32_t i = 0; i < count; ++i) {
        TElementRec e;
        e.Name = readStr(r);
        const QString className = readStr(r);
        const quint8 flag = readFlag(r);
        e.ClassDef = registry.find(className);
        if (!e.ClassDef) {
            showErrorBox(box, QStringLiteral("Ошибка: ") + e.Name + u' ' + className
                                  + QStringLiteral(" Задан отсутствующий класс элемента"));
            Err = 1;
            steps.push_back(std::move(e));
            return steps;
        }
        e.Flag = flag;
        if (!e.ClassDef->Params.empty()) {
            int err = 0;
            e.Params = ReadParamValues(r, *e.ClassDef, err, box);
            if (err != 0) {
                Err = 1;
                steps.push_back(std::move(e));
                return steps;
            }
        }
        steps.push_back(std::move(e));
    }
    return steps;
}

std::vector<TProtocolRec> ReadProtocols(LittleEndianReader& r, const ElementClassRegistry& registry, int& Err,
                                        MessageBox& box)
{
    Err = 0;
    const std::int32_t count = readCount(r);
    std::vector<TProtocolRec> list;
    for (std::int32_t i = 0; i < count; ++i) {
        TProtocolRec p;
        p.Name = readStr(r);
        p.Flag = readFlag(r);
        int err = 0;
        p.Elements = ReadElements(r, registry, err, box);
        list.push_back(std::move(p));
        if (err != 0) {
            Err = 1;
            return list;
        }
    }
    return list;
}

// Nothing may index past the adapter names or the four protocol lists.
void switchOffInvalidChannel(TChannelOptions& o, int channel)
{
    if (o.AdapterType < kAdapterTypeCount && o.StationType < kStationTypeCount)
        return;
    WriteStoreLog(QStringLiteral("Канал %1: недопустимый тип адаптера (%2) или тип станции (%3) в файле протоколов, канал выключен")
                .arg(channel)
                .arg(o.AdapterType)
                .arg(o.StationType));
    o.AdapterType = 0;
    if (o.StationType >= kStationTypeCount)
        o.StationType = 0;
}

} // namespace

void WriteProtocolSet(QIODevice& out, TProtocolSet& set)
{
    QByteArray bytes;
    LittleEndianWriter w(bytes);
    for (const std::vector<TProtocolRec>& list : set.Protocols)
        WriteProtocols(w, list);
    for (int c = 0; c < kChannelCount; ++c) {
        const TChannelOptions& o = set.Channels[size_t(c)];
        o.writeTo(w);
        set.PortTables[size_t(c)].writeTo(w);
        if (o.AdapterType < kAdapterTypeCount)
            set.PortTables[size_t(c)].Entries[o.AdapterType].PortAddr = o.PortAddr;
    }
    if (out.write(bytes) != bytes.size())
        throw ProtocolFileError("cannot write the protocol file");
}

void ReadProtocolSet(QIODevice& in, std::unique_ptr<TProtocolSet>& set, int& Err, MessageBox& box)
{
    Err = 0;
    set = std::make_unique<TProtocolSet>();
    set->Registry = BuildClassRegistry(Err);
    const QByteArray bytes = in.readAll();
    LittleEndianReader r(bytes);
    for (int k = 0; k < kProtocolKindCount; ++k) {
        int err = 0;
        try {
            set->Protocols[size_t(k)] = ReadProtocols(r, *set->Registry, err, box);
        } catch (...) {
            Err = 1;
            set->Protocols[size_t(k)].clear();
            throw;
        }
        if (err != 0) {
            Err = err;
            throw ProtocolFileError("the protocol file names an unknown element class or parameter");
        }
    }
    for (int c = 0; c < kChannelCount; ++c) {
        set->Channels[size_t(c)] = TChannelOptions::readFrom(r);
        set->PortTables[size_t(c)] = TPortTable::readFrom(r);
        switchOffInvalidChannel(set->Channels[size_t(c)], c + 1);
    }
}

} // namespace korvane
