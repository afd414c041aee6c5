// Reading and writing the driver modes: section "COMMON" of KORVANE2.INI and DC2.PRO.
#include "ui/settings/DriverModesFiles.h"

#include "platform/IniFile.h"
#include "platform/MessageBox.h"
#include "platform/SafeFileWriter.h"
#include "protocols/LittleEndian.h"
#include "platform/MessageCaptions.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QAudioDevice>
#include <QMediaDevices>

#include <algorithm>
#include <array>
#include <cmath>

namespace korvane::DriverModesFiles {

namespace {

const QString SectionName = QString::fromLatin1(Section);

constexpr int InitPrnStrCapacity = 80;

const QString DefaultInitPrnStr = QStringLiteral("#27!#4") + QString(28, u'-');

constexpr std::array<std::array<std::int32_t, TDriverModes::kBadCallsValues>,
                     TDriverModes::kBadCallsCategories>
    BuiltInPolicy = {{
        {4, 300, 10, 600, 3600},  // OCC
        {4, 180, 10, 600, 3600},  // NC
        {2, 180, 1, 1, 7200},     // ~
        {1, 20, 1, 1, 3600},      // NUM
        {3, 20, 1, 1, 3600},      // STA
        {3, 300, 2, 900, 3600},   // OCC2
        {2, 120, 2, 900, 1080},   // AAB
        {2, 120, 2, 900, 1080},   // BAB
        {2, 180, 2, 900, 1080},   // DIS
    }};

QString FullPath(const QString& path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

void ShowFileError(MessageBox& box, const QString& message, const QString& path)
{
    ShowMessage(box, message + u'\r' + FullPath(path), MessageIcon::Error);
}

} // namespace

std::int32_t LimitPolicyValue(std::int32_t value)
{
    return std::clamp<std::int32_t>(value, 0, MaxPolicyValue);
}

TDriverModes DefaultModes()
{
    TDriverModes m;
    m.ModeDriver = 1;
    m.ScanPeriod = 30;
    m.MsgDelay = 6;
    m.CopyCntr = 1;
    m.LeftMargin = 0;
    m.SoundCardMode = 0;
    m.DOSPrintMode = 1;
    m.BeginTime = 9.0 / 24.0;
    m.EndTime = 19.0 / 24.0;
    m.InitPrnStr.setText(DefaultInitPrnStr);
    m.ExitConfirmation = 1;
    m.ShowDialogMode = 1;
    m.TlxLogMode = 0;
    m.PreciseTimer = 1;
    return m;
}

void SetBuiltInTables(TDriverModes& modes)
{
    static const std::array<QString, 10> columnTitles = {
        QStringLiteral("Результат вызова"), QStringLiteral("OCC"), QStringLiteral("NC"),
        QStringLiteral("~"),               QStringLiteral("NUM"), QStringLiteral("STA"),
        QStringLiteral("OCC2"),            QStringLiteral("AAB"), QStringLiteral("BAB"),
        QStringLiteral("DIS"),
    };
    static const std::array<QString, 5> rowTitles = {
        QStringLiteral("Попыток в серии"),        QStringLiteral("Интервал между попытками"),
        QStringLiteral("Количество серий"),       QStringLiteral("Интервал между сериями"),
        QStringLiteral("Интервал блокировки"),
    };
    for (auto& column : modes.BadCallsText)
        for (ShortString<30>& cell : column)
            cell = {};
    for (int c = 0; c < TDriverModes::kBadCallsTextColumns; ++c)
        modes.BadCallsText[c][0].setText(columnTitles[c]);
    for (int r = 1; r < TDriverModes::kBadCallsTextRows; ++r)
        modes.BadCallsText[0][r].setText(rowTitles[r - 1]);
    for (int c = 1; c <= TDriverModes::kBadCallsCategories; ++c)
        for (int r = 1; r <= TDriverModes::kBadCallsValues; ++r) {
            const std::int32_t v = BuiltInPolicy[c - 1][r - 1];
            modes.BadCallsPolicy[c - 1][r - 1] = v;
            modes.BadCallsText[c][r].setText(QString::number(v));
        }
}

QByteArray TablesToBytes(const TDriverModes& modes)
{
    QByteArray out;
    out.reserve(TablesSize);
    LittleEndianWriter w(out);
    for (const auto& column : modes.BadCallsText)
        for (const ShortString<30>& cell : column)
            w.bytes(cell.bytes);
    for (const auto& category : modes.BadCallsPolicy)
        for (std::int32_t v : category)
            w.i32(v);
    return out;
}

bool TablesFromBytes(QByteArrayView bytes, TDriverModes& modes)
{
    if (bytes.size() < TablesSize)
        return false;
    LittleEndianReader r(bytes.first(TablesSize));
    for (auto& column : modes.BadCallsText)
        for (ShortString<30>& cell : column) {
            r.bytes(cell.bytes);
            cell.clampLength();
        }
    for (auto& category : modes.BadCallsPolicy)
        for (std::int32_t& v : category)
            v = LimitPolicyValue(r.i32());
    return true;
}

QString TimeText(double dayFraction)
{
    int seconds = static_cast<int>(std::lround(dayFraction * 86400.0));
    seconds = std::clamp(seconds, 0, 86399);
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600)
        .arg(seconds / 60 % 60, 2, 10, QChar(u'0'))
        .arg(seconds % 60, 2, 10, QChar(u'0'));
}

bool ParseTime(const QString& text, double& dayFraction)
{
    const QStringList parts = text.trimmed().split(u':');
    if (parts.size() < 2 || parts.size() > 3)
        return false;
    std::array<int, 3> values{};
    for (qsizetype i = 0; i < parts.size(); ++i) {
        bool ok = false;
        const QString part = parts[i].trimmed();
        values[i] = part.toInt(&ok);
        if (!ok || part.isEmpty() || values[i] < 0)
            return false;
    }
    if (values[0] > 23 || values[1] > 59 || values[2] > 59)
        return false;
    dayFraction = (values[0] * 3600 + values[1] * 60 + values[2]) / 86400.0;
    return true;
}

void ReadKeys(const IniFile& ini, TDriverModes& modes)
{
    const TDriverModes d = DefaultModes();
    const QString& s = SectionName;
    modes.ModeDriver = static_cast<std::uint32_t>(
        ini.ReadInteger(s, QStringLiteral("ModeDriver"), static_cast<qint32>(d.ModeDriver)));
    modes.ScanPeriod = ScanPeriodRange.Limit(ini.ReadInteger(s, QStringLiteral("ScanPeriod"), d.ScanPeriod));
    modes.MsgDelay = MsgDelayRange.Limit(ini.ReadInteger(s, QStringLiteral("MsgDelay"), d.MsgDelay));
    modes.CopyCntr = CopyCntrRange.Limit(ini.ReadInteger(s, QStringLiteral("CopyCntr"), d.CopyCntr));
    modes.LeftMargin = LeftMarginRange.Limit(ini.ReadInteger(s, QStringLiteral("LeftMargin"), d.LeftMargin));
    modes.SoundCardMode = ini.ReadBool(s, QStringLiteral("SoundCardMode"), d.SoundCardMode != 0);
    modes.DOSPrintMode = ini.ReadBool(s, QStringLiteral("DOSPrintMode"), d.DOSPrintMode != 0);
    if (!ParseTime(ini.ReadString(s, QStringLiteral("BeginTime"), QString()), modes.BeginTime))
        modes.BeginTime = d.BeginTime;
    if (!ParseTime(ini.ReadString(s, QStringLiteral("EndTime"), QString()), modes.EndTime))
        modes.EndTime = d.EndTime;
    modes.InitPrnStr.setText(
        ini.ReadString(s, QStringLiteral("InitPrnStr"), DefaultInitPrnStr).left(InitPrnStrCapacity));
    modes.ExitConfirmation =
        ini.ReadBool(s, QStringLiteral("ExitConfirmation"), d.ExitConfirmation != 0);
    modes.ShowDialogMode = ini.ReadBool(s, QStringLiteral("ShowDialogMode"), d.ShowDialogMode != 0);
    modes.TlxLogMode = ini.ReadBool(s, QStringLiteral("TlxLogMode"), d.TlxLogMode != 0);
    modes.PreciseTimer = ini.ReadBool(s, QStringLiteral("PreciseTimer"), d.PreciseTimer != 0);
}

bool WriteKeys(IniFile& ini, const TDriverModes& modes)
{
    const QString& s = SectionName;
    bool ok = ini.WriteInteger(s, QStringLiteral("ModeDriver"), static_cast<qint32>(modes.ModeDriver));
    ok = ini.WriteInteger(s, QStringLiteral("ScanPeriod"), modes.ScanPeriod) && ok;
    ok = ini.WriteInteger(s, QStringLiteral("MsgDelay"), modes.MsgDelay) && ok;
    ok = ini.WriteInteger(s, QStringLiteral("CopyCntr"), modes.CopyCntr) && ok;
    ok = ini.WriteInteger(s, QStringLiteral("LeftMargin"), modes.LeftMargin) && ok;
    ok = ini.WriteBool(s, QStringLiteral("SoundCardMode"), modes.SoundCardMode != 0) && ok;
    ok = ini.WriteBool(s, QStringLiteral("DOSPrintMode"), modes.DOSPrintMode != 0) && ok;
    ok = ini.WriteString(s, QStringLiteral("BeginTime"), TimeText(modes.BeginTime)) && ok;
    ok = ini.WriteString(s, QStringLiteral("EndTime"), TimeText(modes.EndTime)) && ok;
    ok = ini.WriteString(s, QStringLiteral("InitPrnStr"), modes.InitPrnStr.text()) && ok;
    ok = ini.WriteBool(s, QStringLiteral("ExitConfirmation"), modes.ExitConfirmation != 0) && ok;
    ok = ini.WriteBool(s, QStringLiteral("ShowDialogMode"), modes.ShowDialogMode != 0) && ok;
    ok = ini.WriteBool(s, QStringLiteral("TlxLogMode"), modes.TlxLogMode != 0) && ok;
    ok = ini.WriteBool(s, QStringLiteral("PreciseTimer"), modes.PreciseTimer != 0) && ok;
    return ok;
}

Result SaveKeys(const QString& iniPath, const TDriverModes& modes, MessageBox& box)
{
    IniFile ini(iniPath);
    if (WriteKeys(ini, modes))
        return Ok;
    ShowFileError(box, QStringLiteral("Ошибка записи в файл настроек "), iniPath);
    return WriteFailed;
}

Result LoadTables(const QString& path, TDriverModes& modes, MessageBox& box)
{
    QFile file(path);
    // ReadWrite creates a missing file.
    if (!file.open(QIODevice::ReadWrite)) {
        ShowFileError(box, QStringLiteral("Невозможно открыть файл режимов "), path);
        SetBuiltInTables(modes);
        return CannotOpen;
    }
    const QByteArray bytes = file.read(TablesSize);
    if (!TablesFromBytes(bytes, modes)) {
        ShowFileError(box, QStringLiteral("Ошибка чтения из файла режимов "), path);
        SetBuiltInTables(modes);
    }
    return Ok;
}

Result SaveTables(const QString& path, const TDriverModes& modes, MessageBox& box)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite)) {
        ShowFileError(box, QStringLiteral("Невозможно открыть файл режимов "), path);
        return CannotOpen;
    }
    // The tables replace the file's first bytes; whatever follows them stays.
    QByteArray bytes = TablesToBytes(modes);
    if (file.size() > bytes.size() && file.seek(bytes.size()))
        bytes += file.readAll();
    file.close();
    if (!WriteFileSafely(path, bytes)) {
        ShowFileError(box, QStringLiteral("Ошибка записи в файл режимов "), path);
        return WriteFailed;
    }
    return Ok;
}

int WaveOutputDeviceCount()
{
    return static_cast<int>(QMediaDevices::audioOutputs().size());
}

TDriverModes LoadDriverModes(const QString& appDir, MessageBox& box,
                             const std::function<int()>& waveDevices)
{
    TDriverModes modes = DefaultModes();
    const QDir dir(appDir);
    ReadKeys(IniFile(dir.filePath(QString::fromLatin1(IniName))), modes);
    if (modes.SoundCardMode && waveDevices() <= 0)
        modes.SoundCardMode = 0;
    LoadTables(dir.filePath(QString::fromLatin1(TablesName)), modes, box);
    return modes;
}

} // namespace korvane::DriverModesFiles
