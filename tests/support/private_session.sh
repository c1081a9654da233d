# Sourced by the scripts that run the real programs: a private work folder
# ($work) removed at exit together with the processes in $pids, and the
# settings, data, music and runtime folders pointed into it, so nothing
# touches the user's own. Usage: . private_session.sh NAME
work=$(mktemp -d "${TMPDIR:-/tmp}/melodux-$1.XXXXXX")
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work"/{cfg,sys,data,run,music}
chmod 700 "$work/run"
export MELODUX_CONFIG_HOME=$work/cfg MELODUX_SYSTEM_CONFIG=$work/sys XDG_DATA_HOME=$work/data \
    XDG_RUNTIME_DIR=$work/run XDG_MUSIC_DIR=$work/music HOME=$work
unset WAYLAND_DISPLAY XDG_SESSION_TYPE
