#!/usr/bin/env bash
# Builds the settings reader's libFuzzer target (clang, ASan + UBSan) into build/fuzz/ and runs it
# for a bounded time on a copy of the starting inputs in tests/fuzz/corpus/; the committed corpus
# never grows. Prints executions, coverage and any finding; exits non-zero on a crash or a broken
# invariant.
#
# Usage: tests/fuzz/run_fuzz.sh [SECONDS]     (default 60)
set -euo pipefail

seconds="${1:-60}"
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [ "$seconds" -lt 1 ]; then
  echo "usage: $0 [SECONDS]" >&2
  exit 2
fi

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
out="$root/build/fuzz"
cxx="${CXX_FUZZ:-$(command -v clang++-14 || command -v clang++)}"
mkdir -p "$out"

"$cxx" -std=c++20 -g -O1 -fno-omit-frame-pointer \
  -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
  -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion -Werror \
  -Wno-gnu-zero-variadic-macro-arguments \
  -I "$root" \
  "$root/tests/fuzz/settings_fuzzer.cpp" \
  "$root/settings/settings_text.cpp" \
  "$root/settings/settings_reader.cpp" \
  "$root/app/run_context.cpp" \
  "$root/app/argument_zero.cpp" \
  -o "$out/settings_fuzzer"

# A fresh copy each time: what one run learns does not leak into the next, nor into the tree.
rm -rf "$out/corpus" "$out/findings"
mkdir -p "$out/corpus" "$out/findings"
cp "$root"/tests/fuzz/corpus/* "$out/corpus/"

log="$out/fuzz.log"
set +e
"$out/settings_fuzzer" -max_total_time="$seconds" -max_len=2100 -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 -artifact_prefix="$out/findings/" "$out/corpus" >"$log" 2>&1
status=$?
set -e

# libFuzzer's last status line carries the coverage: "#N DONE cov: C ft: F corp: ...".
last="$(grep -E '^#[0-9]+' "$log" | tail -n 1 || true)"
execs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)"
echo "settings_fuzzer: ${seconds}s, executions: ${execs:-?}"
echo "settings_fuzzer: last status: ${last:-none}"
field() { sed -n "s/.* $1: \([0-9/]*\).*/\1/p" <<<"$last"; }
echo "settings_fuzzer: cov: $(field cov) ft: $(field ft) corp: $(field corp) (from $(ls "$root/tests/fuzz/corpus" | wc -l) starting inputs)"

findings="$(ls "$out/findings" 2>/dev/null || true)"
if [ "$status" -ne 0 ] || [ -n "$findings" ]; then
  echo "settings_fuzzer: FINDING (exit status $status); log: $log" >&2
  grep -E 'ERROR|invariant broken|runtime error|SUMMARY' "$log" | head -n 20 >&2 || true
  for f in $findings; do
    echo "settings_fuzzer: input saved as $out/findings/$f; hex:" >&2
    od -An -tx1 "$out/findings/$f" | head -n 20 >&2
  done
  exit 1
fi
echo "settings_fuzzer: no finding"
