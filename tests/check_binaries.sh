#!/usr/bin/env bash
# Checks the shipped DLLs of both builds: each exports exactly its documented
# functions, undecorated, and imports Windows system libraries only.
# Usage: check_binaries.sh <build folder holding i686/ and x86_64/>
set -u
build="$1"
failures=0
imported=""

declare -A expected_exports=(
    [twpalm.dll]="InstallAllConduits UninstallAllConduits VerifyConduitDate VerifyConduitTask"
    [twpalmui.dll]="DisplaySettings DisplayUserSettings"
)
system_dlls="advapi32.dll comctl32.dll comdlg32.dll gdi32.dll kernel32.dll msvcrt.dll ole32.dll shell32.dll shlwapi.dll user32.dll version.dll"

# Every function a shipped i686 DLL imports must be in this list of functions
# that Windows 95 and NT 4.0 have; a DLL importing one more would not load there.
allowed_imports="$(dirname "${BASH_SOURCE[0]}")/win95_nt4_imports.txt"

# Size budgets in KiB, one line per build and DLL, from the one list that
# scripts/bench.sh prints its goals from.
budgets="$(dirname "${BASH_SOURCE[0]}")/size_budgets.txt"
declare -A size_budget_kib=()
while read -r arch dll kib; do
    size_budget_kib[$arch/$dll]=$kib
done < <(grep -v '^#' "$budgets" | awk 'NF == 3')

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# "dll function" for every import by name of a PE file.
imports_of() {
    "$1" -p "$2" | awk '/^The Import Tables/ {on=1; next} on && /^The / {on=0}
        on && /DLL Name:/ {dll=tolower($3); next}
        on && /^\t[0-9a-f]+\t +[0-9]+ +[A-Za-z_][A-Za-z0-9_@]*$/ {print dll, $NF}'
}

exports_of() {
    # The names of the export table, sorted, from objdump's name pointer table.
    "$1" -p "$2" | awk '/\[Ordinal\/Name Pointer\] Table/ {on=1; next} on && /^[ \t]*\[/ {print $NF; next} on && NF==0 {on=0}' | sort | tr '\n' ' ' | sed 's/ $//'
}

for arch in i686 x86_64; do
    objdump="${arch}-w64-mingw32-objdump"
    for dll in twpalm.dll twpalmui.dll; do
        file="$build/$arch/bin/$dll"
        if [ ! -f "$file" ]; then
            fail "$arch: $file is missing"
            continue
        fi
        size=$(stat -c %s "$file")
        if [ -z "${size_budget_kib[$arch/$dll]:-}" ]; then
            fail "$arch $dll has no size budget in $(basename "$budgets")"
        elif [ "$size" -gt $((size_budget_kib[$arch/$dll] * 1024)) ]; then
            fail "$arch $dll is $size bytes, over its budget of ${size_budget_kib[$arch/$dll]} KiB"
        fi
        want=$(echo "${expected_exports[$dll]}" | tr ' ' '\n' | sort | tr '\n' ' ' | sed 's/ $//')
        got=$(exports_of "$objdump" "$file")
        [ "$got" = "$want" ] || fail "$arch $dll exports [$got], expected [$want]"
        for import in $("$objdump" -p "$file" | awk '/DLL Name:/ {print tolower($3)}'); do
            case " $system_dlls " in
                *" $import "*) ;;
                *) fail "$arch $dll imports $import, not a Windows system library" ;;
            esac
        done
        if [ "$arch" = i686 ]; then
            while read -r library function; do
                grep -qix "$library $function" <(grep -v '^#' "$allowed_imports" | awk 'NF {print $1, $2}') ||
                    fail "$arch $dll imports $library $function, not in $(basename "$allowed_imports")"
            done < <(imports_of "$objdump" "$file")
            imported="$imported$(imports_of "$objdump" "$file")"$'\n'
        fi
        echo "$arch $dll: $size bytes, exports [$got]"
    done
done

# The list names only what is imported, so that it stays short and true.
while read -r library function; do
    grep -qix "$library $function" <<<"$imported" || fail "$(basename "$allowed_imports") lists $library $function, which no shipped DLL imports"
done < <(grep -v '^#' "$allowed_imports" | awk 'NF {print $1, $2}')

[ "$failures" -eq 0 ] && echo "binaries ok" || echo "$failures binary check(s) failed"
exit $((failures > 0))
