#!/usr/bin/env bash
# Kills the saving of a 1000-tool list at random moments under Wine and
# prints what became of the list: bench/kill_save_loop.sh [kills [seed]]
# (200 kills by default). Exits non-zero when a list was lost.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/common.sh"

ensure_packages
build
ensure_wineprefix
trap stop_started EXIT
start_xvfb
start_wineserver
status=0
wine "$BUILD/bench_kill_save_loop.exe" "$@" </dev/null || status=$?
wineserver -k >/dev/null 2>&1 || true
exit $status
