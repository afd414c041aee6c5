#include "platform/serial/MarkedInputDecoder.h"

#include "platform/serial/SerialTypes.h"

namespace korvane::serial {

MarkedInputDecoder::Result MarkedInputDecoder::feed(const std::uint8_t* raw, std::size_t size,
                                                    std::deque<std::uint8_t>& data)
{
    Result r;
    auto put = [&](std::uint8_t b) {
        data.push_back(b);
        r.events |= ev::RxChar;
    };
    for (std::size_t i = 0; i < size; ++i) {
        const std::uint8_t b = raw[i];
        switch (m_state) {
        case 0:
            if (b == 0377)
                m_state = 1;
            else
                put(b);
            break;
        case 1:
            if (b == 0377) { // an escaped data byte 0377
                put(b);
                m_state = 0;
            } else if (b == 0) {
                m_state = 2;
            } else { // no mark the terminal writes: keep both bytes
                put(0377);
                put(b);
                m_state = 0;
            }
            break;
        default:
            if (b == 0) { // a break on the line
                r.errors |= ce::Break;
                r.events |= ev::Break;
            } else { // a character received with an error
                r.errors |= ce::Frame;
                r.events |= ev::Err;
            }
            m_state = 0;
            break;
        }
    }
    return r;
}

} // namespace korvane::serial
