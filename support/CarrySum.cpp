#include "support/CarrySum.h"

namespace korvane {

std::uint8_t ComputeCarrySum(const std::uint8_t* buf, std::uint32_t len)
{
    unsigned sum = 0;
    unsigned carry = 0;
    for (std::uint32_t i = 0; i < len; ++i) {
        const unsigned s = sum + buf[i] + carry;
        sum = s & 0xFFu;
        carry = s > 0xFFu ? 1u : 0u;
    }
    return static_cast<std::uint8_t>(sum);
}

std::uint8_t ComputeCarrySum(QByteArrayView bytes)
{
    return ComputeCarrySum(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                           static_cast<std::uint32_t>(bytes.size()));
}

} // namespace korvane
