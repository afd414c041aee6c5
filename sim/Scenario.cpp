#include "sim/Scenario.h"

#include "platform/serial/LineCheck.h"

#include <QFile>
#include <QRegularExpression>

#include <cstdint>
#include <limits>
#include <map>

namespace korvane::sim {

namespace {

// The built-in scenarios; sim/README.md describes each.
const std::map<QString, QString>& builtIns()
{
    static const std::map<QString, QString> scenarios = {
        {QStringLiteral("answer"), QStringLiteral("station 2345 <_2345 XYZ\n"
                                                  "do answerback\n")},
        {QStringLiteral("keyboard"), QStringLiteral("selection keyboard\n"
                                                    "station 2345 <_2345 XYZ\n"
                                                    "do answerback\n")},
        {QStringLiteral("occ"), QStringLiteral("station 2345 <_2345 XYZ\n"
                                               "reply OCC\n")},
        {QStringLiteral("nc"), QStringLiteral("station 2345 <_2345 XYZ\n"
                                              "reply NC\n")},
        {QStringLiteral("der"), QStringLiteral("station 2345 <_2345 XYZ\n"
                                               "reply DER\n")},
        {QStringLiteral("abs"), QStringLiteral("station 2345 <_2345 XYZ\n"
                                               "reply ABS\n")},
        {QStringLiteral("na"), QStringLiteral("station 2345 <_2345 XYZ\n"
                                              "reply NA\n")},
        {QStringLiteral("np"), QStringLiteral("station 2346 <_2346 ABC\n")},
        {QStringLiteral("busy"), QStringLiteral("seize busy\n"
                                                "station 2345 <_2345 XYZ\n")},
        {QStringLiteral("no-invitation"), QStringLiteral("seize none\n"
                                                         "station 2345 <_2345 XYZ\n")},
        {QStringLiteral("wrong-answerback"), QStringLiteral("station 2345 <_9999 ABC\n"
                                                            "do answerback\n")},
        {QStringLiteral("silent"), QStringLiteral("station 2345 <_2345 XYZ\n"
                                                  "do silent\n")},
        {QStringLiteral("break"), QStringLiteral("station 2345 <_2345 XYZ\n"
                                                 "do answerback\n"
                                                 "do wait 6000\n"
                                                 "do break 2000\n")},
        {QStringLiteral("tarvelox"), QStringLiteral("adapter tarvelox\n"
                                                    "stored 1 $ZCZC 0001<_TEST TELEGRAM ONE<_NNNN<_\n"
                                                    "stored 2 $ZCZC 0002<_TEST TELEGRAM TWO<_NNNN<_\n")},
        {QStringLiteral("tarvelox-load"), QStringLiteral("adapter tarvelox\n"
                                                         "program absent\n")},
        {QStringLiteral("callin"), QStringLiteral("station 2345 <_2345 XYZ\n"
                                                  "call-in 2000\n"
                                                  "do wait 500\n"
                                                  "do wru\n"
                                                  "do wait 4000\n"
                                                  "do send <_<_ZCZC 2345 XYZ<_TEST TELEGRAM FROM 2345<_NNNN<_\n"
                                                  "do wru\n"
                                                  "do wait 4000\n"
                                                  "do clear\n")},
    };
    return scenarios;
}

// A number of a scenario: decimal, 0 to MaxScenarioNumber; anything
// larger is refused, never cut to fit the count or time it sets.
constexpr qint64 MaxScenarioNumber = std::numeric_limits<std::int32_t>::max();

bool ScenarioNumber(const QString& text, qint64& v)
{
    bool ok = false;
    v = text.trimmed().toLongLong(&ok);
    return ok && v >= 0 && v <= MaxScenarioNumber;
}

std::optional<StationAction> parseAction(const QString& verb, const QString& rest, QString& why)
{
    using K = StationAction::Kind;
    bool ok = true;
    const auto ms = [&] {
        qint64 v = 0;
        ok = ScenarioNumber(rest, v);
        if (!ok)
            why = QStringLiteral("a time in milliseconds expected");
        return v;
    };
    if (verb == u"wait") {
        const qint64 v = ms();
        return ok ? std::optional<StationAction>({K::Wait, v, {}}) : std::nullopt;
    }
    if (verb == u"send")
        return StationAction{K::Send, 0, rest};
    if (verb == u"wru")
        return StationAction{K::Wru};
    if (verb == u"answerback")
        return StationAction{K::AnswerBack};
    if (verb == u"clear")
        return StationAction{K::Clear};
    if (verb == u"silent")
        return StationAction{K::Silent};
    if (verb == u"break") {
        const qint64 v = rest.trimmed().isEmpty() ? 0 : ms();
        return ok ? std::optional<StationAction>({K::Break, v, {}}) : std::nullopt;
    }
    if (verb == u"mend")
        return StationAction{K::Mend};
    why = QStringLiteral("unknown action \"%1\"").arg(verb);
    return std::nullopt;
}

} // namespace

std::optional<Scenario> Scenario::parse(const QString& text, QString* error)
{
    Scenario s;
    int lineNo = 0;
    const auto fail = [&](const QString& why) {
        if (error)
            *error = QStringLiteral("line %1: %2").arg(lineNo).arg(why);
        return std::nullopt;
    };
    const auto number = [](const QString& t, qint64& v) { return ScenarioNumber(t, v); };
    for (const QString& raw : text.split(QLatin1Char('\n'))) {
        ++lineNo;
        QString line = raw;
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char('#')))
            continue;
        // The keyword, then the rest of the line as written (texts keep their blanks).
        const qsizetype start = line.indexOf(trimmed.at(0));
        const qsizetype gap = line.indexOf(QLatin1Char(' '), start);
        const QString keyword = gap < 0 ? line.mid(start) : line.mid(start, gap - start);
        const QString rest = gap < 0 ? QString() : line.mid(gap + 1);
        const QStringList words = rest.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        qint64 v = 0;
        StationConfig* station = s.stations.empty() ? nullptr : &s.stations.back();

        if (keyword == u"line") {
            if (words.size() != 1 || !number(words[0], v) || v == 0)
                return fail(QStringLiteral("line <baud> expected"));
            s.frame.baudRate = static_cast<std::uint32_t>(v);
        } else if (keyword == u"dcd-delay") {
            if (words.size() != 1 || !number(words[0], v))
                return fail(QStringLiteral("dcd-delay <ms> expected"));
            s.dcdDelayMs = v;
        } else if (keyword == u"seize") {
            if (words == QStringList{QStringLiteral("invite")})
                s.exchange.seize = ExchangeConfig::Seize::Invite;
            else if (words == QStringList{QStringLiteral("busy")})
                s.exchange.seize = ExchangeConfig::Seize::Busy;
            else if (words == QStringList{QStringLiteral("none")})
                s.exchange.seize = ExchangeConfig::Seize::None;
            else
                return fail(QStringLiteral("seize invite, busy or none expected"));
        } else if (keyword == u"selection") {
            if (words == QStringList{QStringLiteral("keyboard")}) {
                s.exchange.keyboard = true;
            } else if (words.size() == 2 && words[0] == u"pulse"
                       && QRegularExpression(QStringLiteral("^[0-9]+$")).match(words[1]).hasMatch()) {
                s.exchange.keyboard = false;
                s.exchange.pulsePrefix = words[1];
            } else {
                return fail(QStringLiteral("selection keyboard or selection pulse <digits> expected"));
            }
        } else if (keyword == u"timing") {
            // timing <name> <ms>
            static const std::map<QString, std::int64_t ExchangeConfig::*> fields = {
                {QStringLiteral("seize"), &ExchangeConfig::seizeMs},
                {QStringLiteral("answer"), &ExchangeConfig::answerMs},
                {QStringLiteral("invite"), &ExchangeConfig::inviteMs},
                {QStringLiteral("busy"), &ExchangeConfig::busyMs},
                {QStringLiteral("connect"), &ExchangeConfig::connectMs},
                {QStringLiteral("digit-gap"), &ExchangeConfig::digitGapMs},
                {QStringLiteral("dial-timeout"), &ExchangeConfig::dialTimeoutMs},
                {QStringLiteral("clear"), &ExchangeConfig::clearMs},
                {QStringLiteral("service-clear"), &ExchangeConfig::serviceClearMs},
                {QStringLiteral("call-answer"), &ExchangeConfig::callAnswerMs},
                {QStringLiteral("guard"), &ExchangeConfig::guardMs},
            };
            const auto it = words.size() == 2 ? fields.find(words[0]) : fields.end();
            if (it == fields.end() || !number(words[1], v))
                return fail(QStringLiteral("timing <seize|answer|invite|busy|connect|digit-gap|dial-timeout|clear|"
                                           "service-clear|call-answer|guard> <ms> expected"));
            s.exchange.*(it->second) = v;
        } else if (keyword == u"adapter") {
            if (words != QStringList{QStringLiteral("tarvelox")})
                return fail(QStringLiteral("adapter tarvelox expected"));
            s.intelligent.emplace();
        } else if (keyword == u"program" || keyword == u"stored" || keyword == u"line-state" || keyword == u"fault") {
            if (!s.intelligent)
                return fail(QStringLiteral("\"%1\" before \"adapter tarvelox\"").arg(keyword));
            IntelligentAdapterConfig& a = *s.intelligent;
            if (keyword == u"program") {
                static const std::map<QString, IntelligentAdapterConfig::Program> programs = {
                    {QStringLiteral("present"), IntelligentAdapterConfig::Program::Present},
                    {QStringLiteral("absent"), IntelligentAdapterConfig::Program::Absent},
                    {QStringLiteral("refused"), IntelligentAdapterConfig::Program::Refused},
                };
                const auto it = words.size() == 1 ? programs.find(words[0]) : programs.end();
                if (it == programs.end())
                    return fail(QStringLiteral("program present, absent or refused expected"));
                a.program = it->second;
            } else if (keyword == u"stored") {
                if (words.size() < 2 || !number(words[0], v) || v > 255)
                    return fail(QStringLiteral("stored <number> <text> expected"));
                const qsizetype after = rest.indexOf(words[0]) + words[0].size();
                a.stored.push_back({static_cast<std::uint8_t>(v), rest.mid(after + 1)});
            } else if (keyword == u"line-state") {
                qint64 polls = 0;
                if (words.size() != 2 || !number(words[0], v) || v > 8 || !number(words[1], polls))
                    return fail(QStringLiteral("line-state <0..8> <polls> expected"));
                a.lineState = static_cast<std::uint8_t>(v);
                a.lineStatePolls = static_cast<int>(polls);
            } else {
                using F = IntelligentAdapter::Fault;
                static const std::map<QString, F> faults = {
                    {QStringLiteral("noreply"), F::NoReply},
                    {QStringLiteral("short"), F::ShortReply},
                    {QStringLiteral("garbage"), F::Garbage},
                    {QStringLiteral("split"), F::SplitReply},
                    {QStringLiteral("long"), F::LongReply},
                };
                qint64 times = 1;
                const auto it = words.size() >= 2 ? faults.find(words[1]) : faults.end();
                if (words.size() < 2 || words.size() > 3 || it == faults.end()
                    || !QRegularExpression(QStringLiteral("^AT[A-Z]{4}$")).match(words[0]).hasMatch()
                    || (words.size() == 3 && (!number(words[2], times) || times == 0)))
                    return fail(QStringLiteral("fault <ATxxxx> noreply|short|garbage|split|long [times] expected"));
                a.faults.push_back({words[0].toLatin1(), static_cast<std::uint8_t>(it->second), int(times)});
            }
        } else if (keyword == u"station") {
            if (words.isEmpty() || !QRegularExpression(QStringLiteral("^[0-9]+$")).match(words[0]).hasMatch())
                return fail(QStringLiteral("station <number> [answerback] expected"));
            StationConfig c;
            c.number = words[0];
            const qsizetype after = rest.indexOf(words[0]) + words[0].size();
            c.answerBack = rest.mid(after).trimmed();
            s.stations.push_back(std::move(c));
        } else if (keyword == u"reply" || keyword == u"call-in" || keyword == u"do"
                   || keyword == u"answerback-delay") {
            if (!station)
                return fail(QStringLiteral("\"%1\" before any station").arg(keyword));
            if (keyword == u"reply") {
                if (words.size() < 1 || words.size() > 2 || (words.size() == 2 && !number(words[1], v)))
                    return fail(QStringLiteral("reply <service signal> [calls] expected"));
                station->reply = words[0];
                station->replyCalls = words.size() == 2 ? int(v) : -1;
            } else if (keyword == u"call-in" || keyword == u"answerback-delay") {
                if (words.size() != 1 || !number(words[0], v))
                    return fail(QStringLiteral("%1 <ms> expected").arg(keyword));
                (keyword == u"call-in" ? station->callInMs : station->answerBackDelayMs) = v;
            } else {
                if (words.isEmpty())
                    return fail(QStringLiteral("do <action> expected"));
                const qsizetype verbEnd = rest.indexOf(words[0]) + words[0].size();
                QString why;
                const auto action = parseAction(words[0], rest.mid(verbEnd + 1), why);
                if (!action)
                    return fail(why);
                station->script.push_back(*action);
            }
        } else {
            return fail(QStringLiteral("unknown statement \"%1\"").arg(keyword));
        }
    }
    if (!serial::lineSettingsProblem(s.frame).isEmpty())
        return fail(QStringLiteral("the line's frame: ") + serial::lineSettingsProblem(s.frame));
    return s;
}

std::optional<Scenario> Scenario::load(const QString& nameOrPath, QString* error)
{
    QString text = builtInText(nameOrPath);
    if (text.isEmpty()) {
        QFile f(nameOrPath);
        if (!f.open(QIODevice::ReadOnly)) {
            if (error)
                *error = QStringLiteral("no built-in scenario and no file \"%1\"").arg(nameOrPath);
            return std::nullopt;
        }
        text = QString::fromUtf8(f.readAll());
    }
    QString why;
    std::optional<Scenario> s = parse(text, &why);
    if (!s) {
        if (error)
            *error = QStringLiteral("scenario \"%1\", %2").arg(nameOrPath, why);
        return std::nullopt;
    }
    s->name = nameOrPath;
    return s;
}

QStringList Scenario::builtInNames()
{
    QStringList names;
    for (const auto& [name, text] : builtIns())
        names << name;
    return names;
}

QString Scenario::builtInText(const QString& name)
{
    const auto it = builtIns().find(name);
    return it == builtIns().end() ? QString() : it->second;
}

} // namespace korvane::sim
