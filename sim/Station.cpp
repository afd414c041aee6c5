#include "sim/Station.h"

#include <algorithm>

namespace korvane::sim {

namespace {
constexpr std::uint8_t kWruCode = 9; // figures D
}

Station::Station(StationConfig config) : m_config(std::move(config)) {}

void Station::connected(StationLink& link, std::int64_t nowUs)
{
    m_link = &link;
    m_next = 0;
    m_busyUntil = nowUs;
    m_answerBackAt = -1;
    m_silent = false;
    m_rxRegister = NoRegister;
    m_txRegister = NoRegister;
}

void Station::disconnected()
{
    m_link = nullptr;
    m_answerBackAt = -1;
}

void Station::receive(std::uint8_t code, std::int64_t nowUs)
{
    code &= 0x1f;
    if (code == RussianRegister || code == LatinRegister || code == FiguresRegister) {
        m_rxRegister = code;
        return;
    }
    if (code == kWruCode && m_rxRegister == FiguresRegister) {
        ++m_wruReceived;
        m_received += QLatin1Char('@');
        if (!m_silent && m_link)
            m_answerBackAt = std::max(nowUs, m_busyUntil) + m_config.answerBackDelayMs * 1000;
        return;
    }
    QString text;
    const char c = static_cast<char>(code);
    DecodeTelegraph(QByteArrayView(&c, 1), text, m_rxRegister, false);
    text.replace(QChar(0x0427), QLatin1Char('4')); // figures code 10 is a 4 to this station
    text.replace(QLatin1Char('\r'), QLatin1Char('<'));
    text.replace(QLatin1Char('\n'), QLatin1Char('_'));
    m_received += text;
}

void Station::sendText(const QString& text, std::int64_t nowUs)
{
    if (m_silent || !m_link)
        return;
    QByteArray codes;
    EncodeTelegraph(text, codes, m_txRegister);
    m_busyUntil = std::max(m_busyUntil, m_link->sendCodes(codes));
    (void)nowUs;
}

std::int64_t Station::step(std::int64_t nowUs)
{
    if (!m_link)
        return -1;
    if (m_answerBackAt >= 0 && nowUs >= m_answerBackAt) {
        m_answerBackAt = -1;
        sendText(m_config.answerBack, nowUs);
    }
    while (m_link && m_next < m_config.script.size() && nowUs >= m_busyUntil && m_answerBackAt < 0) {
        const StationAction& a = m_config.script[m_next++];
        switch (a.kind) {
        case StationAction::Kind::Wait: m_busyUntil = nowUs + a.ms * 1000; break;
        case StationAction::Kind::Send: sendText(a.text, nowUs); break;
        case StationAction::Kind::Wru: sendText(QStringLiteral("@"), nowUs); break;
        case StationAction::Kind::AnswerBack: sendText(m_config.answerBack, nowUs); break;
        case StationAction::Kind::Clear: m_link->clearFromStation(); break; // may disconnect us
        case StationAction::Kind::Silent: m_silent = true; break;
        case StationAction::Kind::Break: m_link->setLineFault(true, a.ms); break;
        case StationAction::Kind::Mend: m_link->setLineFault(false, 0); break;
        }
    }
    if (!m_link)
        return -1;
    std::int64_t due = -1;
    if (m_answerBackAt >= 0)
        due = m_answerBackAt;
    if (m_next < m_config.script.size() && (due < 0 || m_busyUntil < due))
        due = std::max(m_busyUntil, nowUs + 1);
    return due;
}

} // namespace korvane::sim
