// Lays out a program folder for a run without hardware:
//
//   korvane2-demo-folder <folder> [<channels>]
//
// KORVANE2.PRO with channels 1..<channels> (default 1) on the simple line
// adapter, KORVANE2.INI with the driver modes (message boxes close by
// themselves after 5 s, the channel log on), DC2.PRO with the built-in
// bad-calls tables, KorvaneDB/ABONENTS.DB with a few subscribers and, in
// channel 1's outgoing folder, a telegram to station 2345 and one to the busy
// station 4567. The country table and the program itself are copied in by
// the start script. Which line each channel runs on is the environment's
// business (KORVANE_COM<n>).

#include "directories/DirectoryStatements.h"
#include "directories/TxDataM.h"
#include "platform/IniFile.h"
#include "platform/MessageBox.h"
#include "platform/PathMapper.h"
#include "protocols/ChannelOptions.h"
#include "protocols/DriverModes.h"
#include "protocols/TxProtoc.h"
#include "support/OemText.h"
#include "ui/settings/DriverModesFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTextStream>

#include <cstdio>

using namespace korvane;

namespace {

// Boxes become lines on the standard error.
class ConsoleBox final : public MessageBox {
public:
    MessageResult show(const QString& text, const QString& caption, MessageIcon, MessageButtons buttons) override
    {
        QTextStream(stderr) << caption << ": " << text << '\n';
        ++count;
        return buttons == MessageButtons::Ok ? MessageResult::Ok : MessageResult::Yes;
    }
    int count = 0;
};

struct Subscriber {
    const char16_t* number;
    const char16_t* name;
    const char16_t* answerBack;
};

// Answerbacks as the line carries them: '^' figures, '$' Latin letters.
constexpr Subscriber Subscribers[] = {
    {u"2345", u"ТЕЛЕКС XYZ (ПОЛУЧАТЕЛЬ ДЕМОНСТРАЦИИ)", u"^2345 $XYZ"},
    {u"3456", u"ТЕЛЕКС DEMO (ВЫЗЫВАЕТ САМ)", u"^3456 $DEMO"},
    {u"4567", u"ПОРТ НОВОРОССИЙСК, ДИСПЕТЧЕР", u"^4567 $PORT"},
};

bool WriteTables(const QString& folder)
{
    TDriverModes modes = DriverModesFiles::DefaultModes();
    DriverModesFiles::SetBuiltInTables(modes);
    QFile tables(folder + QString::fromLatin1(DriverModesFiles::TablesName));
    if (!tables.open(QIODevice::WriteOnly))
        return false;
    return tables.write(DriverModesFiles::TablesToBytes(modes)) == DriverModesFiles::TablesSize;
}

bool WriteIni(const QString& folder)
{
    IniFile ini(folder + QString::fromLatin1(DriverModesFiles::IniName));
    TDriverModes modes = DriverModesFiles::DefaultModes();
    DriverModesFiles::ReadKeys(ini, modes);
    // A box that nobody answers does not hold the demonstration up, and
    // the log follows every step of the channel.
    modes.MsgDelay = 5;
    modes.TlxLogMode = 1;
    // The network's figures code 10 is the digit 4.
    modes.ModeDriver |= DriverMode::FigsTenIsFour;
    const QString common = QString::fromLatin1(DriverModesFiles::Section);
    return DriverModesFiles::WriteKeys(ini, modes) && ini.WriteInteger(common, QStringLiteral("Left"), 0)
           && ini.WriteInteger(common, QStringLiteral("Top"), 0)
           && ini.WriteInteger(common, QStringLiteral("Width"), 1000)
           && ini.WriteInteger(common, QStringLiteral("Height"), 720);
}

bool WriteProtocols(const QString& folder, int channels, MessageBox& box)
{
    TProtocol store(box);
    store.SetProName(folder + QStringLiteral("KORVANE2.PRO"));
    store.SetIniName(folder + QStringLiteral("KORVANE2.INI"));
    store.Load();
    if (!store.Set())
        return false;
    for (int c = 1; c <= channels; ++c)
        store.Set()->Channels[static_cast<std::size_t>(c - 1)].AdapterType = 1; // the simple line adapter
    store.Save();
    return true;
}

bool WriteSubscribers(const QString& folder, MessageBox& box)
{
    QDir(folder).mkpath(QStringLiteral("KorvaneDB"));
    TTxDataModule module(folder + QStringLiteral("KorvaneDB"), box);
    for (const Subscriber& s : Subscribers) {
        PrepareAbonentAdd(module.DynamicQuery, QString::fromUtf16(s.number), QString::fromUtf16(s.name),
                          QString::fromUtf16(s.answerBack));
        if (!module.DynamicQuery.ExecSQL())
            return false;
    }
    return true;
}

bool WriteTelegrams(const QString& folder)
{
    // Channel 1's outgoing folder as its settings name it.
    const PathMapper paths(folder);
    const QString outgoing = paths.toNative(QStringLiteral("C:\\MAIL2\\OUTGO1"));
    if (!QDir().mkpath(outgoing))
        return false;
    OemLines temp;
    SaveOemStrings(outgoing + QStringLiteral("/TEL00001.TLG"), temp,
                   {QStringLiteral("|#2345 XYZ"), QStringLiteral("ZCZC"),
                    QStringLiteral("ПЕРВАЯ ТЕЛЕГРАММА НОВОГО ТЕРМИНАЛА"), QStringLiteral("NNNN")});
    // Station 4567 is busy: its call lands in the ineffective calls' list.
    SaveOemStrings(outgoing + QStringLiteral("/TEL00002.TLG"), temp,
                   {QStringLiteral("|#4567 PORT"), QStringLiteral("ZCZC"),
                    QStringLiteral("ПРОШУ ПОДТВЕРДИТЬ ПРИХОД СУДНА"), QStringLiteral("NNNN")});
    return QFile::exists(outgoing + QStringLiteral("/TEL00001.TLG"))
        && QFile::exists(outgoing + QStringLiteral("/TEL00002.TLG"));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 2 || args.size() > 3) {
        std::fputs("usage: korvane2-demo-folder <folder> [<channels 1..8>]\n", stderr);
        return 2;
    }
    const int channels = args.size() == 3 ? args.at(2).toInt() : 1;
    if (channels < 1 || channels > 8) {
        std::fputs("korvane2-demo-folder: channels must be 1..8\n", stderr);
        return 2;
    }
    QString folder = QDir(args.at(1)).absolutePath();
    if (!QDir().mkpath(folder)) {
        std::fputs("korvane2-demo-folder: cannot create the folder\n", stderr);
        return 1;
    }
    folder += QLatin1Char('/');

    ConsoleBox box;
    const bool ok = WriteTables(folder) && WriteIni(folder) && WriteProtocols(folder, channels, box)
                    && WriteSubscribers(folder, box) && WriteTelegrams(folder);
    if (!ok || box.count > 0) {
        std::fputs("korvane2-demo-folder: the folder could not be laid out\n", stderr);
        return 1;
    }
    return 0;
}
