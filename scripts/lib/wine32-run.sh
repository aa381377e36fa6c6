#!/usr/bin/env bash
# Runs one Windows program of the i686 build under 32-bit Wine inside the
# 32-bit root (scripts/lib/i386_root.sh), in the build's own prefix and in
# the caller's folder. ctest uses it as the emulator for every i686 test
# program. The root and its mounts must be ready (scripts/test.sh does that).
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/../.." && pwd)"
source "$here/wine.sh"
source "$here/i386_root.sh"
wine32_env "${TW_WINEPREFIX32:-$root/build/i686/wineprefix}"
exec chroot "$(i386_root_dir)" /bin/sh -c 'cd "$0" 2>/dev/null || cd /; exec "$@"' "$PWD" wine "$@"
