#!/bin/bash
# The single instance under a race: several copies of the desktop program started at the same
# moment (SDL's dummy display, a single-instance name of this test's own). Exactly one keeps
# running; every other one asks it to raise its window and ends with status 0; the one running
# takes all those requests ("raised N" lines with ZANDREL_READY=1).
#
#   instance_race.sh ZANDREL OUTDIR
set -u
zandrel=$(realpath "$1") outdir=$(realpath -m "$2")
rm -rf "$outdir"
mkdir -p "$outdir"
failures=0
copies=6 rounds=5
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy ZANDREL_READY=1
unset ZANDREL_REGISTRY

fail() {
  echo "FAILED: $*"
  failures=$((failures + 1))
}

raised() {
  awk '/^raised / { n += $2 } END { print n + 0 }' "$1"
}

for round in $(seq $rounds); do
  dir="$outdir/round$round"
  mkdir -p "$dir/home"
  export HOME="$dir/home" XDG_CONFIG_HOME="$dir/config"
  export ZANDREL_INSTANCE="zandrel-race-$$-$round-$RANDOM"
  # Every copy waits for a line on the same FIFO; writing them all lets the copies go at once.
  mkfifo "$dir/start"
  exec 7<>"$dir/start"
  pids=()
  for i in $(seq $copies); do
    (exec 7>&-; read -r _ <"$dir/start"; exec timeout -s KILL 30 "$zandrel") \
      >"$dir/out$i" 2>"$dir/err$i" &
    pids+=($!)
  done
  printf 'go\n%.0s' $(seq $copies) >&7

  # The copies that lose end by themselves; wait for all but one.
  declare -A ended=()
  for _ in $(seq 400); do
    for i in $(seq $copies); do
      [ -n "${ended[$i]:-}" ] && continue
      if [ -n "$(ps -o stat= -p "${pids[$((i - 1))]}" | grep -v Z)" ]; then continue; fi
      wait "${pids[$((i - 1))]}"
      ended[$i]=$?
    done
    [ ${#ended[@]} -ge $((copies - 1)) ] && break
    sleep 0.025
  done
  running=()
  for i in $(seq $copies); do
    if [ -z "${ended[$i]:-}" ]; then
      running+=("$i")
    elif [ "${ended[$i]}" -ne 0 ]; then
      fail "round $round: copy $i ended with status ${ended[$i]}"
      cat "$dir/err$i"
    fi
  done
  if [ ${#running[@]} -ne 1 ]; then
    fail "round $round: ${#running[@]} copies kept running, expected 1"
  else
    holder=${running[0]}
    grep -q '^ready' "$dir/out$holder" || fail "round $round: the copy that runs never showed its window"
    for _ in $(seq 400); do
      [ "$(raised "$dir/out$holder")" -ge $((copies - 1)) ] && break
      sleep 0.025
    done
    [ "$(raised "$dir/out$holder")" -eq $((copies - 1)) ] ||
      fail "round $round: the copy that runs was asked to raise $(raised "$dir/out$holder") times, expected $((copies - 1))"
    for i in $(seq $copies); do
      [ "$i" = "$holder" ] && continue
      grep -q '^ready' "$dir/out$i" && fail "round $round: copy $i showed a window before it ended"
    done
  fi
  for i in "${running[@]}"; do
    kill -TERM "${pids[$((i - 1))]}" 2>/dev/null
    wait "${pids[$((i - 1))]}" 2>/dev/null
  done
  unset ended
  exec 7>&-
done

[ $failures -eq 0 ] || exit 1
echo "$rounds rounds of $copies copies started at once: one ran, the others raised it and ended"
