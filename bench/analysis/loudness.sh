#!/usr/bin/env bash
# Exports the suggested stretch of songs of known structure at a loudness
# target through `kesmarin --best-part -o` and measures each ringtone with
# ffmpeg's ebur128 filter (true peak on). Not a test: run by hand.
#
#   bench/analysis/loudness.sh [build-dir] [LUFS]      (defaults: build, -14)
#
# The songs are the benchmark's (kes_benchbestpart --write DIR writes them).
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
target=${2:--14}
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
"$build/bench/kes_benchbestpart" 4 --write "$dir" >/dev/null
export XDG_CONFIG_HOME=$dir/config LC_ALL=C LANGUAGE=en
printf '%-10s %-6s %10s %10s %s\n' song format LUFS dBTP verdict
for song in "$dir"/*.wav; do
    for format in mp3 m4r ogg amr; do
        out=$dir/tone.$format
        if ! "$build/kesmarin" --best-part "$song" -o "$out" --loudness "$target" >/dev/null 2>"$dir/err"; then
            printf '%-10s %-6s %s\n' "$(basename "$song" .wav)" "$format" "export failed: $(cat "$dir/err")"
            continue
        fi
        summary=$(/usr/bin/ffmpeg -nostats -hide_banner -i "$out" -af ebur128=peak=true -f null - 2>&1 |
                  sed -n '/Summary:/,$p')
        lufs=$(sed -n 's/^ *I: *\(-\?[0-9.]*\) LUFS/\1/p' <<<"$summary")
        peak=$(sed -n 's/^ *Peak: *\(-\?[0-9.]*\) dBFS/\1/p' <<<"$summary")
        verdict=$(awk -v l="$lufs" -v p="$peak" -v t="$target" \
            'BEGIN { d = l - t; if (d < 0) d = -d; print (d <= 0.5 && p <= -1.0) ? "ok" : "OFF" }')
        printf '%-10s %-6s %10s %10s %s\n' "$(basename "$song" .wav)" "$format" "$lufs" "$peak" "$verdict"
    done
done
