#!/usr/bin/env bash
# Runs a Windows test program under wine in a private prefix.
#   run_wine.sh <prefix folder> <program.exe> [arguments...]
# Message boxes and windows need an X display: without one the run moves into Xvfb. The
# prefix is created on first use (wineboot is slow, so it is kept for later runs), and the
# prefix's wine server is ended afterwards so no process outlives the run.
set -uo pipefail

prefix=$1
shift
export WINEPREFIX=$prefix
export WINEDEBUG=${WINEDEBUG:--all}
# No prompts for wine's .NET and HTML engines, which nothing here needs.
export WINEDLLOVERRIDES="mscoree,mshtml="

if [ -z "${DISPLAY:-}" ]; then
  if ! command -v xvfb-run >/dev/null; then
    echo "run_wine.sh: no X display and no xvfb-run" >&2
    exit 1
  fi
  exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$prefix" "$@"
fi

wine=$(command -v wine64 || command -v wine)
# A server left from an earlier run may hold another display.
wineserver -k 2>/dev/null
if [ ! -f "$prefix/system.reg" ]; then
  mkdir -p "$prefix"
  "$wine" wineboot --init >/dev/null 2>&1
fi
"$wine" "$@"
rc=$?
wineserver -k 2>/dev/null
exit $rc
