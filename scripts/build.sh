#!/usr/bin/env bash
# Configures and builds Burnmark in build/ (program in build/app/).
#
#   scripts/build.sh [-DOPTION=VALUE...] [TARGET...]
#
# Options go to the configure step; without targets everything is built (the
# program, the tests and the benchmarks).
set -euo pipefail
cd "$(dirname "$0")/.."
options=()
targets=()
for arg in "$@"; do
    case $arg in
        -D*) options+=("$arg") ;;
        *) targets+=("$arg") ;;
    esac
done
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${options[@]}" >/dev/null
cmake --build build -j "$(nproc)" ${targets[@]+--target "${targets[@]}"}
