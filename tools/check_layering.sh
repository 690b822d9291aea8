#!/bin/bash
# Checks that the folders keep their floors: base/ includes nothing of the
# program's other folders; the computing folders never include the drawing
# (plot/), the command line (cli/) or Qt (window classes, frm*, aside);
# plot/ never includes the command line. Prints each offending line and
# exits 1 when there is one.
cd "$(dirname "$0")/.." || exit 2
status=0
# report FOLDERS PATTERN ALLOWED WHAT
report() {
  local lines
  lines=$(grep -rnE "$2" --include='*.h' --include='*.cpp' $1 | grep -v '/frm' | grep -vE "$3")
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
exit $status
