#!/bin/sh
# Builds the rise and set dump against the core library of a build directory,
# runs it over the reference events and compares our instants with them.
# Usage: tools/oracle/rise_set_accuracy.sh [build-dir]   (writes tools/oracle/rise_set_accuracy.md)
# Needs: npm ci in tools/oracle (once), and the core library built
# (ninja -C <build-dir> nemora_core). To renew the reference itself:
#   (cd tools/oracle && node rise_set_reference.js > ../../tests/data/rise_set_reference.csv)
set -e
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=${1:-$root/build}
g++ -std=c++20 -O2 -I"$root" "$here/rise_set_dump.cpp" "$build/libnemora_core.a" -o "$build/rise_set_dump"
"$build/rise_set_dump" "$root/data" "$root/tests/data/rise_set_reference.csv" > "$build/rise_set_dump.txt"
node "$here/rise_set_compare.js" < "$build/rise_set_dump.txt" > "$here/rise_set_accuracy.md"
sed -n '1,40p' "$here/rise_set_accuracy.md"
