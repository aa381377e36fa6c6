#!/usr/bin/env bash
# Runs one Windows program of the x86_64 build under Wine in the build's own
# prefix. ctest uses it as the emulator for every test program; one that
# stops before its tests are over fails whatever its exit code (wine_run_test).
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/wine.sh"
wine_env "${TW_WINEPREFIX:-$here/../../build/x86_64/wineprefix}"
wine_run_test "$(wine_cmd)" "$@"
