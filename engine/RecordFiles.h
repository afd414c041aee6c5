#pragma once

// Record files and journals of a channel: the text of each connection is
// appended to a record file in blocks, each behind its own header, and each
// connection adds one line to the channel's receive or transmit journal.
// Both are OEM (CP866) text files. This file holds their formats and the
// appending; the channel driver decides what goes where.

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringView>

#include <array>
#include <cstdint>

namespace korvane {

// The month abbreviations of the record and journal dates.
inline constexpr std::array<QStringView, 12> RecordMonthNames = {
    u"янв", u"фев", u"мар", u"апр", u"май", u"июн", u"июл", u"авг", u"сен", u"окт", u"ноя", u"дек",
};

// "dd-mmm-yy hh:nn:ss" ("05-дек-26 09:07:03"), 18 characters.
QString RecordDateTime(const QDateTime& t);
// "hh:nn:ss".
QString RecordTime(const QDateTime& t);

// What a record file block's header says of its connection.
struct RecordHeaderFields {
    QDateTime ConnectionStart;
    std::uint8_t ConnectionKind = 0; // 2: automatic transmission
    QString AdapterNote;             // a telegram fetched from the adapter; empty otherwise
    std::int32_t TlgRecNo = 0;       // the driver's next received telegram number
};

// The header written before every block: CR LF CR LF "****" CR LF CR LF and
// then, for a telegram the adapter delivered, its note, CR LF and the start;
// for an automatic transmission the start; for anything else the start and
// " Входящий номер №" with TlgRecNo - 1 (five digits at least); CR LF.
QString RecordFileHeader(const RecordHeaderFields& h);

// A receive journal line, without its CR LF: AdapterNote and a blank first
// when there is a note, then start, [file name], <partner answerback>, the
// codes sent and received, the end.
struct RxJournalFields {
    QString AdapterNote;
    QDateTime RxJrnStart;
    QString RxJrnFile;
    QString PartnerAnswerBack;
    std::uint16_t ConnTxCount = 0;
    std::uint16_t ConnRxCount = 0;
    QDateTime RxJrnEnd;
};
QString RxJournalLine(const RxJournalFields& f);

// A transmit journal line, without its CR LF: start, #number, telegram,
// [record file], result text, the codes sent and received, the end.
struct TxJournalFields {
    QDateTime TxJrnStart;
    QString TxJrnNumber;
    QString TxJrnTelegram;
    QString TxJrnRecordFile;
    QString TxJrnResult;
    std::uint16_t JrnTxCount = 0;
    std::uint16_t JrnRxCount = 0;
    QDateTime TxJrnEnd;
};
QString TxJournalLine(const TxJournalFields& f);

// Appends Bytes to the file Path (created when missing) in one piece: when
// they cannot all be written the file is cut back to its former length, so
// a later attempt never finds half a block. Throws FileError: "Ошибка
// открытия файла <Path>" when the file cannot be opened or created, a
// write error when the bytes are not written.
void AppendToFile(const QString& path, const QByteArray& bytes);

} // namespace korvane
