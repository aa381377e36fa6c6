#!/usr/bin/env bash
# Checks statements of the README against what they describe: every ctest
# selection it shows (-R ...) selects tests of the build; every figure of its
# performance table is one that scripts/bench.sh prints, beside the reference
# the benchmark gives it; the size budgets it states are those of
# tests/size_budgets.txt.
# Usage: check_readme.sh <source root> <x86_64 build folder>
set -u
root="${1:?usage: check_readme.sh <source root> <build folder>}"
build="${2:?usage: check_readme.sh <source root> <build folder>}"
readme="$root/README.md"
failures=0
checks=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Every "-R <selection>" in the README selects at least one test.
while read -r selection; do
    checks=$((checks + 1))
    count=$(ctest --test-dir "$build" -N -R "$selection" 2>/dev/null | sed -n 's/^Total Tests: //p')
    [ "${count:-0}" -gt 0 ] || fail "the README's selection -R $selection selects no test"
done < <(grep -oE -- "-R '?[^' \`)]+" "$readme" | sed -E "s/^-R '?//" | sort -u)

# The performance table: "| figure | median | reference value | ratio |".
# bench.sh's figures: "key|label|unit|reference key|reference label".
figures=$(sed -n "/^figures=\$(cat <<'EOF'$/,/^EOF$/p" "$root/scripts/bench.sh" | sed '1d;$d')
[ -n "$figures" ] || fail "no figure table found in scripts/bench.sh"
rows=0
while IFS='|' read -r _ figure _ reference _; do
    figure=$(sed 's/^ *//; s/ *$//' <<<"$figure")
    reference=$(sed 's/^ *//; s/ *$//' <<<"$reference")
    case "$figure" in "" | Figure | ---) continue ;; esac
    rows=$((rows + 1))
    checks=$((checks + 1))
    line=$(awk -F'|' -v want="$figure" '{ label = $2; sub(/^ +/, "", label) } label == want { print; exit }' <<<"$figures")
    if [ -z "$line" ]; then
        fail "the README's figure \"$figure\" is not one that bench.sh prints"
        continue
    fi
    bench_reference=$(cut -d'|' -f5 <<<"$line")
    if [ -z "$bench_reference" ]; then
        [ -z "$reference" ] || fail "\"$figure\": the README names the reference \"$reference\", bench.sh none"
    else
        case "$reference" in
            "$bench_reference" | "$bench_reference "[0-9]*) ;;
            *) fail "\"$figure\": the README's reference \"$reference\" is not bench.sh's \"$bench_reference\"" ;;
        esac
    fi
done < <(sed -n '/^| Figure | Median | Reference (same run) | Ratio |$/,/^$/p' "$readme")
checks=$((checks + 1))
[ "$rows" -gt 0 ] || fail "no performance table in the README"

# The budgets: each "N KiB" of tests/size_budgets.txt in the README's
# paragraph on them, and no other.
budget_text=$(sed -n '/^- \*size budgets\*/,/^$/p' "$readme" | tr '\n' ' ')
checks=$((checks + 1))
[ -n "$budget_text" ] || fail "the README has no paragraph on the size budgets"
want=$(grep -v '^#' "$root/tests/size_budgets.txt" | awk 'NF == 3 {print $3}' | sort -n | tr '\n' ' ')
got=$(grep -oE '[0-9]+ KiB' <<<"$budget_text" | awk '{print $1}' | sort -n | tr '\n' ' ')
[ "$got" = "$want" ] || fail "the README states the budgets [$got] KiB, tests/size_budgets.txt [$want]"

echo "check_readme: $checks checks, $failures failures"
[ "$failures" -eq 0 ]
