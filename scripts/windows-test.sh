#!/usr/bin/env bash
# Cross-builds the code that needs no Qt for 64-bit Windows with MinGW-w64 and runs its
# tests under Wine (the windows preset, in build/windows). Prints how long it took.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
ensure_packages "${TREMOLEX_WINDOWS_PACKAGES[@]}"

start=$SECONDS
cmake --preset windows
cmake --build --preset windows
ctest --preset windows -j "$(nproc)"
echo "Windows build and tests under Wine: $((SECONDS - start)) s" >&2
