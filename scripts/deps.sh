#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those missing,
# and any further packages named as arguments (what only running the desktop
# program needs). Safe to run any number of times; non-interactive.
set -euo pipefail

packages=(
    # toolchain
    g++ cmake ninja-build pkg-config clang-format
    # fuzz targets: clang with libFuzzer and the sanitizer runtimes
    clang libclang-rt-14-dev
    # desktop program: Qt 6 Widgets and SVG (skins are rendered from SVG)
    qt6-base-dev qt6-svg-dev
    # the Japanese font of the skins' texts and of the windows
    fonts-noto-cjk
    # tests and benchmarks
    libgtest-dev libgmock-dev libbenchmark-dev
    # audio output, codecs, CD drives, CDDB
    libasound2-dev libavformat-dev libavcodec-dev libswresample-dev libavutil-dev
    libcdio-dev libcdio-paranoia-dev libcurl4-openssl-dev
    # tags other programs wrote (ID3v2, APE)
    libtag1-dev
    # independent tools the tests check our files against
    sox ffmpeg mpg123 lame
    # the desktop program end to end: a private X server, clicks, window shapes, screenshots
    xvfb xdotool x11-utils imagemagick
    # drag and drop onto the program, window timings
    python3-xlib
    # media keys: the player on a private session bus
    dbus-daemon dbus-bin
    # the disc autorun switch held off while running
    libglib2.0-bin gsettings-desktop-schemas
    python3-mutagen
    # the encoder benchmarks' synthetic items
    python3-numpy
    # the installed tree's checks: desktop entry, metainfo, MIME type, man pages
    desktop-file-utils appstream libxml2-utils shared-mime-info man-db
)

packages+=("$@")

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
