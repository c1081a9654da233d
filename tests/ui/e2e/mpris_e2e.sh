#!/usr/bin/env bash
# The real melodux on a private session bus, driven as media keys and sound
# menus drive it: dbus-send calls, property reads and writes, and the
# PropertiesChanged signals a listener sees. The window is offscreen; the
# file: device shows whether sound comes out.
# Usage: mpris_e2e.sh MELODUX_BINARY
# Exit 77 (skip) only when dbus-run-session is missing.
set -uo pipefail

melodux=$1
for tool in dbus-run-session dbus-send dbus-monitor sox; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool missing"; exit 77; }
done
if [ -z "${MELODUX_MPRIS_INNER:-}" ]; then
    MELODUX_MPRIS_INNER=1 exec dbus-run-session -- "$0" "$@"
fi

. "$(dirname "$0")/../../support/private_session.sh" mpris
export QT_QPA_PLATFORM=offscreen MELODUX_AUDIO=file:$work/out.wav
fail() { echo "FAIL: $*"; exit 1; }

sox -n -r 44100 -c 2 -b 16 "$work/a.wav" synth 30 sine 440 vol 0.3 || fail "sox"
sox -n -r 44100 -c 2 -b 16 "$work/b.wav" synth 30 sine 660 vol 0.3 || fail "sox"

dbus-monitor --session "type='signal',path='/org/mpris/MediaPlayer2'" >"$work/signals" 2>&1 &
pids+=($!)
"$melodux" "$work/a.wav" "$work/b.wav" >"$work/melodux.log" 2>&1 &
melodux_pid=$!
pids+=($melodux_pid)

call() { # INTERFACE.METHOD [ARGS...]
    dbus-send --session --print-reply --dest=org.mpris.MediaPlayer2.melodux \
        /org/mpris/MediaPlayer2 "$@" 2>&1
}
get() { call org.freedesktop.DBus.Properties.Get string:org.mpris.MediaPlayer2.Player "string:$1"; }
player() { call "org.mpris.MediaPlayer2.Player.$1" "${@:2}"; }
# Bytes written so far: the file output writes a temporary file beside OUT.
written() { cat "$work"/out.wav "$work"/*.tmp 2>/dev/null | wc -c; }
waits_for() { # SECONDS COMMAND...: true once the command succeeds
    local tries=$(($1 * 10))
    shift
    for _ in $(seq "$tries"); do "$@" && return 0; sleep 0.1; done
    return 1
}
status_is() { get PlaybackStatus | grep -q "\"$1\""; }
grows() {
    local before
    before=$(written)
    sleep 0.6
    [ "$(written)" -gt "$before" ]
}

waits_for 10 status_is Playing || fail "not playing on the bus: $(get PlaybackStatus) $(cat "$work/melodux.log")"
get Metadata | grep -q "file://$work/a.wav" || fail "metadata names no file: $(get Metadata)"
get Metadata | grep -q '"xesam:title"' || fail "metadata has no title"

player Pause >/dev/null
waits_for 3 status_is Paused || fail "Pause: $(get PlaybackStatus)"
grows && fail "sound goes on while paused"
player PlayPause >/dev/null
waits_for 3 status_is Playing || fail "PlayPause: $(get PlaybackStatus)"
waits_for 3 grows || fail "no sound after PlayPause"

player Seek int64:10000000 >/dev/null
position=$(get Position | awk '/int64/ { print $3 }')
[ "${position:-0}" -ge 10000000 ] || fail "Seek by 10 s left the position at $position"
grep -q 'member=Seeked' "$work/signals" || fail "no Seeked signal"

player Next >/dev/null
waits_for 3 sh -c "dbus-send --session --print-reply --dest=org.mpris.MediaPlayer2.melodux \
    /org/mpris/MediaPlayer2 org.freedesktop.DBus.Properties.Get \
    string:org.mpris.MediaPlayer2.Player string:Metadata | grep -q 'b.wav'" || fail "Next"
waits_for 3 grep -q 'b.wav' "$work/signals" || fail "no PropertiesChanged with the new metadata"

call org.freedesktop.DBus.Properties.Set string:org.mpris.MediaPlayer2.Player string:Volume \
    variant:double:0.25 >/dev/null
get Volume | grep -q 'double 0.25' || fail "Volume: $(get Volume)"
call org.freedesktop.DBus.Properties.Set string:org.mpris.MediaPlayer2.Player string:LoopStatus \
    variant:string:Playlist >/dev/null
get LoopStatus | grep -q '"Playlist"' || fail "LoopStatus: $(get LoopStatus)"
refused=$(call org.freedesktop.DBus.Properties.Set string:org.mpris.MediaPlayer2.Player \
    string:PlaybackStatus variant:string:Stopped)
[[ $refused == *PropertyReadOnly* ]] || fail "a read-only property was set: $refused"

player Stop >/dev/null
waits_for 3 status_is Stopped || fail "Stop: $(get PlaybackStatus)"

call org.mpris.MediaPlayer2.Quit >/dev/null
waits_for 5 sh -c "! kill -0 $melodux_pid 2>/dev/null" || fail "Quit left the program running"
echo "PASS"
