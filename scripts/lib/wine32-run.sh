#!/usr/bin/env bash
# Runs one Windows program of the i686 build under 32-bit Wine inside the
# 32-bit root (scripts/lib/i386_root.sh), in the build's own prefix and in
# the caller's folder. ctest uses it as the emulator for every i686 test
# program, inside the mount namespace where scripts/lib/run-suite.sh mounted
# the root. A test program that stops before its tests are over fails
# whatever its exit code (wine_run_test).
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/../.." && pwd)"
source "$here/wine.sh"
source "$here/i386_root.sh"
i386_root_mounted || tw_die "the 32-bit root is not mounted here: run the i686 tests through scripts/test.sh --i686"
wine32_env "${TW_WINEPREFIX32:-$root/build/i686/wineprefix}"
wine_run_test chroot "$(i386_root_dir)" /bin/sh -c 'cd "$0" 2>/dev/null || cd /; exec "$@"' "$PWD" wine "$@"
