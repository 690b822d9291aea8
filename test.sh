#!/usr/bin/env bash
# Installs what is missing, builds every target and runs every test.
#   ./test.sh            warnings shown
#   ./test.sh --werror   warnings are errors (CI)
set -euo pipefail
cd "$(dirname "$0")"
source scripts/common.sh

werror=OFF
for arg in "$@"; do
  case "$arg" in
    --werror) werror=ON ;;
    *) echo "test.sh: unknown argument $arg" >&2; exit 2 ;;
  esac
done

nemora_install_packages
nemora_build -DNEMORA_WERROR="$werror"
cd build
ctest --output-on-failure -j "$(nproc)"
