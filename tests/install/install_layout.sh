#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks the tree: the
# layout, the desktop entry, metainfo, MIME type, icons and man pages with
# their validators, and the installed programs finding their data and
# modules beside themselves (genre names, WMA, skins) rather than in the
# build tree.
# Usage: install_layout.sh BUILD_DIR APP_ID
# Exit 77 (skip) when a tool is missing.
set -uo pipefail

build=$1 id=$2
for tool in desktop-file-validate appstreamcli xmllint update-mime-database identify man \
    dbus-run-session dbus-send sox; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool missing"; exit 77; }
done
if [ -z "${MELODUX_INSTALL_INNER:-}" ]; then
    MELODUX_INSTALL_INNER=1 exec dbus-run-session -- "$0" "$@"
fi

. "$(dirname "$0")/../support/private_session.sh" install
fail() { echo "FAIL: $*"; exit 1; }
# The prefix is outside the build tree, so nothing can come from there.
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 ||
    fail "cmake --install: $(cat "$work/install.log")"
share=$prefix/share

for file in bin/melodux bin/melodux-cli lib/mp3-melodux/melodux-wma.so \
    lib/mp3-melodux/melodux-http.so share/mp3-melodux/genre.dat \
    share/mp3-melodux/help/index.htm share/mp3-melodux/Skin/{Navy,Green,Orange,Black}/Skin.ini \
    "share/applications/$id.desktop" "share/metainfo/$id.metainfo.xml" \
    "share/mime/packages/$id.xml" "share/icons/hicolor/scalable/apps/$id.svg" \
    share/man/man1/melodux.1.gz share/man/man1/melodux-cli.1.gz; do
    [ -s "$prefix/$file" ] || fail "$file not installed"
done
[ -x "$prefix/bin/melodux" ] && [ -x "$prefix/bin/melodux-cli" ] || fail "programs not executable"
pngs=0
for png in "$share"/icons/hicolor/*x*/apps/"$id.png"; do
    size=$(basename "$(dirname "$(dirname "$png")")")
    [ "$(identify -format '%wx%h' "$png")" = "$size" ] || fail "$png is not $size"
    pngs=$((pngs + 1))
done
[ "$pngs" -ge 5 ] || fail "only $pngs PNG icon sizes"

desktop-file-validate "$share/applications/$id.desktop" || fail "desktop entry"
exec_name=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$share/applications/$id.desktop")
[ -x "$prefix/bin/$exec_name" ] || fail "Exec=$exec_name is not an installed program"
grep -qx "Icon=$id" "$share/applications/$id.desktop" || fail "Icon is not $id"
appstreamcli validate --no-net "$share/metainfo/$id.metainfo.xml" || fail "metainfo"
xmllint --noout "$share/mime/packages/$id.xml" || fail "MIME XML"
# The MIME database built from our file alone knows .rmp and its RIFF form.
cp -r "$share/mime" "$work/mime"
update-mime-database "$work/mime" || fail "update-mime-database"
grep -q ':audio/x-rmp3:\*\.rmp$' "$work/mime/globs2" || fail ".rmp not in globs2"
[ -s "$work/mime/audio/x-rmp3.xml" ] || fail "audio/x-rmp3 not in the database"
for page in melodux melodux-cli; do
    warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 \
        man --warnings -E UTF-8 -l -Tutf8 -Z "$share/man/man1/$page.1.gz" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "man page $page: $warnings"
done

# The installed command-line program: genre 80 is named only by genre.dat,
# and WMA needs the module beside the program.
unset MELODUX_MODULE_DIR
cli=$prefix/bin/melodux-cli
sox -n -r 44100 -c 2 -b 16 "$work/tone.wav" synth 3 sine 440 vol 0.3 || fail "sox"
"$cli" convert "$work/tone.wav" "$work/tone.wma" >"$work/wma.log" 2>&1 ||
    fail "WMA from the installed program: $(cat "$work/wma.log")"
"$cli" convert "$work/tone.wav" "$work/music/tone.mp3" >/dev/null 2>&1 || fail "MP3 convert"
"$cli" tag "$work/music/tone.mp3" --title Tone --genre 80 >/dev/null || fail "tag"
"$cli" library --db "$work/db" add "$work/music" >/dev/null || fail "library add"
genres=$("$cli" library --db "$work/db" list --by genre 2>&1)
[ "$genres" = "Folk" ] || fail "genre 80 is '$genres', not genre.dat's 'Folk'"

# The installed desktop program: it reaches the session bus only once its
# skin was found and its window is up (a missing skin stops it at a message).
export QT_QPA_PLATFORM=offscreen MELODUX_AUDIO=null
"$prefix/bin/melodux" "$work/tone.wav" >"$work/melodux.log" 2>&1 &
melodux_pid=$!
pids+=($melodux_pid)
call() {
    dbus-send --session --print-reply --dest=org.mpris.MediaPlayer2.melodux \
        /org/mpris/MediaPlayer2 "$@" 2>&1
}
entry() { call org.freedesktop.DBus.Properties.Get string:org.mpris.MediaPlayer2 \
    string:DesktopEntry; }
for _ in $(seq 100); do entry | grep -q "\"$id\"" && break; sleep 0.1; done
entry | grep -q "\"$id\"" ||
    fail "no player named $id on the bus: $(entry) $(cat "$work/melodux.log")"
sleep 2
kill -0 "$melodux_pid" 2>/dev/null || fail "melodux ended: $(cat "$work/melodux.log")"
call org.mpris.MediaPlayer2.Quit >/dev/null
for _ in $(seq 50); do kill -0 "$melodux_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$melodux_pid" 2>/dev/null && fail "Quit left melodux running"
wait "$melodux_pid"
rc=$?
[ "$rc" -eq 0 ] || fail "melodux exited $rc: $(cat "$work/melodux.log")"
echo "PASS"
