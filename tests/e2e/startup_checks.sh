#!/bin/bash
# Start-up checks that need no X server: a bad ZANDREL_SCALE ends zandrel with one line on stderr
# and status 2 before any display is opened; good values open the window (on SDL's dummy display);
# with no display at all zandrel says so and ends instead of running unseen.
#
#   startup_checks.sh ZANDREL OUTDIR
set -u
zandrel=$1 outdir=$2
rm -rf "$outdir"
mkdir -p "$outdir/home"
export HOME="$outdir/home" XDG_CONFIG_HOME="$outdir/home/.config"
export ZANDREL_INSTANCE="ZANDREL-test-$$"
failures=0

fail() {
  echo "FAILED: $*"
  failures=$((failures + 1))
}

# No display at all: were the value checked after SDL starts, SDL's own failure would show instead.
for value in "" "0" "9" "3x" "junk" "-1" " 2"; do
  env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER ZANDREL_SCALE="$value" \
    timeout 10 "$zandrel" >"$outdir/out" 2>"$outdir/err"
  status=$?
  lines=$(wc -l <"$outdir/err")
  [ $status -eq 2 ] || fail "ZANDREL_SCALE=\"$value\": exit status $status, expected 2"
  [ "$lines" -eq 1 ] || fail "ZANDREL_SCALE=\"$value\": $lines lines on stderr, expected 1"
  if ! grep -qF "ZANDREL_SCALE" "$outdir/err" || ! grep -qF "\"$value\"" "$outdir/err"; then
    fail "ZANDREL_SCALE=\"$value\": the message does not name the setting and the value"
  fi
  [ -s "$outdir/out" ] && fail "ZANDREL_SCALE=\"$value\": wrote to stdout"
  if [ $status -ne 2 ] || [ "$lines" -ne 1 ]; then cat "$outdir/err"; fi
done

# Accepted: the program gets as far as its first frame.
for value in "8" "unset"; do
  if [ "$value" = unset ]; then scale=(-u ZANDREL_SCALE); else scale=(ZANDREL_SCALE="$value"); fi
  env "${scale[@]}" SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy ZANDREL_READY=1 \
    "$zandrel" >"$outdir/out" 2>"$outdir/err" &
  pid=$!
  ready=""
  for _ in $(seq 400); do
    grep -q '^ready ' "$outdir/out" && { ready=yes; break; }
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.05
  done
  [ -n "$ready" ] || { cat "$outdir/err"; fail "ZANDREL_SCALE=$value: no first frame"; }
  kill "$pid" 2>/dev/null
  for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.05; done
  kill -9 "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
done

# SDL would fall back to its invisible offscreen driver here.
env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER timeout 10 "$zandrel" >"$outdir/out" 2>"$outdir/err"
status=$?
[ $status -eq 1 ] || fail "no display: exit status $status, expected 1"
grep -q '^zandrel: .*display' "$outdir/err" || fail "no display: no message saying so"

[ $failures -eq 0 ] || exit 1
echo "bad scales rejected, good scales accepted, a missing display reported"
