#!/usr/bin/env bash
# Installs what is missing, builds, and opens the calculator window.
# Arguments are passed on to the program (for example --screenshot FILE).
set -euo pipefail
cd "$(dirname "$0")"
source scripts/common.sh

nemora_install_packages
nemora_build

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  cat >&2 <<'TEXT'
No display found (neither DISPLAY nor WAYLAND_DISPLAY is set): the calculator window cannot open here.
The command-line front end gives the same results without a window:
  build/nemora-cli --help
TEXT
  exit 1
fi
exec build/nemora "$@"
