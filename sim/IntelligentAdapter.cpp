#include "sim/IntelligentAdapter.h"

#include "platform/serial/SimSerialDevice.h"
#include "support/TelegraphCode.h"

#include <QFile>

#include <algorithm>
#include <limits>
#include <utility>

namespace korvane::sim {

namespace {
QString Hex(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

bool IsLetter(char c)
{
    return c >= 'A' && c <= 'Z';
}

// Header (7 bytes: "AT", four letters and the separator), then per argument
// two bytes and a separator.
constexpr int HeaderSize = 7;
} // namespace

IntelligentAdapter::IntelligentAdapter(std::shared_ptr<serial::SimSerialDevice> device, serial::SimScheduler& scheduler)
    : m_device(std::move(device)), m_scheduler(scheduler)
{
    m_device->setFarFrame(CommandFrame);
    m_device->setDcdFollowsDtr(true, true);
    const QDateTime start = m_scheduler.clock() ? m_scheduler.clock()->now() : QDateTime::currentDateTime();
    m_date = start.date();
    m_time = start.time();
    m_clockSetUs = m_device->nowUs();
    m_rts = m_device->rts();
    m_brk = m_device->breakOn();
    m_device->setFarEndListener([this] { m_scheduler.wake(); });
    m_registration = m_scheduler.add([this](std::int64_t nowUs) { return step(nowUs); });
}

IntelligentAdapter::IntelligentAdapter(std::shared_ptr<serial::SimSerialDevice> device,
                                       serial::SimScheduler& scheduler, const IntelligentAdapterConfig& config)
    : IntelligentAdapter(std::move(device), scheduler)
{
    std::lock_guard lock(m_mutex);
    m_programPresent = config.program == IntelligentAdapterConfig::Program::Present;
    m_refusesProgram = config.program == IntelligentAdapterConfig::Program::Refused;
    const QDateTime now = clockAt(m_device->nowUs());
    for (const IntelligentAdapterConfig::Stored& s : config.stored) {
        QByteArray codes;
        TelegraphRegister reg = NoRegister;
        EncodeTelegraph(s.text, codes, reg);
        m_stored.push_back({s.number, now, codes});
        m_nextNumber = static_cast<std::uint8_t>(std::max<int>(m_nextNumber, s.number + 1));
    }
    m_lineState = config.lineState;
    m_lineStatePolls = config.lineStatePolls;
    for (const IntelligentAdapterConfig::FaultSpec& f : config.faults)
        if (f.times > 0)
            m_faults[f.command].push_back({static_cast<Fault>(f.fault), f.times});
}

IntelligentAdapter::~IntelligentAdapter()
{
    m_registration.reset();
    m_device->setFarEndListener(nullptr);
}

void IntelligentAdapter::setVersion(std::uint8_t major, std::uint8_t minor)
{
    std::lock_guard lock(m_mutex);
    m_major = major;
    m_minor = minor;
}

void IntelligentAdapter::setMemoryCode(std::uint8_t code)
{
    std::lock_guard lock(m_mutex);
    m_memoryCode = code & 3;
}

void IntelligentAdapter::setProgramPresent(bool present)
{
    std::lock_guard lock(m_mutex);
    m_programPresent = present;
}

bool IntelligentAdapter::programPresent() const
{
    std::lock_guard lock(m_mutex);
    return m_programPresent;
}

void IntelligentAdapter::setRefusesProgram(bool refuses)
{
    std::lock_guard lock(m_mutex);
    m_refusesProgram = refuses;
}

void IntelligentAdapter::setReplyDelayUs(std::int64_t us)
{
    std::lock_guard lock(m_mutex);
    m_replyDelayUs = us;
}

void IntelligentAdapter::storeTelegram(StoredTelegram telegram)
{
    std::lock_guard lock(m_mutex);
    m_nextNumber = static_cast<std::uint8_t>(std::max<int>(m_nextNumber, telegram.Number + 1));
    m_stored.push_back(std::move(telegram));
}

void IntelligentAdapter::receiveTelegram(const QByteArray& codes)
{
    std::lock_guard lock(m_mutex);
    StoredTelegram t;
    t.Number = m_nextNumber++;
    t.Received = clockAt(m_device->nowUs());
    t.Codes = codes;
    m_stored.push_back(std::move(t));
    note(QStringLiteral("stored telegram %1 (%2 codes)").arg(m_stored.back().Number).arg(codes.size()));
}

std::vector<IntelligentAdapter::StoredTelegram> IntelligentAdapter::stored() const
{
    std::lock_guard lock(m_mutex);
    return {m_stored.begin(), m_stored.end()};
}

std::uint32_t IntelligentAdapter::usedMemory() const
{
    std::uint32_t used = 0;
    for (const StoredTelegram& t : m_stored)
        used += 11 + static_cast<std::uint32_t>(t.Codes.size());
    return used;
}

std::uint32_t IntelligentAdapter::freeMemory() const
{
    std::lock_guard lock(m_mutex);
    const std::uint32_t size = (m_memoryCode + 1u) * MemoryUnit;
    return size - std::min(size, usedMemory());
}

void IntelligentAdapter::setLineState(std::uint8_t state, int polls)
{
    std::lock_guard lock(m_mutex);
    m_lineState = state;
    m_lineStatePolls = polls;
}

void IntelligentAdapter::injectFault(const QByteArray& command, Fault fault, int times)
{
    std::lock_guard lock(m_mutex);
    if (times > 0)
        m_faults[command].push_back({fault, times});
}

void IntelligentAdapter::setHistoryLimit(std::size_t maxEntries)
{
    std::lock_guard lock(m_mutex);
    m_historyLimit = maxEntries;
    trimHistory();
}

void IntelligentAdapter::trimHistory()
{
    if (m_historyLimit == 0)
        return;
    const auto limit = static_cast<qsizetype>(m_historyLimit);
    if (m_transcript.size() > limit)
        m_transcript.erase(m_transcript.begin(), m_transcript.end() - limit);
    // Bytes go in blocks, so that a long run does not move them one by one.
    if (m_received.size() > 2 * limit)
        m_received.remove(0, m_received.size() - limit);
}

QStringList IntelligentAdapter::transcript() const
{
    std::lock_guard lock(m_mutex);
    return m_transcript;
}

QByteArray IntelligentAdapter::received() const
{
    std::lock_guard lock(m_mutex);
    return m_received;
}

QByteArray IntelligentAdapter::settingsBlock() const
{
    std::lock_guard lock(m_mutex);
    return m_settings;
}

std::uint32_t IntelligentAdapter::modes() const
{
    std::lock_guard lock(m_mutex);
    return m_modes;
}

QByteArray IntelligentAdapter::program() const
{
    std::lock_guard lock(m_mutex);
    return m_program;
}

int IntelligentAdapter::programLoads() const
{
    std::lock_guard lock(m_mutex);
    return m_programLoads;
}

QDateTime IntelligentAdapter::clock() const
{
    std::lock_guard lock(m_mutex);
    return clockAt(m_device->nowUs());
}

bool IntelligentAdapter::commandMode() const
{
    std::lock_guard lock(m_mutex);
    return m_rts && !m_brk;
}

QDateTime IntelligentAdapter::clockAt(std::int64_t us) const
{
    return QDateTime(m_date, m_time).addMSecs((us - m_clockSetUs) / 1000);
}

QByteArray IntelligentAdapter::MakeProgramFile(int bodySize, std::uint16_t address)
{
    QByteArray body(bodySize, '\0');
    std::uint16_t sum = 0;
    for (int i = 0; i < bodySize; ++i) {
        body[i] = static_cast<char>((i * 7 + 3) & 0xFF);
        sum = static_cast<std::uint16_t>(sum + static_cast<std::uint8_t>(body[i]));
    }
    QByteArray file;
    for (std::uint16_t w : {static_cast<std::uint16_t>(bodySize), address, sum}) {
        file += static_cast<char>(w & 0xFF);
        file += static_cast<char>(w >> 8);
    }
    return file + body;
}

bool IntelligentAdapter::WriteProgramFile(const QString& path, int bodySize)
{
    QFile f(path);
    const QByteArray bytes = MakeProgramFile(bodySize);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

void IntelligentAdapter::note(const QString& line)
{
    m_transcript << line;
    trimHistory();
}

std::int64_t IntelligentAdapter::step(std::int64_t nowUs)
{
    std::vector<serial::SimSerialDevice::Arrival> arrivals = m_device->takeArrivals();
    std::vector<serial::SimSerialDevice::LineChange> changes = m_device->takeLineChanges();
    QByteArray toSend;
    std::int64_t next = -1;
    {
        std::lock_guard lock(m_mutex);
        std::size_t c = 0;
        auto applyChanges = [&](std::int64_t upTo) {
            for (; c < changes.size() && changes[c].us <= upTo; ++c) {
                const bool was = m_rts && !m_brk;
                m_rts = changes[c].rts;
                m_brk = changes[c].brk;
                const bool is = m_rts && !m_brk;
                if (was != is) {
                    note(is ? QStringLiteral("command mode") : QStringLiteral("line mode"));
                    m_command.clear();
                    m_loadLeft = 0;
                }
            }
        };
        for (const auto& a : arrivals) {
            applyChanges(a.us);
            if (!(m_rts && !m_brk))
                continue; // the command receiver listens only in command mode
            if (a.frameError) {
                note(QStringLiteral("framing error"));
                continue;
            }
            m_received += static_cast<char>(a.byte);
            trimHistory();
            take(a.byte, a.us);
        }
        // Every change taken has happened already, also one made after this
        // pass read its time: taken and left unapplied it would be lost.
        applyChanges(std::numeric_limits<std::int64_t>::max());

        while (!m_replies.empty() && m_replies.front().dueUs <= nowUs) {
            toSend += m_replies.front().bytes;
            m_replies.pop_front();
        }
        if (!m_replies.empty())
            next = m_replies.front().dueUs;
    }
    if (!toSend.isEmpty())
        m_device->send(toSend);
    const std::int64_t due = m_device->nextFarEndDueUs();
    if (due >= 0 && (next < 0 || due < next))
        next = due;
    return next;
}

void IntelligentAdapter::take(std::uint8_t byte, std::int64_t us)
{
    if (m_loadLeft > 0) {
        m_load += static_cast<char>(byte);
        if (--m_loadLeft == 0)
            finishLoad();
        return;
    }
    m_command += static_cast<char>(byte);
    // Resynchronise on "AT": a stray byte before a command is dropped.
    while (!m_command.isEmpty() && !QByteArray("AT").startsWith(m_command.left(2)))
        m_command.remove(0, 1);
    if (m_command.size() < HeaderSize)
        return;
    for (int i = 2; i < 6; ++i)
        if (!IsLetter(m_command[i])) {
            note(QStringLiteral("> %1 ?").arg(Hex(m_command)));
            m_command.clear();
            return;
        }
    // The separators after the name and after each argument tell where the command ends.
    int pos = HeaderSize - 1;
    std::vector<std::uint16_t> words;
    while (m_command[pos] == ',') {
        if (m_command.size() < pos + 4)
            return; // the argument and its separator have not all come
        words.push_back(static_cast<std::uint16_t>(static_cast<std::uint8_t>(m_command[pos + 1])
                                                   | (static_cast<std::uint8_t>(m_command[pos + 2]) << 8)));
        pos += 3;
    }
    const QByteArray text = m_command;
    m_command.clear();
    if (text[pos] != '.') {
        note(QStringLiteral("> %1 ?").arg(Hex(text)));
        return;
    }
    QString shown = QString::fromLatin1(text.left(6));
    for (std::size_t i = 0; i < words.size(); ++i)
        shown += QStringLiteral(",<%1>").arg(Hex(text.mid(int(HeaderSize + 3 * i), 2)));
    note(QStringLiteral("> %1.").arg(shown));
    execute(text.left(6), words, us);
}

QByteArray IntelligentAdapter::header(const StoredTelegram& t) const
{
    const QDateTime& at = t.Received;
    const int length = static_cast<int>(t.Codes.size());
    QByteArray h(11, '\0');
    h[0] = static_cast<char>(t.Number);
    h[1] = static_cast<char>(at.date().year() % 100);
    h[2] = static_cast<char>(at.date().month());
    h[3] = static_cast<char>(at.date().day());
    h[5] = static_cast<char>(at.time().second());
    h[6] = static_cast<char>(at.time().minute());
    h[7] = static_cast<char>(at.time().hour());
    h[9] = static_cast<char>(length & 0xFF);
    h[10] = static_cast<char>((length >> 8) & 0xFF);
    return h;
}

void IntelligentAdapter::execute(const QByteArray& name, const std::vector<std::uint16_t>& words, std::int64_t us)
{
    const auto arg = [&](std::size_t i) -> std::uint16_t { return i < words.size() ? words[i] : 0; };
    if (name == "ATDATE") {
        m_date = QDate(2000 + arg(0), arg(1), arg(2));
        m_time = clockAt(us).time();
        m_clockSetUs = us;
    } else if (name == "ATTIME") {
        m_date = clockAt(us).date();
        m_time = QTime(arg(2), arg(1), arg(0));
        m_clockSetUs = us;
    } else if (name == "ATTEST") {
        QByteArray r(6, '\0');
        r[0] = static_cast<char>(m_major);
        r[1] = static_cast<char>(m_minor);
        r[4] = static_cast<char>(m_memoryCode | (m_programPresent ? 4 : 0));
        reply(name, r, us);
    } else if (name == "ATLOAD") {
        m_load.clear();
        m_loadLeft = arg(0);
        m_loadAddress = arg(1);
        m_loadProgram = words.size() >= 3;
        m_loadSum = arg(2);
        if (m_loadProgram)
            ++m_programLoads;
        if (m_loadLeft == 0)
            finishLoad();
    } else if (name == "ATLODO") {
        m_modes = arg(0) | (std::uint32_t(arg(1)) << 16);
    } else if (name == "ATTLXS") {
        const std::uint32_t size = (m_memoryCode + 1u) * MemoryUnit;
        const std::uint32_t free = size - std::min(size, usedMemory());
        QByteArray r(7, '\0');
        r[0] = static_cast<char>(m_lineStatePolls > 0 ? m_lineState : 0);
        if (m_lineStatePolls > 0)
            --m_lineStatePolls;
        r[2] = static_cast<char>(std::min<std::size_t>(m_stored.size(), 255));
        r[4] = static_cast<char>(free & 0xFF);
        r[5] = static_cast<char>((free >> 8) & 0xFF);
        r[6] = static_cast<char>((free >> 16) & 0xFF);
        reply(name, r, us);
    } else if (name == "ATHTEL") {
        reply(name, m_stored.empty() ? QByteArray(11, '\0') : header(m_stored.front()), us);
    } else if (name == "ATGETT") {
        reply(name, m_stored.empty() ? QByteArray(11, '\0') : header(m_stored.front()) + m_stored.front().Codes, us);
    } else if (name == "ATDELT") {
        if (!m_stored.empty())
            m_stored.pop_front();
        reply(name, QByteArrayLiteral("OK"), us);
    } else {
        note(QStringLiteral("unknown command"));
    }
}

void IntelligentAdapter::reply(const QByteArray& command, const QByteArray& bytes, std::int64_t us)
{
    Fault fault = Fault::None;
    auto it = m_faults.find(command);
    if (it != m_faults.end() && !it->second.empty()) {
        FaultRun& run = it->second.front();
        fault = run.fault;
        if (--run.times == 0)
            it->second.pop_front();
    }
    const std::int64_t due = us + m_replyDelayUs;
    const int half = static_cast<int>(bytes.size() / 2);
    switch (fault) {
    case Fault::None:
        m_replies.push_back({due, bytes});
        note(QStringLiteral("< %1").arg(Hex(bytes)));
        break;
    case Fault::NoReply:
        note(QStringLiteral("< (no reply)"));
        break;
    case Fault::ShortReply:
        m_replies.push_back({due, bytes.left(half)});
        note(QStringLiteral("< %1 (short)").arg(Hex(bytes.left(half))));
        break;
    case Fault::Garbage: {
        QByteArray noise(bytes.size(), '\0');
        for (int i = 0; i < noise.size(); ++i)
            noise[i] = static_cast<char>(0xA5 ^ (i * 0x3B));
        m_replies.push_back({due, noise});
        note(QStringLiteral("< %1 (garbage)").arg(Hex(noise)));
        break;
    }
    case Fault::SplitReply:
        m_replies.push_back({due, bytes.left(half)});
        m_replies.push_back({due + m_splitPauseUs, bytes.mid(half)});
        note(QStringLiteral("< %1 | %2 (split)").arg(Hex(bytes.left(half)), Hex(bytes.mid(half))));
        break;
    case Fault::LongReply: {
        QByteArray tail(LongReplyTail, '\0');
        for (int i = 0; i < tail.size(); ++i)
            tail[i] = static_cast<char>(0x5A ^ (i * 0x1D));
        m_replies.push_back({due, bytes + tail});
        note(QStringLiteral("< %1 + %2 (long)").arg(Hex(bytes), Hex(tail)));
        break;
    }
    }
}

void IntelligentAdapter::finishLoad()
{
    if (!m_loadProgram) {
        if (m_loadAddress == SettingsAddress) {
            m_settings = m_load;
            note(QStringLiteral("> settings %1").arg(Hex(m_load)));
        } else {
            note(QStringLiteral("> %1 bytes for %2").arg(m_load.size()).arg(m_loadAddress, 4, 16, QLatin1Char('0')));
        }
        return;
    }
    std::uint16_t sum = 0;
    for (char b : std::as_const(m_load))
        sum = static_cast<std::uint16_t>(sum + static_cast<std::uint8_t>(b));
    m_program = m_load;
    if (sum == m_loadSum && !m_refusesProgram) {
        m_programPresent = true;
        note(QStringLiteral("> program of %1 bytes: started").arg(m_load.size()));
    } else {
        note(QStringLiteral("> program of %1 bytes: refused").arg(m_load.size()));
    }
}

} // namespace korvane::sim
