#!/usr/bin/env bash
# Installs what is missing, builds the program (not the tests) and starts it
# on the application folder build/app/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh burnmark
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" && -z "${QT_QPA_PLATFORM:-}" ]]; then
    echo "No display found: starting on Qt's offscreen platform, which shows no window." >&2
    echo "Stop it with Ctrl+C. To see the window, run: xvfb-run -a scripts/run.sh" >&2
    export QT_QPA_PLATFORM=offscreen
fi
exec build/app/burnmark "$@"
