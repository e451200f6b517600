#!/bin/bash
# The saved problem number survives crashes and full or read-only disks, on the desktop host's
# settings file:
#  - a copy killed at random moments while it saves the number again and again leaves the file it
#    had or the one it was writing: never torn, never missing, never an older number, and every
#    other line of the file kept; the next save removes the temporary file a killed one left;
#  - on a full disk or a read-only folder the save fails with a message, the old file stays as it
#    was, no temporary file is left, and the program goes on: it ends normally, and its next save
#    works once there is room.
# A small tmpfs in a private mount namespace gives the real full disk and read-only folder; where
# namespaces are not allowed, a file size limit (RLIMIT_FSIZE) makes every write fail as a full
# disk would, and that case runs everywhere.
#
#   settings_crash.sh HELPER ZANDREL OUTDIR
set -u
helper=$(realpath "$1") zandrel=$(realpath "$2") outdir=$(realpath -m "$3")
rm -rf "$outdir"
mkdir -p "$outdir"
failures=0
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
export ZANDREL_INSTANCE="zandrel-crash-$$-$RANDOM"
unset ZANDREL_REGISTRY

fail() {
  echo "FAILED: $*"
  failures=$((failures + 1))
}

fresh() {
  local dir="$outdir/$1"
  rm -rf "$dir"
  mkdir -p "$dir/home" "$dir/config/Kelvaro"
  export HOME="$dir/home" XDG_CONFIG_HOME="$dir/config"
  folder="$XDG_CONFIG_HOME/Kelvaro"
  settings="$folder/Zandrel.reg"
}

# The settings file as the program writes it for number N: the other lines stay as they are.
expected() {
  printf '%s\n' '; kept by hand' '[HKEY_CURRENT_USER\Software\Other]' '"Keep"=dword:0000002a' '' \
    '[HKEY_CURRENT_USER\Software\Kelvaro\Zandrel]' "\"CurrentProblemNo\"=dword:$(printf %08x "$1")" \
    '"Sound"=dword:00000001'
}

# The number the file holds, when the file is exactly what the program writes for it.
number_in() {
  local hex
  hex=$(sed -n 's/^"CurrentProblemNo"=dword:\([0-9a-f]\{8\}\)$/\1/p' "$1" 2>/dev/null | head -n 1)
  [ -n "$hex" ] || return 1
  local n=$((16#$hex))
  cmp -s "$1" <(expected "$n") || return 1
  echo "$n"
}

temporaries() {
  find "$folder" -name 'Zandrel.reg.*' | wc -l
}

# ---- killed while saving ----

fresh crash
expected 1 >"$settings"
last=1 rounds=300 during=0 torn=0
for round in $(seq $rounds); do
  "$helper" loop $((last + 1)) >"$outdir/loop.out" 2>"$outdir/loop.err" &
  pid=$!
  # Timed from the helper's start, not its launch, which a busy machine may hold up.
  for _ in $(seq 2000); do
    grep -q ready "$outdir/loop.err" 2>/dev/null && break
    sleep 0.001
  done
  # Anywhere from before the first save to some dozens of saves in.
  sleep "$(printf '0.%03d' $((RANDOM % 25)))"
  kill -9 "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  saved=$(tail -n 1 "$outdir/loop.out")
  [ -n "$saved" ] && during=$((during + 1))
  confirmed=${saved:-$last}
  if ! value=$(number_in "$settings"); then
    torn=$((torn + 1))
    cp "$settings" "$outdir/torn-$round.reg" 2>/dev/null || echo missing >"$outdir/torn-$round.reg"
    [ $torn -le 3 ] && fail "round $round: the file is torn or missing (kept as torn-$round.reg)"
    continue
  fi
  # The save under way when the kill came may or may not have landed; none before it is lost.
  if [ "$value" -ne "$confirmed" ] && [ "$value" -ne $((confirmed + 1)) ]; then
    fail "round $round: the file holds $value after $confirmed was saved"
  fi
  [ "$("$helper" read)" = "$value" ] || fail "round $round: the program does not read back $value"
  last=$value
done
[ $torn -eq 0 ] || fail "$torn of $rounds kills left a torn or missing file"
# Kills that all came before the first save would prove nothing.
[ $during -ge $((rounds / 3)) ] || fail "only $during of $rounds kills came while saving"
# Each save clears what the killed ones before it left: only the last one's can remain, and a
# save that runs to its end leaves none.
left=$(temporaries)
[ "$left" -le 1 ] || fail "$left temporary files were left by killed writers"
[ "$("$helper" save $((last + 1)))" = $((last + 1)) ] || fail "the save after the kills failed"
[ "$(temporaries)" -eq 0 ] || fail "a save left the killed writers' temporary files in place"
echo "killed $rounds writers, $during of them while saving; the number reached $last"

# ---- a save that cannot be written ----

# Runs a save of N where writing fails; the old number M must stay, with a message, and the
# program must read M back and end normally. CONTEXT names the case.
check_failed_save() {
  local context=$1 n=$2 m=$3 out status
  cp "$settings" "$outdir/before.reg"
  out=$("$helper" save "$n" 2>"$outdir/err")
  status=$?
  [ $status -eq 0 ] || fail "$context: the program ended with status $status"
  [ "$out" = "$m" ] || fail "$context: the program reads \"$out\" after the failed save, expected $m"
  grep -q '^zandrel: ' "$outdir/err" || fail "$context: the failed save gave no message"
  cmp -s "$settings" "$outdir/before.reg" || fail "$context: the old file was changed"
  [ "$(temporaries)" -eq 0 ] || fail "$context: a temporary file was left"
}

# The whole program: started on the settings, told to close (as the desktop does), it saves on
# the way out. With the save failing it still ends with status 0 and leaves the file.
check_program_exit() {
  local context=$1 pid status
  cp "$settings" "$outdir/before.reg"
  # timeout passes the request to close on, and ends a program that ignores it (status 137).
  ZANDREL_READY=1 timeout -s KILL 20 "$zandrel" >"$outdir/program.out" 2>"$outdir/program.err" &
  pid=$!
  for _ in $(seq 400); do
    grep -q '^ready' "$outdir/program.out" && break
    sleep 0.025
  done
  grep -q '^ready' "$outdir/program.out" || fail "$context: the program did not start"
  kill -TERM "$pid" 2>/dev/null
  wait "$pid"
  status=$?
  [ $status -eq 0 ] || fail "$context: the program ended with status $status"
  cmp -s "$settings" "$outdir/before.reg" || fail "$context: the program changed the old file"
  [ "$(temporaries)" -eq 0 ] || fail "$context: the program left a temporary file"
}

# Everywhere: a file size limit of zero makes every write fail with EFBIG, as a full disk does
# with ENOSPC; the signal that would end the process is ignored, as it is in the program's case.
fresh file_size_limit
expected 3 >"$settings"
out=$( (ulimit -f 0; trap '' XFSZ; exec "$helper" save 4) 2>&1)
status=$?
[ $status -eq 0 ] || fail "file size limit: the program ended with status $status"
[ "$(printf '%s\n' "$out" | tail -n 1)" = 3 ] || fail "file size limit: the program reads \"$out\""
printf '%s\n' "$out" | grep -q '^zandrel: ' || fail "file size limit: the failed save gave no message"
[ "$(number_in "$settings")" = 3 ] || fail "file size limit: the old file was changed"
[ "$(temporaries)" -eq 0 ] || fail "file size limit: a temporary file was left"
[ "$("$helper" save 5)" = 5 ] || fail "file size limit: the save after it failed"

# A real full disk and a read-only folder: a 64 KiB tmpfs over the settings folder, in a mount
# namespace of this test's own (as root, or as a user where user namespaces are allowed).
fresh tmpfs
if unshare -rm true 2>/dev/null; then
  export -f fail check_failed_save check_program_exit expected number_in temporaries
  export helper zandrel outdir settings folder
  unshare -rm bash -c '
    failures=0
    mount -t tmpfs -o size=64k,mode=0700 zandrel-test "$folder" || { echo "FAILED: mount"; exit 1; }
    expected 6 >"$settings"
    # Fill the disk to its last byte.
    dd if=/dev/zero of="$folder/filler" bs=4k 2>/dev/null
    dd if=/dev/zero of="$folder/filler2" bs=1 2>/dev/null
    check_failed_save "full disk" 7 6
    check_program_exit "full disk"
    rm -f "$folder/filler" "$folder/filler2"
    [ "$("$helper" save 8)" = 8 ] || fail "full disk: the save once there was room failed"
    mount -o remount,ro "$folder" || { echo "FAILED: remount read-only"; exit 1; }
    check_failed_save "read-only folder" 9 8
    check_program_exit "read-only folder"
    exit $((failures > 0))
  ' || fail "the tmpfs cases failed"
  echo "full disk and read-only folder checked on a 64 KiB tmpfs"
else
  # No namespace: a read-only folder still refuses an ordinary user; root writes anyway.
  if [ "$(id -u)" -ne 0 ]; then
    expected 6 >"$settings"
    chmod 500 "$folder"
    check_failed_save "read-only folder" 7 6
    chmod 700 "$folder"
  fi
  echo "note: no mount namespace here: the full disk was checked by the file size limit only"
fi

[ $failures -eq 0 ] || exit 1
echo "the saved number survived every kill, a full disk and a read-only folder"
