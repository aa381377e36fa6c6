#!/usr/bin/env bash
# Compiles the C examples of docs/integration.md as a customer would, against
# the public headers and the import libraries of both builds:
# - the conduit step (the first C block), as C, strictly, and as C++, linked
#   once with the GNU and once with the .lib import libraries by mingw-w64,
#   and once the way Visual C++ links: clang for the -pc-windows-msvc target
#   and lld-link at its defaults (on i686 /SAFESEH, which refuses a GNU
#   archive) against twpalm.lib and twpalmui.lib; each program must import
#   the exports by their undecorated names from the two DLLs;
# - settings_from_path (the C block that begins with its name), which loads
#   the DLLs from "Path" through the headers' pointer types: as C89, C++11
#   and C++17, by mingw-w64 and for the msvc target, importing nothing from
#   the two DLLs; integration_proc_types.c checks that each pointer type is
#   the type of its export.
# No import library may carry the build machine's folders. The programs of
# <arch> are left in <out> for the tests that run them.
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
# The loading example: the C block whose first line names it.
loader="$out/settings_from_path.c"
awk '/^```c$/ {on = 1; block = ""; next}
     on && /^```$/ {on = 0; if (block ~ /^\/\* settings_from_path:/) {printf "%s", block; exit}; next}
     on {block = block $0 "\n"}' "$source_dir/docs/integration.md" >"$loader"
[ -s "$loader" ] || { echo "FAIL: no settings_from_path example in docs/integration.md"; exit 1; }

# Neither the Visual C++ libraries nor Windows' headers are here: clang takes
# mingw-w64's headers (which want __GNUC__, and _X86_ on i686) and lld-link
# Windows' import libraries made in the same short format from the names
# mingw-w64's libraries export (its own archives are GNU ones, as unsafe
# for SAFESEH as ours were). No C runtime: msvc_entry() calls main.
llvm_dlltool=$(command -v llvm-dlltool-14 || command -v llvm-dlltool)
clang=$(command -v clang-14 || command -v clang)
lld_link=$(command -v lld-link-14 || command -v lld-link)
[ -n "$llvm_dlltool" ] && [ -n "$clang" ] && [ -n "$lld_link" ] || {
    echo "FAIL: llvm-dlltool, clang or lld-link not found (Debian packages llvm-14, clang-14, lld-14)"; exit 1; }
entry="$out/msvc_entry.c"
cat >"$entry" <<'ENTRY'
#include <windows.h>
int main(int argc, char* argv[]);
void msvc_entry(void)
{
    static char name[] = "program";
    char* argv[2];
    argv[0] = name;
    argv[1] = 0;
    ExitProcess((UINT)main(1, argv));
}
ENTRY
windows_import_library() { # <arch> <dll base name> <out .lib>
    local arch="$1" name="$2" machine prefix
    case $arch in i686) machine=i386 prefix=__imp__ ;; x86_64) machine=i386:x86-64 prefix=__imp_ ;; esac
    { echo "LIBRARY $name.dll"; echo "EXPORTS"
      "${arch}-w64-mingw32-nm" -g --defined-only "/usr/${arch}-w64-mingw32/lib/lib$name.a" 2>/dev/null |
          awk -v p="$prefix" 'index($3, p) == 1 {n = substr($3, length(p) + 1); if (n ~ /^[A-Za-z_][A-Za-z0-9_]*(@[0-9]+)?$/) print "  " n}' | sort -u
    } >"$3.def"
    "$llvm_dlltool" -m "$machine" -d "$3.def" -D "$name.dll" -k -l "$3"
}

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

    # The way Visual C++ links, against the .lib files.
    msvc="$out/msvc-$arch"
    mkdir -p "$msvc"
    defines=""
    [ "$arch" = i686 ] && defines="-D_X86_=1"
    cl_like() { "$clang" --target="${arch}-pc-windows-msvc" -fgnuc-version=4.2.1 $defines $strict \
        -isystem "/usr/${arch}-w64-mingw32/include" -I "$source_dir/include" "$@"; }
    for system in kernel32 advapi32 user32 msvcrt; do
        windows_import_library "$arch" "$system" "$msvc/$system.lib" || fail "$arch: no $system.lib for lld-link"
    done
    cl_like -std=c89 -c "$entry" -o "$msvc/msvc_entry.obj" || fail "$arch: the entry does not compile for msvc"
    if cl_like -std=c89 -c "$example" -o "$msvc/conduit_step.obj"; then
        # lld-link's defaults but for the C runtime and its entry.
        if "$lld_link" /nologo /nodefaultlib /entry:msvc_entry /subsystem:console /out:"$msvc/conduit_step.exe" \
               "$msvc/conduit_step.obj" "$msvc/msvc_entry.obj" "$lib/twpalm.lib" "$lib/twpalmui.lib" \
               "$msvc/kernel32.lib" "$msvc/advapi32.lib" "$msvc/user32.lib" "$msvc/msvcrt.lib"; then
            imports=$(imports_of "$objdump" "$msvc/conduit_step.exe")
            for wanted in "twpalm.dll InstallAllConduits" "twpalm.dll UninstallAllConduits" \
                          "twpalm.dll VerifyConduitDate" "twpalm.dll VerifyConduitTask" "twpalmui.dll DisplaySettings"; do
                grep -qx "$wanted" <<<"$imports" || fail "$arch: conduit_step linked by lld-link does not import ${wanted/ / }"
            done
            echo "$arch conduit_step.exe by clang and lld-link: $(grep -c '^twpalm' <<<"$imports") imports from the two DLLs"
        else
            fail "$arch: lld-link does not link the example with twpalm.lib and twpalmui.lib"
        fi
    else
        fail "$arch: the example does not compile for ${arch}-pc-windows-msvc"
    fi

    # The loading example and the pointer types.
    "$gcc" -std=c89 $strict -I "$source_dir/include" -fsyntax-only "$source_dir/tests/integration_proc_types.c" ||
        fail "$arch: a pointer type does not take its export (C89)"
    for standard in c++11 c++17; do
        "$gxx" -x c++ -std=$standard $strict -I "$source_dir/include" -fsyntax-only "$source_dir/tests/integration_proc_types.c" ||
            fail "$arch: a pointer type is not the type of its export ($standard)"
    done
    cl_like -x c++ -std=c++17 -fsyntax-only "$source_dir/tests/integration_proc_types.c" ||
        fail "$arch: a pointer type is not the type of its export (msvc target, C++17)"
    loaders=()
    "$gcc" -std=c89 $strict -I "$source_dir/include" "$loader" -o "$out/settings_from_path-$arch.exe" &&
        loaders+=("$out/settings_from_path-$arch.exe") || fail "$arch: settings_from_path does not compile and link as C89"
    for standard in c++11 c++17; do
        "$gxx" -static -x c++ -std=$standard $strict -I "$source_dir/include" "$loader" -x none \
            -o "$out/settings_from_path-$arch-$standard.exe" &&
            loaders+=("$out/settings_from_path-$arch-$standard.exe") || fail "$arch: settings_from_path does not compile as $standard"
    done
    if cl_like -std=c89 -c "$loader" -o "$msvc/settings_from_path.obj" &&
       "$lld_link" /nologo /nodefaultlib /entry:msvc_entry /subsystem:console /out:"$msvc/settings_from_path.exe" \
           "$msvc/settings_from_path.obj" "$msvc/msvc_entry.obj" "$msvc/kernel32.lib" "$msvc/advapi32.lib" "$msvc/msvcrt.lib"; then
        loaders+=("$msvc/settings_from_path.exe")
    else
        fail "$arch: settings_from_path does not compile and link for ${arch}-pc-windows-msvc"
    fi
    for program in "${loaders[@]}"; do
        imports=$(imports_of "$objdump" "$program")
        ! grep -q '^twpalm' <<<"$imports" || fail "$arch: $(basename "$program") links the DLLs instead of loading them"
        grep -qx "kernel32.dll LoadLibraryA" <<<"$imports" || fail "$arch: $(basename "$program") does not import LoadLibraryA"
    done
    echo "$arch settings_from_path: ${#loaders[@]} programs load the DLLs from \"Path\""

    # No folder of the build machine in an import library, also not as
    # GNU dlltool spells it in symbol names (every other character "_").
    for folder in "$(cd "$build/$arch" && pwd -P)" "$(cd "$source_dir" && pwd -P)"; do
        mangled=$(sed 's/[^A-Za-z0-9]/_/g' <<<"$folder")
        for file in "$lib"/*.a "$lib"/*.lib; do
            [ -f "$file" ] || continue
            count=$(grep -c -a -F -e "$folder" -e "$mangled" "$file")
            [ "$count" -eq 0 ] || fail "$arch: $(basename "$file") names the folder $folder ($count lines)"
        done
    done
done

[ -f "$out/conduit_step-$run_arch.exe" ] && cp "$out/conduit_step-$run_arch.exe" "$out/conduit_step.exe"
[ -f "$out/settings_from_path-$run_arch.exe" ] && cp "$out/settings_from_path-$run_arch.exe" "$out/settings_from_path.exe"
[ "$failures" -eq 0 ] && echo "example links" || echo "$failures link check(s) failed"
exit $((failures > 0))
