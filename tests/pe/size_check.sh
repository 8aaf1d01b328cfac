#!/usr/bin/env bash
# Size budget of the shipped 32-bit Tolvex.exe: stripped, resources included, at most 64 KiB,
# and importing only Windows system DLLs. Strips a copy (the build itself is left alone) and
# runs pe_check.py on it with the budget, so the last line is pe_check's summary.
#   tests/pe/size_check.sh [PATH/Tolvex.exe]   (default build/mingw-i686/bin/Tolvex.exe)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
exe=${1:-$here/../../build/mingw-i686/bin/Tolvex.exe}
budget=$((64 * 1024))
strip_tool=${STRIP:-i686-w64-mingw32-strip}

if [[ ! -f $exe ]]; then
  echo "size_check: $exe is missing: build the mingw-i686 preset first" >&2
  exit 1
fi
exe=$(realpath "$exe")
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cp "$exe" "$tmp/Tolvex.exe"
"$strip_tool" --strip-all "$tmp/Tolvex.exe"
built=$(stat -c %s "$exe")
stripped=$(stat -c %s "$tmp/Tolvex.exe")
echo "size_check: $exe: $built bytes as built, $stripped bytes stripped, budget $budget bytes"
exec python3 "$here/pe_check.py" --expect i386 --max-size "$budget" "$tmp/Tolvex.exe"
