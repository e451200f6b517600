#!/usr/bin/env bash
# Whole sessions of the program through zandrel-script: start-up, commands, the soft key, the
# selection dialog and the saved problem number.
set -u -o pipefail
script=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
unset ZANDREL_REGISTRY LC_ALL LC_MESSAGES LANG

# run INPUT: the output lines of a session (one dump a line).
run() { printf '%s\n' "$1" | "$script" 2>"$work/err"; }

# expect NAME INPUT PATTERN...: every PATTERN (grep -E) matches the last dump of the session.
expect() {
  local name=$1 input=$2; shift 2
  local out
  out=$(run "$input") || { fail "$name: status $?: $(cat "$work/err")"; return; }
  local last
  last=$(tail -n 1 <<<"$out")
  for pattern in "$@"; do
    grep -Eq -- "$pattern" <<<"$last" || fail "$name: lacks /$pattern/ in: ${last:0:400}"
  done
}

# Start-up opens the saved problem, 1 when none is saved.
expect "first run" $'start\ndump' '"problemNumber": 1,' '"problemLoaded": 1' '"softKey": "Hint"'
expect "saved 7" $'saved 7\nstart\ndump' '"problemNumber": 7,' '"problemLoaded": 1'
expect "saved 0 reads as 1" $'saved 0\nstart\ndump' '"problemNumber": 1,'
expect "saved top bit reads as 1" $'saved 2147483648\nstart\ndump' '"problemNumber": 1,' \
  '"problemLoaded": 1'
expect "saved beyond the catalogue opens 1" $'saved 11\nstart\ndump' '"problemNumber": 1,' \
  '"problemLoaded": 1'
expect "saved none" $'saved none\nstart\ndump' '"problemNumber": 1,'

# Rule A: next wraps after 10, prev stops at 1, selection.
expect "next" $'saved 3\nstart\ncommand 40005\ndump' '"problemNumber": 4,'
expect "next wraps" $'saved 10\nstart\ncommand 40005\ndump' '"problemNumber": 1,'
expect "prev" $'saved 3\nstart\ncommand 40008\ndump' '"problemNumber": 2,'
expect "prev on 1" $'start\nplay 6 6\ncommand 40008\ndump' '"problemNumber": 1,' '"history": ""'
expect "select 5" $'start\ndialog 5\ncommand 40006\ndump' '"problemNumber": 5,'
expect "select 0" $'saved 3\nstart\ndialog 0\ncommand 40006\ndump' '"problemNumber": 3,'
expect "select empty" $'saved 3\nstart\ndialog \'\'\ncommand 40006\ndump' '"problemNumber": 3,'
expect "select cancel" $'saved 3\nstart\ndialog cancel\ncommand 40006\ndump' '"problemNumber": 3,'
expect "select beyond" $'saved 3\nstart\ndialog 99\ncommand 40006\ndump' '"problemNumber": 1,'
expect "select overflow" $'saved 3\nstart\ndialog 4294967298\ncommand 40006\ndump' \
  '"problemNumber": 1,'
expect "select 30 digits" $'saved 3\nstart\ndialog 000000000000000000000000000002999\ncommand 40006\ndump' \
  '"problemNumber": 2,'

# The soft key follows the notifications; in state 2 it opens the next problem.
expect "solved" $'start\ntap 59 19\ndump' '"solved": 1' '"softKey": "Next problem"' \
  '"banner": "Success"' '"notifications": \[1030, 1026, 1027\]'
expect "soft key next problem" $'start\ntap 59 19\nsoftkey\ndump' '"problemNumber": 2,' \
  '"softKey": "Hint"'
expect "soft key hint" $'start\nsoftkey\ndump' '"sleeps": \[500\]' '"markedPoint": \[2, 1\]'

# Sound On twice; Replay restarts without decoding; Pass only on the player's turn.
expect "sound off" $'start\ncommand 40023\ntap 59 19\ndump' '"soundOn": 0' '"sounds": \[\]'
expect "sound on again" $'start\ncommand 40023\ncommand 40023\ntap 59 19\ndump' '"soundOn": 1' \
  '"sounds": \["1999", "2095"\]'
expect "replay" $'start\nplay 6 6\ncommand 40004\ndump' '"history": ""' '"problemNumber": 1,'
expect "pass while solved" $'start\ntap 59 19\ncommand 40083\ndump' '"history": "BA"'
expect "pass off the tree" $'start\ntap 219 19\ncommand 40083\ndump' '"offTree": 1' \
  '"sideToMove": -1' '"history": "FA"'
expect "about closes" $'start\ncommand 40007\ndump' '"problemNumber": 1,'
expect "mode" $'start\ncommand 40058\ndump' '"freePlay": 1'

# Quit saves the number, and the next start opens it.
export ZANDREL_REGISTRY=$work/settings.reg
run $'start\ncommand 40005\ncommand 40005\nquit' >/dev/null || fail "quit: status $?"
grep -q '"CurrentProblemNo"=dword:00000003' "$work/settings.reg" 2>/dev/null ||
  fail "quit: the settings file lacks problem 3: $(cat "$work/settings.reg" 2>&1)"
expect "start again" $'start\ndump' '"problemNumber": 3,'
printf 'garbage\n[Other]\n"Keep"="me"\n' >"$work/settings.reg"
run $'start\nquit' >/dev/null || fail "garbage: status $?"
grep -q '"Keep"="me"' "$work/settings.reg" || fail "unknown lines were not kept"
grep -q '"CurrentProblemNo"=dword:00000001' "$work/settings.reg" || fail "garbage: no number saved"
unset ZANDREL_REGISTRY

if [ $failures -ne 0 ]; then echo "$failures failed"; exit 1; fi
echo "all shell session checks passed"
