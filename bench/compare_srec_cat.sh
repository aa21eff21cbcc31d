#!/usr/bin/env bash
# Times our load and save of a 16 MB image beside srec_cat doing the same
# conversions, and shows the peak memory of each (from /usr/bin/time -v).
#
#   bench/compare_srec_cat.sh [MB] [FORMATS...]     defaults: 16 intel s28 s37
#
# FORMATS: intel s19 s28 s37 tek; S19 and Tektronix records reach only 64 KB,
# so those runs save and load 64 KB whatever MB says.
#
# BENCH: the bench_file_formats program (default: a Release build in
# build-bench, made when missing).
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
mb=${1:-16}
shift || true
formats=("$@")
[ ${#formats[@]} -eq 0 ] && formats=(intel s28 s37)

bench=${BENCH:-$here/build-bench/bench/bench_file_formats}
if [ ! -x "$bench" ]; then
    cmake -S "$here" -B "$here/build-bench" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DBURNMARK_UI=OFF -DBURNMARK_TESTS=OFF >/dev/null
    cmake --build "$here/build-bench" --target bench_file_formats >/dev/null
fi
command -v srec_cat >/dev/null || { echo "srec_cat is not installed" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "/usr/bin/time is not installed" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Runs a command under /usr/bin/time -v; prints "seconds peak-MB".
measure() {
    /usr/bin/time -v -o "$work/time.txt" "$@" >/dev/null 2>"$work/err.txt" ||
        { cat "$work/err.txt" >&2; exit 1; }
    awk -F': ' '/Elapsed \(wall clock\)/ { n = split($2, t, ":"); s = 0;
                                          for (i = 1; i <= n; i++) s = s * 60 + t[i]; secs = s }
                /Maximum resident set size/ { kb = $2 }
                END { printf "%.3f %.1f\n", secs, kb / 1024 }' "$work/time.txt"
}

srec_option() {
    case $1 in
        intel) echo "-intel" ;;
        s19) echo "-motorola --address-length=2" ;;
        s28) echo "-motorola --address-length=3" ;;
        s37) echo "-motorola --address-length=4" ;;
        tek) echo "-Tektronix" ;;
    esac
}
srec_reader() { case $1 in intel) echo "-intel" ;; tek) echo "-Tektronix" ;; *) echo "-motorola" ;; esac; }

# The program's own footprint (code, libraries, heap arenas), to tell the
# data's share of the peak from it.
printf ':0100000055AA\r\n:00000001FF\r\n' >"$work/tiny.hex"
read -r _ base_mem < <(measure "$bench" load intel "$work/tiny.hex")
echo "baseline of the bench program itself: $base_mem MB"

printf '%-6s %-22s %9s %9s %9s\n' format step seconds peak-MB ratio
for f in "${formats[@]}"; do
    # Our save writes the file we then load, srec_cat converts the same bytes.
    read -r our_save our_save_mem < <(measure "$bench" save "$f" "$work/ours.$f" "$mb")
    head -c $((mb * 1048576)) "$work/ours.$f" >/dev/null
    "$bench" load "$f" "$work/ours.$f" >/dev/null  # warm the page cache
    srec_cat "$work/ours.$f" $(srec_reader "$f") -o "$work/data.bin" -binary
    # shellcheck disable=SC2046
    read -r srec_save srec_save_mem < <(measure srec_cat "$work/data.bin" -binary -o "$work/srec.$f" $(srec_option "$f"))
    read -r our_load our_load_mem < <(measure "$bench" load "$f" "$work/ours.$f")
    # shellcheck disable=SC2046
    read -r srec_load srec_load_mem < <(measure srec_cat "$work/ours.$f" $(srec_reader "$f") -o "$work/back.bin" -binary)
    data_mb=$mb
    case $f in s19|tek) data_mb=0.0625 ;; esac
    file_mb=$(awk -v b="$(stat -c %s "$work/ours.$f")" 'BEGIN { printf "%.1f", b / 1048576 }')
    ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.1fx", a / b; else print "-" }'; }
    printf '%-6s %-22s %9s %9s %9s\n' "$f" "ours save" "$our_save" "$our_save_mem" "$(ratio "$srec_save" "$our_save")"
    printf '%-6s %-22s %9s %9s\n' "$f" "srec_cat save" "$srec_save" "$srec_save_mem"
    printf '%-6s %-22s %9s %9s %9s\n' "$f" "ours load" "$our_load" "$our_load_mem" "$(ratio "$srec_load" "$our_load")"
    printf '%-6s %-22s %9s %9s\n' "$f" "srec_cat load" "$srec_load" "$srec_load_mem"
    awk -v f="$file_mb" -v m="$data_mb" -v peak="$our_load_mem" -v base="$base_mem" -v f2="$f" 'BEGIN {
        bar = f + 2 * m; net = peak - base
        printf "%s: file %.1f MB, data %g MB: load peak %.1f MB less baseline = %.1f MB, bar (file + 2 x buffer) %.1f MB: %s\n",
               f2, f, m, peak, net, bar, net <= bar ? "within" : "OVER" }'
done
