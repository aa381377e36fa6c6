#!/usr/bin/env bash
# Checks what a developer shipping the product receives from both builds:
# the ZIP package named after the version holds exactly the installation
# tree, its DLLs are the built ones, the version resources and the help's
# About text carry the version of the build, and no product source spells
# the version out itself; each build made its installer, for its machine
# and with the version, and a build without makensis stops at configure
# with a message that says what to install.
# Usage: integration_package.sh <source folder> <build folder holding i686/ and x86_64/> <version>
set -u
source_dir="$1"
build="$2"
version="$3"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

expected_files="bin/twpalm.chm bin/twpalm.dll bin/twpalmui.dll doc/integration.md include/twpalm.h include/twpalmui.h lib/libtwpalm.dll.a lib/libtwpalmui.dll.a lib/twpalm.lib lib/twpalmui.lib"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for arch in i686 x86_64; do
    case $arch in i686) system=win32 ;; x86_64) system=win64 ;; esac
    name="tidewell-for-palm-$version-$system"
    zip="$build/$arch/package/$name.zip"
    if [ ! -s "$zip" ]; then
        fail "$arch: $zip is missing"
        continue
    fi
    mkdir -p "$work/$arch"
    (cd "$work/$arch" && cmake -E tar xf "$zip") || fail "$arch: $zip does not unpack"
    files=$(cd "$work/$arch/$name" 2>/dev/null && find . -type f | sed 's|^\./||' | sort | tr '\n' ' ' | sed 's/ $//')
    [ "$files" = "$expected_files" ] || fail "$arch: $name.zip holds [$files], expected [$expected_files]"
    for file in twpalm.dll twpalmui.dll twpalm.chm; do
        cmp -s "$work/$arch/$name/bin/$file" "$build/$arch/bin/$file" || fail "$arch: bin/$file is not the built one"
    done
    for file in twpalm.h twpalmui.h; do
        cmp -s "$work/$arch/$name/include/$file" "$source_dir/include/$file" || fail "$arch: include/$file differs"
    done
    for dll in twpalm.dll twpalmui.dll; do
        # Version resource strings are UTF-16: FileVersion and ProductVersion.
        count=$(strings -el -n 3 "$build/$arch/bin/$dll" | grep -cx "$version")
        [ "$count" -eq 2 ] || fail "$arch: $dll carries the version $version $count times, expected 2"
    done
    if command -v extract_chmLib >/dev/null 2>&1; then
        extract_chmLib "$build/$arch/bin/twpalm.chm" "$work/$arch/chm" >/dev/null 2>&1
        grep -q "version $version)" "$work/$arch/chm/users.htm" || fail "$arch: the help's About text lacks version $version"
        ! grep -rq "@TW_VERSION@" "$work/$arch/chm" || fail "$arch: the help still carries a version placeholder"
    else
        fail "extract_chmLib not found (install the Debian package libchm-bin)"
    fi
    case $arch in i686) setup="$build/$arch/package/tidewell-for-palm-$version-setup.exe" format=pei-i386 ;;
                  x86_64) setup="$build/$arch/package/tidewell-for-palm-$version-setup-win64.exe" format=pei-x86-64 ;; esac
    if [ -s "$setup" ]; then
        x86_64-w64-mingw32-objdump -f "$setup" 2>/dev/null | grep -q "file format $format" || fail "$arch: $setup is not $format"
        strings -el -n 3 "$setup" | grep -qx "$version" || fail "$arch: $setup carries no version $version"
    else
        fail "$arch: $setup is missing"
    fi
    echo "$arch: $name.zip and $(basename "$setup") checked"
done

# The version is written once, in CMakeLists.txt.
pattern="\"${version//./\\.}|version ${version//./\\.}\\b|${version//./, }, 0, 0"
spelled=$(cd "$source_dir" && grep -rnE "$pattern" common installer settings report ui framework bindings resources help include 2>/dev/null)
[ -z "$spelled" ] || fail "the version is spelled out in the sources: $spelled"

# Configure with a makensis that is not there.
output=$(cmake -S "$source_dir" -B "$work/no-makensis" -DCMAKE_TOOLCHAIN_FILE="$source_dir/cmake/mingw-x86_64.cmake" \
    -DBUILD_TESTING=OFF -DTW_MAKENSIS="$work/nowhere/makensis" 2>&1)
status=$?
[ "$status" -ne 0 ] || fail "configure without makensis succeeded"
echo "$output" | grep -q "makensis was not found" || fail "configure without makensis did not say so: $output"
echo "$output" | grep -q "apt-get install nsis" || fail "configure without makensis does not say what to install"

[ "$failures" -eq 0 ] && echo "package ok" || echo "$failures package check(s) failed"
exit $((failures > 0))
