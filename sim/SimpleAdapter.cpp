#include "sim/SimpleAdapter.h"

#include "platform/serial/SimSerialDevice.h"
#include "sim/Transcript.h"

#include <algorithm>

namespace korvane::sim {

SimpleAdapter::SimpleAdapter(std::shared_ptr<serial::SimSerialDevice> device, Transcript* transcript,
                             serial::LineSettings frame, std::int64_t dcdDelayUs)
    : m_device(std::move(device)), m_transcript(transcript), m_frame(frame)
{
    m_device->setFarFrame(frame);
    m_device->setDcdFollowsDtr(true, false, dcdDelayUs);
    m_device->setRing(false);
    m_device->setDsr(false);
    m_device->setInputBreak(true); // a free line rests at '-'
    m_outPlus = !m_device->breakOn() && m_device->isOpen();
    m_device->takeLineChanges();
}

std::int64_t SimpleAdapter::nowUs() const
{
    return m_device->nowUs();
}

std::vector<SimpleAdapter::Event> SimpleAdapter::poll()
{
    std::vector<Event> events;
    const auto changes = m_device->takeLineChanges();
    for (std::size_t i = 0; i < changes.size(); ++i) {
        const auto& change = changes[i];
        // Changes in the same instant (DTR and break as a port opens) are one.
        if (i + 1 < changes.size() && changes[i + 1].us == change.us)
            continue;
        // A closed port drops every line, break included; the adapter then
        // sees no current from the terminal: '-'.
        const bool plus = !change.brk && m_device->isOpen();
        if (plus != m_outPlus) {
            m_outPlus = plus;
            events.push_back({change.us, Event::Kind::Polarity, plus, 0});
        }
    }
    if (m_outPlus && !m_device->isOpen()) {
        m_outPlus = false;
        events.push_back({nowUs(), Event::Kind::Polarity, false, 0});
    }
    for (const auto& arrival : m_device->takeArrivals())
        events.push_back({arrival.us, Event::Kind::Code, false, static_cast<std::uint8_t>(arrival.byte & 0x1f)});
    std::stable_sort(events.begin(), events.end(), [](const Event& a, const Event& b) { return a.us < b.us; });
    if (m_transcript)
        for (const Event& e : events)
            m_transcript->add(e.us, e.kind == Event::Kind::Polarity ? (e.plus ? QStringLiteral("out +")
                                                                              : QStringLiteral("out -"))
                                                                    : QStringLiteral("out %1").arg(e.code));
    return events;
}

void SimpleAdapter::setInput(bool plus)
{
    if (plus == m_inPlus)
        return;
    m_inPlus = plus;
    if (plus)
        m_inPlusSinceUs = nowUs();
    m_device->setInputBreak(!plus);
    m_device->setRing(plus);
    if (m_transcript)
        m_transcript->add(nowUs(), plus ? QStringLiteral("in +") : QStringLiteral("in -"));
}

void SimpleAdapter::setFault(bool fault)
{
    if (fault == m_fault)
        return;
    m_fault = fault;
    m_device->setDsr(fault);
    if (m_transcript)
        m_transcript->add(nowUs(), fault ? QStringLiteral("fault on") : QStringLiteral("fault off"));
}

std::int64_t SimpleAdapter::send(const QByteArray& codes)
{
    const std::int64_t now = nowUs();
    m_inLineFreeUs = std::max(m_inLineFreeUs, now);
    // The device starts a character no sooner than half an element after the
    // line left '-' (a receiver must see mark first).
    if (m_inPlusSinceUs >= 0 && m_frame.baudRate > 0)
        m_inLineFreeUs = std::max(m_inLineFreeUs, m_inPlusSinceUs + (500'000 + m_frame.baudRate - 1) / m_frame.baudRate);
    if (codes.isEmpty())
        return m_inLineFreeUs;
    m_device->send(codes);
    // Each code is noted when its last stop element has gone, as the port
    // receives it.
    for (char c : codes) {
        m_inLineFreeUs += serial::characterMicros(m_frame);
        if (m_transcript)
            m_transcript->add(m_inLineFreeUs, QStringLiteral("in %1").arg(static_cast<int>(static_cast<std::uint8_t>(c) & 0x1f)));
    }
    return m_inLineFreeUs;
}

std::int64_t SimpleAdapter::nextDueUs() const
{
    return m_device->nextFarEndDueUs();
}

} // namespace korvane::sim
