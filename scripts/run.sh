#!/usr/bin/env bash
# Builds MP3 Melodux and starts it: the player window without arguments,
# melodux-cli with the given arguments otherwise.
set -euo pipefail
cd "$(dirname "$0")/.."
# The window's Japanese font, and Qt's Wayland platform for those who choose it.
scripts/deps.sh fonts-noto-cjk qt6-wayland
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)"
if [ $# -eq 0 ]; then
    exec build/default/src/gui/melodux
fi
exec build/default/src/cli/melodux-cli "$@"
