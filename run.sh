#!/usr/bin/env bash
# Installs what is missing, builds the window program (only it), and opens
# the calculator. Arguments are passed on to the program (for example
# --screenshot FILE, which needs no display: it draws offscreen).
set -euo pipefail
cd "$(dirname "$0")"
source scripts/common.sh

nemora_install_packages
nemora_build_targets nemora

picture=0
for arg in "$@"; do
  case "$arg" in
    --screenshot | --screenshot=* | --map-screenshot | --map-screenshot=*) picture=1 ;;
  esac
done
if [ "$picture" = 0 ] && [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  cat >&2 <<'TEXT'
No display found (neither DISPLAY nor WAYLAND_DISPLAY is set): the calculator window cannot open here.
Pictures of it need none (./run.sh --screenshot main.png draws offscreen), and the command-line
front end gives the same results without a window:
  build/nemora-cli --help
TEXT
  exit 1
fi
exec build/nemora "$@"
