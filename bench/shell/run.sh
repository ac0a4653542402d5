#!/usr/bin/env bash
# Runs the start-up benchmark and measures the real program's resident memory
# once its main window is up. Needs a display: run through scripts/with-servers.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${KESMARIN_BUILD_DIR:-build}
"$build/bench/shellbench" "${1:-5}"
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
HOME=$home XDG_CONFIG_HOME=$home/config XDG_CACHE_HOME=$home/cache "$build/kesmarin" &
pid=$!
sleep 5   # the splash's three seconds, then the main window settles
echo "kesmarin resident memory 5 s after start: $(awk '/VmRSS/ {printf "%.1f MB", $2/1024}' /proc/$pid/status)"
kill "$pid"; wait "$pid" 2>/dev/null || true
