#!/usr/bin/env bash
# The recording panel of the real melodux under its own Xvfb, ripping a
# generated CUE/BIN image named from a CDDB server on 127.0.0.1:
#   rip   Ctrl+3 and the panel's Alt+R rip the three tracks as WAVE into
#         files named from the CDDB titles, holding the image's bytes, in
#         the library and marked recorded once the program has been closed
#   stop  Alt+Q while two long tracks are being encoded to MP3 leaves no
#         file of them, and none in the library
#   fail  Alt+R on the player rips to MP3; a folder where the second file
#         should go fails that track only, the first and the third are
#         kept, tagged and filed
# Usage: record_e2e.sh rip|stop|fail MELODUX MELODUX_CLI
# Exit 77 (skip) only when no X server can be started.
set -uo pipefail

mode=$1 melodux=$2 cli=$3
skip=77
here=$(cd "$(dirname "$0")" && pwd)
python=/usr/bin/python3

for tool in Xvfb xdotool xwininfo; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool missing"; exit $skip; }
done

. "$here/../../support/private_session.sh" record
export QT_QPA_PLATFORM=xcb MELODUX_AUDIO=null MELODUX_CD_IMAGES=$work/disc.cue
fail() { echo "FAIL: $*"; exit 1; }
library_dir=$work/data/mp3-melodux/MyData
album=$work/music/Album
titles=("Opening" "二曲目" "Finale")

Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "SKIP: Xvfb did not start"; cat "$work/xvfb.log"; exit $skip; }
export DISPLAY=:$(head -1 "$work/display")

# disc.cue and disc.bin with one audio track of each length in seconds,
# each track's sectors of its own noise.
make_image() {
    "$python" - "$work" "$@" <<'PY'
import os, sys
folder, lengths = sys.argv[1], [int(s) for s in sys.argv[2:]]
start = 0
with open(f"{folder}/disc.bin", "wb") as bin, open(f"{folder}/disc.cue", "w") as cue:
    cue.write('FILE "disc.bin" BINARY\n')
    for number, seconds in enumerate(lengths, 1):
        m, s = divmod(start // 75, 60)
        cue.write(f"  TRACK {number:02d} AUDIO\n    INDEX 01 {m:02d}:{s:02d}:{start % 75:02d}\n")
        bin.write(os.urandom(seconds * 75 * 2352))
        start += seconds * 75
PY
}

# The bytes of track N of the image (sizes in seconds as given to make_image).
track_bytes() {
    local n=$1 skip=0
    shift
    for seconds in "${@:1:n-1}"; do skip=$((skip + seconds * 75 * 2352)); done
    tail -c +$((skip + 1)) "$work/disc.bin" | head -c $((${!n} * 75 * 2352))
}

# The "data" chunk of a WAVE file.
wave_data() {
    "$python" - "$1" <<'PY'
import sys
data = open(sys.argv[1], "rb").read()
at = 12
while at + 8 <= len(data):
    size = int.from_bytes(data[at + 4:at + 8], "little")
    if data[at:at + 4] == b"data":
        sys.stdout.buffer.write(data[at + 8:at + 8 + size])
        break
    at += 8 + size + (size & 1)
PY
}

# Writes the settings, starts the CDDB responder, then melodux; sets
# $program and $window.
start_program() {
    local format=$1 port
    "$python" "$here/cddb_responder.py" "$work/port" "$work/cddb.log" "Band / Album" "${titles[@]}" &
    pids+=($!)
    for _ in $(seq 50); do [ -s "$work/port" ] && break; sleep 0.1; done
    port=$(cat "$work/port" 2>/dev/null) || fail "the CDDB responder did not start"
    while read -r key name value type; do
        "$cli" config set "$key" "$name" "$value" "$type" || fail "config set $key $name"
    done <<EOF
Settings CurrentWriter $format --dword
Settings FileNameType1 3 --dword
Settings FileNameType2 2 --dword
Settings DirNameType 1 --dword
Settings DefaultMusicPath $work/music --string
CDDB CDDBEnable 1 --dword
CDDB CDDBServer http://127.0.0.1:$port/~cddb/cddb.cgi --string
CDDB MailAdres tester@example.org --string
EOF
    "$melodux" >>"$work/melodux.log" 2>&1 &
    program=$!
    pids+=("$program")
    window=$(timeout 15 xdotool search --sync --onlyvisible --name "MP3 Melodux" | head -1)
    [ -n "$window" ] || fail "no main window within 15 s: $(cat "$work/melodux.log")"
}

# Ctrl+3 on the main window shows the panel; sets $panel.
open_panel() {
    panel=""
    for _ in $(seq 20); do
        xdotool key --window "$window" ctrl+3
        panel=$(timeout 1 xdotool search --sync --onlyvisible --name "^Recording$" | head -1)
        [ -n "$panel" ] && return 0
    done
    fail "Ctrl+3 shows no recording panel; the windows: $(xwininfo -root -tree | grep '"')"
}

# The disc is looked up on its own once the panel sees it; the titles are
# in the list a timer tick after the entry has been read.
wait_for_titles() {
    for _ in $(seq 100); do
        grep -q "^cddb read " "$work/cddb.log" 2>/dev/null && { sleep 1; return 0; }
        sleep 0.1
    done
    fail "the disc was never looked up: $(cat "$work/cddb.log" 2>/dev/null)"
}

panel_key() {
    xdotool windowfocus --sync "$panel" key --clearmodifiers "$1"
}

# The recording state of each track as the local CD database keeps it for
# the disc (2 recorded, 3 aborted, 0 none), written when the panel closes.
stored_states() {
    cat "$work"/data/mp3-melodux/cddb/*/* 2>/dev/null | sed -n 's/^#MELODUX-STATE[0-9]*=//p' | xargs
}

# Waits until the album folder holds exactly the given names (and so no
# temporary file either).
wait_for_files() {
    local expected
    expected=$(printf '%s\n' "$@" | sort)
    for _ in $(seq 200); do
        [ "$(ls -A "$album" 2>/dev/null | sort)" = "$expected" ] && return 0
        sleep 0.1
    done
    fail "the album folder holds [$(ls -A "$album" 2>/dev/null | tr '\n' ' ')], not [$*]"
}

# The library is saved a few seconds after its last change: once the file
# lists COUNT items, the run that filed them is over and the program closes
# without asking about a running one.
wait_for_run_end() {
    for _ in $(seq 100); do
        [ "$(library_items 2>/dev/null | wc -l)" -eq "$1" ] && return 0
        sleep 0.1
    done
    fail "the library was not saved with $1 items at the end of the run"
}

quit_program() {
    xdotool windowfocus --sync "$window" key --clearmodifiers alt+F4 2>/dev/null
    for _ in $(seq 200); do kill -0 "$program" 2>/dev/null || return 0; sleep 0.05; done
    fail "the program did not end after Alt+F4: $(xwininfo -root -tree | grep '"')"
}

# The library's path, title, artist, album and track of every item.
library_items() {
    "$cli" library --db "$library_dir" list | awk -F'\t' '{ print $1 "|" $2 "|" $3 "|" $4 "|" $8 }' | sort
}

# Track N (from 1) was ripped to $album/NN - TITLE.EXT and is in the
# library: a WAVE file holds the image's bytes (it carries no tag), an MP3
# file its length and the tags.
check_track() {
    local n=$1 ext=$2 file
    shift 2
    file=$album/$(printf '%02d' "$n")" - ${titles[n - 1]}.$ext"
    grep -qxF "$file|${titles[n - 1]}|Band|Album|$n" "$work/library" ||
        fail "the library does not hold $file: $(cat "$work/library")"
    if [ "$ext" = wav ]; then
        cmp -s <(wave_data "$file") <(track_bytes "$n" "$@") || fail "$file does not hold track $n"
        return
    fi
    "$cli" info "$file" >"$work/info" || fail "melodux-cli info $file"
    for field in "title: ${titles[n - 1]}" "artist: Band" "album: Album" "track: $n"; do
        grep -qxF "$field" "$work/info" || fail "$file has no $field: $(cat "$work/info")"
    done
    # The encoder's delay and padding add at most a few frames.
    awk -v ms=$((${!n} * 1000)) '
        $1 == "duration:" { ok = $2 >= ms && $2 < ms + 100 }
        END { exit !ok }' "$work/info" || fail "$file does not last ${!n} s: $(grep duration: "$work/info")"
}

case $mode in
rip)
    lengths=(3 2 4)
    make_image "${lengths[@]}"
    start_program 15
    open_panel
    wait_for_titles
    # Disc id 0e000903: digit sums of 2, 5 and 7 s, 9 s long, 3 tracks.
    grep -qx "cddb query 0e000903 3 150 375 525 11" "$work/cddb.log" ||
        fail "the query does not carry the disc's layout: $(cat "$work/cddb.log")"
    panel_key alt+r
    wait_for_files "01 - Opening.wav" "02 - 二曲目.wav" "03 - Finale.wav"
    wait_for_run_end 3
    quit_program
    library_items >"$work/library"
    for n in 1 2 3; do check_track "$n" wav "${lengths[@]}"; done
    [ "$(wc -l <"$work/library")" -eq 3 ] || fail "the library holds more: $(cat "$work/library")"
    [ "$(stored_states)" = "2 2 2" ] || fail "the CD database keeps the states $(stored_states)"
    echo "PASS: three tracks ripped, named from CDDB, tagged and filed"
    ;;
stop)
    make_image 200 200 2
    start_program 14
    open_panel
    wait_for_titles
    panel_key alt+r
    for _ in $(seq 100); do
        [ -n "$(find "$album" -type f -size +100k 2>/dev/null)" ] && break
        sleep 0.1
    done
    [ -n "$(find "$album" -type f -size +100k 2>/dev/null)" ] || fail "nothing is being written"
    panel_key alt+q
    sleep 1
    kill -0 "$program" 2>/dev/null || fail "the program ended on Alt+Q: $(cat "$work/melodux.log")"
    [ -z "$(ls -A "$album")" ] || fail "left after Alt+Q: $(ls -A "$album" | tr '\n' ' ')"
    quit_program
    [ -z "$(ls -A "$album")" ] || fail "left after the end: $(ls -A "$album" | tr '\n' ' ')"
    library_items >"$work/library"
    [ -s "$work/library" ] && fail "the library holds: $(cat "$work/library")"
    # The second track is aborted too when it was being written beside the first.
    [[ "$(stored_states)" =~ ^3\ [03]\ 0$ ]] || fail "the CD database keeps the states $(stored_states)"
    echo "PASS: stopping the run left no partial file"
    ;;
fail)
    lengths=(3 2 4)
    make_image "${lengths[@]}"
    mkdir -p "$album/02 - 二曲目.mp3"
    start_program 14
    open_panel
    wait_for_titles
    # The player's own record key starts the panel's run.
    xdotool windowfocus --sync "$window" key --clearmodifiers alt+r
    wait_for_files "01 - Opening.mp3" "02 - 二曲目.mp3" "03 - Finale.mp3"
    wait_for_run_end 2
    quit_program
    [ -d "$album/02 - 二曲目.mp3" ] && [ -z "$(ls -A "$album/02 - 二曲目.mp3")" ] ||
        fail "the folder in the way was changed"
    library_items >"$work/library"
    check_track 1 mp3 "${lengths[@]}"
    check_track 3 mp3 "${lengths[@]}"
    [ "$(wc -l <"$work/library")" -eq 2 ] || fail "the library holds more: $(cat "$work/library")"
    [ "$(stored_states)" = "2 3 2" ] || fail "the CD database keeps the states $(stored_states)"
    echo "PASS: the failing track left alone, the others ripped and filed"
    ;;
*)
    echo "usage: $0 rip|stop|fail MELODUX MELODUX_CLI" >&2
    exit 2
    ;;
esac
