#!/usr/bin/env bash
# zandrel-record: the catalogue made from its SGF files, the SGF conventions it reads, its check of
# records, and its refusals of bad input.
set -u -o pipefail
tool=$1
source=$2
fixtures=$source/tests/problems/fixtures
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
unset ZANDREL_SCREEN  # the trainer's default screen decides the shown board
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# run ARGS...: runs the tool; stdout in $work/out, stderr in $work/err, status in $status.
run() {
  "$tool" "$@" >"$work/out" 2>"$work/err"
  status=$?
}

# expect_same NAME A B: two texts are equal.
expect_same() {
  [ "$2" == "$3" ] || fail "$1: got [$2], wanted [$3]"
}

# expect_refusal NAME STATUS PATTERN ARGS...: that status, PATTERN (grep -E) in stderr, no stdout.
expect_refusal() {
  local name=$1 wanted=$2 pattern=$3
  shift 3
  run "$@"
  [ "$status" -eq "$wanted" ] || fail "$name: status $status, wanted $wanted"
  grep -Eq -- "$pattern" "$work/err" || fail "$name: stderr lacks /$pattern/: $(cat "$work/err")"
  [ ! -s "$work/out" ] || fail "$name: wrote to stdout: $(cat "$work/out")"
}

encoded() { "$tool" encode "$@" 2>/dev/null; }

# ---- the catalogue ----

run encode "$source"/problems/sgf/*.sgf
[ "$status" -eq 0 ] || fail "encoding the catalogue: status $status: $(cat "$work/err")"
cmp -s "$work/out" "$source/problems/catalogue.txt" ||
  fail "problems/catalogue.txt differs from a fresh encode of problems/sgf/*.sgf"

run check "$source/problems/catalogue.txt"
expect_same "catalogue check" "$(cat "$work/out")" "problem 1: ok (5 nodes, depth 2, region 6x4)
problem 2: ok (5 nodes, depth 2, region 5x5)
problem 3: ok (7 nodes, depth 2, region 6x5)
problem 4: ok (5 nodes, depth 2, region 7x4)
problem 5: ok (5 nodes, depth 2, region 6x5)
problem 6: ok (7 nodes, depth 2, region 6x5)
problem 7: ok (17 nodes, depth 3, region 7x4)
problem 8: ok (19 nodes, depth 3, region 8x4)
problem 9: ok (18 nodes, depth 5, region 7x5)
problem 10: ok (36 nodes, depth 5, region 7x4)"
[ "$status" -eq 0 ] || fail "catalogue check: status $status"

# Every record decodes to SGF that encodes to the same record.
n=0
while IFS= read -r record; do
  n=$((n + 1))
  "$tool" decode "$record" >"$work/p$n.sgf" || fail "decode of catalogue line $n: status $?"
  expect_same "catalogue line $n round trip" "$(encoded "$work/p$n.sgf")" "$record"
done <"$source/problems/catalogue.txt"
expect_same "catalogue lines" "$n" 10

# ---- SGF conventions ----

line1=$(head -n 1 "$source/problems/catalogue.txt")
for f in corner-top-left corner-top-right corner-bottom-left corner-bottom-right \
  white-to-play white-moves-first syntax; do
  expect_same "$f is problem 1" "$(encoded "$fixtures/$f.sgf")" "$line1"
done

# A view box is the region, mirrored with the problem; its far corner sets the size.
sed 's/C\[/VW[ln:ss]C[/' "$fixtures/corner-bottom-right.sgf" >"$work/view.sgf"
run check "$(encoded "$work/view.sgf")"
expect_same "view box" "$(cat "$work/out")" "problem 1: ok (5 nodes, depth 2, region 8x6)"

run show "$(encoded "$fixtures/markers.sgf")"
expect_same "markers" "$(cat "$work/out")" "region 6 x 5, 1 Black and 1 White setup stones, 11 nodes
    A B C D E F
  1 . . . . . .
  2 . . . . . .
  3 . . X . . .
  4 . . . O . .
  5 . . . . . .
B A1 correct
B B1 correct
B C1 correct
B D1 wrong
B E1 correct
B A2 wrong
B B2 wrong
B C2
  W E2 wrong
B D2
  W E2 correct"

passes=$(encoded "$fixtures/passes-empty.sgf")
expect_same "B[] and B[tt]" "$(encoded "$fixtures/passes-tt.sgf")" "$passes"
run show "$passes"
grep -q '^  W pass$' "$work/out" || fail "show: no White pass: $(cat "$work/out")"
grep -q '^B pass$' "$work/out" || fail "show: no Black pass: $(cat "$work/out")"
run decode "$passes"
expect_same "decode" "$(cat "$work/out")" "(;FF[4]GM[1]SZ[19]PL[B]VW[aa:ee]AB[cc]AW[dd]
(;B[bb];W[tt];B[ba]C[Correct])
(;B[tt];W[bb]C[Wrong]))"
run check "$passes"
expect_same "passes check" "$(cat "$work/out")" "problem 1: ok (5 nodes, depth 3, region 5x5)"

# Lines that cannot lead to "Success" are written, with a warning, and fail the check.
run encode "$fixtures/unsolvable.sgf" "$fixtures/hidden.sgf"
[ "$status" -eq 0 ] || fail "encode with warnings: status $status"
grep -q 'unsolvable.sgf:2: warning: after the correct move 1 B\[bb\] on line 2, the reply move 2 W\[ab\] reaches no correct leaf' \
  "$work/err" || fail "no unsolvable warning: $(cat "$work/err")"
grep -q 'hidden.sgf:3: warning: move 1 B\[bb\] can never be played' "$work/err" ||
  fail "no hidden-move warning: $(cat "$work/err")"
cp "$work/out" "$work/doubtful.txt"

# ---- check ----

{
  cat "$work/doubtful.txt"
  echo "?:@N100D00E1O10" # Black plays onto the White stone at D4
  echo "0000"
  echo ""
  echo "$line1" | tr 0 '~'
  echo "$line1"
} >"$work/records.txt"
run check "$work/records.txt"
[ "$status" -eq 1 ] || fail "failing check: status $status"
expect_same "failing check" "$(cat "$work/out")" 'problem 1: FAIL: after the correct node 1 (move 1, B B2), the reply node 4 (move 2, W A2) reaches no correct leaf: "Success" can never come
problem 2: FAIL: node 2 (move 1, B B2) can never be played: node 1 (move 1, B B2) takes the same move first
problem 3: FAIL: node 1 (move 1, B D4) is illegal: the point is taken
problem 4: FAIL: region fields 0 x 0 are outside 3..19; the record holds 3 bytes, fewer than its header; no line ends correct: "Success" can never come
problem 5: FAIL: an empty record
problem 6: FAIL: character 7 ("~") is not a record character "0".."o"
problem 7: ok (5 nodes, depth 2, region 6x4)'

# ---- refusals ----

expect_refusal "no arguments" 2 '^usage: zandrel-record encode'
expect_refusal "encode without files" 2 '^usage:' encode
expect_refusal "unknown command" 2 'unknown command "frobnicate"' frobnicate x
expect_refusal "unreadable file" 1 "^$work/none.sgf: cannot read: No such file" encode "$work/none.sgf"
expect_refusal "a folder" 1 "^$work: cannot read: it is a folder" encode "$work"
expect_refusal "broken SGF" 1 'broken.sgf: line 2: the value of C is never closed by "\]"' \
  encode "$fixtures/broken.sgf"
printf 'hello' >"$work/hello.sgf"
expect_refusal "not SGF" 1 'hello.sgf: line 1: unexpected "h" outside the game tree' encode "$work/hello.sgf"
printf '(;B[aa]' >"$work/open.sgf"
expect_refusal "unclosed tree" 1 'open.sgf: line 1: the file ends inside a game tree' encode "$work/open.sgf"
printf '(;AB[aa])(;AB[bb])' >"$work/two.sgf"
expect_refusal "two games" 1 'two.sgf: line 1: a second game tree' encode "$work/two.sgf"
expect_refusal "board size" 1 'small-board.sgf:1: board size SZ\[9\]' encode "$fixtures/small-board.sgf"
expect_refusal "out of turn" 1 'out-of-turn.sgf:2: move 2 B\[ba\]: Black plays twice in a row' \
  encode "$fixtures/out-of-turn.sgf"
expect_refusal "setup in the tree" 1 'setup-in-tree.sgf:2: setup property AB inside the tree' \
  encode "$fixtures/setup-in-tree.sgf"
expect_refusal "occupied point" 1 'illegal-taken.sgf:4: move 2 W\[cc\] is illegal: the point is taken' \
  encode "$fixtures/illegal-taken.sgf"
expect_refusal "suicide" 1 'illegal-suicide.sgf:2: move 2 W\[aa\] is illegal: suicide' \
  encode "$fixtures/illegal-suicide.sgf"
expect_refusal "one bad file spoils all" 1 'illegal-suicide.sgf' \
  encode "$fixtures/markers.sgf" "$fixtures/illegal-suicide.sgf"
printf '(;FF[4]AB[cc]AW[dd];B[zz])' >"$work/offboard.sgf"
expect_refusal "move off the board" 1 'offboard.sgf:1: move 1 B\[zz\]: not a point' encode "$work/offboard.sgf"

# Trees beyond the record's limits, made here: a line 78 moves deep, and 499 first moves.
{
  printf '(;FF[4]SZ[19]'
  for i in $(seq 78); do
    c=$(printf "\\x$(printf %x $((96 + (i - 1) % 19 + 1)))")
    r=$(printf "\\x$(printf %x $((96 + (i - 1) / 19 + 1)))")
    [ $((i % 2)) -eq 1 ] && printf ';B[%s%s]' "$c" "$r" || printf ';W[%s%s]' "$c" "$r"
  done
  printf ')\n'
} >"$work/deep.sgf"
expect_refusal "depth 78" 1 'deep.sgf:1: node 78 is at depth 78: at most 77 \(move 78 W\[be\]\)' \
  encode "$work/deep.sgf"
{
  printf '(;FF[4]SZ[19]'
  for i in $(seq 499); do printf '(;B[aa]C[Correct])'; done
  printf ')\n'
} >"$work/wide.sgf"
expect_refusal "500 entries" 1 'wide.sgf: 500 tree entries with the root: at most 499' \
  encode "$work/wide.sgf"

expect_refusal "decode of a broken record" 1 'argument 1: the record holds 3 bytes' decode 0000
expect_refusal "neither file nor record" 1 'no such file, and not a record text' show 'a~b'
expect_refusal "check of a missing file" 1 'none.txt: no such file, and not a record text' \
  check "$work/none.txt"

if [ "$failures" -gt 0 ]; then
  echo "$failures failure(s)"
  exit 1
fi
