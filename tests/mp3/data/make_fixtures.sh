#!/bin/sh
# Rebuilds the MP3 fixtures and their reference decodes. Run from anywhere;
# needs sox, lame, mpg123 and ffmpeg (Debian packages of the same names).
#
# Every NAME.mp3 has NAME.f32: the reference decode by mpg123 1.31
# (`mpg123 --no-gapless -e f32 -s`), raw float32 little-endian, interleaved,
# full scale 1.0. mpg123 leaves out the Xing/Info/VBRI frame; manifest.txt
# lists per fixture how many leading frames our decoder gives beyond the
# reference, and how far ffmpeg's decode lies from the reference (a second
# opinion; where the two disagree the manifest says so).
set -eu
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Source material: noise, a sweep, a square wave and clicks (short blocks),
# repeatable (-R). 0.3 s.
sox -R -n -r 48000 -c 2 -b 16 "$tmp/a.wav" synth 0.3 pinknoise vol 0.35 : synth 0.3 sine 150-9000 vol 0.3
sox -R -n -r 48000 -c 2 -b 16 "$tmp/b.wav" synth 0.3 square 330 vol 0.15 : synth 0.3 sine 440 vol 0.1
sox -R -n -r 48000 -c 2 -b 16 "$tmp/c.wav" synth 0.02 whitenoise vol 0.9 pad 0.1 0.18
sox -R -m "$tmp/a.wav" "$tmp/b.wav" "$tmp/c.wav" "$tmp/src.wav"
sox -R -n -r 44100 -c 2 -b 16 "$tmp/silence.wav" trim 0 0.2

enc() { # NAME LAME-OPTIONS...
    name=$1; shift
    lame --quiet --noreplaygain "$@" "$tmp/src.wav" "$name.mp3"
}
enc v1_44k_joint_128 -m j -b 128 --resample 44.1
enc v1_48k_mono_crc -m m -b 96 -p --resample 48
enc v1_32k_stereo -m s -b 160 --resample 32
enc v1_44k_dual -m d -b 192 --resample 44.1
enc v1_44k_vbr_xing -V 2 --resample 44.1
enc v2_22k_joint -m j -b 64 --resample 22.05
enc v2_24k_mono -m m -b 48 --resample 24
enc v2_16k_stereo_crc -m s -b 64 -p --resample 16
enc v25_11k_joint -m j -b 32 --resample 11.025
enc v25_12k_mono -m m -b 24 --resample 12
enc v25_8k_stereo -m s -b 24 --resample 8
lame --quiet --noreplaygain -b 128 "$tmp/silence.wav" v1_44k_silence.mp3

# Layer II data named like MP3: the decoder finds no frame in it.
ffmpeg -v error -i "$tmp/src.wav" -t 0.1 -c:a mp2 -b:a 128k -f mp2 layer2.mp2

# A VBRI header frame in front of the frames of a VBR stream.
python3 make_vbri.py v1_44k_vbr_xing.mp3 v1_44k_vbri.mp3

for name in crafted_v1_intensity crafted_v1_ms_intensity crafted_v2_intensity \
            crafted_v2_ms_intensity crafted_v1_mixed crafted_v1_mono_reservoir \
            crafted_v2_mono_mixed crafted_v1_split_blocks; do
    python3 craft_layer3.py "$name" "$name.mp3"
done

: > manifest.txt
for f in *.mp3; do
    name=${f%.mp3}
    mpg123 --no-gapless -q -e f32 -s "$f" > "$name.f32"
    ffmpeg -v error -flags2 +skip_manual -i "$f" -f f32le -y "$tmp/ff.f32"
    python3 compare_f32.py "$name" "$f" "$name.f32" "$tmp/ff.f32" >> manifest.txt
done
cat manifest.txt
