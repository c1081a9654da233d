#!/usr/bin/env bash
# Builds MP3 Melodux and starts it: the player window without arguments,
# melodux-cli with the given arguments otherwise.
set -euo pipefail
cd "$(dirname "$0")/.."
# The window's Japanese font, and Qt's Wayland platform for those who choose it.
scripts/deps.sh fonts-noto-cjk qt6-wayland
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)"
if [ $# -gt 0 ]; then
    exec build/default/src/cli/melodux-cli "$@"
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    cat >&2 <<'TEXT'
No display: neither DISPLAY nor WAYLAND_DISPLAY is set, so the player window
cannot open here. Start scripts/run.sh from a desktop session, or use the
command-line program, which is built now:

    scripts/run.sh play ~/Music/song.mp3     (runs melodux-cli play ...)
    scripts/run.sh --help                    (lists every melodux-cli command)
    build/default/src/cli/melodux-cli info ~/Music/song.mp3
TEXT
    exit 1
fi
exec build/default/src/gui/melodux
