#!/bin/sh
# Builds the browser program into WEB_BUILD (index.html) with emscripten, taking the generated
# sources from NATIVE_BUILD, a native build folder that is already built.
#
#   platform/web/build.sh NATIVE_BUILD WEB_BUILD
#
# Exit 77 when emscripten is not installed (Debian package emscripten).
set -eu
if [ $# -ne 2 ]; then
  echo "usage: $0 NATIVE_BUILD WEB_BUILD" >&2
  exit 2
fi
if ! command -v em++ >/dev/null 2>&1 || ! command -v emcmake >/dev/null 2>&1; then
  echo "web build: em++ is not installed (Debian package emscripten)" >&2
  exit 77
fi
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
native=$(cd "$1" && pwd)
# Debian's emscripten finds its JavaScript modules (acorn) only through NODE_PATH.
export NODE_PATH=/usr/share/nodejs
emcmake cmake -S "$source_dir" -B "$2" -DZANDREL_WEB=ON -DZANDREL_NATIVE_BUILD="$native" \
  -DCMAKE_BUILD_TYPE=Release -DZANDREL_WERROR=ON >/dev/null
cmake --build "$2" -j "${JOBS:-$(nproc 2>/dev/null || echo 2)}"
echo "web build: $2/index.html (serve the folder over HTTP, or open the file)"
