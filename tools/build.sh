#!/usr/bin/env bash
# Configures and builds into build/, or into $RINGLARK_BUILD_DIR; arguments go to CMake.
set -euo pipefail
cd "$(dirname "$0")/.."
dir="${RINGLARK_BUILD_DIR:-build}"
cmake -S . -B "$dir" -G Ninja "$@"
cmake --build "$dir" -j2
