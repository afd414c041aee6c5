#include "protocols/ChannelOptions.h"

#include "protocols/LittleEndian.h"

namespace korvane {
namespace {

template <std::size_t N>
void readString(LittleEndianReader& r, ShortString<N>& s)
{
    r.bytes(s.bytes);
    s.clampLength();
}

void writeSound(LittleEndianWriter& w, const TSoundEntry& s)
{
    w.u8(s.Enabled);
    w.u8(s.Loop);
    w.bytes(s.Melody.bytes);
    w.bytes(s.WavFile.bytes);
}

TSoundEntry readSound(LittleEndianReader& r)
{
    TSoundEntry s;
    s.Enabled = r.u8();
    s.Loop = r.u8();
    readString(r, s.Melody);
    readString(r, s.WavFile);
    return s;
}

} // namespace

void TChannelOptions::writeTo(LittleEndianWriter& w) const
{
    w.u32(AdapterType);
    w.u32(StationType);
    w.u32(LineType);
    w.bytes(AnswerBack.bytes);
    w.bytes(TlgHeader.bytes);
    w.u16(PortAddr);
    w.u32(Modes);
    w.u32(CtxModes);
    w.bytes(ReceiveCommonFile.bytes);
    w.bytes(TransmCommonFile.bytes);
    w.bytes(ReceiveJrnFile.bytes);
    w.bytes(TransmJrnFile.bytes);
    w.bytes(ReceiveDir.bytes);
    w.bytes(TransmDir.bytes);
    for (const TSoundEntry& s : Sounds)
        writeSound(w, s);
    w.u8(Counters.Day);
    w.u8(Counters.Month);
    w.u16(Counters.FullNumber);
    w.u8(Counters.FNumberMode);
    w.u8(Counters.Reserved5);
    w.u16(Counters.CKSNumber);
    w.u8(Counters.CKSNumberMode);
    w.bytes(Counters.Reserved9);
}

QByteArray TChannelOptions::toBytes() const
{
    QByteArray out;
    out.reserve(kSize);
    LittleEndianWriter w(out);
    writeTo(w);
    return out;
}

TChannelOptions TChannelOptions::readFrom(LittleEndianReader& r)
{
    // Check the whole record first, so that a short source fails before
    // anything of it is taken.
    LittleEndianReader all(r.raw(kSize));
    TChannelOptions o;
    o.AdapterType = all.u32();
    o.StationType = all.u32();
    o.LineType = all.u32();
    readString(all, o.AnswerBack);
    readString(all, o.TlgHeader);
    o.PortAddr = all.u16();
    o.Modes = all.u32();
    o.CtxModes = all.u32();
    readString(all, o.ReceiveCommonFile);
    readString(all, o.TransmCommonFile);
    readString(all, o.ReceiveJrnFile);
    readString(all, o.TransmJrnFile);
    readString(all, o.ReceiveDir);
    readString(all, o.TransmDir);
    for (TSoundEntry& s : o.Sounds)
        s = readSound(all);
    o.Counters.Day = all.u8();
    o.Counters.Month = all.u8();
    o.Counters.FullNumber = all.u16();
    o.Counters.FNumberMode = all.u8();
    o.Counters.Reserved5 = all.u8();
    o.Counters.CKSNumber = all.u16();
    o.Counters.CKSNumberMode = all.u8();
    all.bytes(o.Counters.Reserved9);
    return o;
}

TChannelOptions TChannelOptions::fromBytes(QByteArrayView bytes)
{
    LittleEndianReader r(bytes);
    return readFrom(r);
}

void TPortTable::writeTo(LittleEndianWriter& w) const
{
    for (const Entry& e : Entries) {
        w.u16(e.Unused);
        w.u16(e.PortAddr);
    }
}

TPortTable TPortTable::readFrom(LittleEndianReader& r)
{
    LittleEndianReader all(r.raw(kSize));
    TPortTable t;
    for (Entry& e : t.Entries) {
        e.Unused = all.u16();
        e.PortAddr = all.u16();
    }
    return t;
}

const std::array<QString, TChannelOptions::kSoundCount>& SoundEventNames()
{
    static const std::array<QString, TChannelOptions::kSoundCount> names = {
        QStringLiteral("Начало передачи"),
        QStringLiteral("Окончание передачи"),
        QStringLiteral("Успешное окончание передачи"),
        QStringLiteral("Начало приема"),
        QStringLiteral("Окончание приема"),
        QStringLiteral("Переход в \"Диалог\""),
        QStringLiteral("Переход в \"Контроль\""),
        QStringLiteral("Прием-передача"),
        QStringLiteral("Ожидание"),
        QStringLiteral("Авария"),
    };
    return names;
}

} // namespace korvane
