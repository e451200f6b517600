#!/bin/bash
# The real window under Xvfb shows, pixel for pixel, what the headless host renders for the same
# screen, at the given scale; tapping the top bar's "ok" ends the program with status 0.
#
#   window_matches_headless.sh ZANDREL ZANDREL_SCRIPT XWD_COMPARE SCALE OUTDIR
#
# Leaves the capture, the reference and a diff in OUTDIR when it fails. Exit 77 (skipped) only
# when xvfb-run is not installed.
set -u

if [ "${1:-}" != "--inside" ]; then
  if [ $# -ne 5 ]; then
    echo "usage: $0 ZANDREL ZANDREL_SCRIPT XWD_COMPARE SCALE OUTDIR" >&2
    exit 2
  fi
  if ! command -v xvfb-run >/dev/null 2>&1; then
    echo "SKIPPED: xvfb-run is not installed (Debian package xvfb); the real window cannot be tested"
    exit 77
  fi
  outdir=$5
  rm -rf "$outdir"
  mkdir -p "$outdir"
  # The window is centred on the screen: the X screen must hold all of it to be captured.
  screen="800x600x24"
  [ "$4" -gt 1 ] && screen="$((240 * $4 + 64))x$((320 * $4 + 64))x24"
  exec xvfb-run -a -e "$outdir/xvfb.log" -s "-screen 0 $screen" "$0" --inside "$@"
fi
shift

zandrel=$1 script=$2 compare=$3 scale=$4 outdir=$5
for program in "$zandrel" "$script" "$compare"; do
  [ -x "$program" ] || { echo "FAILED: $program is not an executable"; exit 1; }
done
ready_timeout=20 capture_timeout=5 exit_timeout=5

# A fresh home and settings for both runs, and the same language.
export HOME="$outdir/home" XDG_CONFIG_HOME="$outdir/home/.config"
# A copy of the program the developer has open must not take these runs for a second start.
export ZANDREL_INSTANCE="ZANDREL-test-$$"
mkdir -p "$XDG_CONFIG_HOME"
export LC_ALL=C.UTF-8 LANG=C.UTF-8
unset LC_MESSAGES ZANDREL_REGISTRY ZANDREL_SCREEN WAYLAND_DISPLAY SDL_VIDEODRIVER

failed() {
  echo "FAILED: $*"
  echo "(left in $outdir: capture.xwd, capture.png, reference.png, diff.png, zandrel.out/.err)"
  [ -f "$outdir/capture.xwd" ] && "$compare" --to-png "$outdir/capture.xwd" "$outdir/capture.png"
  [ -n "${pid:-}" ] && kill "$pid" 2>/dev/null
  exit 1
}

now_ms() { date +%s%3N; }

# The reference: the same program on the headless host.
printf 'lang en\npaint\npng %s\n' "$outdir/reference.png" >"$outdir/reference.script"
if ! "$script" "$outdir/reference.script" >"$outdir/script.out" 2>"$outdir/script.err"; then
  cat "$outdir/script.err"
  failed "zandrel-script could not render the reference"
fi

ZANDREL_SCALE=$scale ZANDREL_READY=1 SDL_AUDIODRIVER=dummy \
  "$zandrel" >"$outdir/zandrel.out" 2>"$outdir/zandrel.err" &
pid=$!

started=$(now_ms)
wid=""
while [ -z "$wid" ]; do
  wid=$(sed -n 's/^ready \([0-9][0-9]*\)$/\1/p' "$outdir/zandrel.out" | head -n 1)
  [ -n "$wid" ] && break
  kill -0 "$pid" 2>/dev/null || { cat "$outdir/zandrel.err"; failed "zandrel ended before its window was ready"; }
  [ $(($(now_ms) - started)) -gt $((ready_timeout * 1000)) ] &&
    failed "no ready line within ${ready_timeout}s"
  sleep 0.02
done
[ "$wid" = 0 ] && failed "zandrel reported no X11 window"
echo "window $wid ready after $(($(now_ms) - started)) ms"

# Captures until the window matches the reference; the first frame may still be on its way.
expect_match() {
  local deadline=$(($(now_ms) + capture_timeout * 1000)) captures=0 status
  while :; do
    captures=$((captures + 1))
    if xwd -silent -id "$wid" -out "$outdir/capture.xwd" 2>"$outdir/xwd.err"; then
      "$compare" "$outdir/capture.xwd" "$outdir/reference.png" --scale "$scale" \
        --diff "$outdir/diff.png" >"$outdir/compare.out" 2>&1
      status=$?
      [ $status -eq 0 ] && break
      [ $status -ne 1 ] && { cat "$outdir/compare.out"; failed "xwd_compare could not compare (status $status)"; }
    fi
    if [ "$(now_ms)" -gt "$deadline" ]; then
      cat "$outdir/xwd.err" "$outdir/compare.out"
      failed "$1: the window does not match the headless rendering (scale $scale)"
    fi
    sleep 0.05
  done
  rm -f "$outdir/diff.png"
  echo "$1: whole screen matches the headless rendering at scale $scale (capture $captures)"
}

expect_match "first frame"

# Xvfb keeps no backing store: a window mapped again shows only what the program repaints.
if ! timeout 5 xdotool windowunmap --sync "$wid" || ! timeout 5 xdotool windowmap --sync "$wid"; then
  failed "could not unmap and map the window again"
fi
expect_match "after an expose"

# "ok": the right-most 26 x 26 device pixels of the top bar; aim at its centre.
xdotool mousemove --window "$wid" $((227 * scale)) $((13 * scale)) click 1
deadline=$(($(now_ms) + exit_timeout * 1000))
while kill -0 "$pid" 2>/dev/null; do
  [ "$(now_ms)" -gt "$deadline" ] && failed "zandrel still runs ${exit_timeout}s after \"ok\""
  sleep 0.02
done
wait "$pid"
status=$?
pid=""
[ $status -eq 0 ] || { cat "$outdir/zandrel.err"; failed "zandrel ended with status $status after \"ok\""; }
echo "\"ok\" ended zandrel with status 0"
