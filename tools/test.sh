#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test.
# RINGLARK_SANITIZE=1 does the same with AddressSanitizer and UBSan in build-asan/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
dir=build
args=()
if [ "${RINGLARK_SANITIZE:-0}" = 1 ]; then
  dir=build-asan
  args=(-DRINGLARK_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug)
  export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
fi
RINGLARK_BUILD_DIR="$dir" bash tools/build.sh "${args[@]}"
cd "$dir"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2
