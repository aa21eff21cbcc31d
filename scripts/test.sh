#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the unit and window
# tests, the unit tests again under the address and undefined-behaviour
# sanitizers, and each fuzz target for a bounded time (FUZZ_SECONDS, default 60).
# In CI (CI=true) a compiler warning fails the gcc builds; BURNMARK_WERROR=ON
# or OFF says so elsewhere.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --test
jobs=$(nproc)
werror=${BURNMARK_WERROR:-$([[ ${CI:-} == true ]] && echo ON || echo OFF)}

scripts/build.sh -DBURNMARK_WERROR="$werror"
QT_QPA_PLATFORM=offscreen ctest --test-dir build -j "$jobs" --output-on-failure

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DBURNMARK_SANITIZE=ON \
      -DBURNMARK_UI=OFF -DBURNMARK_BENCH=OFF -DBURNMARK_WERROR="$werror" >/dev/null
cmake --build build-asan -j "$jobs"
ctest --test-dir build-asan -j "$jobs" --output-on-failure -L unit

if [[ -x scripts/fuzz.sh ]]; then
    scripts/fuzz.sh "${FUZZ_SECONDS:-60}"
fi
