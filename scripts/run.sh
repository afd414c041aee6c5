#!/usr/bin/env bash
# Builds the program and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

BUILD=build/release
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVANE_TESTS=OFF
cmake --build "$BUILD" -j "$(nproc)"

exec "$BUILD/ui/korvane2" "$@"
