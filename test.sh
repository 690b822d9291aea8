#!/usr/bin/env bash
# Installs what is missing, builds every target and runs every test.
#   ./test.sh            warnings shown
#   ./test.sh --werror   warnings are errors (CI)
#   ./test.sh --sanitize the core and its tests under AddressSanitizer and
#                        UndefinedBehaviorSanitizer, in build-asan/
set -euo pipefail
cd "$(dirname "$0")"
source scripts/common.sh

werror=OFF
sanitize=OFF
for arg in "$@"; do
  case "$arg" in
    --werror) werror=ON ;;
    --sanitize) sanitize=ON ;;
    *) echo "test.sh: unknown argument $arg" >&2; exit 2 ;;
  esac
done

nemora_install_packages
if [ "$sanitize" = ON ]; then
  # The sanitizers' build checks memory and behaviour, not speed: it keeps
  # the moderate optimisation (-O2) it has always been checked with.
  cmake -S . -B build-asan -G Ninja -DNEMORA_WERROR="$werror" -DNEMORA_SANITIZE=ON -DNEMORA_GUI=OFF \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo
  cmake --build build-asan -j "$(nproc)" --target nemora_tests nemora-cli
  cd build-asan
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
else
  nemora_build -DNEMORA_WERROR="$werror"
  cd build
fi
ctest --output-on-failure -j "$(nproc)"
