#!/bin/bash
# The desktop host's real settings file and single-instance socket:
#  - the settings file under XDG_CONFIG_HOME (or HOME/.config) is replaced atomically: a writer
#    killed at any moment leaves the old text or the new one, never a torn file;
#  - a folder that cannot be used reads as no settings, and a save there fails with a message;
#  - the single-instance name is claimed once, answers "running" and raise requests while its
#    holder lives, and is free again as soon as the holder is killed.
#
#   settings_and_instance.sh HELPER OUTDIR
set -u
helper=$(realpath "$1") outdir=$(realpath -m "$2")
rm -rf "$outdir"
mkdir -p "$outdir"
failures=0
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
unset ZANDREL_REGISTRY

fail() {
  echo "FAILED: $*"
  failures=$((failures + 1))
}

# A fresh configuration folder for each case.
fresh() {
  local dir="$outdir/$1"
  rm -rf "$dir"
  mkdir -p "$dir/home"
  export HOME="$dir/home" XDG_CONFIG_HOME="$dir/config"
  settings="$XDG_CONFIG_HOME/Kelvaro/Zandrel.reg"
}

# Waits (bounded) until FILE has a line matching PATTERN, or the process PID ends.
wait_for_line() {
  local file=$1 pattern=$2 pid=$3
  for _ in $(seq 400); do
    grep -q "$pattern" "$file" 2>/dev/null && return 0
    kill -0 "$pid" 2>/dev/null || { grep -q "$pattern" "$file" 2>/dev/null; return; }
    sleep 0.025
  done
  return 1
}

stop() {
  kill -9 "$1" 2>/dev/null
  wait "$1" 2>/dev/null
}

# ---- the settings file ----

fresh paths
out=$("$helper" get) || fail "get without a file: exit status $?"
[ "$out" = missing ] || fail "get without a file: \"$out\", expected missing"
"$helper" set 7 || fail "set 7: exit status $?"
expected=$'[HKEY_CURRENT_USER\\Software\\Kelvaro\\Zandrel]\n"CurrentProblemNo"=dword:00000007'
[ "$(cat "$settings" 2>/dev/null)" = "$expected" ] || fail "set 7 did not write $settings as expected"
[ "$("$helper" get)" = 7 ] || fail "get after set 7"
[ -z "$(find "$XDG_CONFIG_HOME" -name 'Zandrel.reg.*')" ] || fail "a temporary file was left behind"
# Without XDG_CONFIG_HOME the file is under HOME/.config; a relative XDG_CONFIG_HOME is ignored.
for xdg in unset "" "relative/config"; do
  if [ "$xdg" = unset ]; then unset XDG_CONFIG_HOME; else export XDG_CONFIG_HOME="$xdg"; fi
  rm -rf "$HOME/.config"
  (cd "$outdir" && "$helper" set 8) || fail "set 8 with XDG_CONFIG_HOME=$xdg: exit status $?"
  grep -q 'dword:00000008' "$HOME/.config/Kelvaro/Zandrel.reg" 2>/dev/null ||
    fail "XDG_CONFIG_HOME=$xdg: the file is not under HOME/.config"
  [ -e "$outdir/relative" ] && fail "XDG_CONFIG_HOME=$xdg: a relative folder was used"
done
# Neither variable absolute: nothing is stored, nothing breaks.
env -u XDG_CONFIG_HOME HOME=relative "$helper" set 9 2>"$outdir/err"
[ $? -eq 1 ] || fail "set without an absolute HOME: expected exit status 1"
grep -q '^zandrel: ' "$outdir/err" || fail "set without an absolute HOME: no message"
[ "$(env -u XDG_CONFIG_HOME HOME=relative "$helper" get)" = missing ] ||
  fail "get without an absolute HOME"

# Replacing keeps the file's permissions, and writes through a symbolic link to its target.
fresh links
"$helper" set 1 && chmod 640 "$settings"
"$helper" set 2
[ "$(stat -c %a "$settings")" = 640 ] || fail "the file's permissions were not kept"
mv "$settings" "$outdir/links/elsewhere.reg"
ln -s "$outdir/links/elsewhere.reg" "$settings"
"$helper" set 3
[ -L "$settings" ] || fail "the symbolic link was replaced by a file"
grep -q 'dword:00000003' "$outdir/links/elsewhere.reg" || fail "the link's target was not written"

# ---- atomic replacement: kill -9 a writer at random moments ----

fresh atomic
mkdir -p "$XDG_CONFIG_HOME/Kelvaro"
# Two texts of different lengths, so that a mix or a cut shows.
{
  echo '[HKEY_CURRENT_USER\Software\Kelvaro\Zandrel]'
  for i in $(seq 2000); do printf '"A%05d"=dword:%08x\n' "$i" "$i"; done
} >"$outdir/a.reg"
{
  echo '[HKEY_CURRENT_USER\Software\Kelvaro\Zandrel]'
  for i in $(seq 1500); do printf '"Bee%05d"=dword:%08x\n' "$i" "$i"; done
} >"$outdir/b.reg"
cp "$outdir/a.reg" "$settings"
kills=0 torn=0
for round in $(seq 40); do
  "$helper" save-loop "$outdir/b.reg" "$outdir/a.reg" >"$outdir/loop.out" 2>"$outdir/loop.err" &
  pid=$!
  if ! wait_for_line "$outdir/loop.out" '^saving' "$pid"; then
    fail "round $round: the writer did not start"
    cat "$outdir/loop.err"
    stop "$pid"
    break
  fi
  # A different moment each round, up to about 20 ms into the saves.
  sleep "$(printf '0.%03d' $((round % 20)))"
  stop "$pid"
  kills=$((kills + 1))
  if ! cmp -s "$settings" "$outdir/a.reg" && ! cmp -s "$settings" "$outdir/b.reg"; then
    torn=$((torn + 1))
    cp "$settings" "$outdir/torn-$round.reg"
  fi
  "$helper" load >/dev/null || fail "round $round: the file did not read back (status $?)"
done
[ $torn -eq 0 ] || fail "$torn of $kills killed writers left a torn file"

# ---- folders that cannot be used ----

# A file where the folder should be: fails for every user, root included.
fresh file_as_folder
mkdir -p "$XDG_CONFIG_HOME"
echo "not a folder" >"$XDG_CONFIG_HOME/Kelvaro"
out=$("$helper" get 2>"$outdir/err")
status=$?
[ $status -eq 0 ] && [ "$out" = missing ] || fail "file as folder: get gave \"$out\", status $status"
"$helper" set 7 2>"$outdir/err"
status=$?
[ $status -eq 1 ] || fail "file as folder: set exit status $status, expected 1"
grep -q '^zandrel: ' "$outdir/err" || fail "file as folder: set gave no message"
[ "$(cat "$XDG_CONFIG_HOME/Kelvaro")" = "not a folder" ] || fail "file as folder: the file was changed"

# An unreadable folder; root reads it anyway, so the case needs another user.
fresh unreadable
"$helper" set 4
chmod 000 "$XDG_CONFIG_HOME/Kelvaro"
if [ "$(id -u)" -ne 0 ]; then
  out=$("$helper" get 2>"$outdir/err")
  status=$?
  [ $status -eq 0 ] && [ "$out" = missing ] || fail "unreadable folder: get gave \"$out\", status $status"
  "$helper" set 7 2>"$outdir/err"
  status=$?
  [ $status -eq 1 ] || fail "unreadable folder: set exit status $status, expected 1"
  grep -q '^zandrel: ' "$outdir/err" || fail "unreadable folder: set gave no message"
  chmod 700 "$XDG_CONFIG_HOME/Kelvaro"
  [ "$("$helper" get)" = 4 ] || fail "unreadable folder: the old value was lost"
else
  echo "note: running as root, who reads any folder: the chmod 000 case is skipped"
fi
chmod 700 "$XDG_CONFIG_HOME/Kelvaro"

# A file too large to keep is never replaced.
fresh too_large
mkdir -p "$XDG_CONFIG_HOME/Kelvaro"
head -c 70000 /dev/zero | tr '\0' ';' >"$settings"
cp "$settings" "$outdir/large.copy"
[ "$("$helper" get 2>/dev/null)" = missing ] || fail "too large: did not read as missing"
"$helper" set 7 2>"$outdir/err"
[ $? -eq 1 ] || fail "too large: set did not fail"
cmp -s "$settings" "$outdir/large.copy" || fail "too large: the file was replaced"

# ---- the single instance ----

export ZANDREL_INSTANCE="zandrel-e2e-$$-$RANDOM"
fresh instance
"$helper" running && fail "running before any holder"
"$helper" raise && fail "raise before any holder succeeded"
ZANDREL_READY=1 "$helper" hold >"$outdir/hold.out" 2>"$outdir/hold.err" &
holder=$!
if wait_for_line "$outdir/hold.out" '^claimed' "$holder"; then
  out=$("$helper" claim)
  status=$?
  [ $status -eq 5 ] && [ "$out" = held ] || fail "second claim: \"$out\", status $status"
  "$helper" running || fail "running while held: no"
  grep -q 'sees itself' "$outdir/hold.out" && fail "the holder takes its own claim for another copy"
  # The name lives in the abstract namespace, and the holder's socket closes on exec.
  if [ -r /proc/net/unix ]; then
    inode=$(awk -v name="@$ZANDREL_INSTANCE" '$8 == name && $6 == "01" { print $7; exit }' /proc/net/unix)
    [ -n "$inode" ] || fail "no listening abstract socket @$ZANDREL_INSTANCE"
    for fd in /proc/$holder/fd/*; do
      [ "$(readlink "$fd")" = "socket:[$inode]" ] || continue
      flags=$(awk '/^flags:/ { print $2 }' "/proc/$holder/fdinfo/${fd##*/}")
      (( 8#$flags & 8#2000000 )) || fail "the instance socket is not close-on-exec (flags $flags)"
    done
  fi
  "$helper" raise || fail "raise while held: not taken"
  wait_for_line "$outdir/hold.out" '^raised' "$holder" || fail "the holder did not get the raise"
  # Silent connections (the running check), other lines, a cut line and an endless one are no
  # raise; the raise sent after them is taken after them.
  for _ in 1 2 3; do "$helper" running; done
  for text in $'garbage\n' $'raise now\n' $'RAISE\n' 'rai' "$(head -c 5000 /dev/zero | tr '\0' r)"; do
    "$helper" send "$text" || fail "could not send \"${text:0:20}\""
  done
  "$helper" raise && "$helper" raise
  answered() { awk '/^raised / { n += $2 } END { print n + 0 }' "$outdir/hold.out"; }
  for _ in $(seq 400); do
    [ "$(answered)" -ge 3 ] && break
    sleep 0.025
  done
  [ "$(answered)" -eq 3 ] || fail "three raises were answered as $(answered)"
  kill -0 "$holder" 2>/dev/null || fail "the holder ended while serving requests"
else
  fail "the holder did not claim the name"
  cat "$outdir/hold.err"
fi
stop "$holder"
"$helper" running && fail "running after the holder was killed"
out=$("$helper" claim)
[ "$out" = claimed ] || fail "claim after the holder was killed: \"$out\""

[ $failures -eq 0 ] || exit 1
echo "settings replaced atomically ($kills writers killed), bad folders refused, instance claimed and freed"
