#!/usr/bin/env bash
# Builds the libFuzzer targets of the data-file readers with clang and runs
# each for a bounded time, seeded with the shipped data files.
#   tools/fuzz.sh [SECONDS_PER_TARGET]   (default 60)
# A crash, hang, runaway memory or unlisted message fails the run; the input
# that found it is left in build-fuzz/findings/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"

NEMORA_DATA="$PWD/data" CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DNEMORA_FUZZ=ON -DNEMORA_GUI=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo > build-fuzz.log 2>&1 || { cat build-fuzz.log; exit 1; }
targets=$(cd fuzz && ls *_fuzz.cpp | sed 's/\.cpp$//')
cmake --build build-fuzz -j "$(nproc)" --target $targets

# Seeds: the shipped files each reader reads (see fuzz/seeds.txt).
mkdir -p build-fuzz/findings
status=0
passed=0
failed=0
for target in $targets; do
  corpus="build-fuzz/corpus/$target"
  mkdir -p "$corpus"
  while read -r name seed; do
    [ "$name" = "$target" ] || continue
    for file in $seed; do
      [ -f "$file" ] || continue
      case "$target" in
        # The first byte chooses the file these read: one copy per choice.
        hbody_fuzz|delta_t_fuzz)
          for b in A B C D E; do { printf %s "$b"; cat "$file"; } > "$corpus/$b-$(basename "$file")"; done ;;
        *) cp "$file" "$corpus/" ;;
      esac
    done
  done < fuzz/seeds.txt
  echo "== $target: ${seconds}s"
  if ! NEMORA_DATA="$PWD/data" "build-fuzz/$target" "$corpus" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
       -artifact_prefix="build-fuzz/findings/$target-" -print_final_stats=1 2> "build-fuzz/$target.log"; then
    echo "FINDING in $target (see build-fuzz/$target.log and build-fuzz/findings/)"
    tail -n 30 "build-fuzz/$target.log"
    status=1
    failed=$((failed + 1))
  else
    grep -E 'stat::number_of_executed_units|cov:' "build-fuzz/$target.log" | tail -n 2
    passed=$((passed + 1))
  fi
done
echo "fuzz: $passed passed, $failed failed"
exit $status
