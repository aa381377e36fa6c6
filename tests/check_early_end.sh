#!/usr/bin/env bash
# A test program that stops before its tests are over fails through the
# build's Wine script (wine-run.sh or wine32-run.sh), even when the exit
# status Wine hands over is 0; one that finishes passes.
# Usage: check_early_end.sh <wine-run.sh> <early_end.exe>
set -u -o pipefail
run="${1:?usage: check_early_end.sh <wine-run.sh> <early_end.exe>}"
program="${2:?usage: check_early_end.sh <wine-run.sh> <early_end.exe>}"
failures=0 checks=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# expect <test> <0 or fail>
expect() {
    local name="$1" expected="$2" output status
    checks=$((checks + 1))
    output=$("$run" "$program" "--gtest_filter=EarlyEnd.$name" </dev/null 2>&1 | tr -d '\r')
    status=$?
    # The program ran as far as the test: a status is not one of a program that never started.
    if ! grep -qxF "[ RUN      ] EarlyEnd.$name" <<<"$output"; then
        fail "$name did not run (exit code $status): $output"
    elif [ "$expected" = 0 ] && [ "$status" -ne 0 ]; then
        fail "$name finished but its run failed with exit code $status: $output"
    elif [ "$expected" = fail ] && [ "$status" -eq 0 ]; then
        fail "$name stopped the program in the middle of its run, yet the run passed: $output"
    fi
}

expect Finishes 0
expect ThreadEndsWhileAnotherRuns fail

echo "check_early_end: $checks checks, $failures failures"
[ "$failures" -eq 0 ]
