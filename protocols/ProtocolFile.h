#pragma once

#include "protocols/ProtocolModel.h"

#include <QIODevice>

#include <memory>
#include <stdexcept>

namespace korvane {

class MessageBox;

// A protocol file that cannot be read or written. (A file that ends early
// raises ReadPastEndError, also a std::runtime_error.)
class ProtocolFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The protocol file: no header; for kinds 1..4 a count and the protocols
// with their steps and values; then for channels 1..8 the 5776-byte
// settings record and the 20-byte port table. Little-endian throughout;
// texts are a length byte and up to 255 CP1251 bytes.

// Writes Set to Out. After each channel's record and table are written, the
// record's PortAddr goes into the table entry of its adapter type, so the
// file holds the table as it was before this save. Raises ProtocolFileError
// when the device does not take every byte.
void WriteProtocolSet(QIODevice& out, TProtocolSet& set);

// Reads a set from In into a new set, which is assigned to Set at once
// (freeing what Set held). Returns with Err = 0 and a complete set, or
// raises an exception (Err = 1 when a protocol list failed), after the error
// box of an unknown class or parameter where there is one. The values of
// each step are put into the order of its class's definitions; a step whose
// values do not match its class's definitions one to one is reported like
// an unknown parameter. A negative count makes the file unreadable. A
// channel record with an adapter type above 4 or a station type above 3 is
// switched off (adapter type 0, a station type out of range becomes 0) and
// the fact is logged.
void ReadProtocolSet(QIODevice& in, std::unique_ptr<TProtocolSet>& set, int& Err, MessageBox& box);

} // namespace korvane
