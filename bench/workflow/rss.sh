#!/usr/bin/env bash
# Resident memory of the real program with a file open, by hand:
#   scripts/with-servers bench/workflow/rss.sh SONG
# Starts kesmarin with SONG, waits for the splash and the decode (a coder
# child comes and goes), then reads the program's VmRSS and ends it.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${KESMARIN_BUILD_DIR:-build}
KESMARIN_AUDIO=silent "$build/kesmarin" "$1" >/dev/null 2>&1 &
pid=$!
trap 'kill "$pid" 2>/dev/null || true' EXIT
seen=0
for _ in $(seq 1200); do
    sleep 0.25
    children=$(cat /proc/"$pid"/task/*/children 2>/dev/null || true)
    if [ -n "$children" ]; then seen=1; elif [ "$seen" = 1 ]; then break; fi
done
sleep 1   # the waveform is read once the decode is over
grep VmRSS /proc/"$pid"/status
grep VmHWM /proc/"$pid"/status
