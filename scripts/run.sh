#!/usr/bin/env bash
# Builds MP3 Melodux and starts it. Arguments are passed to the program.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)"
if [ $# -eq 0 ]; then
    # Until the window exists: a two-second demo chain to the audio device.
    exec build/default/src/cli/melodux-cli play ::SLNC2000
fi
exec build/default/src/cli/melodux-cli "$@"
