#include "engine/elements/AdapterFiledMark.h"

#include "engine/AdapterStatus.h"
#include "engine/PendingFileWork.h"
#include "platform/IniFile.h"
#include "protocols/TxProtoc.h"
#include "support/FileError.h"

#include <utility>

namespace korvane {

namespace {
const QString kFiledKey = QStringLiteral("AdapterFiled");

QString Value(const QByteArray& header)
{
    return QString::fromLatin1(header.toHex().toUpper());
}
} // namespace

AdapterFiledMark::AdapterFiledMark(int channel, QString iniFileName)
    : channel_(channel), iniFileName_(std::move(iniFileName))
{
}

QByteArray AdapterFiledMark::Load() const
{
    const IniFile ini(iniFileName_);
    const QString text = ini.ReadString(ChannelSectionName(channel_), kFiledKey, QString()).trimmed();
    const QByteArray header = QByteArray::fromHex(text.toLatin1());
    // Anything but a whole header in hexadecimal marks nothing.
    if (header.size() != int(StoredTelegramHeader::WireSize) || header.toHex().toUpper() != text.toLatin1().toUpper())
        return {};
    return header;
}

void AdapterFiledMark::Save(const QByteArray& header) const
{
    IniFile ini(iniFileName_);
    if (!ini.WriteString(ChannelSectionName(channel_), kFiledKey, Value(header)))
        throw FileError::writeFailed(iniFileName_);
}

FileWorkItem AdapterFiledMark::SaveAfter(const QByteArray& header, const QString& connection) const
{
    FileWorkItem item;
    item.kind = FileWorkItem::Kind::Setting;
    item.connection = connection;
    item.path = iniFileName_;
    item.target = ChannelSectionName(channel_);
    item.number = kFiledKey;
    item.bytes = Value(header).toUtf8();
    return item;
}

bool AdapterFiledMark::Waiting(const PendingFileWork& work) const
{
    return work.SettingWaiting(iniFileName_, ChannelSectionName(channel_), kFiledKey);
}

} // namespace korvane
