#!/usr/bin/env bash
# Builds both targets and runs the whole test suite on each: the x86_64 build
# under 64-bit Wine, the i686 build (the one that ships) under 32-bit Wine in
# an emulated i386 root (scripts/lib/i386_root.sh; made once, about 7 minutes,
# in build/i386-root). Each build has a prefix of its own inside its tree;
# one Xvfb display serves both, started and stopped here.
# Installs the Debian packages it needs when run as root.
#
# Usage: test.sh [--x86_64 | --i686] [ctest arguments...]
#   --x86_64, --i686  run the suite of that build only (both are still built)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
source scripts/lib/wine.sh
source scripts/lib/i386_root.sh
source scripts/lib/packages.sh

suites=(x86_64 i686)
case "${1:-}" in
    --x86_64) suites=(x86_64); shift ;;
    --i686) suites=(i686); shift ;;
esac

ensure_packages

jobs=$(nproc 2>/dev/null || echo 2)
for preset in i686 x86_64; do
    cmake --preset "$preset" >/dev/null
    cmake --build "build/$preset" -j "$jobs"
done

cleanup() {
    wine_stop_server
    if [ "$TW_WINE_BITS" = 32 ]; then i386_root_unmount; fi
    xvfb_stop
}
trap cleanup EXIT
xvfb_start

declare -A summary
failed=0
for suite in "${suites[@]}"; do
    prefix="$root/build/$suite/wineprefix"
    if [ "$suite" = i686 ]; then
        started=$SECONDS
        i386_root_ensure
        echo "32-bit environment ready in $((SECONDS - started)) s"
        export TW_WINEPREFIX32="$prefix"
        wine32_env "$prefix"
    else
        export TW_WINEPREFIX="$prefix"
        wine_env "$prefix"
    fi
    wine_prepare_prefix "$prefix"
    wine_start_server
    started=$SECONDS
    log="build/$suite/ctest.log"
    # Tests share one registry and one screen: they run one at a time.
    status=0
    ctest --test-dir "build/$suite" --output-on-failure -j 1 "$@" 2>&1 | tee "$log" || status=$?
    wine_stop_server
    line=$(grep -E 'tests passed, [0-9]+ tests? failed out of' "$log" | tail -n1 || true)
    summary[$suite]="${line:-no summary (ctest exit code $status)} in $((SECONDS - started)) s"
    [ "$status" -eq 0 ] && [ -n "$line" ] || failed=1
done

passed=0 failures=0
for suite in "${suites[@]}"; do
    echo "$suite: ${summary[$suite]}"
    read -r p f < <(sed -nE 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1 \2/p' <<<"${summary[$suite]}" |
        awk '{print $2 - $1, $1}')
    passed=$((passed + ${p:-0})); failures=$((failures + ${f:-0}))
done
[ "$failed" -eq 0 ] || [ "$failures" -gt 0 ] || failures=1
echo "$passed passed, $failures failed"
exit "$failed"
