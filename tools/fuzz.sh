#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a while:
#   bash tools/fuzz.sh [seconds per target, default 60]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
out=build-fuzz
flags=(-std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -I.)
mkdir -p "$out/corpus-settings" "$out/corpus-replies"
clang++-14 "${flags[@]}" tests/fuzz/settings_fuzz.cpp settings/SettingsFiles.cpp settings/Archive.cpp app/Text.cpp \
  -o "$out/settings_fuzz"
clang++-14 "${flags[@]}" tests/fuzz/replies_fuzz.cpp services/Provisioning.cpp services/AccountServices.cpp \
  services/TaggedText.cpp services/Http.cpp app/OperatorConfig.cpp app/Text.cpp -o "$out/replies_fuzz"
"$out/settings_fuzz" -max_total_time="$seconds" -max_len=4096 "$out/corpus-settings"
"$out/replies_fuzz" -max_total_time="$seconds" -max_len=8192 "$out/corpus-replies"
