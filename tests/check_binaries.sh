#!/usr/bin/env bash
# Checks the shipped DLLs of both builds: each exports exactly its documented
# functions, undecorated, and imports Windows system libraries only.
# Usage: check_binaries.sh <build folder holding i686/ and x86_64/>
set -u
build="$1"
failures=0

declare -A expected_exports=(
    [twpalm.dll]="InstallAllConduits UninstallAllConduits VerifyConduitDate VerifyConduitTask"
    [twpalmui.dll]="DisplaySettings DisplayUserSettings"
)
system_dlls="advapi32.dll comctl32.dll comdlg32.dll gdi32.dll kernel32.dll msvcrt.dll ole32.dll shell32.dll shlwapi.dll user32.dll version.dll"

# kernel32 functions that Windows 95 to XP lack: a shipped DLL importing one
# would not load there.
late_kernel32="GetTickCount64 AddVectoredExceptionHandler RemoveVectoredExceptionHandler TryEnterCriticalSection SetFilePointerEx GetFileSizeEx InitOnceExecuteOnce"

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

exports_of() {
    # The names of the export table, sorted, from objdump's name pointer table.
    "$1" -p "$2" | awk '/\[Ordinal\/Name Pointer\] Table/ {on=1; next} on && /^[ \t]*\[/ {print $NF; next} on && NF==0 {on=0}' | sort | tr '\n' ' ' | sed 's/ $//'
}

for arch in i686 x86_64; do
    objdump="${arch}-w64-mingw32-objdump"
    for dll in twpalm.dll twpalmui.dll; do
        file="$build/$arch/bin/$dll"
        if [ ! -f "$file" ]; then
            [ "$dll" = twpalm.dll ] && fail "$arch: $file is missing"
            continue
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
        for function in $("$objdump" -p "$file" | awk '/DLL Name:/ {on = tolower($3) == "kernel32.dll"; next} on && NF >= 2 {print $NF}'); do
            case " $late_kernel32 " in
                *" $function "*) fail "$arch $dll imports kernel32 $function, missing before Windows Vista" ;;
            esac
        done
        echo "$arch $dll: exports [$got]"
    done
done

[ "$failures" -eq 0 ] && echo "binaries ok" || echo "$failures binary check(s) failed"
exit $((failures > 0))
