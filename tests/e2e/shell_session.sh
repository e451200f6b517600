#!/bin/bash
# A player's session with the real program in a real window (under Xvfb), at scale 1, each case
# checked pixel for pixel against the headless host driven to the same state:
#   start      the saved problem (problem 1 on a fresh configuration) is shown;
#   move       a click on problem 1's correct point plays it, with the verdict;
#   next       "Menu" opens the popup, and its "Next problem" shows problem 2;
#   quit       the popup's "Quit" ends the program with status 0 and saves problem 2, which the
#              next start (same configuration) shows;
#   second     a second copy exits with status 0 and raises the first, which keeps running.
# Every case has a configuration folder and a single-instance name of its own.
#
#   shell_session.sh ZANDREL ZANDREL_SCRIPT XWD_COMPARE OUTDIR
#
# A failing case leaves its captures, references, diffs and the program's output in
# OUTDIR/<case>. Exit 77 (skipped) only when xvfb-run is not installed.
set -u

if [ "${1:-}" != "--inside" ]; then
  if [ $# -ne 4 ]; then
    echo "usage: $0 ZANDREL ZANDREL_SCRIPT XWD_COMPARE OUTDIR" >&2
    exit 2
  fi
  if ! command -v xvfb-run >/dev/null 2>&1; then
    echo "SKIPPED: xvfb-run is not installed (Debian package xvfb); the real window cannot be tested"
    exit 77
  fi
  outdir=$(realpath -m "$4")
  rm -rf "$outdir"
  mkdir -p "$outdir"
  exec xvfb-run -a -e "$outdir/xvfb.log" -s "-screen 0 640x480x24" \
    "$0" --inside "$(realpath "$1")" "$(realpath "$2")" "$(realpath "$3")" "$outdir"
fi
shift

zandrel=$1 script=$2 compare=$3 outdir=$4
for program in "$zandrel" "$script" "$compare"; do
  [ -x "$program" ] || { echo "FAILED: $program is not an executable"; exit 1; }
done
for tool in xdotool xwd xwininfo; do
  command -v $tool >/dev/null 2>&1 || { echo "FAILED: $tool is not installed"; exit 1; }
done
# Generous bounds: a loaded machine is slow, but nothing here waits forever.
ready_timeout=20 screen_timeout=5 exit_timeout=5 raise_timeout=10

export LC_ALL=C.UTF-8 LANG=C.UTF-8
unset LC_MESSAGES ZANDREL_REGISTRY ZANDREL_SCREEN WAYLAND_DISPLAY SDL_VIDEODRIVER
export ZANDREL_SCALE=1 ZANDREL_READY=1 SDL_AUDIODRIVER=dummy

# Device pixels (scale 1 on 240 x 320): the top bar's "ok", the menu bar's "Menu", and the
# popup's items, which stand 20 px apart above the menu bar (9 items: the first is centred at 121).
ok_x=227 ok_y=13
menu_x=20 menu_y=307
item_x=40
next_y=$((121 + 20 * 2)) quit_y=$((121 + 20 * 8))

failures=0
pids=()
case_dir="" case_name=""

now_ms() { date +%s%3N; }

# Ends the copies still running (they are ours), so a failing case leaves nothing behind.
cleanup() {
  local pid
  for pid in "${pids[@]}"; do kill -9 "$pid" 2>/dev/null && wait "$pid" 2>/dev/null; done
  pids=()
}
trap cleanup EXIT

# Drops a copy that has ended from the list cleanup() kills.
forget() {
  local kept=() p
  for p in "${pids[@]}"; do [ "$p" = "$1" ] || kept+=("$p"); done
  pids=("${kept[@]}")
}

# Records the failure of the current case; the case itself stops with `return 1`.
fail() {
  echo "FAILED [$case_name]: $*"
  failures=$((failures + 1))
  local f
  for f in "$case_dir"/*.err; do
    [ -s "$f" ] && { echo "--- $f"; tail -n 20 "$f"; }
  done
  echo "(captures, references, diffs and logs left in $case_dir)"
  cleanup
}

# A case: a fresh configuration folder and single-instance name.
begin_case() {
  case_name=$1
  case_dir="$outdir/$1"
  mkdir -p "$case_dir/home/.config"
  export HOME="$case_dir/home" XDG_CONFIG_HOME="$case_dir/home/.config"
  export ZANDREL_INSTANCE="ZANDREL-e2e-$1-$$"
  settings="$XDG_CONFIG_HOME/Kelvaro/Zandrel.reg"
}

# reference NAME COMMAND...: the headless program's screen after the commands, as NAME.png,
# and its state as NAME.json. Its settings live in memory, apart from the window's.
reference() {
  local name=$1
  shift
  { echo "lang en"; printf '%s\n' "$@" "png $outdir/$name.png" dump; } >"$outdir/$name.script"
  if ! "$script" "$outdir/$name.script" >"$outdir/$name.json" 2>"$outdir/$name.err"; then
    echo "FAILED: zandrel-script could not render the reference $name:"
    cat "$outdir/$name.err"
    exit 1
  fi
}

# A field of a reference's state.
field() { sed -n "s/.*\"$2\": \\([0-9-]*\\).*/\\1/p" "$outdir/$1.json" | tail -n 1; }

# launch NAME: starts a copy (output in NAME.out / NAME.err) and waits for its window.
# Sets pid and wid.
launch() {
  local name=$1 started
  "$zandrel" >"$case_dir/$name.out" 2>"$case_dir/$name.err" &
  pid=$!
  pids+=("$pid")
  started=$(now_ms)
  wid=""
  while :; do
    wid=$(sed -n 's/^ready \([0-9][0-9]*\)$/\1/p' "$case_dir/$name.out" | head -n 1)
    [ -n "$wid" ] && break
    kill -0 "$pid" 2>/dev/null || { fail "$name ended before its window was ready"; return 1; }
    [ $(($(now_ms) - started)) -gt $((ready_timeout * 1000)) ] &&
      { fail "$name: no ready line within ${ready_timeout}s"; return 1; }
    sleep 0.02
  done
  [ "$wid" = 0 ] && { fail "$name reported no X11 window"; return 1; }
  return 0
}

# expect_screen LABEL REFERENCE: captures until the window shows the reference exactly; what a
# click starts (the reply, the verdict, a repaint) may take a moment to reach the screen.
expect_screen() {
  local label=$1 ref="$outdir/$2.png" deadline=$(($(now_ms) + screen_timeout * 1000)) status
  local capture="$case_dir/$label.xwd"
  while :; do
    if xwd -silent -id "$wid" -out "$capture" 2>"$case_dir/xwd.log"; then
      "$compare" "$capture" "$ref" --diff "$case_dir/$label.diff.png" >"$case_dir/compare.log" 2>&1
      status=$?
      [ $status -eq 0 ] && break
      [ $status -ne 1 ] && {
        cat "$case_dir/compare.log"
        fail "$label: xwd_compare could not compare (status $status)"
        return 1
      }
    fi
    if [ "$(now_ms)" -gt "$deadline" ]; then
      cat "$case_dir/xwd.log" "$case_dir/compare.log"
      "$compare" --to-png "$capture" "$case_dir/$label.capture.png" 2>/dev/null
      cp "$ref" "$case_dir/$label.reference.png"
      fail "$label: the window does not show what the headless program shows ($2)"
      return 1
    fi
    sleep 0.05
  done
  rm -f "$case_dir/$label.diff.png" "$capture"
  return 0
}

click() { xdotool mousemove --window "$wid" "$1" "$2" click 1; }

# expect_exit LABEL PID: the copy ends within the bound, with status 0.
expect_exit() {
  local label=$1 which=$2 deadline=$(($(now_ms) + exit_timeout * 1000)) status
  while kill -0 "$which" 2>/dev/null; do
    [ "$(now_ms)" -gt "$deadline" ] && { fail "$label: still running after ${exit_timeout}s"; return 1; }
    sleep 0.02
  done
  wait "$which"
  status=$?
  forget "$which"
  [ $status -eq 0 ] || { fail "$label: exit status $status, expected 0"; return 1; }
  return 0
}

# The stored problem number, as the settings file holds it ("" when there is none).
saved_problem() {
  sed -n 's/^"CurrentProblemNo"=dword:\([0-9a-f]\{8\}\)\r\{0,1\}$/\1/p' "$settings" 2>/dev/null |
    while read -r hex; do echo $((16#$hex)); done
}

# ---- references, from the headless program ----

reference problem1 start
reference problem2 start "command 40005"
reference problem2_saved "saved 2" start
# Problem 1's correct first move is column 2, row 1: the centre of its point, in device pixels.
cell=$(field problem1 cellSize) radius=$(field problem1 stoneRadius)
if [ -z "$cell" ] || [ -z "$radius" ]; then
  echo "FAILED: no cellSize or stoneRadius in the headless state"
  exit 1
fi
move_x=$((cell * (2 - 1) + radius)) move_y=$((cell * (1 - 1) + radius + 26))
reference played start "tap $move_x $((move_y - 26))"
reference popup start "tap $menu_x $((menu_y - 26))"
reference popup2 start "command 40005" "tap $menu_x $((menu_y - 26))"
# The popup's positions above, checked on the headless program: "Next problem" opens problem 2.
reference next_by_taps start "tap $menu_x $((menu_y - 26))" "tap $item_x $((next_y - 26))"
if [ "$(field next_by_taps problemNumber)" != 2 ] || [ "$(field played solved)" != 1 ]; then
  echo "FAILED: the taps of this test do not do on the headless program what they should"
  echo "(problem after \"Next problem\": $(field next_by_taps problemNumber); solved after the move: $(field played solved))"
  exit 1
fi

# ---- the cases ----

case_start() {
  begin_case start
  launch zandrel || return 1
  expect_screen first_frame problem1 || return 1
  click $ok_x $ok_y
  expect_exit "\"ok\"" "$pid" || return 1
}

case_move() {
  begin_case move
  launch zandrel || return 1
  expect_screen first_frame problem1 || return 1
  click "$move_x" "$move_y"
  expect_screen after_move played || return 1
  click $ok_x $ok_y
  expect_exit "\"ok\"" "$pid" || return 1
}

case_next() {
  begin_case next
  launch zandrel || return 1
  expect_screen first_frame problem1 || return 1
  click $menu_x $menu_y
  expect_screen popup_open popup || return 1
  click $item_x $next_y
  expect_screen after_next problem2 || return 1
  click $ok_x $ok_y
  expect_exit "\"ok\"" "$pid" || return 1
}

case_quit() {
  begin_case quit
  launch zandrel || return 1
  expect_screen first_frame problem1 || return 1
  click $menu_x $menu_y
  expect_screen popup_open popup || return 1
  click $item_x $next_y
  expect_screen after_next problem2 || return 1
  click $menu_x $menu_y
  expect_screen popup_again popup2 || return 1
  click $item_x $quit_y
  expect_exit "\"Quit\" from the menu" "$pid" || return 1
  local saved
  saved=$(saved_problem)
  [ "$saved" = 2 ] || { fail "after \"Quit\" the settings file holds \"$saved\", expected 2"; return 1; }
  # The same configuration (and single-instance name, free again) the next time.
  launch zandrel_again || return 1
  expect_screen restarted problem2_saved || return 1
  click $ok_x $ok_y
  expect_exit "\"ok\" after the restart" "$pid" || return 1
  saved=$(saved_problem)
  [ "$saved" = 2 ] || { fail "after the restart the settings file holds \"$saved\", expected 2"; return 1; }
}

case_second() {
  begin_case second
  launch first || return 1
  local first=$pid first_wid=$wid deadline status
  expect_screen first_frame problem1 || return 1
  "$zandrel" >"$case_dir/second.out" 2>"$case_dir/second.err" &
  local second=$!
  pids+=("$second")
  # The second copy may wait for the first's window before it asks: allow for that.
  exit_timeout=$raise_timeout expect_exit "the second copy" "$second" || return 1
  grep -q '^ready' "$case_dir/second.out" &&
    { fail "the second copy ran a window of its own (it printed a ready line)"; return 1; }
  [ -e "$settings" ] && { fail "the second copy wrote the settings file"; return 1; }
  deadline=$(($(now_ms) + raise_timeout * 1000))
  until grep -q '^raised ' "$case_dir/first.out"; do
    [ "$(now_ms)" -gt "$deadline" ] && { fail "the first copy was not asked to raise its window"; return 1; }
    sleep 0.02
  done
  local raised
  raised=$(grep '^raised ' "$case_dir/first.out")
  [ "$raised" = "raised 1" ] || { fail "the first copy printed \"$raised\", expected \"raised 1\""; return 1; }
  kill -0 "$first" 2>/dev/null || { fail "the first copy ended after the raise"; return 1; }
  xwininfo -id "$first_wid" >"$case_dir/xwininfo.log" 2>&1 ||
    { fail "the first copy's window is gone after the raise"; return 1; }
  pid=$first wid=$first_wid
  expect_screen after_raise problem1 || return 1
  # It still takes input: "ok" ends it.
  click $ok_x $ok_y
  expect_exit "\"ok\" on the first copy" "$first" || return 1
}

started=$(now_ms)
for name in start move next quit second; do
  case_started=$(now_ms)
  if "case_$name"; then
    echo "ok   $name ($(($(now_ms) - case_started)) ms)"
  fi
  cleanup
done
echo "$failures failed of 5 cases, $(($(now_ms) - started)) ms"
[ $failures -eq 0 ]
