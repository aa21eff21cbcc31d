#!/usr/bin/env bash
# Installs the build into a temporary prefix and starts the installed program
# as a new user would: the first start makes the user's application folder
# from the installed sample, later starts keep what the user changed there, and
# no start prints a warning on a machine without a desktop session.
#
#   install_test.sh BUILD_DIR [CMAKE]
set -euo pipefail
build=${1:?usage: install_test.sh BUILD_DIR [CMAKE]}
cmake=${2:-cmake}
work=$(mktemp -d)
pid=
trap '[[ -n $pid ]] && kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT
prefix=$work/prefix
user=$work/home/.local/share/burnmark

fail() {
    echo "FAIL: $*"
    [[ -s $work/out ]] && { echo "--- what the program printed:"; cat "$work/out"; }
    exit 1
}

"$cmake" --install "$build" --prefix "$prefix" >"$work/install.log" || { cat "$work/install.log"; fail "install"; }
for f in bin/burnmark share/burnmark/sample/Select.ini share/burnmark/sample/INI/ATMEL/AT89C51.INI \
         share/burnmark/sample/FPGA/MCU51.BIN "share/burnmark/sample/Bmpdata/First Setup.bmp" \
         share/burnmark/sample/Temp1.cue share/burnmark/sample/Temp0.cue \
         share/applications/burnmark.desktop share/icons/hicolor/scalable/apps/burnmark.svg \
         lib/udev/rules.d/60-burnmark-programmer.rules lib/udev/rules.d/70-burnmark-uaccess.rules; do
    [[ -e $prefix/$f ]] || fail "$f is not installed"
done
grep -qx "Exec=$prefix/bin/burnmark" "$prefix/share/applications/burnmark.desktop" ||
    fail "the desktop entry does not start the installed program"

# Starts the installed program without a desktop session and stops it once
# its main window exists (it writes logo.c.ini then).
start() {
    rm -f "$user/logo.c.ini"
    env -u XDG_RUNTIME_DIR -u XDG_DATA_HOME -u BURNMARK_APP_DIR -u PULSE_SERVER \
        HOME="$work/home" QT_QPA_PLATFORM=offscreen "$prefix/bin/burnmark" >"$work/out" 2>&1 &
    pid=$!
    for _ in $(seq 300); do
        [[ -f $user/logo.c.ini ]] && break
        kill -0 "$pid" 2>/dev/null || fail "the program ended at its start"
        sleep 0.1
    done
    [[ -f $user/logo.c.ini ]] || fail "the main window did not come up in 30 s"
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    pid=
    [[ ! -s $work/out ]] || fail "the program printed something at its start"
}

start
cmp -s "$user/Select.ini" "$prefix/share/burnmark/sample/Select.ini" || fail "the catalogue was not laid"
grep -q "IcFileName=$user/INI\\\\ATMEL\\\\AT89C51.INI" "$user/History_1.ini" ||
    fail "the default device is not the user's copy"

# The user edits the catalogue and loses a file; the next start keeps the
# edit and lays the lost file again.
printf '; edited\r\n' >>"$user/Select.ini"
rm "$user/FPGA/MCU51.BIN"
start
grep -q '; edited' "$user/Select.ini" || fail "the user's catalogue was overwritten"
cmp -s "$user/FPGA/MCU51.BIN" "$prefix/share/burnmark/sample/FPGA/MCU51.BIN" ||
    fail "a lost file was not laid again"
echo "installed and started: ok"
