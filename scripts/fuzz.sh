#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, address and undefined-behaviour
# sanitizers) in build-fuzz and runs each for SECONDS, side by side.
#
#   scripts/fuzz.sh SECONDS [TARGET...]      default: every tests/fuzz/*_fuzz.cpp
#
# Each target starts from its seed corpus tests/fuzz/corpus/<target>/ and keeps
# what it finds in build-fuzz/corpus/<target>/; crashes land in
# build-fuzz/crashes/<target>/. Exits non-zero when a target failed.
set -euo pipefail

seconds=${1:?usage: scripts/fuzz.sh SECONDS [TARGET...]}
shift
here=$(cd "$(dirname "$0")/.." && pwd)
build=$here/build-fuzz

CC=clang CXX=clang++ cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DBURNMARK_FUZZ=ON -DBURNMARK_UI=OFF -DBURNMARK_BENCH=OFF >/dev/null

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for src in "$here"/tests/fuzz/*_fuzz.cpp; do targets+=("$(basename "$src" .cpp)"); done
fi
cmake --build "$build" --target "${targets[@]}"

pids=()
for t in "${targets[@]}"; do
    mkdir -p "$build/corpus/$t" "$build/crashes/$t"
    seeds=()
    [ -d "$here/tests/fuzz/corpus/$t" ] && seeds=("$here/tests/fuzz/corpus/$t")
    (
        cd "$build/crashes/$t"
        "$build/tests/fuzz/$t" -max_total_time="$seconds" -max_len=4096 -timeout=10 \
            -rss_limit_mb=2048 -print_final_stats=1 \
            "$build/corpus/$t" "${seeds[@]}" >"$build/$t.log" 2>&1
    ) &
    pids+=($!)
    echo "fuzzing $t for $seconds s (log: build-fuzz/$t.log)"
done

failed=0
for i in "${!targets[@]}"; do
    if wait "${pids[$i]}"; then
        runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$build/${targets[$i]}.log" | grep -o '[0-9]*$' || true)
        echo "${targets[$i]}: ok (${runs:-?} runs)"
    else
        echo "${targets[$i]}: FAILED, see build-fuzz/${targets[$i]}.log and build-fuzz/crashes/${targets[$i]}/"
        tail -n 40 "$build/${targets[$i]}.log"
        failed=1
    fi
done
exit $failed
