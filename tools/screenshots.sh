#!/usr/bin/env bash
# Draws docs/screenshots again from the built programs (build/nemora and
# build/nemora-cli), so the pictures in the documentation show what the
# program shows today. The window's pictures are drawn offscreen.
#   tools/screenshots.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${1:-build}" && pwd)
out=docs/screenshots
export QT_QPA_PLATFORM=offscreen
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
here=$PWD
# The window reads and writes its last location in the working folder: a fresh
# one opens on the default place, Jerusalem.
in_work() { (cd "$work" && "$@"); }

shot() { # FILE, then the window's options
  local file=$1; shift
  in_work "$build/nemora" --data-dir "$here/data" "$@" --screenshot "$here/$out/$file"
}
shot convert-English.png --convert --date 2024-03-11
shot convert-Hebrew.png --language Hebrew --convert --date 2024-03-11
shot first-visibility-English.png --date 2024-03-11 --body Moon --parameter Probability
shot first-visibility-Hebrew.png --language Hebrew --date 2024-03-11 --body Moon --parameter Probability
shot criterion-Hebrew.png --language Hebrew --date 2024-03-11 --body Moon --parameter "Visibility by criterion"
shot magnitude-Hebrew.png --language Hebrew --date 2024-03-11 --body Moon --parameter Magnitude
in_work "$build/nemora" --data-dir "$here/data" --date 2024-03-10 --body Moon --parameter "Visibility map" \
  --map-screenshot "$here/$out/map-window.png"

place=(--location "Israel/Jerusalem/Center" --date-type Gregorian --date 2024-3-11)
for mode in full sketch proportional; do
  "$build/nemora-cli" "${place[@]}" graph --kind finder --plot-mode "$mode" --out "$out/graph-finder-$mode.png"
done
"$build/nemora-cli" "${place[@]}" graph --kind light --out "$out/graph-light-curve.png"
"$build/nemora-cli" "${place[@]}" graph --kind probability --out "$out/graph-probability.png"

for day in 10 11; do
  for criterion in Yallop Odeh; do
    "$build/nemora-cli" --date-type Gregorian --date "2024-3-$day" --criterion "$criterion" map \
      --out "$out/map-2024-03-$day-${criterion,,}.png"
  done
done
"$build/nemora-cli" --date-type Gregorian --date 2024-3-10 --mode photometric map --step 2 \
  --out "$out/map-2024-03-10-photometric.png"
echo "screenshots: $(ls "$out" | wc -l) pictures in $out"
