#!/usr/bin/env bash
# zandrel-script: its commands, its output and its refusals of bad lines.
set -u -o pipefail
script=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# expect_ok NAME INPUT PATTERN: runs INPUT, wants status 0 and PATTERN (grep -E) in stdout.
expect_ok() {
  local out
  out=$(printf '%s\n' "$2" | "$script" 2>"$work/err" | tr '\n' ' '); local status=$?
  [ $status -eq 0 ] || { fail "$1: status $status: $(cat "$work/err")"; return; }
  grep -Eq -- "$3" <<<"$out" || fail "$1: output lacks /$3/: $out"
}

# expect_error NAME INPUT STATUS PATTERN: wants that status and PATTERN in stderr.
expect_error() {
  printf '%s\n' "$2" | "$script" >/dev/null 2>"$work/err"; local status=$?
  [ $status -eq "$3" ] || fail "$1: status $status, wanted $3"
  grep -Eq -- "$4" "$work/err" || fail "$1: stderr lacks /$4/: $(cat "$work/err")"
  [ "$(wc -l <"$work/err")" -eq 1 ] || fail "$1: wanted one line on stderr: $(cat "$work/err")"
}

expect_ok "default layout" "dump" \
  '"columnsShown": 15, "rowsShown": 17, "cellSize": 16, "stoneRadius": 7'
expect_ok "board rows" "dump" '"board": \["\.{15}"(, "\.{15}"){16}\]'
expect_ok "fresh position" "dump" \
  '"sideToMove": 1, "moveNumber": 1, "history": "", "lastMove": \[0, 0\], "markedPoint": \[1, 1\]'
expect_ok "screen size" $'screen 480 640\ndump' '"columnsShown": 19, "rowsShown": 19, "cellSize": 25, "stoneRadius": 11'
expect_ok "smallest screen" $'screen 120 120\npaint\ndump' '"columnsShown": 8, "rowsShown": 5'
expect_ok "comments and blanks" $'# a comment\n\n   \ndump' '"cellSize": 16'
expect_ok "lang" $'lang zh\nlang en\ndump' '"cellSize"'

# Moves by the rules: a capture in the corner, then refusals that print "refused".
expect_ok "capture" $'play 2 1\nplay 1 1\nplay 1 2\ndump' \
  '"sideToMove": -1, "moveNumber": 4, "history": "BAAAAB", "lastMove": \[1, 2\]'
expect_ok "captured stone gone" $'play 2 1\nplay 1 1\nplay 1 2\ndump' '"board": \[".X\.{13}", "X\.{14}"'
expect_ok "occupied refused" $'play 3 3\nplay 3 3' '^refused $'
expect_ok "off board refused" $'play 0 5\nplay 21 3\nplay -7 99999\ndump' \
  'refused.*refused.*refused.*"moveNumber": 1,'
expect_ok "pass" $'play 20 20\ndump' '"sideToMove": -1, "moveNumber": 2, "history": "TT", "lastMove": \[20, 20\]'
expect_ok "play drawn" $'paint\nplay 4 4\npng '"$work"$'/p.png\ndump' '"history": "DD"'
expect_error "play arguments" "play 3" 2 'usage: play COLUMN ROW'
expect_error "play not a number" "play 3 x" 2 ':1: play needs'
expect_error "play too big" "play 3 99999999999" 2 ':1: play needs'

expect_error "unknown command" $'dump\nfrobnicate 3' 2 ':2: unknown command "frobnicate"'
expect_error "screen too small" "screen 100 320" 2 ':1: screen needs'
expect_error "screen not a number" "screen 240 abc" 2 ':1: screen needs'
expect_error "screen arguments" "screen 240" 2 'usage: screen WIDTH HEIGHT'
expect_error "screen too late" $'paint\nscreen 240 320' 2 ':2: screen must come before'
expect_error "lang unknown" "lang fr" 2 'lang must be en or zh'
expect_error "lang too late" $'paint\nlang zh' 2 ':2: lang must come before'
expect_error "png arguments" "png" 2 'usage: png PATH'
expect_error "png unwritable" "png $work/no/such/folder/x.png" 1 'cannot write'

# A PNG of the whole device screen.
printf 'screen 320 240\npng %s\n' "$work/s.png" | "$script" || fail "png: status $?"
if [ -f "$work/s.png" ]; then
  size=$(od -An -tu1 -j16 -N8 "$work/s.png" | tr -s ' ')
  [ "$size" = " 0 0 1 64 0 0 0 240" ] || fail "png: IHDR size bytes are$size"
else
  fail "png: no file written"
fi

# A missing script file.
"$script" "$work/none.txt" 2>"$work/err"; status=$?
[ $status -eq 2 ] && grep -q "cannot open" "$work/err" || fail "missing file: status $status"

if [ $failures -ne 0 ]; then echo "$failures failed"; exit 1; fi
echo "all script runner checks passed"
