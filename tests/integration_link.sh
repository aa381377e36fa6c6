#!/usr/bin/env bash
# Compiles the C example of docs/integration.md as a customer would, against
# the public headers and the import libraries of both builds (as C, strictly,
# and as C++), links it once with the GNU and once with the .lib import
# libraries, and checks that the program imports the exports from the two
# DLLs. The program of <arch> is left in <out> for the tests that run it.
# Usage: integration_link.sh <source folder> <build folder holding i686/ and x86_64/> <out> <arch>
set -u
source_dir="$1"
build="$2"
out="$3"
run_arch="${4:-x86_64}"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

mkdir -p "$out"
example="$out/conduit_step.c"
# The first C block of the document is the example.
awk '/^```c$/ {on = 1; next} on && /^```$/ {exit} on {print}' "$source_dir/docs/integration.md" >"$example"
[ -s "$example" ] || { echo "FAIL: no C example in docs/integration.md"; exit 1; }

imports_of() { # the DLL names and imported functions of a program, one "dll function" per line
    "$1" -p "$2" | awk '/DLL Name:/ {dll = tolower($3); next} dll != "" && NF >= 2 && $1 ~ /^[0-9a-f]+$/ {print dll, $NF} NF == 0 {}'
}

for arch in i686 x86_64; do
    lib="$build/$arch/import"
    for file in libtwpalm.dll.a libtwpalmui.dll.a twpalm.lib twpalmui.lib; do
        [ -s "$lib/$file" ] || fail "$arch: $lib/$file is missing"
    done
    gcc="${arch}-w64-mingw32-gcc-win32"
    gxx="${arch}-w64-mingw32-g++-win32"
    objdump="${arch}-w64-mingw32-objdump"
    strict="-Wall -Wextra -Werror -pedantic-errors"

    "$gcc" -std=c89 $strict -I "$source_dir/include" "$example" -L "$lib" -ltwpalm -ltwpalmui \
        -o "$out/conduit_step-$arch.exe" || fail "$arch: the example does not compile and link as C89 with the .dll.a libraries"
    "$gcc" -std=c99 $strict -I "$source_dir/include" "$example" "$lib/twpalm.lib" "$lib/twpalmui.lib" \
        -o "$out/conduit_step-$arch-lib.exe" || fail "$arch: the example does not link with the .lib libraries"
    "$gxx" -x c++ -std=c++11 $strict -I "$source_dir/include" "$example" -x none -L "$lib" -ltwpalm -ltwpalmui \
        -o "$out/conduit_step-$arch-cxx.exe" || fail "$arch: the example does not compile as C++"

    for program in "$out/conduit_step-$arch.exe" "$out/conduit_step-$arch-lib.exe" "$out/conduit_step-$arch-cxx.exe"; do
        [ -f "$program" ] || continue
        imports=$(imports_of "$objdump" "$program")
        for wanted in "twpalm.dll InstallAllConduits" "twpalm.dll UninstallAllConduits" \
                      "twpalm.dll VerifyConduitDate" "twpalm.dll VerifyConduitTask" "twpalmui.dll DisplaySettings"; do
            grep -qx "$wanted" <<<"$imports" || fail "$arch: $(basename "$program") does not import ${wanted/ / }"
        done
        echo "$arch $(basename "$program"): $(grep -c '^twpalm' <<<"$imports") imports from the two DLLs"
    done
done

[ -f "$out/conduit_step-$run_arch.exe" ] && cp "$out/conduit_step-$run_arch.exe" "$out/conduit_step.exe"
[ "$failures" -eq 0 ] && echo "example links" || echo "$failures link check(s) failed"
exit $((failures > 0))
