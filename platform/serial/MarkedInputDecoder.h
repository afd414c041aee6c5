#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>

namespace korvane::serial {

// Decodes terminal input read with PARMRK: 0377 0377 is a data byte 0377,
// 0377 0 0 a break condition (reported, never data), 0377 0 c a character c
// received with a framing or parity error (reported and dropped). A mark may
// be split across reads.
class MarkedInputDecoder {
public:
    struct Result {
        std::uint32_t events = 0; // ev:: bits: RxChar, Break, Err
        std::uint32_t errors = 0; // ce:: bits: Break, Frame
    };

    Result feed(const std::uint8_t* raw, std::size_t size, std::deque<std::uint8_t>& data);

private:
    int m_state = 0; // 0 plain, 1 after 0377, 2 after 0377 0
};

} // namespace korvane::serial
