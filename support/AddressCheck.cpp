#include "support/AddressCheck.h"

#include "platform/IntegerText.h"

#include "platform/MessageBox.h"

#include <algorithm>
#include <initializer_list>

namespace korvane {

namespace {

constexpr QChar SendMark = u'#';
constexpr QChar DoneMark = u'*';
constexpr QChar BlockedMark = u'~';

// Positions count from 0 here; the first mark may stand no earlier than
// the eighth character of the line.
constexpr qsizetype FirstMarkMinIndex = 7;
constexpr qsizetype MaxAnswerbackLength = 20;

bool isMark(QChar c)
{
    return c == SendMark || c == DoneMark || c == BlockedMark;
}

bool isSeparator(QChar c)
{
    return c == u'+' || c == u'-' || c == u'.';
}

// Where the next item of an address line ends (one past its last
// character): after the first '/', else after the first run of spaces,
// else at the end of the line. A '/' or a space inside an open '(' does
// not end the item: it belongs to the answerback.
qsizetype itemEnd(QStringView line)
{
    bool open = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (open)
            open = c != u')';
        else if (c == u'(')
            open = true;
        else if (c == u'/')
            return i + 1;
    }
    open = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (open) {
            open = c != u')';
        } else if (c == u'(') {
            open = true;
        } else if (c == u' ') {
            qsizetype j = i;
            while (j < line.size() && line[j] == u' ')
                ++j;
            return j;
        }
    }
    return line.size();
}

bool atMost(HeaderErrorCode code, HeaderErrorCode limit)
{
    return static_cast<int>(code) <= static_cast<int>(limit);
}

} // namespace

bool IsAnswerbackChar(QChar c)
{
    return AnswerbackCharSet.find(c.unicode()) != std::u16string_view::npos;
}

HeaderErrorCode CheckHeaderNumber(QString s)
{
    HeaderErrorCode result = HeaderErrorCode::NoNumber;
    const qsizetype question = s.indexOf(u'?');
    if (question >= 0)
        s.remove(question, 1);
    do {
        qsizetype sep = -1;
        for (qsizetype i = 0; i < s.size(); ++i) {
            if (isSeparator(s[i])) {
                sep = i;
                break;
            }
        }
        const QString group = sep < 0 ? s : s.left(sep);
        s = sep < 0 ? QString() : s.mid(sep);
        if (!group.isEmpty()) {
            if (!parseSystemInteger(group))
                return HeaderErrorCode::BadNumber;
            result = HeaderErrorCode::Correct;
        }
        if (!s.isEmpty() && s[0] != u'(')
            s.remove(0, 1);
    } while (!s.isEmpty() && result == HeaderErrorCode::Correct);
    return result;
}

HeaderErrorCode ParseHeaderLine(QString& line)
{
    HeaderErrorCode result = HeaderErrorCode::NoNumber;
    QString done;
    bool hadNumber = false;

    // A blocked mark is examined as a send mark (and becomes one): the two
    // count as one kind here, so a line the check has fixed checks the same
    // again. First is the first mark of any kind; Last the later of the
    // first done mark and the first send or blocked mark.
    const auto firstOf = [&line](std::initializer_list<QChar> marks) {
        qsizetype found = -1;
        for (const QChar mark : marks)
            if (const qsizetype p = line.indexOf(mark); p >= 0)
                found = found < 0 ? p : std::min(found, p);
        return found;
    };
    const qsizetype firstDone = firstOf({DoneMark});
    const qsizetype firstSend = firstOf({SendMark, BlockedMark});
    const qsizetype first = firstDone < 0 ? firstSend : firstSend < 0 ? firstDone : std::min(firstDone, firstSend);
    const qsizetype last = std::max(firstDone, firstSend);

    if (first >= 0 && last != line.size() - 1) {
        const QString prefix = line.left(first);
        done = prefix;
        if (!prefix.startsWith(u'|') && !prefix.startsWith(u' '))
            return HeaderErrorCode::StrayCharacters;
        if (first < FirstMarkMinIndex)
            return HeaderErrorCode::TooFewSpaces;
        line.remove(0, first);
        result = HeaderErrorCode::NoNumberToSend;

        while (!line.isEmpty() && atMost(result, HeaderErrorCode::NoNumberToSend)) {
            QString item = line.left(itemEnd(line));
            line.remove(0, item.size());
            if (item.startsWith(BlockedMark))
                item[0] = SendMark;
            done += item;

            if (!isMark(item[0])) {
                result = HeaderErrorCode::NoNumberAfterSlash;
                break;
            }
            if (line.isEmpty() && item.endsWith(u'/')) {
                result = HeaderErrorCode::NoNumberAfterSlash;
                break;
            }

            if (item.endsWith(u'/')) {
                item.chop(1);
            } else {
                while (item.endsWith(u' '))
                    item.chop(1);
            }

            QString numberPart = item;
            const qsizetype open = item.indexOf(u'(');
            if (open >= 0) {
                const qsizetype close = item.indexOf(u')');
                if (close < 0) {
                    result = HeaderErrorCode::NoClosingParenthesis;
                } else {
                    numberPart = item.left(open);
                    if (close != item.size() - 1) {
                        result = HeaderErrorCode::StrayCharacters;
                    } else {
                        const QStringView answerback =
                            QStringView(item).mid(open + 1, close - open - 1);
                        if (answerback.size() > MaxAnswerbackLength) {
                            result = HeaderErrorCode::AnswerbackTooLong;
                        } else {
                            for (const QChar c : answerback) {
                                if (!IsAnswerbackChar(c)) {
                                    result = HeaderErrorCode::AnswerbackBadCharacter;
                                    break;
                                }
                            }
                        }
                    }
                }
            }

            if (atMost(result, HeaderErrorCode::NoNumberToSend) && numberPart.startsWith(SendMark)) {
                hadNumber = true;
                const QString number = numberPart.mid(1);
                result = number.isEmpty() ? HeaderErrorCode::NoNumber : CheckHeaderNumber(number);
            }

            if (!done.endsWith(u'/') && !line.isEmpty())
                result = HeaderErrorCode::StrayCharacters;
        }
    }

    line = done + line;
    if (result != HeaderErrorCode::Correct)
        return result;
    return hadNumber ? HeaderErrorCode::Correct : HeaderErrorCode::NoNumberToSend;
}

HeaderErrorCode CheckHeader(QStringList& lines, int& errPos, bool fix)
{
    errPos = 0;
    HeaderErrorCode res = HeaderErrorCode::Correct;
    int examined = 0;
    for (qsizetype i = 0; i < lines.size() && res == HeaderErrorCode::Correct; ++i) {
        const QString& line = lines[i];
        if (line.isEmpty() || !line.startsWith(u'|'))
            break;
        errPos += static_cast<int>(line.size());
        QString copy = line;
        const HeaderErrorCode r = ParseHeaderLine(copy);
        ++examined;
        if (r == HeaderErrorCode::Correct) {
            if (fix)
                lines[i] = copy;
        } else if (r != HeaderErrorCode::NoNumberToSend) {
            res = r;
        }
    }
    if (examined > 0)
        errPos += 2 * (examined - 1);
    if (!lines.isEmpty() && examined == 0)
        return HeaderErrorCode::NoHeader;
    return res;
}

QString HeaderErrorText(HeaderErrorCode code, const QString& fileName)
{
    const QString name = fileName.left(79);
    const QString inFile = QStringLiteral("В файле ") + name;
    switch (code) {
    case HeaderErrorCode::Correct:
        return QString();
    case HeaderErrorCode::NoNumberToSend:
        return QStringLiteral("Файл ") + name + QStringLiteral(" не содержит номеров для передачи");
    case HeaderErrorCode::BadNumber:
        return inFile + QStringLiteral(" неверное значение номера абонента");
    case HeaderErrorCode::TooFewSpaces:
        return inFile + QStringLiteral(" недостаточно пробелов перед номером абонента");
    case HeaderErrorCode::NoHeader:
        return inFile + QStringLiteral(" неверный или отсутствующий заголовок");
    case HeaderErrorCode::StrayCharacters:
        return inFile + QStringLiteral(" посторонние символы в заголовке");
    case HeaderErrorCode::NoNumber:
        return inFile + QStringLiteral(" отсутствует номер в заголовке");
    case HeaderErrorCode::NoClosingParenthesis:
        return inFile + QStringLiteral(" после '(' отсутствует ')' в заголовке");
    case HeaderErrorCode::AnswerbackTooLong:
        return inFile + QStringLiteral(" автоответ превышает допустимую длину");
    case HeaderErrorCode::AnswerbackBadCharacter:
        return inFile + QStringLiteral(" нетелеграфные символы в автоответе");
    case HeaderErrorCode::NoNumberAfterSlash:
        return inFile + QStringLiteral(" после '/' отсутствует номер в заголовке");
    }
    return QStringLiteral("Ошибка в заголовке файла ") + name;
}

void ShowHeaderError(HeaderErrorCode code, const QString& fileName, MessageBox& box)
{
    if (code == HeaderErrorCode::Correct)
        return;
    box.show(HeaderErrorText(code, fileName),
             QString::fromUtf16(HeaderErrorCaption.data(), static_cast<qsizetype>(HeaderErrorCaption.size())),
             MessageIcon::Error, MessageButtons::Ok);
}

} // namespace korvane
