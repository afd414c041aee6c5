#pragma once

#include <QByteArrayView>

#include <cstdint>

namespace korvane {

// The 8-bit add-with-carry checksum of a block: each byte is added
// together with the carry out of the previous addition; the last carry is
// dropped. Len must be at least 1.
std::uint8_t ComputeCarrySum(const std::uint8_t* buf, std::uint32_t len);
std::uint8_t ComputeCarrySum(QByteArrayView bytes);

} // namespace korvane
