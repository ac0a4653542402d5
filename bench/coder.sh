#!/usr/bin/env bash
# Times our transcoder against /usr/bin/ffmpeg on the jobs the program runs.
# Not a test: run by hand on a quiet machine.
#
#   bench/coder.sh [build-dir] [runs]        (defaults: build, 5)
#
# Fixtures are made once with ffmpeg in $KESMARIN_BENCH_DIR (default
# /tmp/kesmarin-bench; about 850 MB, mostly the sixty-minute working file).
# Each run times every job with both programs, alternating which goes first;
# the table shows medians of wall time, their ratio and the peak resident
# memory over all runs (from /usr/bin/time).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
runs=${2:-5}
coder=$(realpath "$build/data/coder")
ffmpeg=/usr/bin/ffmpeg
timer=/usr/bin/time
dir=${KESMARIN_BENCH_DIR:-/tmp/kesmarin-bench}
for tool in "$coder" "$ffmpeg" "$timer"; do
    [ -x "$tool" ] || { echo "missing: $tool" >&2; exit 1; }
done
mkdir -p "$dir"

make() {   # make FILE ffmpeg-arguments...: once only
    local file=$dir/$1; shift
    [ -s "$file" ] && return
    echo "making $file" >&2
    "$ffmpeg" -hide_banner -loglevel error -y "$@" "$file.tmp.${file##*.}"
    mv "$file.tmp.${file##*.}" "$file"
}
music="aevalsrc=0.3*sin(2*PI*440*t)+0.2*sin(2*PI*554*t+sin(t))+0.05*random(0):s=44100:c=stereo"
make work5.wav  -f lavfi -i "$music:d=300" -c:a pcm_s16le
make work60.wav -stream_loop 11 -i "$dir/work5.wav" -c:a pcm_s16le
make in5.mp3 -i "$dir/work5.wav" -c:a libmp3lame -b:a 128k
make in5.wma -i "$dir/work5.wav" -c:a wmav2 -b:a 128k
# Long inputs by copying the five-minute stream's packets end to end.
make in60.mp3 -stream_loop 11 -i "$dir/in5.mp3" -c copy
make in90.mp3 -stream_loop 17 -i "$dir/in5.mp3" -c copy
make in5.m4a -i "$dir/work5.wav" -c:a aac -b:a 128k
make in60.m4a -stream_loop 11 -i "$dir/in5.m4a" -c copy
make in5.avi -f lavfi -i "testsrc=size=320x240:rate=25:d=300" -i "$dir/work5.wav" \
    -c:v mpeg4 -q:v 8 -c:a libmp3lame -b:a 128k -shortest
make in5.mpg -f lavfi -i "testsrc=size=320x240:rate=25:d=300" -i "$dir/work5.wav" \
    -c:v mpeg1video -q:v 8 -c:a mp2 -b:a 192k -shortest

# name | arguments after the program (OUT is replaced by the output path)
jobs=(
    "decode 5 min MP3|-i $dir/in5.mp3 -y -vn OUT.wav"
    "decode 5 min WMA|-i $dir/in5.wma -y -vn OUT.wav"
    "decode 5 min AVI|-i $dir/in5.avi -y -vn OUT.wav"
    "decode 5 min MPG|-i $dir/in5.mpg -y -vn OUT.wav"
    "decode 60 min MP3|-i $dir/in60.mp3 -y -vn OUT.wav"
    "decode 90 min MP3|-i $dir/in90.mp3 -y -vn OUT.wav"
    "decode 60 min M4A|-i $dir/in60.m4a -y -vn OUT.wav"
    "export 30 s MP3|-i $dir/work5.wav -ss 120 -t 30 -y -ab 128k -ar 44100 -ac 1 OUT.mp3"
    "export 30 s WMA|-i $dir/work5.wav -ss 120 -t 30 -y -acodec wmav1 OUT.wma"
    "export 30 s WAV|-i $dir/work5.wav -ss 120 -t 30 -y OUT.wav"
    "60 min WAV, cut at 1 min|-i $dir/work60.wav -ss 60 -t 30 -y OUT.wav"
    "60 min WAV, cut at 55 min|-i $dir/work60.wav -ss 3300 -t 30 -y OUT.wav"
)

# KESMARIN_BENCH_JOBS: an extended regular expression; only jobs it matches run.
if [ -n "${KESMARIN_BENCH_JOBS:-}" ]; then
    for i in "${!jobs[@]}"; do
        grep -Eq "$KESMARIN_BENCH_JOBS" <<<"${jobs[$i]%%|*}" || unset "jobs[$i]"
    done
fi

results=$(mktemp)
trap 'rm -f "$results" "$dir"/out.*' EXIT
echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)   cores: $(nproc)   runs: $runs"

timeOne() {   # timeOne JOB-INDEX PROGRAM-LABEL PROGRAM ARGS
    local index=$1 label=$2 program=$3 args=$4 stats extra=()
    [ "$label" = ffmpeg ] && extra=(-nostdin -hide_banner -loglevel error)
    [ "$label" = coder1 ] && extra=(-threads 1)
    stats=$(mktemp)
    # shellcheck disable=SC2086  # the job's arguments hold no blanks
    "$timer" -f "%e %M %U %S" -o "$stats" "$program" "${extra[@]}" ${args//OUT/$dir/out} >/dev/null 2>&1 \
        || { echo "failed: $label ${args//OUT/$dir/out}" >&2; rm -f "$stats"; return 1; }
    echo "$index $label $(tail -1 "$stats")" >>"$results"
    rm -f "$stats"
}

for run in $(seq "$runs"); do
    for i in "${!jobs[@]}"; do
        args=${jobs[$i]#*|}
        # Decodes also run on one thread (-threads 1), for the speed-up.
        order=(coder ffmpeg)
        [[ ${jobs[$i]} == decode* ]] && order+=(coder1)
        shift=$(( (run + i) % ${#order[@]} ))
        for n in "${!order[@]}"; do
            label=${order[$(( (n + shift) % ${#order[@]} ))]}
            program=$coder
            [ "$label" = ffmpeg ] && program=$ffmpeg
            timeOne "$i" "$label" "$program" "$args"
        done
    done
done
echo "load after:  $(cut -d' ' -f1-3 /proc/loadavg)"
echo

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
# On a shared machine the wall times carry the others' load; the processor
# time (user + system) shows the work itself.
printf "%-28s %9s %9s %7s %9s %9s %7s %9s %9s %9s %8s\n" job "coder s" "ffmpeg s" ratio \
    "coder cpu" "ffm cpu" "ratio" "coder MB" "ffmpeg MB" "1 thread" "speed-up"
declare -A coderMedian
for i in "${!jobs[@]}"; do
    c=$(awk -v i="$i" '$1 == i && $2 == "coder" { print $3 }' "$results" | median)
    f=$(awk -v i="$i" '$1 == i && $2 == "ffmpeg" { print $3 }' "$results" | median)
    cc=$(awk -v i="$i" '$1 == i && $2 == "coder" { print $5 + $6 }' "$results" | median)
    fc=$(awk -v i="$i" '$1 == i && $2 == "ffmpeg" { print $5 + $6 }' "$results" | median)
    cm=$(awk -v i="$i" '$1 == i && $2 == "coder" && $4 > m { m = $4 } END { printf "%.1f", m / 1024 }' "$results")
    fm=$(awk -v i="$i" '$1 == i && $2 == "ffmpeg" && $4 > m { m = $4 } END { printf "%.1f", m / 1024 }' "$results")
    ratio=$(awk -v c="$c" -v f="$f" 'BEGIN { printf (f > 0 ? "%.2f" : "n/a"), (f > 0 ? c / f : 0) }')
    coderMedian[$i]=$c
    cpuRatio=$(awk -v c="$cc" -v f="$fc" 'BEGIN { printf (f > 0 ? "%.2f" : "n/a"), (f > 0 ? c / f : 0) }')
    one=$(awk -v i="$i" '$1 == i && $2 == "coder1" { print $3 }' "$results" | median)
    speedup=$(awk -v c="$c" -v o="$one" 'BEGIN { printf (c > 0 && o > 0 ? "%.2f" : "-"), (c > 0 ? o / c : 0) }')
    [ -n "$one" ] && [ "$one" != 0 ] || one=-
    printf "%-28s %9s %9s %7s %9s %9s %7s %9s %9s %9s %8s\n" "${jobs[$i]%%|*}" "$c" "$f" "$ratio" \
        "$cc" "$fc" "$cpuRatio" "$cm" "$fm" "$one" "$speedup"
done
for i in "${!jobs[@]}"; do
    case ${jobs[$i]%%|*} in
    *"cut at 1 min") early=${coderMedian[$i]} ;;
    *"cut at 55 min") late=${coderMedian[$i]} ;;
    esac
done
echo
awk -v e="${early:-0}" -v l="${late:-0}" 'BEGIN { printf "coder, late cut / early cut: %.2f (goal: at most 1.2)\n", (e > 0 ? l / e : 0) }'
echo "goals: decode at most 1.0 x ffmpeg (0.6 x for the long decodes on 2 cores);"
echo "       peak memory under 64 MB for every job"
