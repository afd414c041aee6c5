#!/usr/bin/env bash
# Builds every library and test program with AddressSanitizer and
# UndefinedBehaviorSanitizer and runs the whole test suite. Every stage runs
# whatever an earlier one did (a stage whose build failed is marked so), and
# the command ends with one summary of them all; its exit status is non-zero
# when any stage failed.
set -uo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh || exit 1

# Parallel jobs of the build (and of the tests): KORVANE_JOBS, or every core.
JOBS="${KORVANE_JOBS:-$(nproc)}"

SUMMARY=()
FAILED=0

# stage <name> <command...>: runs the command and notes how it ended.
stage() {
    local name="$1"
    shift
    echo "=== $name"
    "$@"
    local status=$?
    if [[ "$status" == 0 ]]; then
        SUMMARY+=("passed   $name")
        return 0
    fi
    SUMMARY+=("FAILED   $name (exit status $status)")
    FAILED=1
    return 1
}

# not_run <name> <why>: a stage that could not run.
not_run() {
    SUMMARY+=("NOT RUN  $1 ($2)")
    FAILED=1
}

BUILD=build/test
TEST_BUILT=0
if stage "configure $BUILD" cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKORVANE_SANITIZE=ON \
        -DKORVANE_TESTS=ON; then
    stage "build $BUILD" cmake --build "$BUILD" -j "$JOBS" && TEST_BUILT=1
else
    not_run "build $BUILD" "its configuration failed"
fi

# ThreadSanitizer build of the tests where threads meet: the serial port's
# workers, the main thread, the engine's fast tick on its own thread, and the
# simulated network's scheduler thread.
TSAN_BUILD=build/tsan
TSAN_PROGRAMS=(serial engine sim)
TSAN_BUILT=0
if stage "configure $TSAN_BUILD" cmake -S . -B "$TSAN_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKORVANE_TSAN=ON \
        -DKORVANE_SANITIZE=OFF -DKORVANE_TESTS=ON; then
    stage "build $TSAN_BUILD" cmake --build "$TSAN_BUILD" --target serial_tests engine_tests sim_tests -j "$JOBS" \
        && TSAN_BUILT=1
else
    not_run "build $TSAN_BUILD" "its configuration failed"
fi
if [[ "$TSAN_BUILT" == 1 ]]; then
    for p in "${TSAN_PROGRAMS[@]}"; do
        stage "ThreadSanitizer ${p}_tests" env QT_QPA_PLATFORM=offscreen \
            TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$PWD/tests/tsan-qt.supp" \
            "$TSAN_BUILD/tests/$p/${p}_tests"
    done
else
    for p in "${TSAN_PROGRAMS[@]}"; do
        not_run "ThreadSanitizer ${p}_tests" "its build failed"
    done
fi

# The whole suite last.
if [[ "$TEST_BUILT" == 1 ]]; then
    stage "test suite ($BUILD)" env QT_QPA_PLATFORM=offscreen \
        ctest --test-dir "$BUILD" --output-on-failure -j "$JOBS" --no-tests=error
else
    not_run "test suite ($BUILD)" "its build failed"
fi

echo
echo "=== Summary"
printf '%s\n' "${SUMMARY[@]}"
if [[ "$FAILED" == 0 ]]; then
    echo "All stages passed."
else
    echo "Some stages failed."
fi
exit "$FAILED"
