#!/usr/bin/env bash
# Our Load and Save flows beside srec_cat (srecord) doing the same work, in
# paired runs: each round runs ours and then srec_cat on the same files, and
# every ratio is taken within one round. Prints each row's ratios (median and
# range), the peak memory of both sides, and the table of figures and goals.
#
#   bench/compare_srec_cat.sh [ROUNDS]          default 3
#
# Ours: bench_file_formats, which runs LoadFlow::RunLoad and SaveFlow::RunSave
# over the whole core as the window does (a load starts from the buffer of a
# small device and grows it as the flow grows it) and prints the seconds of
# the flow alone. srec_cat: the whole command, timed from outside. The data are
# random bytes made before any timing; the files both sides load are the ones
# our saves wrote. Both sides write records of the same size: 32 data bytes for
# Intel HEX (our writer's record), 16 for S-records (-obs). Saves go to the
# work folder's disk and include the fsync: ours syncs in its atomic writer,
# srec_cat's file is synced after it ends ("sync FILE").
#
# BENCH: the bench_file_formats program (default: a Release build in
# build-bench, made when missing). TMPDIR: where the work folder goes (an ext4
# disk for the save rows).
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
rounds=${1:-3}

bench=${BENCH:-$here/build-bench/bench/bench_file_formats}
if [ ! -x "$bench" ]; then
    cmake -S "$here" -B "$here/build-bench" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DBURNMARK_UI=OFF -DBURNMARK_TESTS=OFF >/dev/null
    cmake --build "$here/build-bench" --target bench_file_formats >/dev/null
fi
command -v srec_cat >/dev/null || { echo "srec_cat is not installed (Debian: srecord)" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "/usr/bin/time is not installed (Debian: time)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fstype=$(df --output=fstype "$work" | tail -1)
echo "work folder $work on $fstype; srec_cat $(srec_cat -version | awk 'NR == 1 { print $3 }'); $rounds rounds"

# peak KiB of the last measured command
peak() { awk -F': ' '/Maximum resident set size/ { print $2 }' "$work/time.txt"; }
mib() { awk -v k="$1" 'BEGIN { printf "%.0f", k / 1024 }'; }
now() { echo "$EPOCHREALTIME"; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.6f", b - a }'; }

# Runs ours; sets our_s (the flow's seconds), our_buffer (buffer bytes after) and our_kib.
run_ours() {
    local out
    out=$(/usr/bin/time -v -o "$work/time.txt" "$bench" "$@" 2>"$work/err.txt") ||
        { cat "$work/err.txt" >&2; exit 1; }
    read -r our_s our_buffer <<<"$out"
    our_kib=$(peak)
}

# Runs srec_cat, then syncs the file named by SYNC when set; sets srec_s and srec_kib.
run_srec() {
    local t0 t1
    t0=$(now)
    /usr/bin/time -v -o "$work/time.txt" srec_cat "$@" 2>"$work/err.txt" >/dev/null ||
        { cat "$work/err.txt" >&2; exit 1; }
    if [ -n "${SYNC:-}" ]; then sync "$SYNC"; fi
    t1=$(now)
    srec_s=$(elapsed "$t0" "$t1")
    srec_kib=$(peak)
}

srec_type() {
    case $1 in
        intel) echo "-intel" ;;
        s28) echo "-motorola --address-length=3 -obs=16" ;;
        s37) echo "-motorola --address-length=4 -obs=16" ;;
        bin) echo "-binary" ;;
    esac
}
srec_in() { case $1 in intel) echo "-intel" ;; bin) echo "-binary" ;; *) echo "-motorola" ;; esac; }
# Intel HEX: our writer's 32-byte records.
srec_obs() { case $1 in intel) echo "-obs=32" ;; *) echo "" ;; esac; }

data() {  # the random data of MB megabytes
    local f="$work/data$1.bin"
    [ -f "$f" ] || head -c $(($1 * 1048576)) /dev/urandom >"$f"
    echo "$f"
}

median() { tr ' ' '\n' | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
range() { tr ' ' '\n' | sort -g | awk 'NR == 1 { lo = $1 } { hi = $1 } END { printf "%.1f-%.1fx", lo, hi }'; }

declare -A measured
printf '%-20s %9s %11s %9s %11s %9s %13s\n' row ours-s ours-MiB srec-s srec-MiB ratio range
row() {  # row NAME load|save FORMAT MB
    local name=$1 kind=$2 f=$3 mb=$4 d file out ratios="" ours="" srecs="" our_max=0 srec_max=0
    d=$(data "$mb")
    if [ "$kind" = load ]; then
        if [ "$f" = bin ]; then file=$d; else
            file="$work/in.$f.$mb"
            "$bench" save "$f" "$d" "$file" >/dev/null
        fi
        # Checks the load once (and warms the page cache), outside the timing.
        "$bench" load "$file" "$d" >/dev/null
        srec_cat "$file" $(srec_in "$f") -o "$work/back.bin" -binary
        cmp -s "$work/back.bin" "$d" || { echo "srec_cat reads $file differently" >&2; exit 1; }
    fi
    for _ in $(seq "$rounds"); do
        if [ "$kind" = load ]; then
            run_ours load "$file"
            # shellcheck disable=SC2046
            SYNC="" run_srec "$file" $(srec_in "$f") -o "$work/back.bin" -binary
        else
            out="$work/out.$f"
            run_ours save "$f" "$d" "$work/ours.$f"
            # shellcheck disable=SC2046
            SYNC=$out run_srec "$d" -binary -o "$out" $(srec_type "$f") $(srec_obs "$f")
            rm -f "$out" "$work/ours.$f"
        fi
        ratios+="$(awk -v a="$srec_s" -v b="$our_s" 'BEGIN { printf "%.3f", a / b }') "
        ours+="$our_s "
        srecs+="$srec_s "
        [ "$our_kib" -gt "$our_max" ] && our_max=$our_kib
        [ "$srec_kib" -gt "$srec_max" ] && srec_max=$srec_kib
    done
    local r rr
    r=$(echo $ratios | median)
    rr=$(echo $ratios | range)
    printf '%-20s %9.3f %11s %9.3f %11s %8.1fx %13s\n' "$name" "$(echo $ours | median)" \
        "$(mib "$our_max")" "$(echo $srecs | median)" "$(mib "$srec_max")" "$r" "$rr"
    measured[$name]=$(printf '%.1fx (%s)' "$r" "$rr")
    if [ "$kind" = load ] && [ "$f" != bin ]; then
        local size bar
        size=$(stat -c %s "$file")
        # The goal: at most the final buffer plus the file plus 16 MB.
        bar=$(awk -v b="$our_buffer" -v s="$size" 'BEGIN { printf "%.0f", (b + s) / 1048576 + 16 }')
        measured[$name.mem]="$(mib "$our_max") MiB (bar $bar MiB; srec_cat $(mib "$srec_max") MiB)"
    fi
}

row "load intel 16" load intel 16
row "load intel 64" load intel 64
row "load s28 16" load s28 16
row "load s37 16" load s37 16
row "load s37 64" load s37 64
row "load bin 16" load bin 16
row "load bin 64" load bin 64
row "save intel 64" save intel 64
row "save s37 64" save s37 64

echo
echo "| work | measured | goal |"
echo "|---|---|---|"
echo "| load Intel HEX, 16 / 64 MB of data | ${measured[load intel 16]} / ${measured[load intel 64]} | at least 10x |"
echo "| load Motorola S28 / S37, 16 MB; S37 64 MB | ${measured[load s28 16]} / ${measured[load s37 16]}; ${measured[load s37 64]} | at least 10x |"
echo "| load binary 16 / 64 MB | ${measured[load bin 16]} / ${measured[load bin 64]} | keep (15-16x) |"
echo "| peak memory of a text load (Intel 16 MB of data); S37 64 MB | ${measured[load intel 16.mem]}; ${measured[load s37 64.mem]} | at most the final buffer plus the file plus 16 MB |"
echo "| save Intel / S37 64 MB to $fstype, fsync included | ${measured[save intel 64]} / ${measured[save s37 64]} | at least 5x |"
