#!/usr/bin/env bash
# Runs one build's test suite: a display, the build's prefix, a persistent
# wineserver, then ctest, one test at a time (the tests share a registry and
# a screen). test.sh starts it once per build; for i686 it runs in a mount
# namespace of its own (i386_in_namespace) and mounts the 32-bit root there.
# Usage: run-suite.sh <x86_64|i686> [ctest arguments...]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
cd "$root"
source scripts/lib/wine.sh
source scripts/lib/i386_root.sh
suite="${1:?usage: run-suite.sh <x86_64|i686> [ctest arguments...]}"
shift
prefix="$root/build/$suite/wineprefix"
trap 'wine_stop_server; xvfb_stop' EXIT
if [ "$suite" = i686 ]; then
    i386_root_mount
    export TW_WINEPREFIX32="$prefix"
    wine32_env "$prefix"
else
    export TW_WINEPREFIX="$prefix"
    wine_env "$prefix"
fi
xvfb_start
wine_prepare_prefix "$prefix"
wine_start_server
ctest --test-dir "build/$suite" --output-on-failure -j 1 "$@"
