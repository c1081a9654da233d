#!/usr/bin/env bash
# The list/edit panel of the real melodux under its own Xvfb, with real
# MP3 files dropped onto it by XDND as a file manager drops them:
#   drop  the panel's tabs look as the reference screenshot, and a folder
#         dropped onto the panel's item list is in the library file once
#         the program has been closed
#   kill  a kill -9 while a big folder is being added leaves a library that
#         the command-line program loads without problems, holding exactly
#         what was there before or a part of the new folder on top, and
#         the next start of the program comes up with it
# Usage: library_e2e.sh drop|kill MELODUX MELODUX_CLI MP3_FILE
# Exit 77 (skip) only when no X server can be started.
set -uo pipefail

mode=$1 melodux=$2 cli=$3 sample=$4
skip=77
here=$(cd "$(dirname "$0")" && pwd)
python=/usr/bin/python3

for tool in Xvfb xdotool xwininfo import compare; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool missing"; exit $skip; }
done
"$python" -c 'import Xlib' 2>/dev/null || { echo "SKIP: python3-xlib missing"; exit $skip; }

. "$here/../../support/private_session.sh" library
export QT_QPA_PLATFORM=xcb MELODUX_AUDIO=null
fail() { echo "FAIL: $*"; exit 1; }
library_dir=$work/data/mp3-melodux/MyData

Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "SKIP: Xvfb did not start"; cat "$work/xvfb.log"; exit $skip; }
export DISPLAY=:$(head -1 "$work/display")

# COUNT copies of the sample below FOLDER, each with its own ID3v1 tag.
tagged_folder() {
    "$python" - "$sample" "$1" "$2" <<'PY'
import os, sys
sample, folder, count = sys.argv[1], sys.argv[2], int(sys.argv[3])
audio = open(sample, "rb").read()
os.makedirs(folder, exist_ok=True)
field = lambda text: text.encode()[:30].ljust(30, b" ")
artist = os.path.basename(folder)
for i in range(1, count + 1):
    tag = b"TAG" + field(f"Song {i}") + field(artist) + field("Album") + b"2001" + field("")
    with open(os.path.join(folder, f"{i}.mp3"), "wb") as out:
        out.write(audio + tag + b"\x11")
PY
}

# Starts melodux and opens the panel with Ctrl+2; sets $program, $window
# (the main window) and $panel.
start_with_panel() {
    "$melodux" >>"$work/melodux.log" 2>&1 &
    program=$!
    pids+=($program)
    window=$(timeout 15 xdotool search --sync --onlyvisible --name "MP3 Melodux" | head -1)
    [ -n "$window" ] || fail "no main window within 15 s: $(cat "$work/melodux.log")"
    panel=$(xdotool search --onlyvisible --name "^List/Edit$" | head -1)
    for _ in $(seq 50); do
        [ -n "$panel" ] && break
        xdotool key --window "$window" ctrl+2
        panel=$(timeout 1 xdotool search --sync --onlyvisible --name "^List/Edit$" | head -1)
    done
    [ -n "$panel" ] || fail "Ctrl+2 shows no panel"
}

# Drops FOLDER onto the panel's item list (right of the group list).
drop_onto_panel() {
    local width height
    eval "$(xdotool getwindowgeometry --shell "$panel")"
    width=$WIDTH height=$HEIGHT
    "$python" "$here/xdnd_drop.py" "$panel" $((width * 3 / 4)) $((height / 2)) "$1" ||
        fail "the panel did not take the drop of $1"
}

# The tab bar's left end (the two tabs, drawn from the Navy skin's pieces)
# against the stored screenshot; written there when missing.
tabs_as_reference() {
    local reference=$here/data/navy_panel_tabs.png differing
    sleep 0.3
    import -window "$panel" -crop 176x24+0+0 +repage "$work/tabs.png" || fail "screenshot"
    if [ ! -f "$reference" ]; then
        cp "$work/tabs.png" "$reference"
        echo "reference written to $reference: review it"
    fi
    differing=$(compare -metric AE -fuzz 10% "$work/tabs.png" "$reference" null: 2>&1)
    echo "pixels of the tabs differing from the reference: $differing"
    [ "${differing%%.*}" -le 40 ] 2>/dev/null || fail "the tabs differ from $reference ($differing pixels)"
}

# The paths the library holds, loaded by the command-line program; its
# complaints go to $work/list.err.
library_paths() {
    "$cli" library --db "$library_dir" list 2>"$work/list.err" | cut -f1 | sort
}

quit_program() {
    xdotool key --window "$window" alt+F4 2>/dev/null
    for _ in $(seq 200); do kill -0 "$program" 2>/dev/null || return 0; sleep 0.05; done
    fail "the program did not end after Alt+F4"
}

case $mode in
drop)
    tagged_folder "$work/music/album" 30
    mkdir -p "$work/music/album/sub" && cp "$work/music/album/1.mp3" "$work/music/album/sub/deep.mp3"
    echo "not music" >"$work/music/album/notes.txt"
    start_with_panel
    tabs_as_reference
    drop_onto_panel "$work/music/album"
    # Adding runs on a worker; the program saves the library when it ends.
    sleep 2
    quit_program
    [ -f "$library_dir/Library.csv" ] || fail "no library file after the program ended"
    (cd "$work/music/album" && find "$PWD" -name '*.mp3' | sort) >"$work/expected"
    library_paths >"$work/listed"
    [ -s "$work/list.err" ] && fail "loading the library complains: $(cat "$work/list.err")"
    diff "$work/expected" "$work/listed" || fail "the library does not hold the dropped folder"
    # Titles come from the tags.
    "$cli" library --db "$library_dir" list | grep -q $'\tSong 7\talbum\t' ||
        fail "the tags were not read"
    echo "PASS: $(wc -l <"$work/listed") files from the dropped folder in the library"
    ;;
kill)
    tagged_folder "$work/music/old" 20
    tagged_folder "$work/music/big" 6000
    start_with_panel
    drop_onto_panel "$work/music/old"
    # Saved after some quiet: the old content is on disk.
    for _ in $(seq 150); do
        [ "$(library_paths | grep -c /old/)" -eq 20 ] && break
        sleep 0.1
    done
    [ "$(library_paths | grep -c /old/)" -eq 20 ] || fail "the first folder was never saved"
    library_paths >"$work/old"
    drop_onto_panel "$work/music/big"
    # The progress dialog shows while the worker adds.
    adding=""
    for _ in $(seq 100); do
        adding=$(xdotool search --onlyvisible --pid "$program" 2>/dev/null |
            grep -vx -e "$window" -e "$panel" | head -1)
        [ -n "$adding" ] && break
        sleep 0.05
    done
    [ -n "$adding" ] || fail "no progress shown while adding 6000 files"
    sleep 0.$((RANDOM % 10))
    kill -0 "$program" || fail "the program ended while adding"
    kill -9 "$program"
    wait "$program" 2>/dev/null
    library_paths >"$work/after"
    [ -s "$work/list.err" ] && fail "the library does not load after kill -9: $(cat "$work/list.err")"
    comm -23 "$work/old" "$work/after" | grep -q . && fail "items of the old library were lost"
    comm -13 "$work/old" "$work/after" | grep -qv "^$work/music/big/" &&
        fail "the library holds paths never added"
    kept=$(wc -l <"$work/after")
    # The program itself starts again with it (no stale lock) and keeps it.
    start_with_panel
    quit_program
    library_paths >"$work/restarted"
    diff -q "$work/after" "$work/restarted" >/dev/null || fail "the restart changed the library"
    echo "PASS: $kept items after kill -9 (20 before, 6000 being added)"
    ;;
*)
    echo "usage: $0 drop|kill MELODUX MELODUX_CLI MP3_FILE" >&2
    exit 2
    ;;
esac
