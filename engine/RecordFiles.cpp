#include "engine/RecordFiles.h"

#include "support/FileError.h"

#include <QFile>

namespace korvane {

namespace {
QString TwoDigits(int n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

// Cut to Width characters and padded with blanks on the right (Left) or left.
QString Fit(const QString& s, int width, bool left)
{
    const QString cut = s.left(width);
    return left ? cut.leftJustified(width, u' ') : cut.rightJustified(width, u' ');
}

// At least four digits, zero-padded.
QString Count4(std::uint16_t n)
{
    return QStringLiteral("%1").arg(n, 4, 10, QLatin1Char('0'));
}
} // namespace

QString RecordDateTime(const QDateTime& t)
{
    if (!t.isValid()) // a time never set reads as the calendar's day zero
        return RecordDateTime(QDateTime(QDate(1899, 12, 30), QTime(0, 0)));
    const QDate d = t.date();
    return TwoDigits(d.day()) + u'-' + RecordMonthNames[static_cast<std::size_t>(d.month() - 1)].toString() + u'-'
           + TwoDigits(d.year() % 100) + u' ' + RecordTime(t);
}

QString RecordTime(const QDateTime& t)
{
    const QTime time = t.isValid() ? t.time() : QTime(0, 0);
    return TwoDigits(time.hour()) + u':' + TwoDigits(time.minute()) + u':' + TwoDigits(time.second());
}

QString RecordFileHeader(const RecordHeaderFields& h)
{
    QString s = QStringLiteral("\r\n\r\n****\r\n\r\n");
    const QString start = RecordDateTime(h.ConnectionStart);
    if (!h.AdapterNote.isEmpty())
        s += h.AdapterNote + QStringLiteral("\r\n") + start;
    else if (h.ConnectionKind == 2)
        s += start;
    else
        s += start + QStringLiteral(" Входящий номер №")
             + QStringLiteral("%1").arg(h.TlgRecNo - 1, 5, 10, QLatin1Char('0'));
    return s + QStringLiteral("\r\n");
}

QString RxJournalLine(const RxJournalFields& f)
{
    QString s;
    if (!f.AdapterNote.isEmpty())
        s = f.AdapterNote + u' ';
    s += RecordDateTime(f.RxJrnStart) + QStringLiteral(" [") + Fit(f.RxJrnFile, 12, true) + QStringLiteral("] <")
         + Fit(f.PartnerAnswerBack, 16, false) + QStringLiteral("> ") + Count4(f.ConnTxCount) + u' '
         + Count4(f.ConnRxCount) + u' ' + RecordTime(f.RxJrnEnd);
    return s;
}

QString TxJournalLine(const TxJournalFields& f)
{
    return RecordDateTime(f.TxJrnStart) + QStringLiteral(" #") + Fit(f.TxJrnNumber, 10, true) + u' '
           + Fit(f.TxJrnTelegram, 12, false) + QStringLiteral(" [") + Fit(f.TxJrnRecordFile, 12, true)
           + QStringLiteral("] ") + f.TxJrnResult + u' ' + Count4(f.JrnTxCount) + u' ' + Count4(f.JrnRxCount) + u' '
           + RecordTime(f.TxJrnEnd);
}

void AppendToFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        throw FileError::openFailed(path);
    const qint64 before = file.size();
    qint64 written = 0;
    while (written < bytes.size()) {
        const qint64 n = file.write(bytes.constData() + written, bytes.size() - written);
        if (n <= 0)
            break;
        written += n;
    }
    if (written == bytes.size())
        return;
    // Nothing of a block that did not fit stays behind.
    file.resize(before);
    throw FileError::writeFailed(path);
}

} // namespace korvane
