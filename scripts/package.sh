#!/usr/bin/env bash
# Builds the Debian package of MP3 Melodux: scripts/package.sh [OUT_DIR]
# writes mp3-melodux_<version>_<arch>.deb into OUT_DIR (default: the
# repository root), then checks it with lintian, failing on its errors and
# listing its warnings. Install it with `apt install ./mp3-melodux_*.deb`.
set -euo pipefail
out=$(realpath -m "${1:-.}")
cd "$(dirname "$0")/.."
# dpkg-shlibdeps (dpkg-dev) works out the dependencies; lintian checks the result.
scripts/deps.sh dpkg-dev lintian
mkdir -p "$out"
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)"
staging=$(mktemp -d "${TMPDIR:-/tmp}/melodux-package.XXXXXX")
trap 'rm -rf "$staging"' EXIT
# CPack works in the temporary folder, not in the build tree.
(cd build/default && cpack -G DEB -B "$staging" >"$staging/cpack.log") ||
    { cat "$staging/cpack.log"; exit 1; }
deb=$(find "$staging" -maxdepth 1 -name 'mp3-melodux_*.deb' -print -quit)
[ -n "$deb" ] || { echo "cpack made no package"; cat "$staging/cpack.log"; exit 1; }
mv -f "$deb" "$out/"
deb=$out/$(basename "$deb")
echo "Package: $deb"
dpkg-deb --field "$deb" Depends
# lintian exits 1 for errors in the package, more when it could not check it.
report=$(lintian --allow-root --tag-display-limit 0 "$deb") && rc=0 || rc=$?
[ -n "$report" ] && echo "$report"
[ "$rc" -le 1 ] || { echo "lintian failed ($rc)"; exit 1; }
if [ "$rc" -eq 1 ] || grep -q '^E: ' <<<"$report"; then
    echo "lintian reports errors"
    exit 1
fi
echo "lintian: no errors, $(grep -c '^W: ' <<<"$report" || true) warnings"
