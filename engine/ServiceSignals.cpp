#include "engine/ServiceSignals.h"

#include "platform/CodePages.h"

#include <array>
#include <utility>

namespace korvane {

namespace {

// 'Ч' is what figures code 10 decodes to unless it decodes as '4'.
QString withFigureFour(QString s)
{
    s.replace(u'Ч', u'4');
    return s;
}

} // namespace

AnswerBackCheck CheckAnswerBackText(QStringView received, const QString& expected, bool checkEnabled, bool use4)
{
    if (!checkEnabled)
        return {};

    QString s = received.toString();
    s.replace(u'\r', u'<');
    s.replace(u'\n', u'_');
    QString wanted = expected;
    if (!use4) {
        s = withFigureFour(std::move(s));
        wanted = withFigureFour(std::move(wanted));
    }
    const qsizetype position = wanted.isEmpty() ? 0 : s.indexOf(wanted) + 1;

    AnswerBackCheck result;
    result.Matched = position != 0;
    result.StepLine = QStringLiteral("=== Проверка автоответа ['%1' in '%2', %3, (Cntr=%4)]")
                          .arg(expected, s, QString::number(position), QString::number(received.size()));
    return result;
}

AnswerBackCheck CheckAnswerBack(QByteArrayView received, const QString& expected, bool checkEnabled, bool use4)
{
    if (!checkEnabled)
        return {};
    return CheckAnswerBackText(codepage::fromCp1251(received), expected, checkEnabled, use4);
}

FailureCode ClassifyServiceSignalText(QStringView received)
{
    static constexpr std::array<std::pair<QStringView, FailureCode>, 7> kSignals = {{
        {u"OCC", FailureCodes::Occ},
        {u"NC", FailureCodes::Nc},
        {u"DER", FailureCodes::Der},
        {u"ABS", FailureCodes::Abs},
        {u"CI", FailureCodes::Ci},
        {u"NA", FailureCodes::Na},
        {u"NP", FailureCodes::Np},
    }};
    for (const auto& [signal, code] : kSignals) {
        if (received.contains(signal))
            return code;
    }
    return FailureCodes::Dis;
}

FailureCode ClassifyServiceSignal(QByteArrayView received)
{
    return ClassifyServiceSignalText(codepage::fromCp1251(received));
}

} // namespace korvane
