#!/usr/bin/env bash
# Builds both targets (i686, the shipping one, and x86_64) and runs the whole
# test suite of the x86_64 build under 64-bit Wine, in a prefix of its own
# inside build/x86_64, on an Xvfb display started and stopped here.
# Installs the Debian packages it needs when run as root.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
source scripts/lib/wine.sh
source scripts/lib/packages.sh

ensure_packages

jobs=$(nproc 2>/dev/null || echo 2)
for preset in i686 x86_64; do
    cmake --preset "$preset" >/dev/null
    cmake --build "build/$preset" -j "$jobs"
done

prefix="$root/build/x86_64/wineprefix"
export TW_WINEPREFIX="$prefix"
xvfb_start
trap 'wine_stop_server; xvfb_stop' EXIT
wine_prepare_prefix "$prefix"
wine_start_server

# Tests share one registry and one screen: they run one at a time.
ctest --test-dir build/x86_64 --output-on-failure -j 1 "$@"
