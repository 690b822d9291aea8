#!/bin/bash
# Checks that the folders keep their floors: base/ includes nothing of the
# program's other folders; the computing folders never include the drawing
# (plot/), the command line (cli/) or Qt (the windows and dialogs live in
# app/gui/); plot/ never includes the command line. Prints each offending line and
# exits 1 when there is one.
#
# It also counts the arrows that still run the wrong way between the floors
# base <- calendar <- timescale <- location <- ephemeris <- visibility <-
# {map, sightings, graphs} <- app <- plot <- {cli, app/gui}: a pair of folders
# of which the lower (or one of the same floor) includes the other. It lists
# them and fails when there are more than MAX_ARROWS_BACK; that number only
# ever goes down.
cd "$(dirname "$0")/.." || exit 2
status=0
# report FOLDERS PATTERN ALLOWED WHAT
report() {
  local lines
  lines=$(grep -rnE "$2" --include='*.h' --include='*.cpp' $1 | grep -vE "$3")
  if [ -n "$lines" ]; then
    echo "$4:"
    echo "$lines"
    status=1
  fi
}
report base '#include "' '#include "base/' 'base/ includes another folder'
report "calendar timescale ephemeris location visibility graphs map sightings" \
  '#include ("(plot|cli)/|<Q)' '^$' 'a computing folder includes drawing, the command line or Qt'
report plot '#include "cli/' '^$' 'plot/ includes the command line'

MAX_ARROWS_BACK=3
arrows=$(grep -rHE '^#include "[a-z]+/' --include='*.h' --include='*.cpp' \
    base calendar timescale location ephemeris visibility map sightings graphs app plot cli |
  awk '
    function folder(path) {
      if (path ~ /^app\/gui\//) return "app/gui"
      sub(/\/.*/, "", path)
      return path
    }
    BEGIN {
      n = split("base calendar timescale location ephemeris visibility map:6 sightings:6 graphs:6 app:7 plot:8 cli:9 app/gui:9", f, " ")
      for (i = 1; i <= n; i++) {
        if (split(f[i], kv, ":") == 2) floor[kv[1]] = kv[2]; else floor[f[i]] = i - 1
      }
    }
    {
      file = $0; sub(/:.*/, "", file)
      target = $0; sub(/^[^"]*"/, "", target); sub(/".*/, "", target)
      from = folder(file); to = folder(target)
      if (!(to in floor) || from == to) next
      if (floor[to] >= floor[from] && !((from, to) in seen)) {
        seen[from, to] = 1
        print from " -> " to " (" file " includes " target ")"
      }
    }' | sort)
count=$(printf '%s' "$arrows" | grep -c .)
if [ "$count" -gt "$MAX_ARROWS_BACK" ]; then
  echo "$count arrows run back up or sideways between the floors, more than $MAX_ARROWS_BACK:"
  echo "$arrows"
  status=1
elif [ "${1:-}" = "--list" ]; then
  echo "$count arrows run back up or sideways between the floors (at most $MAX_ARROWS_BACK):"
  echo "$arrows"
fi
exit $status
