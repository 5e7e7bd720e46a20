#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a while:
#   bash tools/fuzz.sh [seconds per target, default 60]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
out=build-fuzz
mkdir -p "$out/corpus-settings"
clang++-14 -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -I. \
  tests/fuzz/settings_fuzz.cpp settings/SettingsFiles.cpp settings/Archive.cpp app/Text.cpp \
  -o "$out/settings_fuzz"
"$out/settings_fuzz" -max_total_time="$seconds" -max_len=4096 "$out/corpus-settings"
