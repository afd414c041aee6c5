#include "protocols/DriverModes.h"

#include "protocols/LittleEndian.h"
#include "support/TelegraphCode.h"

namespace korvane {

TDriverModes GlobalModes;

void TDriverModes::writeTo(LittleEndianWriter& w) const
{
    w.u32(ModeDriver);
    w.i32(ScanPeriod);
    w.i32(MsgDelay);
    w.u8(ExitConfirmation);
    w.u8(ShowDialogMode);
    w.u8(TlxLogMode);
    w.u8(SoundCardMode);
    w.u8(DOSPrintMode);
    w.u8(PreciseTimer);
    w.bytes(Reserved18);
    w.i32(CopyCntr);
    w.f64(BeginTime);
    w.f64(EndTime);
    w.i32(LeftMargin);
    w.bytes(InitPrnStr.bytes);
    for (const auto& column : BadCallsText)
        for (const ShortString<30>& cell : column)
            w.bytes(cell.bytes);
    w.bytes(Reserved1985);
    for (const auto& category : BadCallsPolicy)
        for (std::int32_t v : category)
            w.i32(v);
}

QByteArray TDriverModes::toBytes() const
{
    QByteArray out;
    out.reserve(kSize);
    LittleEndianWriter w(out);
    writeTo(w);
    return out;
}

TDriverModes TDriverModes::readFrom(LittleEndianReader& r)
{
    LittleEndianReader all(r.raw(kSize));
    TDriverModes m;
    m.ModeDriver = all.u32();
    m.ScanPeriod = all.i32();
    m.MsgDelay = all.i32();
    m.ExitConfirmation = all.u8();
    m.ShowDialogMode = all.u8();
    m.TlxLogMode = all.u8();
    m.SoundCardMode = all.u8();
    m.DOSPrintMode = all.u8();
    m.PreciseTimer = all.u8();
    all.bytes(m.Reserved18);
    m.CopyCntr = all.i32();
    m.BeginTime = all.f64();
    m.EndTime = all.f64();
    m.LeftMargin = all.i32();
    all.bytes(m.InitPrnStr.bytes);
    m.InitPrnStr.clampLength();
    for (auto& column : m.BadCallsText)
        for (ShortString<30>& cell : column) {
            all.bytes(cell.bytes);
            cell.clampLength();
        }
    all.bytes(m.Reserved1985);
    for (auto& category : m.BadCallsPolicy)
        for (std::int32_t& v : category)
            v = all.i32();
    return m;
}

TDriverModes TDriverModes::fromBytes(QByteArrayView bytes)
{
    LittleEndianReader r(bytes);
    return readFrom(r);
}

void ApplyDriverModes(const TDriverModes& modes)
{
    GlobalModes = modes;
    setFigsCodeTableEntry10((modes.ModeDriver & DriverMode::FigsTenIsFour) ? QChar(u'4') : QChar(u'Ч'));
}

} // namespace korvane
