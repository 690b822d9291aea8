#!/bin/sh
# Builds the position dump against the core library of a build directory,
# runs it and compares its positions with astronomy-engine.
# Usage: tools/oracle/accuracy.sh [build-dir]   (writes tools/oracle/accuracy.md)
# Needs: npm install in tools/oracle (once), and the core library built
# (ninja -C <build-dir> nemora_core).
set -e
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=${1:-$root/build}
g++ -std=c++20 -O2 -I"$root" "$here/positions_dump.cpp" "$build/libnemora_core.a" -o "$build/positions_dump"
"$build/positions_dump" "$root/data" > "$build/positions_dump.txt"
node "$here/compare.js" < "$build/positions_dump.txt" > "$here/accuracy.md"
sed -n '1,20p' "$here/accuracy.md"
