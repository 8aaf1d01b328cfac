#!/usr/bin/env bash
# Static analysis of Tolvex's own sources: clang-tidy (configuration in .clang-tidy at the repo
# root) and cppcheck, over app/ settings/ display/ console/ platform/ tools/. Any finding fails.
#
#   tests/static/run_static.sh [HOST_BUILD_DIR] [MINGW_BUILD_DIR]
#
# HOST_BUILD_DIR (default build/host) and MINGW_BUILD_DIR (default build/mingw-i686) must hold a
# compile_commands.json (the presets export one). Files of the host build are analysed as the
# host compiles them; Windows-only files (and the Windows side of shared files) through the
# mingw build's commands, with clang targeting MinGW and reading the cross compiler's C++ headers.
# Every source file must appear in at least one of the two databases, so nothing goes unchecked.
set -uo pipefail

repo=$(cd "$(dirname "$0")/../.." && pwd)
host_dir=${1:-$repo/build/host}
win_dir=${2:-$repo/build/mingw-i686}
dirs=(app settings display console platform tools)
clang_tidy=${CLANG_TIDY:-clang-tidy}
cross_cxx=${CROSS_CXX:-i686-w64-mingw32-g++}

for tool in "$clang_tidy" cppcheck python3; do
  if ! command -v "$tool" >/dev/null; then
    echo "run_static: $tool is not installed" >&2
    exit 1
  fi
done
for dir in "$host_dir" "$win_dir"; do
  if [[ ! -f $dir/compile_commands.json ]]; then
    echo "run_static: $dir/compile_commands.json is missing: configure that build first" >&2
    exit 1
  fi
done

cd "$repo" || exit 1
mapfile -t sources < <(find "${dirs[@]}" -name '*.cpp' -type f 2>/dev/null | sort)
if [[ ${#sources[@]} -eq 0 ]]; then
  echo "run_static: no sources found under ${dirs[*]}" >&2
  exit 1
fi

# Absolute paths of the files each database compiles.
db_files() {
  python3 -c 'import json, os, sys
for e in json.load(open(sys.argv[1])):
    print(os.path.normpath(os.path.join(e["directory"], e["file"])))' "$1/compile_commands.json"
}
host_files=$(db_files "$host_dir")
win_files=$(db_files "$win_dir")

# clang knows nothing of GCC's -fno-tree-loop-distribute-patterns (win32_libc.cpp's): the mingw
# files are analysed through a copy of their database without it.
win_db=$(mktemp -d)
trap 'rm -rf "$win_db"' EXIT
python3 -c 'import json, sys
entries = json.load(open(sys.argv[1]))
for e in entries:
    e["command"] = e["command"].replace(" -fno-tree-loop-distribute-patterns", "")
json.dump(entries, sys.stdout)' "$win_dir/compile_commands.json" >"$win_db/compile_commands.json"

# clang does not find Debian's MinGW C++ headers (the version folder is "12-win32"): ask the cross
# compiler where they are.
win_args=(--extra-arg=-Wno-unknown-warning-option)
while IFS= read -r inc; do
  win_args+=("--extra-arg=-isystem$inc")
done < <(echo | "$cross_cxx" -E -x c++ - -v 2>&1 |
  sed -n '/#include <...> search starts here/,/End of search list/p' | grep '/c++' | sed 's/^ *//')

# The clang-tidy runs, one per file and database, go side by side on every core; their results
# are read back in order, so that the output is the same whatever finishes first.
jobs_dir=$win_db/jobs
mkdir -p "$jobs_dir"
cores=$(nproc)
n=0
tidy() {  # tidy LABEL BUILD_DIR FILE [extra args...]
  local label=$1 dir=$2 file=$3
  shift 3
  n=$((n + 1))
  echo "$label $file" >"$jobs_dir/$n.what"
  while (($(jobs -rp | wc -l) >= cores)); do
    wait -n
  done
  ("$clang_tidy" --quiet -p "$dir" "$@" "$file" >"$jobs_dir/$n.out" 2>&1
    echo $? >"$jobs_dir/$n.rc") &
}

passed=0
failed=0
for file in "${sources[@]}"; do
  abs=$repo/$file
  seen=0
  if grep -qxF "$abs" <<<"$host_files"; then
    tidy host "$host_dir" "$file"
    seen=1
  fi
  if grep -qxF "$abs" <<<"$win_files"; then
    tidy mingw "$win_db" "$file" "${win_args[@]}"
    seen=1
  fi
  if [[ $seen -eq 0 ]]; then
    failed=$((failed + 1))
    echo "FAIL $file is in neither compile database, so it was not analysed"
  fi
done
wait
for ((i = 1; i <= n; i++)); do
  read -r label file <"$jobs_dir/$i.what"
  if [[ $(cat "$jobs_dir/$i.rc" 2>/dev/null) == 0 ]]; then
    passed=$((passed + 1))
    echo "ok   clang-tidy ($label) $file"
  else
    failed=$((failed + 1))
    echo "FAIL clang-tidy ($label) $file"
    grep -v -E '^[0-9]+ warnings? (and [0-9]+ errors? )?generated|^Suppressed [0-9]+ warnings|^Use -header-filter|warnings? treated as errors?$' \
      "$jobs_dir/$i.out" | sed 's/^/     /'
  fi
done

# cppcheck reads the sources on their own, with the Win32 API described by its windows library.
# useStlAlgorithm is left out: it asks for <algorithm> in place of the short index loops over
# fixed-size buffers that this code is written with.
cppcheck_out=$(cppcheck --quiet --std=c++20 --language=c++ --library=windows \
  --enable=warning,style,performance,portability --inline-suppr \
  --suppress=missingIncludeSystem --suppress=useStlAlgorithm --error-exitcode=1 -I "$repo" \
  --template='{file}:{line}: {severity} [{id}] {message}' "${sources[@]}" 2>&1)
if [[ $? -eq 0 && -z $cppcheck_out ]]; then
  passed=$((passed + 1))
  echo "ok   cppcheck (${#sources[@]} files)"
else
  failed=$((failed + 1))
  echo "FAIL cppcheck"
  sed 's/^/     /' <<<"$cppcheck_out"
fi

echo "run_static: $passed passed, $failed failed"
[[ $failed -eq 0 ]]
