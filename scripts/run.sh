#!/usr/bin/env bash
# Builds the program and starts it on a program folder of its own, with
# channel 1 on a simulated line adapter and telex network: no hardware is
# needed. Station 3456 calls in with a telegram (in within about 20 s), a
# queued telegram goes out to station 2345 (done about 70 s after the start),
# and a second one meets the busy station 4567.
#
#   KORVANE_JOBS=<n>          parallel jobs of the build (default: every core)
#   KORVANE_COM<n>=<target>   what COMn leads to: a device path (/dev/ttyUSB0),
#                             or sim:<scenario>; COM1 defaults to the demo's
#                             simulated network (demo/demo.scenario)
#   KORVANE_PROGRAM_DIR=<dir> the program folder (default build/release/program,
#                             laid out afresh on every start); a folder given
#                             here is laid out only when it has no KORVANE2.PRO
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT="$(pwd)"

bash scripts/install-deps.sh

JOBS="${KORVANE_JOBS:-$(nproc)}"
BUILD=build/release
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVANE_TESTS=OFF
cmake --build "$BUILD" -j "$JOBS"

if [[ -n "${KORVANE_PROGRAM_DIR:-}" ]]; then
    FOLDER="$(realpath -m "$KORVANE_PROGRAM_DIR")"
    [[ -e "$FOLDER/KORVANE2.PRO" ]] || LAYOUT=1
else
    FOLDER="$ROOT/$BUILD/program"
    rm -rf "$FOLDER"
    LAYOUT=1
fi
mkdir -p "$FOLDER/KorvaneDB"
# The program finds its folder from where its file lies.
cp "$BUILD/ui/korvane2" "$FOLDER/korvane2"
[[ -e "$FOLDER/KorvaneDB/COUNTRY.DB" ]] || cp "$BUILD/directories/tools/COUNTRY.DB" "$FOLDER/KorvaneDB/COUNTRY.DB"
if [[ "${LAYOUT:-0}" == 1 ]]; then
    "$BUILD/demo/korvane2-demo-folder" "$FOLDER"
fi

export KORVANE_COM1="${KORVANE_COM1:-sim:$ROOT/demo/demo.scenario}"
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" && -z "${QT_QPA_PLATFORM:-}" ]]; then
    echo "No display: running without windows (QT_QPA_PLATFORM=offscreen); or start under xvfb-run." >&2
    export QT_QPA_PLATFORM=offscreen
fi
echo "Program folder: $FOLDER (log: LOG/, telegrams: drive_c/MAIL2/)"
cd "$FOLDER"
exec "$FOLDER/korvane2" "$@"
