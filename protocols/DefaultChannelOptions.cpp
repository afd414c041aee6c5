#include "protocols/DefaultProtocols.h"

namespace korvane {
namespace {

TSoundEntry sound(std::uint8_t loop, const QString& melody, const QString& wavFile)
{
    TSoundEntry s;
    s.Enabled = 1;
    s.Loop = loop;
    s.Melody.setText(melody);
    s.WavFile.setText(wavFile);
    return s;
}

} // namespace

const std::array<TSoundEntry, TChannelOptions::kSoundCount>& DefaultSoundEntry()
{
    static const std::array<TSoundEntry, TChannelOptions::kSoundCount> sounds = {
        sound(0, QStringLiteral(">asdfghj"), QStringLiteral("Birds_begin.wav")),
        sound(0, QStringLiteral(">jhgfdsa"), QStringLiteral("Birds_end.wav")),
        sound(0, QStringLiteral("asdfjhg"), QStringLiteral("CASHREG.wav")),
        sound(0, QStringLiteral(">2d2f2g2f2d2s4a"), QStringLiteral("RINGIN.wav")),
        sound(0, QStringLiteral("2j2h2g2f2d2s2a"), QStringLiteral("ring.wav")),
        sound(0, QStringLiteral(">asd<dsa"), QStringLiteral("boing.wav")),
        sound(0, QStringLiteral(">jhg<ghj"), QStringLiteral("LASER.wav")),
        sound(0, QString(), QStringLiteral("tick.wav")),
        sound(0, QString(), QStringLiteral("WHOOSH.wav")),
        sound(1, QString(), QStringLiteral("whistle.wav")),
    };
    return sounds;
}

const TChannelOptions& DefaultChannelOptions()
{
    static const TChannelOptions options = [] {
        TChannelOptions o; // every byte zero to begin with
        o.AdapterType = 0;
        o.StationType = 0;
        o.LineType = kTwoPoleLine;
        // The station's own identity, a neutral sample: figures shift, CR LF,
        // its number, the Latin shift, a blank and its letters.
        o.AnswerBack.setText(QStringLiteral("^<_654321$ STATN RU"));
        o.TlgHeader.setText(
            QStringLiteral("ГОРОДОК 65432/{НОМЕР-М0}{НОМЕРЦКС-д0} {СЛОВ} {ДАТА0/0} {ВРЕМЯ}=<_<_"));
        o.PortAddr = 0x2F8;
        o.Modes = ChannelMode::AutoTrm | ChannelMode::AutoRec | ChannelMode::CheckAB | ChannelMode::ChkAdapter;
        o.CtxModes = 1;
        o.ReceiveCommonFile.setText(QStringLiteral("C:\\MAIL2\\IN_PRT1.PTC"));
        o.TransmCommonFile.setText(QStringLiteral("C:\\MAIL2\\OUT_PRT1.PTC"));
        o.ReceiveJrnFile.setText(QStringLiteral("C:\\MAIL2\\IN_JRN1.PTC"));
        o.TransmJrnFile.setText(QStringLiteral("C:\\MAIL2\\OUT_JRN1.PTC"));
        o.ReceiveDir.setText(QStringLiteral("C:\\MAIL2\\INCOME1"));
        o.TransmDir.setText(QStringLiteral("C:\\MAIL2\\OUTGO1"));
        o.Sounds = DefaultSoundEntry();
        o.Counters = {};
        return o;
    }();
    return options;
}

} // namespace korvane
