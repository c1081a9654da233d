#!/usr/bin/env bash
# Builds the Debian package with scripts/package.sh (lintian errors fail
# it) and checks it: the dependencies dpkg-shlibdeps found, that apt could
# install it here, and that the programs unpacked from it find their data.
# Slow and it installs packaging tools, so it runs only when
# MELODUX_PACKAGE_TEST=1. Usage: install_package.sh SOURCE_DIR APP_ID
set -uo pipefail

source_dir=$1 id=$2
if [ "${MELODUX_PACKAGE_TEST:-}" != 1 ]; then
    echo "SKIP: set MELODUX_PACKAGE_TEST=1 to build and check the Debian package"
    exit 77
fi
. "$(dirname "$0")/../support/private_session.sh" package
fail() { echo "FAIL: $*"; exit 1; }

"$source_dir/scripts/package.sh" "$work/out" >"$work/package.log" 2>&1 ||
    fail "package.sh: $(tail -40 "$work/package.log")"
grep -E '^(W|E|Package|lintian)' "$work/package.log"
deb=$(find "$work/out" -name 'mp3-melodux_*.deb' -print -quit)
[ -n "$deb" ] || fail "no package in $work/out"

depends=$(dpkg-deb --field "$deb" Depends)
for library in libqt6widgets6 libasound2 libavcodec libcdio fonts-noto-cjk; do
    grep -q "$library" <<<"$depends" || fail "Depends lacks $library: $depends"
done
apt-get install --simulate --quiet "$deb" >"$work/apt.log" 2>&1 ||
    fail "apt cannot install it: $(cat "$work/apt.log")"

dpkg-deb --contents "$deb" >"$work/contents"
for file in usr/bin/melodux usr/bin/melodux-cli usr/lib/mp3-melodux/melodux-wma.so \
    "usr/share/applications/$id.desktop" "usr/share/metainfo/$id.metainfo.xml" \
    usr/share/mp3-melodux/Skin/Navy/Skin.ini usr/share/doc/mp3-melodux/copyright; do
    grep -q " \./$file\$" "$work/contents" || fail "$file not in the package"
done
# Unpacked anywhere, the programs find their data beside themselves.
dpkg-deb --extract "$deb" "$work/root"
"$work/root/usr/bin/melodux-cli" formats pcm >/dev/null || fail "unpacked melodux-cli"
sox -n -r 44100 -c 1 -b 16 "$work/tone.wav" synth 1 sine 440 || fail "sox"
"$work/root/usr/bin/melodux-cli" convert "$work/tone.wav" "$work/tone.wma" >/dev/null 2>&1 ||
    fail "WMA module of the package not found"
echo "PASS"
