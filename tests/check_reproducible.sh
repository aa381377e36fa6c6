#!/usr/bin/env bash
# Builds the shipped i686 files of this source tree twice, each from a copy
# of the tree in a folder of its own (other names, other depths), one after
# the other, the second in another time zone and with another umask, and
# compares them byte for byte: the two DLLs, the help file, the four import
# libraries, the ZIP package and the installer. Prints each file that
# differs and how long the builds took.
# Usage: check_reproducible.sh <source folder>
set -u
source_dir="${1:?usage: check_reproducible.sh <source folder>}"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Only what ships, and what the installer carries (the stand-in conduits).
targets=(twpalm twpalmui twpalm_help twpalm_import_libraries twpalmui_import_libraries tw_zip_package tw_installer)
jobs=$(nproc 2>/dev/null || echo 2)
[ "$jobs" -le 2 ] || jobs=2

# build <copy folder> <log>: copies the tree (less its build folder, with its
# files' times) and builds the targets there.
build() {
    local copy="$1" log="$2" started=$SECONDS
    mkdir -p "$copy"
    tar -C "$source_dir" --exclude=./build -cf - . | tar -C "$copy" -xf - || return 1
    (cd "$copy" && cmake --preset i686 -DBUILD_TESTING=OFF && cmake --build build/i686 -j "$jobs" --target "${targets[@]}") \
        >"$log" 2>&1 || { tail -n 30 "$log"; return 1; }
    echo "built in $copy: $((SECONDS - started)) s"
}

first="$work/a/src"
second="$work/elsewhere/deeper/tidewell-for-palm"
build "$first" "$work/first.log" || { echo "FAIL: the first build failed"; exit 1; }
(umask 0002; TZ=Asia/Tokyo build "$second" "$work/second.log") || { echo "FAIL: the second build failed"; exit 1; }

files=(bin/twpalm.dll bin/twpalmui.dll bin/twpalm.chm
       import/twpalm.lib import/twpalmui.lib import/libtwpalm.dll.a import/libtwpalmui.dll.a)
for package in "$first"/build/i686/package/*-win32.zip "$first"/build/i686/package/*-setup.exe; do
    [ -f "$package" ] && files+=("package/$(basename "$package")")
done
[ "${#files[@]}" -eq 9 ] || fail "the first build made no ZIP package or no installer"
for file in "${files[@]}"; do
    a="$first/build/i686/$file" b="$second/build/i686/$file"
    if [ ! -s "$a" ] || [ ! -s "$b" ]; then
        fail "$file is missing from a build"
    elif cmp -s "$a" "$b"; then
        echo "same: $file ($(stat -c %s "$a") bytes)"
    else
        fail "$file differs: $(cmp -l "$a" "$b" 2>/dev/null | wc -l) bytes, the first at $(cmp "$a" "$b" | sed 's/.*differ: //')"
    fi
done

[ "$failures" -eq 0 ] && echo "reproducible" || echo "$failures file(s) differ"
exit $((failures > 0))
