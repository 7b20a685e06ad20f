#!/usr/bin/env bash
# Recognition quality of the speech engine on synthetic voices: every utterance of
# utterances.txt is spoken by each voice (clean, and with pink noise at about 17 dB SNR when
# KELVARN_NOISE=1), heard by `kelvarnctl listen`, and counted right when the data folder ends as
# `kelvarnctl say` with the intended text leaves it. Notes are also scored by word error rate,
# and counted as executed when hearing them caused any action (a grade, a focus change...).
#   bench/speech/quality.sh [KELVARNCTL]   (needs flite, espeak-ng, sox; about 1 s per run)
# KELVARN_VOICES=espeak (or any part of a voice's name, such as slt) keeps only matching voices.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
ctl=${1:-$here/../../build/release/tools/kelvarnctl/kelvarnctl}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

voices=()
for voice in "flite:slt" "flite:rms" "flite:awb" "espeak:en-us:175" "espeak:en-us:140"; do
    [[ "$voice" == *"${KELVARN_VOICES:-}"* ]] && voices+=("$voice")
done
noises=(clean)
[ "${KELVARN_NOISE:-0}" = 1 ] && noises+=(noisy)

speak() { # voice text wav; with half a second of silence around it, as a microphone has
    IFS=: read -r engine name speed <<<"$1"
    if [ "$engine" = flite ]; then flite -voice "$name" -t "$2" -o "$work/said.wav"
    else espeak-ng -v "$name" -s "$speed" -w "$work/said.wav" "$2"; fi
    sox "$work/said.wav" "$3" pad 0.5 0.5
}
add_noise() { # wav: pink noise about 17 dB under the speech
    local rms; rms=$(sox "$1" -n stat 2>&1 | awk '/RMS +amplitude/ {print $3}')
    local len; len=$(soxi -D "$1")
    sox -n -r "$(soxi -r "$1")" -c 1 "$work/noise.wav" synth "$len" pinknoise vol "$(python3 -c "print($rms/7.1)")"
    sox -m "$1" "$work/noise.wav" "$work/mixed.wav" && mv "$work/mixed.wav" "$1"
}
state() { # data folder: what the class looks like
    "$ctl" --data-dir "$1" export csv 2>/dev/null; "$ctl" --data-dir "$1" status
}
wer() { # reference hypothesis
    python3 - "$1" "$2" <<'PY'
import re, sys
ref = re.findall(r"[a-z']+", sys.argv[1].lower()); hyp = re.findall(r"[a-z']+", sys.argv[2].lower())
d = list(range(len(hyp) + 1))
for i, r in enumerate(ref, 1):
    p, d[0] = d[0], i
    for j, h in enumerate(hyp, 1):
        p, d[j] = d[j], min(d[j] + 1, d[j - 1] + 1, p + (r != h))
print(d[len(hyp)] / max(1, len(ref)))
PY
}

"$ctl" --data-dir "$work/base" roster "$here/roster.txt" >/dev/null
"$ctl" --data-dir "$work/base" say "Nadia Ford" >/dev/null

printf 'voice\tnoise\tkind\tright\tof\tWER\texecuted\n'
for voice in "${voices[@]}"; do
    for noise in "${noises[@]}"; do
        declare -A right=() total=() wsum=() executed=()
        while IFS=$'\t' read -r kind text; do
            [[ -z "$kind" || "$kind" == \#* ]] && continue
            rm -rf "$work/ref" "$work/heard"
            cp -a "$work/base" "$work/ref"; cp -a "$work/base" "$work/heard"
            "$ctl" --data-dir "$work/ref" say "$text" >/dev/null
            speak "$voice" "$text" "$work/u.wav" >/dev/null 2>&1
            [ "$noise" = noisy ] && add_noise "$work/u.wav"
            feed=$("$ctl" --data-dir "$work/heard" listen --file "$work/u.wav")
            heard=$(awk -F'\t' '$1=="heard" {print $2}' <<<"$feed" | paste -sd' ')
            total[$kind]=$(( ${total[$kind]:-0} + 1 ))
            if [ "$kind" = note ]; then
                wsum[$kind]=$(python3 -c "print(${wsum[$kind]:-0} + $(wer "$text" "$heard"))")
                if grep -q '^action' <<<"$feed"; then
                    executed[$kind]=$(( ${executed[$kind]:-0} + 1 ))
                fi
            elif [ "$(state "$work/ref")" = "$(state "$work/heard")" ]; then
                right[$kind]=$(( ${right[$kind]:-0} + 1 ))
            fi
            [ -n "${KELVARN_VERBOSE:-}" ] && printf '  %s | %s | %s\n' "$kind" "$text" "$heard" >&2
        done < "$here/utterances.txt"
        for kind in command name chain note; do
            w=-; [ "$kind" = note ] && w=$(python3 -c "print(round(${wsum[$kind]:-0} / ${total[$kind]}, 2))")
            printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$voice" "$noise" "$kind" "${right[$kind]:-0}" \
                "${total[$kind]:-0}" "$w" "${executed[$kind]:-0}"
        done
        unset right total wsum executed
    done
done
