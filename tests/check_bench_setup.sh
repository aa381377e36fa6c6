#!/usr/bin/env bash
# twbench's setup in the test prefix, which has no Almanor data file: the 20
# stand-in Palm users are written, the missing file is reported, and the exit
# code says that something failed. The keys it wrote are removed again.
# Usage: check_bench_setup.sh <wine-run.sh> <twbench.exe>
set -u -o pipefail
run="${1:?usage: check_bench_setup.sh <wine-run.sh> <twbench.exe>}"
twbench="${2:?usage: check_bench_setup.sh <wine-run.sh> <twbench.exe>}"
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
reg() { "$run" reg "$@" </dev/null 2>/dev/null | tr -d '\r'; }

output=$("$run" "$twbench" setup </dev/null 2>/dev/null | tr -d '\r')
status=$?
users=$(reg query 'HKCU\Software\Palm Desktop Stand-in\Users' | grep -c '\\Users\\[0-9]')
reg delete 'HKCU\Software\Palm Desktop Stand-in' /f >/dev/null
reg delete 'HKCU\Software\Quillon Software' /f >/dev/null

[ "$status" -ne 0 ] || fail "setup exited 0 although it reported: $output (is there a C:\\Calendar\\Home.al0 in the test prefix?)"
grep -qx 'E no data file C:\\Calendar\\Home.al0' <<<"$output" || fail "setup did not report the missing data file: $output"
[ "$users" = 20 ] || fail "setup left $users stand-in Palm users instead of 20"

echo "check_bench_setup: 3 checks, $failures failures"
[ "$failures" -eq 0 ]
