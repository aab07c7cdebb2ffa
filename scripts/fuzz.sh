#!/usr/bin/env bash
# Builds the fuzz preset and runs every fuzz target for a while (seconds per target,
# default 60) on a scratch copy of its seed corpus and regressions. When a target fails,
# the input is copied into tests/fuzz/regressions/<target>/ and the script exits non-zero.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [ "$seconds" -eq 0 ]; then
    echo "usage: scripts/fuzz.sh [seconds-per-target, at least 1]" >&2
    exit 2
fi
targets=(reception numbers logload recording)

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

scratch=$(mktemp -d "${TMPDIR:-/tmp}/tremolex-fuzz-XXXXXX")
trap 'rm -rf "$scratch"' EXIT
failed=()
for name in "${targets[@]}"; do
    work="$scratch/$name"
    mkdir -p "$work/corpus" "$work/found" "$work/tmp"
    # Inputs only: a folder's README is not one.
    find "tests/fuzz/corpus/$name" "tests/fuzz/regressions/$name" -maxdepth 1 -type f \
        ! -name 'README*' -exec cp -t "$work/corpus" {} +

    echo "== $name: ${seconds} s"
    status=0
    TMPDIR="$work/tmp" "build/fuzz/bin/${name}_fuzz" "$work/corpus" \
        -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$work/found/" >"$work/log" 2>&1 || status=$?

    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log" | tail -n 1)
    coverage=$(grep -E '^#[0-9]+[[:space:]].*cov: ' "$work/log" | tail -n 1 |
        sed -E 's/.*(cov: [0-9]+ ft: [0-9]+ corp: [^ ]+).*/\1/')
    echo "$name: ${runs:-?} runs, ${coverage:-no coverage line}"

    found=$(find "$work/found" -maxdepth 1 -type f \( -name 'crash-*' -o -name 'leak-*' \
        -o -name 'timeout-*' -o -name 'oom-*' \) | sort)
    if [ "$status" -ne 0 ] || [ -n "$found" ]; then
        tail -n 60 "$work/log" >&2
        for input in $found; do
            kept="tests/fuzz/regressions/$name/$(basename "$input")"
            cp "$input" "$kept"
            echo "$name failed on an input, kept as $kept" >&2
        done
        [ -n "$found" ] || echo "$name stopped with status $status and left no input" >&2
        failed+=("$name")
    fi
done

if [ ${#failed[@]} -gt 0 ]; then
    echo "Fuzzing failed: ${failed[*]}" >&2
    exit 1
fi
echo "Fuzzing found nothing in ${seconds} s per target."
