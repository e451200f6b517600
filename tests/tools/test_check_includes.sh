#!/bin/bash
# The include check on a tree of planted includes: it fails naming each one, and only those.
set -u
check=${1:?usage: test_check_includes.sh CHECK_SCRIPT FIXTURE}
fixture=${2:?usage: test_check_includes.sh CHECK_SCRIPT FIXTURE}
output=$(bash "$check" "$fixture" 2>&1)
status=$?
fail() {
  echo "test_check_includes: $1" >&2
  echo "$output" >&2
  exit 1
}
[ "$status" -eq 1 ] || fail "exit status $status, expected 1"
for expected in 'board/planted.h:3: #include <SDL2/SDL.h>' 'shell/planted.cpp:2: #include <sys/stat.h>' \
  'shell/planted.cpp:3: #include "platform/headless/headless.h"' \
  'platform/core/planted.cpp:2: #include "board/go_board.h"' \
  'platform/core/planted.cpp:3: #include "platform/posix/settings_file.h"' \
  'check_includes: 5 include(s) break the dependency rules'; do
  grep -qF "$expected" <<<"$output" || fail "not named: $expected"
done
if grep -q 'allowed' <<<"$output"; then fail "an allowed include was refused"; fi
echo "test_check_includes: every planted include is named"
