#!/usr/bin/env bash
# The equalizer's response measured from outside: sox makes tones at
# -30 dBFS, `melodux-cli play --eq` plays them to the file: device, sox
# measures what was heard. Levels are relative to the input (the chain adds
# no other gain with --eq-gain 0). Goals: one band at +-10 dB meets it at its
# centre within 0.5 dB; ten equal levels L are flat within 1 dB of L from
# 40 Hz to 14 kHz; all at 0 within 0.1 dB; no --eq leaves the samples exact.
# Usage: bench/eq/response_check.sh [BUILD_DIR] [RATE]
set -euo pipefail
build=${1:-build/default}
rate=${2:-44100}
cli="$build/src/cli/melodux-cli"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export MELODUX_CONFIG_HOME=$work/user MELODUX_SYSTEM_CONFIG=$work/machine

centres=(31.25 62.5 125 250 500 1000 2000 4000 8000 16000)
sweep=(40 50 63 80 100 125 160 200 250 315 400 500 630 800 1000 1250 1600 2000 2500 3150
       4000 5000 6300 8000 10000 11000 12000 12500 13000 14000)
tone_s=0.5 # each tone; the first 0.2 s of it are left out of the measurement
failures=0

rms() { # file start duration -> overall RMS level in dB
    sox "$1" -n trim "$2" "$3" stats 2>&1 | awk '/RMS lev dB/ { print $4 }'
}
play() { # output input eq-options...
    local out=$1 in=$2
    shift 2
    "$cli" play --device "file:$out" "$@" "$in" >/dev/null
}
check() { # label measured wanted tolerance
    local verdict
    verdict=$(awk -v m="$2" -v w="$3" -v t="$4" 'BEGIN { d = m - w; if (d < 0) d = -d;
        print (d <= t ? "ok" : "FAIL") }')
    printf '%-34s %8.3f dB (want %6.2f +-%s) %s\n' "$1" "$2" "$3" "$4" "$verdict"
    [[ $verdict == ok ]] || failures=$((failures + 1))
}
levels() { # band level -> ten levels with one band set
    local out=() i
    for i in 0 1 2 3 4 5 6 7 8 9; do out+=($([[ $i == "$1" ]] && echo "$2" || echo 0)); done
    (IFS=,; echo "${out[*]}")
}

echo "== one band at +-10 dB, tone at its centre ($rate Hz)"
for b in "${!centres[@]}"; do
    f=${centres[$b]}
    awk -v f="$f" -v r="$rate" 'BEGIN { exit !(f < 0.45 * r) }' || continue
    sox -n -r "$rate" -c 2 -b 16 "$work/in.wav" synth "$tone_s" sine "$f" vol -30dB
    ref=$(rms "$work/in.wav" 0.2 0.3)
    for level in 10 -10; do
        play "$work/out.wav" "$work/in.wav" --eq "$(levels "$b" "$level")"
        got=$(rms "$work/out.wav" 0.2 0.3)
        check "band $b ($f Hz) at $level" "$(awk -v a="$got" -v b="$ref" 'BEGIN { print a - b }')" \
            "$level" 0.5
    done
done

echo "== ten equal levels, 40 Hz .. 14 kHz"
inputs=()
for f in "${sweep[@]}"; do
    sox -n -r "$rate" -c 2 -b 16 "$work/t$f.wav" synth "$tone_s" sine "$f" vol -30dB
    inputs+=("$work/t$f.wav")
done
sox "${inputs[@]}" "$work/sweep.wav"
for level in 10 -10 5 0; do
    play "$work/out.wav" "$work/sweep.wav" --eq "$(levels -1 "$level" | sed "s/0/$level/g")"
    worst=0 worst_f=0
    for i in "${!sweep[@]}"; do
        start=$(awk -v i="$i" -v t="$tone_s" 'BEGIN { print i * t + 0.2 }')
        ref=$(rms "$work/sweep.wav" "$start" 0.25)
        got=$(rms "$work/out.wav" "$start" 0.25)
        dev=$(awk -v a="$got" -v b="$ref" -v l="$level" 'BEGIN { print a - b - l }')
        if awk -v d="$dev" -v w="$worst" 'BEGIN { exit !((d < 0 ? -d : d) > (w < 0 ? -w : w)) }'; then
            worst=$dev worst_f=${sweep[$i]}
        fi
    done
    check "all at $level: worst (at $worst_f Hz)" "$(awk -v w="$worst" -v l="$level" \
        'BEGIN { print w + l }')" "$level" "$([[ $level == 0 ]] && echo 0.1 || echo 1)"
done

echo "== no --eq: samples as they came"
play "$work/out.wav" "$work/sweep.wav"
if cmp -s <(sox "$work/sweep.wav" -t raw -) <(sox "$work/out.wav" -t raw -); then
    echo "bypass identical to input ok"
else
    echo "bypass differs from input FAIL"
    failures=$((failures + 1))
fi
echo "failures: $failures"
[[ $failures == 0 ]]
