#!/usr/bin/env bash
# Starts QXRibodo on the demo data folder, creating it on first use.
set -euo pipefail
build=${1:-build}
bin="$build/bin"
demo="$build/demo-data"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ "$(uname -s)" = Linux ]; then
    echo "QXRibodo is a desktop program and needs a display, but neither DISPLAY nor WAYLAND_DISPLAY is set." >&2
    echo "Run it from a desktop session, or under a virtual display: xvfb-run -a make run" >&2
    exit 1
fi

if [ ! -f "$demo/dbRibodo.sqlite" ]; then
    "$bin/ribodo-datafolder" demo "$demo" 400 >/dev/null
fi
mkdir -p "$demo/help" && cp "$bin/help/RBHelp.html" "$demo/help/RBHelp.html"
"$bin/ribodo-datafolder" sysfile "$bin" "$demo"
exec "$bin/QXRibodo"
