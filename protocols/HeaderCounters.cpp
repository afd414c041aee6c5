#include "protocols/HeaderCounters.h"

#include "platform/IntegerText.h"

#include <optional>

namespace korvane {

int FindHeaderKeyword(QStringView name)
{
    for (size_t i = 0; i < HeaderKeywords.size(); ++i) {
        const qsizetype at = name.indexOf(HeaderKeywords[i]);
        if (at >= 0)
            return at == 0 ? int(i) + 1 : 0;
    }
    return 0;
}

namespace {

constexpr qsizetype kHeaderCapacity = 100;
constexpr qsizetype kNumberDigits = 9;

// An integer by the system's rule, kept modulo 65536.
std::optional<quint16> readNumber(QStringView text)
{
    const std::optional<qint32> v = parseSystemInteger(text.left(kNumberDigits));
    if (!v)
        return std::nullopt;
    return quint16(quint32(*v));
}

bool isResetMode(QChar c)
{
    return c == u'Г' || c == u'Д' || c == u'К' || c == u'М';
}

struct Working {
    quint16 fullNumber;
    quint16 cksNumber;
    quint16 day;
    quint16 month;
};

// One group's text for the output, or nothing when the group does not pass.
std::optional<QString> handleGroup(int k, QStringView name, Working& w, TTlgCounters& counters, bool toText)
{
    const QStringView keyword = HeaderKeywords[size_t(k - 1)];
    switch (k) {
    case 1:
    case 2: {
        if (name.size() <= keyword.size())
            return std::nullopt;
        const QChar mode = name[keyword.size()];
        quint16& counter = k == 1 ? w.fullNumber : w.cksNumber;
        if (toText)
            return keyword.toString() + mode + QString::number(counter);
        if (!isResetMode(mode))
            return std::nullopt;
        const std::optional<quint16> number = readNumber(name.mid(keyword.size() + 1));
        if (!number)
            return std::nullopt;
        counter = *number;
        if (k == 1)
            counters.setFNumberMode(mode);
        else
            counters.setCKSNumberMode(mode);
        return keyword.toString() + mode;
    }
    case 3: {
        if (toText)
            return keyword.toString() + QString::number(w.day) + u'/' + QString::number(w.month);
        const QStringView rest = name.mid(keyword.size());
        const qsizetype slash = rest.indexOf(u'/');
        if (slash < 0)
            return std::nullopt;
        const std::optional<quint16> day = readNumber(rest.left(slash));
        const std::optional<quint16> month = readNumber(rest.mid(slash + 1));
        if (!day || !month || *month < 1 || *month > 12 || *day > DaysInMonth[size_t(*month - 1)])
            return std::nullopt;
        w.day = *day;
        w.month = *month;
        return keyword.toString();
    }
    default:
        if (name != keyword)
            return std::nullopt;
        return keyword.toString();
    }
}

} // namespace

bool ParseHeaderCounters(TTlgCounters& counters, QString& header, bool toText)
{
    Working w{counters.FullNumber, counters.CKSNumber, counters.Day, counters.Month};
    QString output;
    QStringView rest = header;
    bool valid = false;
    for (;;) {
        const qsizetype p = rest.indexOf(u'{');
        const qsizetype q = rest.indexOf(u'}');
        if (p < 0 && q < 0) {
            output += rest;
            valid = true;
            break;
        }
        if (p < 0 || q < 0 || q < p) {
            output += rest; // the unparsed part stays as it was
            break;
        }
        const QStringView name = rest.mid(p + 1, q - p - 1);
        const int k = FindHeaderKeyword(name);
        const std::optional<QString> group = k == 0 ? std::nullopt : handleGroup(k, name, w, counters, toText);
        if (!group) {
            output += rest; // this group and all after it stay as they were
            break;
        }
        output += rest.left(p);
        output += u'{';
        output += *group;
        output += u'}';
        rest = rest.mid(q + 1);
    }
    header = output.left(kHeaderCapacity);
    if (!toText && valid) {
        counters.FullNumber = w.fullNumber;
        counters.CKSNumber = w.cksNumber;
        counters.Day = std::uint8_t(w.day);
        counters.Month = std::uint8_t(w.month);
    }
    return valid;
}

} // namespace korvane
