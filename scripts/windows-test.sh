#!/usr/bin/env bash
# Runs the tests of the Windows build under Wine (the windows preset, in build/windows, which
# ./test builds first). Prints how long they took.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ ! -f build/windows/CTestTestfile.cmake ]; then
    echo "Build the windows preset first: cmake --preset windows && cmake --build --preset windows" >&2
    exit 1
fi

start=$SECONDS
ctest --preset windows -j "$(nproc)"
echo "Windows tests under Wine: $((SECONDS - start)) s" >&2
