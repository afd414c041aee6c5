#pragma once

#include "platform/PriorityInheritingMutex.h"

#include <mutex>

namespace korvane {

// The one lock of the channel engine. The fast tick (which may run on the
// periodic timer's thread) holds it for all drivers while it runs; the
// protocol tick, the file tick's driver work, the port events and the
// operator's calls into a driver hold it on the main thread. It is
// recursive because the entry points call one another (a received answerback
// request sends the own answerback, a command restarts the protocol). It
// lends the timer thread's real-time priority to a main thread holding it.
using EngineMutex = PriorityInheritingMutex;
using EngineLock = std::lock_guard<EngineMutex>;

} // namespace korvane
