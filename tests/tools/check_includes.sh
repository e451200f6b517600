#!/bin/bash
# The directions of the house: the game and the shell see the platform only through its own
# headers, and the platform knows nothing of the game or the shell. Fails naming every include
# that breaks a rule, as FILE:LINE: the include, and why.
#
#   check_includes.sh SOURCE_DIR
set -u
root=${1:?usage: check_includes.sh SOURCE_DIR}
cd "$root" || exit 2

# Game and shell code: no SDL, no font engine, no POSIX or other system interface.
game_dirs="board problems tutor view shell"
system_headers='SDL[^"/>]*\.h|SDL2/|ft2build\.h|freetype/|fontconfig/|harfbuzz/|hb(-[a-z]+)?\.h|unistd\.h|fcntl\.h|sys/|pthread\.h|dirent\.h|dlfcn\.h|poll\.h|signal\.h|termios\.h|spawn\.h|sched\.h|semaphore\.h|netdb\.h|netinet/|arpa/|pwd\.h|grp\.h'
# ...nor a host's own files; the program entry points pick their host (shell/main.cpp links the
# desktop host, shell/web_main.cpp is the browser's and may use its host's header).
host_headers='platform/(sdl|headless|posix|web)/'
entry_points="shell/web_main.cpp"
# The platform: none of the game's or the shell's headers; its core none of a host's.
game_headers='(board|problems|tutor|view|shell)/'

failures=0
report() {
  echo "$1: $2" >&2
  failures=$((failures + 1))
}

# Prints FILE:LINE:HEADER for every #include in the given folders.
includes() {
  find "$@" -type f \( -name '*.cpp' -o -name '*.h' \) -print0 2>/dev/null | sort -z |
    xargs -0 grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]' /dev/null |
    sed -E 's/^([^:]+):([0-9]+):[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]([^>"]*)[>"].*/\1:\2:\3/'
}

while IFS=: read -r file line header; do
  if [[ $header =~ ^($system_headers) ]]; then
    report "$file:$line" "#include <$header>: game and shell code use platform/platform.h, not system headers"
  fi
  if [[ $header =~ ^$host_headers ]] && [[ " $entry_points " != *" $file "* ]]; then
    report "$file:$line" "#include \"$header\": game and shell code do not include a host's files"
  fi
done < <(includes $game_dirs)

while IFS=: read -r file line header; do
  if [[ $header =~ ^$game_headers ]]; then
    report "$file:$line" "#include \"$header\": the platform does not include game or shell code"
  fi
  if [[ $file == platform/core/* ]] && [[ $header =~ ^$host_headers ]]; then
    report "$file:$line" "#include \"$header\": the platform core does not include a host's files"
  fi
done < <(includes platform)

if [ "$failures" -gt 0 ]; then
  echo "check_includes: $failures include(s) break the dependency rules" >&2
  exit 1
fi
echo "check_includes: every include keeps to the dependency rules"
