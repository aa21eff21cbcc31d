#!/usr/bin/env bash
# Installs what is missing, builds, and starts Burnmark on the sample catalogue.
# Without a display, run it as: QT_QPA_PLATFORM=offscreen scripts/run.sh
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" && -z "${QT_QPA_PLATFORM:-}" ]]; then
    echo "No display found: starting on Qt's offscreen platform." >&2
    export QT_QPA_PLATFORM=offscreen
fi
exec build/app/burnmark "$@"
