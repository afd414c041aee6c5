#include "sim/Exchange.h"

#include "sim/Transcript.h"

#include <algorithm>
#include <array>

namespace korvane::sim {

namespace {

void earliest(std::int64_t& due, std::int64_t t)
{
    if (t >= 0 && (due < 0 || t < due))
        due = t;
}

QString digitsOf(const QString& number)
{
    QString d;
    for (QChar c : number)
        if (c.isDigit())
            d += c;
    return d;
}

} // namespace

Exchange::Exchange(ExchangeConfig config, SimpleAdapter& adapter, std::vector<StationConfig> stations,
                   Transcript* transcript)
    : m_config(std::move(config)), m_adapter(adapter), m_transcript(transcript)
{
    for (StationConfig& s : stations)
        m_stations.push_back(std::make_unique<Station>(std::move(s)));
    m_called.assign(m_stations.size(), false);
    m_refused.assign(m_stations.size(), 0);
    m_outPlus = m_adapter.outputPlus();
}

Exchange::~Exchange() = default;

Station* Exchange::station(const QString& number)
{
    const QString wanted = digitsOf(number);
    for (const auto& s : m_stations)
        if (digitsOf(s->config().number) == wanted)
            return s.get();
    return nullptr;
}

void Exchange::note(std::int64_t us, const QString& what)
{
    if (m_transcript)
        m_transcript->add(us, what);
}

std::int64_t Exchange::step(std::int64_t nowUs)
{
    m_nowUs = nowUs;
    if (m_startUs < 0)
        m_startUs = nowUs;
    for (const SimpleAdapter::Event& e : m_adapter.poll()) {
        m_nowUs = std::max(nowUs, e.us);
        if (e.kind == SimpleAdapter::Event::Kind::Polarity)
            onPolarity(e.plus, e.us);
        else
            onCode(e.code, e.us);
    }
    m_nowUs = nowUs;

    if (m_pulseEndUs >= 0 && nowUs >= m_pulseEndUs) {
        m_pulseEndUs = -1;
        m_adapter.setInput(false);
    }
    if (m_faultEndUs >= 0 && nowUs >= m_faultEndUs) {
        m_faultEndUs = -1;
        m_adapter.setFault(false);
    }

    // A '+' that lasts is a seize (the exchange answers from its start).
    if (m_state == State::Free && m_outPlus && nowUs >= m_outSinceUs + m_config.seizeMs * 1000) {
        note(m_outSinceUs, QStringLiteral("seize"));
        m_state = State::Seized;
        m_timerUs = m_outSinceUs + m_config.answerMs * 1000;
    }

    // The terminal holds the line in every state but the free one and an
    // incoming call; a '-' longer than a dial pulse is its clearing.
    const bool holds = m_state != State::Free && m_state != State::CallingIn;
    const std::int64_t clearAt = m_outSinceUs + m_config.clearMs * 1000;
    if (holds && !m_outPlus && nowUs >= clearAt) {
        note(clearAt, QStringLiteral("clear"));
        if (m_state != State::FarCleared)
            note(nowUs, QStringLiteral("confirm"));
        toFree(nowUs);
    }

    if (m_state == State::Dialling && m_pulses > 0 && m_outPlus
        && nowUs >= m_lastPulseEndUs + m_config.digitGapMs * 1000) {
        const int digit = m_pulses % 10;
        m_pulses = 0;
        m_dialled += QString::number(digit);
        note(nowUs, QStringLiteral("digit %1").arg(digit));
        m_timerUs = nowUs + (m_dialled == m_config.pulsePrefix ? m_config.connectMs : m_config.dialTimeoutMs) * 1000;
    }

    if (m_timerUs >= 0 && nowUs >= m_timerUs) {
        m_timerUs = -1;
        switch (m_state) {
        case State::Seized:
            if (m_config.seize == ExchangeConfig::Seize::Busy) {
                m_adapter.setInput(true);
                m_pulseEndUs = nowUs + m_config.busyMs * 1000;
                note(nowUs, QStringLiteral("busy %1").arg(m_config.busyMs));
                m_state = State::Busy;
            } else if (m_config.seize == ExchangeConfig::Seize::None) {
                m_state = State::Dead;
            } else if (m_config.keyboard) {
                m_adapter.setInput(true);
                note(nowUs, QStringLiteral("proceed"));
                m_state = State::Selecting;
                m_dialled.clear();
                m_selectRegister = NoRegister;
            } else {
                m_adapter.setInput(true);
                m_pulseEndUs = nowUs + m_config.inviteMs * 1000;
                note(nowUs, QStringLiteral("invite %1").arg(m_config.inviteMs));
                m_state = State::Dialling;
                m_timerUs = nowUs + m_config.dialTimeoutMs * 1000;
            }
            break;
        case State::Dialling:
            if (m_pulses > 0) {
                m_timerUs = nowUs + m_config.digitGapMs * 1000; // a digit is still being dialled
            } else if (m_dialled.isEmpty() || m_dialled == m_config.pulsePrefix) {
                // On to keyboard selection: the line goes '+'.
                m_pulseEndUs = -1;
                m_adapter.setInput(true);
                note(nowUs, QStringLiteral("proceed"));
                m_state = State::Selecting;
                m_dialled.clear();
                m_selectRegister = NoRegister;
            } else {
                numberComplete(m_dialled, nowUs);
            }
            break;
        case State::Selecting:
            if (m_pending)
                connect(*m_pending, nowUs);
            break;
        case State::Refused:
            m_adapter.setInput(false);
            note(nowUs, QStringLiteral("release"));
            m_state = State::FarCleared;
            break;
        case State::CallingIn:
            m_pending = nullptr;
            toFree(nowUs);
            break;
        default:
            break;
        }
    }

    if (m_state == State::Free && nowUs >= guardEndUs()) {
        for (std::size_t i = 0; i < m_stations.size(); ++i) {
            const StationConfig& c = m_stations[i]->config();
            if (m_called[i] || c.callInMs < 0 || nowUs < m_startUs + c.callInMs * 1000)
                continue;
            m_called[i] = true;
            m_pending = m_stations[i].get();
            m_state = State::CallingIn;
            m_adapter.setInput(true);
            note(nowUs, QStringLiteral("call %1").arg(c.number));
            m_timerUs = nowUs + m_config.callAnswerMs * 1000;
            break;
        }
    }

    std::int64_t due = -1;
    if (m_peer)
        earliest(due, m_peer->step(nowUs));
    earliest(due, m_timerUs);
    earliest(due, m_pulseEndUs);
    earliest(due, m_faultEndUs);
    if (m_state != State::Free && m_state != State::CallingIn && !m_outPlus)
        earliest(due, m_outSinceUs + m_config.clearMs * 1000);
    if (m_state == State::Dialling && m_pulses > 0 && m_outPlus)
        earliest(due, m_lastPulseEndUs + m_config.digitGapMs * 1000);
    if (m_state == State::Free && m_outPlus)
        earliest(due, m_outSinceUs + m_config.seizeMs * 1000);
    if (m_state == State::Free)
        for (std::size_t i = 0; i < m_stations.size(); ++i)
            if (!m_called[i] && m_stations[i]->config().callInMs >= 0)
                earliest(due, std::max(guardEndUs(), m_startUs + m_stations[i]->config().callInMs * 1000));
    if (due >= 0 && due <= nowUs)
        due = nowUs + 1; // again at the next opportunity
    return due;
}

void Exchange::onPolarity(bool plus, std::int64_t us)
{
    if (plus == m_outPlus)
        return;
    const std::int64_t since = m_outSinceUs;
    m_outPlus = plus;
    m_outSinceUs = us;
    if (!plus)
        return;
    const std::int64_t minusMs = (us - since) / 1000;
    switch (m_state) {
    case State::CallingIn:
        if (m_pending)
            connect(*m_pending, us);
        break;
    case State::Dialling:
        if (minusMs < m_config.clearMs) {
            ++m_pulses;
            m_lastPulseEndUs = us;
            note(since, QStringLiteral("pulse %1").arg(minusMs));
        }
        break;
    default:
        break;
    }
}

void Exchange::onCode(std::uint8_t code, std::int64_t us)
{
    if (m_state == State::Connected && m_peer) {
        m_peer->receive(code, us);
        return;
    }
    if (m_state != State::Selecting || m_pending)
        return;
    // Selection is read by code in the figures register: digits and the
    // closing '+' (figures code 10 is the digit 4 whatever it shows as).
    static constexpr auto kFigures = [] {
        std::array<char, 32> t{};
        t[22] = '0', t[23] = '1', t[19] = '2', t[1] = '3', t[10] = '4';
        t[16] = '5', t[21] = '6', t[7] = '7', t[6] = '8', t[24] = '9', t[17] = '+';
        return t;
    }();
    code &= 0x1f;
    if (code == RussianRegister || code == LatinRegister || code == FiguresRegister) {
        m_selectRegister = code;
        return;
    }
    if (m_selectRegister != FiguresRegister || kFigures[code] == 0)
        return;
    if (kFigures[code] == '+')
        numberComplete(m_dialled, us);
    else
        m_dialled += QLatin1Char(kFigures[code]);
}

std::size_t Exchange::stationIndex(const Station& s) const
{
    for (std::size_t i = 0; i < m_stations.size(); ++i)
        if (m_stations[i].get() == &s)
            return i;
    return 0;
}

void Exchange::numberComplete(QString number, std::int64_t nowUs)
{
    note(nowUs, QStringLiteral("select %1").arg(number));
    m_dialled.clear();
    Station* s = station(number);
    if (!s) {
        refuse(QStringLiteral("NP"), nowUs);
    } else if (const int i = stationIndex(*s); !s->config().reply.isEmpty()
               && (s->config().replyCalls < 0 || m_refused[i] < s->config().replyCalls)) {
        ++m_refused[i];
        refuse(s->config().reply, nowUs);
    } else {
        m_pending = s;
        m_state = State::Selecting;
        m_timerUs = nowUs + m_config.connectMs * 1000;
    }
}

void Exchange::connect(Station& station, std::int64_t nowUs)
{
    m_pending = nullptr;
    m_peer = &station;
    m_state = State::Connected;
    m_timerUs = -1;
    m_adapter.setInput(true);
    note(nowUs, QStringLiteral("connect %1").arg(station.config().number));
    station.connected(*this, nowUs);
}

void Exchange::refuse(const QString& signal, std::int64_t nowUs)
{
    note(nowUs, QStringLiteral("service %1").arg(signal));
    m_state = State::Refused;
    m_pending = nullptr;
    m_adapter.setInput(true);
    TelegraphRegister reg = NoRegister;
    QByteArray codes;
    EncodeTelegraph(QStringLiteral("<_") + signal + QStringLiteral("<_"), codes, reg);
    const std::int64_t end = m_adapter.send(codes);
    m_timerUs = end + m_config.serviceClearMs * 1000;
}

void Exchange::release(std::int64_t nowUs)
{
    note(nowUs, QStringLiteral("release"));
    if (m_peer)
        m_peer->disconnected();
    m_peer = nullptr;
    m_adapter.setInput(false);
    m_state = State::FarCleared;
    m_timerUs = -1;
}

std::int64_t Exchange::guardEndUs() const
{
    return m_freeSinceUs < 0 ? 0 : m_freeSinceUs + m_config.guardMs * 1000;
}

void Exchange::toFree(std::int64_t nowUs)
{
    m_freeSinceUs = nowUs;
    if (m_peer)
        m_peer->disconnected();
    m_peer = nullptr;
    m_pending = nullptr;
    m_state = State::Free;
    m_timerUs = -1;
    m_pulseEndUs = -1;
    m_pulses = 0;
    m_dialled.clear();
    m_adapter.setInput(false);
}

std::int64_t Exchange::sendCodes(const QByteArray& codes)
{
    return m_adapter.send(codes);
}

void Exchange::clearFromStation()
{
    release(m_nowUs);
}

void Exchange::setLineFault(bool fault, std::int64_t forMs)
{
    m_adapter.setFault(fault);
    m_faultEndUs = fault && forMs > 0 ? m_nowUs + forMs * 1000 : -1;
}

} // namespace korvane::sim
