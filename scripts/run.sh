#!/usr/bin/env bash
# Builds the program and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

# Parallel jobs of the build: KORVANE_JOBS, or every core.
JOBS="${KORVANE_JOBS:-$(nproc)}"

BUILD=build/release
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVANE_TESTS=OFF
cmake --build "$BUILD" -j "$JOBS"

exec "$BUILD/ui/korvane2" "$@"
