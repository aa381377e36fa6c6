#!/usr/bin/env bash
# Builds both targets and runs the whole test suite on each: the x86_64 build
# under 64-bit Wine, the i686 build (the one that ships) under 32-bit Wine in
# an emulated i386 root (scripts/lib/i386_root.sh; made once, about 7 minutes,
# in build/i386-root, while the builds compile). Each suite has a prefix of
# its own inside its build tree and an Xvfb display of its own; the two run
# side by side (scripts/lib/run-suite.sh), each one test at a time.
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
wants() { [[ " ${suites[*]} " == *" $1 "* ]]; }

ensure_packages

mkdir -p build
environment_log="build/i386-environment.log" environment_pid=""
if wants i686; then
    i386_in_namespace bash -c "root='$root'; source scripts/lib/wine.sh; source scripts/lib/i386_root.sh; i386_root_ensure" \
        >"$environment_log" 2>&1 &
    environment_pid=$!
fi
trap '[ -z "$environment_pid" ] || kill "$environment_pid" 2>/dev/null || true' EXIT

jobs=$(nproc 2>/dev/null || echo 2)
for preset in i686 x86_64; do
    cmake --preset "$preset" >/dev/null
    cmake --build "build/$preset" -j "$jobs"
done

if [ -n "$environment_pid" ]; then
    started=$SECONDS
    wait "$environment_pid" || { cat "$environment_log" >&2; environment_pid=""; exit 1; }
    environment_pid=""
    echo "32-bit environment ready ($((SECONDS - started)) s after the builds; log: $environment_log)"
fi

# One suite: build/<suite>/ctest.log, and its summary line in build/<suite>/summary.
run_suite() {
    local suite="$1" started=$SECONDS status=0
    shift
    local command=(scripts/lib/run-suite.sh "$suite" "$@")
    [ "$suite" = i686 ] && command=(i386_in_namespace "${command[@]}")
    "${command[@]}" >"build/$suite/ctest.log" 2>&1 || status=$?
    local line
    line=$(grep -E 'tests passed, [0-9]+ tests? failed out of' "build/$suite/ctest.log" | tail -n1 || true)
    # A selection that only the other build has (the file checks run from x86_64).
    if [ -z "$line" ] && [ "$status" -eq 0 ] && grep -q 'No tests were found' "build/$suite/ctest.log"; then
        line="no tests selected, 0 tests failed out of 0"
    fi
    echo "${line:-no ctest summary, exit code $status} ($((SECONDS - started)) s)" >"build/$suite/summary"
    [ -n "$line" ] || [ "$status" -ne 0 ] || status=1
    return $status
}

declare -A pids
for suite in "${suites[@]}"; do
    rm -f "build/$suite/summary"
    run_suite "$suite" "$@" &
    pids[$suite]=$!
done
# The log of the longest suite as it goes; the others when they end.
follow="${suites[-1]}"
tail -n +1 -F --pid="${pids[$follow]}" "build/$follow/ctest.log" 2>/dev/null || true

failed=0 passed=0 failures=0
for suite in "${suites[@]}"; do
    wait "${pids[$suite]}" || failed=1
    [ "$suite" = "$follow" ] || cat "build/$suite/ctest.log"
done
for suite in "${suites[@]}"; do
    summary=$(cat "build/$suite/summary" 2>/dev/null || echo "no summary")
    echo "$suite: $summary"
    read -r p f < <(sed -nE 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\2 \1/p' <<<"$summary" | awk '{print $1 - $2, $2}')
    passed=$((passed + ${p:-0})); failures=$((failures + ${f:-0}))
done
[ "$failed" -eq 0 ] || [ "$failures" -gt 0 ] || failures=1
if [ $((passed + failures)) -eq 0 ]; then
    echo "no test matched the selection" >&2
    failed=1
fi
echo "$passed passed, $failures failed"
exit "$failed"
