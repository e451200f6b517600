#!/bin/bash
# The browser program in headless Chromium at a phone's viewport, against the headless host:
# see web_test.mjs for what it checks.
#
#   run_web_test.sh ZANDREL_SCRIPT WEB_REFERENCE WEB_BUILD OUTDIR
#
# Serves WEB_BUILD (index.html) over HTTP on 127.0.0.1; leaves the screens that differ, the
# server's log and the browser's console in OUTDIR. Exit 77 (skipped) when emscripten, Chromium
# or Node.js is not installed.
set -u

if [ $# -ne 4 ]; then
  echo "usage: $0 ZANDREL_SCRIPT WEB_REFERENCE WEB_BUILD OUTDIR" >&2
  exit 2
fi
script=$1 reference=$2 web_build=$3 outdir=$4
here=$(cd "$(dirname "$0")" && pwd)
chromium=/usr/bin/chromium

skip() {
  echo "SKIPPED: $*"
  exit 77
}
failed() {
  echo "FAILED: $*"
  exit 1
}

command -v em++ >/dev/null 2>&1 || skip "em++ is not installed (Debian package emscripten)"
[ -x "$chromium" ] || skip "$chromium is not installed (Debian package chromium)"
command -v node >/dev/null 2>&1 || skip "node is not installed"
command -v npm >/dev/null 2>&1 || skip "npm is not installed"
[ -f "$web_build/index.html" ] || failed "$web_build/index.html is missing: the web build failed"
for program in "$script" "$reference"; do
  [ -x "$program" ] || failed "$program is not an executable"
done

# playwright-core, at the version package-lock.json pins (installed when it is not).
module=node_modules/playwright-core
wanted=$(node -p "require('$here/package-lock.json').packages['$module'].version")
installed=$(node -p "require('$here/$module/package.json').version" 2>/dev/null)
if [ "$wanted" != "$installed" ]; then
  (cd "$here" && npm ci --ignore-scripts --no-audit --no-fund) || failed "npm ci in $here failed"
fi

rm -rf "$outdir"
mkdir -p "$outdir"
# The references: English, default screen, settings in memory.
export LC_ALL=C.UTF-8 LANG=C.UTF-8
unset LC_MESSAGES ZANDREL_REGISTRY ZANDREL_SCREEN

# A port the system chooses; the server prints it.
python3 -u -m http.server --bind 127.0.0.1 --directory "$web_build" 0 >"$outdir/server.log" 2>&1 &
server=$!
trap 'kill "$server" 2>/dev/null; wait "$server" 2>/dev/null' EXIT
port=""
for _ in $(seq 100); do
  port=$(sed -n 's/^Serving HTTP on .* port \([0-9][0-9]*\).*/\1/p' "$outdir/server.log" | head -n1)
  [ -n "$port" ] && break
  if ! kill -0 "$server" 2>/dev/null; then
    cat "$outdir/server.log"
    failed "the HTTP server did not start"
  fi
  sleep 0.1
done
[ -n "$port" ] || failed "the HTTP server gave no port within 10 s"

node "$here/web_test.mjs" --script "$script" --reference "$reference" --chromium "$chromium" \
  --url "http://127.0.0.1:$port/index.html" --outdir "$outdir"
