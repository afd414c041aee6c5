#!/usr/bin/env bash
# Builds every library and test program with AddressSanitizer and
# UndefinedBehaviorSanitizer and runs the whole test suite.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

# Parallel jobs of the build (and of the tests): KORVANE_JOBS, or every core.
JOBS="${KORVANE_JOBS:-$(nproc)}"

BUILD=build/test
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKORVANE_SANITIZE=ON -DKORVANE_TESTS=ON
cmake --build "$BUILD" -j "$JOBS"

# ThreadSanitizer build of the tests where threads meet: the serial port's
# workers, the main thread, the engine's fast tick on its own thread, and the
# simulated network's scheduler thread.
TSAN_BUILD=build/tsan
cmake -S . -B "$TSAN_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKORVANE_TSAN=ON -DKORVANE_SANITIZE=OFF -DKORVANE_TESTS=ON
cmake --build "$TSAN_BUILD" --target serial_tests engine_tests sim_tests -j "$JOBS"
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$PWD/tests/tsan-qt.supp"
QT_QPA_PLATFORM=offscreen "$TSAN_BUILD/tests/serial/serial_tests"
QT_QPA_PLATFORM=offscreen "$TSAN_BUILD/tests/engine/engine_tests"
QT_QPA_PLATFORM=offscreen "$TSAN_BUILD/tests/sim/sim_tests"
unset TSAN_OPTIONS

# The whole suite last, so its summary closes the output.
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$BUILD" --output-on-failure -j "$JOBS" --no-tests=error
