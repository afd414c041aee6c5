#include "protocols/TxProtoc.h"

#include "platform/IniFile.h"
#include "platform/SafeFileWriter.h"
#include "protocols/DefaultProtocols.h"
#include "protocols/ErrorBox.h"
#include "protocols/ProtocolFile.h"
#include "protocols/StoreLog.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>

#include <exception>

namespace korvane {

QString AppDir;
QString DBPath;

void SetAppPaths(const QString& programFolder)
{
    AppDir = programFolder;
    if (!AppDir.endsWith(u'/'))
        AppDir += u'/';
    DBPath = AppDir + QStringLiteral("KorvaneDB");
}

QString ChannelSectionName(int channel)
{
    QString name = QStringLiteral("CHANNEL #1");
    name[name.size() - 1] = QChar(u'0' + channel);
    return name;
}

TProtocol::TProtocol(MessageBox& box, const Clock& clock)
    : m_box(box)
    , m_clock(clock)
{
}

TProtocol::~TProtocol() = default;

void TProtocol::Load()
{
    LoadFrom(FSet);
}

void TProtocol::Reload()
{
    FSet.reset();
    Load();
}

void TProtocol::Save()
{
    SaveTo(FSet);
}

void TProtocol::CreateDefault()
{
    int err = 0;
    FSet = BuildDefaultProtocolSet(err, m_box);
}

void TProtocol::showError(const QString& text) const
{
    showErrorBox(m_box, text + u'\r' + FProName);
}

QString TProtocol::keepAside() const
{
    QString target = FProName + QStringLiteral(".BAD");
    for (int n = 2; QFileInfo::exists(target); ++n) {
        if (n > 9999)
            return QString();
        target = FProName + QStringLiteral(".BAD") + QString::number(n);
    }
    return QFile::rename(FProName, target) ? target : QString();
}

bool TProtocol::LoadFrom(std::unique_ptr<TProtocolSet>& set)
{
    bool needDefaults = false;
    bool writeDefaults = true;
    QFile file(FProName);
    const bool opened = file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly)
        || file.open(QIODevice::ReadOnly | QIODevice::ExistingOnly);
    if (!opened) {
        QFile created(FProName);
        if (QFileInfo::exists(FProName) || !created.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            showError(QStringLiteral("Невозможно создать файл протоколов:"));
            return false;
        }
        created.close();
        needDefaults = true;
    } else {
        try {
            int err = 0;
            ReadProtocolSet(file, set, err, m_box);
            file.close();
        } catch (const std::exception&) {
            file.close();
            set.reset();
            showError(QStringLiteral("Ошибка чтения из файла протоколов "));
            const QString keptAs = keepAside();
            if (keptAs.isEmpty()) {
                WriteStoreLog(QStringLiteral("Файл протоколов %1 не удалось сохранить в сторону; он оставлен без изменений, действуют протоколы по умолчанию")
                                  .arg(FProName));
                writeDefaults = false;
            } else {
                WriteStoreLog(QStringLiteral("Нечитаемый файл протоколов %1 сохранен как %2").arg(FProName, keptAs));
            }
            needDefaults = true;
        }
    }
    if (needDefaults) {
        int err = 0;
        set = BuildDefaultProtocolSet(err, m_box);
        if (writeDefaults)
            SaveTo(set);
    }
    ReadCounters(*set);
    return true;
}

bool TProtocol::SaveTo(std::unique_ptr<TProtocolSet>& set)
{
    if (!set)
        return false;
    // Replacing the file by a new one would get round its write protection,
    // so a file marked read-only is never replaced.
    const QFileInfo info(FProName);
    // (the mode bits; the current user's own may allow writing regardless)
    constexpr QFile::Permissions kAnyWrite = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    if (info.exists() && (!info.isWritable() || !(info.permissions() & kAnyWrite))) {
        showError(QStringLiteral("Невозможно открыть и сохранить файл протоколов "));
        return false;
    }
    QBuffer image;
    image.open(QIODevice::WriteOnly);
    try {
        WriteProtocolSet(image, *set);
    } catch (const std::exception&) {
        showError(QStringLiteral("Ошибка записи в файл протоколов "));
        return false;
    }
    if (!QFileInfo::exists(QFileInfo(FProName).absolutePath())) {
        showError(QStringLiteral("Невозможно открыть и сохранить файл протоколов "));
        return false;
    }
    if (!WriteFileSafely(FProName, image.data())) {
        showError(QStringLiteral("Ошибка записи в файл протоколов "));
        return false;
    }
    return true;
}

namespace {

// The INI value when it fits the field, else the default.
qint32 readBounded(const IniFile& ini, const QString& section, const QString& key, qint32 dflt, qint32 max)
{
    const qint32 v = ini.ReadInteger(section, key, dflt);
    return v < 0 || v > max ? dflt : v;
}

QChar readMode(const IniFile& ini, const QString& section, const QString& key, QChar dflt)
{
    const QString s = ini.ReadString(section, key, QString(dflt));
    return s.isEmpty() ? dflt : s.front();
}

} // namespace

void TProtocol::ReadCounters(TProtocolSet& set) const
{
    const IniFile ini(FIniName);
    const QDate today = m_clock.today();
    for (int n = 1; n <= kChannelCount; ++n) {
        const QString section = ChannelSectionName(n);
        TTlgCounters& c = set.Channels[size_t(n - 1)].Counters;
        c.Day = std::uint8_t(readBounded(ini, section, QStringLiteral("TlgCntDay"), today.day(), 255));
        c.Month = std::uint8_t(readBounded(ini, section, QStringLiteral("TlgCntMonth"), today.month(), 255));
        c.FullNumber = std::uint16_t(readBounded(ini, section, QStringLiteral("TlgCntFullNumber"), 1, 65535));
        c.CKSNumber = std::uint16_t(readBounded(ini, section, QStringLiteral("TlgCntCKSNumber"), 1, 65535));
        c.setFNumberMode(readMode(ini, section, QStringLiteral("TlgFNumberMode"), u'М'));
        c.setCKSNumberMode(readMode(ini, section, QStringLiteral("TlgCKSNumberMode"), u'Д'));
    }
}

} // namespace korvane
