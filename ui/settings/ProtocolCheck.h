#pragma once

// The check of a whole protocol set before it is written to the protocol
// file: every value must be readable by the engine.

#include "protocols/ProtocolModel.h"

namespace korvane {

class MessageBox;

// Checks the protocol lists of kinds 1 to 4 (all four, whatever the first
// ones give); true only when every kind passes. Each failing list shows one
// error box (single button OK) naming the protocol, the element's class, the
// element and the parameter, and ends its own list:
// - a numeric value that does not read as a number with a decimal point,
//   or a table value that is not one of its table's texts:
//   "В протоколе "P" у элемента "C" неверное значение параметра "E: N"";
// - a jump whose target is not the name of an element of the same protocol:
//   "В протоколе "P" у элемента "C" отсутствует параметр "E: N"".
// Text values are not checked; a numeric value outside Min..Max is no
// error. An empty list, and a protocol none of whose elements has
// parameters, pass.
bool CheckProtocols(const TProtocolSet& Set, MessageBox& box);

// One kind's list: its protocols in order, the first failing one ends it.
bool CheckProtocolList(const std::vector<TProtocolRec>& list, MessageBox& box);
// One protocol: its elements in order, each element whose class has
// parameter definitions; the first failing element ends it.
bool CheckProtocolElements(const TProtocolRec& protocol, MessageBox& box);
// One element's values in list order.
bool CheckElementValues(const TProtocolRec& protocol, const TElementRec& element, MessageBox& box);

} // namespace korvane
