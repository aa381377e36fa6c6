#!/usr/bin/env bash
# Checks the shell library of scripts/lib against stand-in commands on PATH:
# a display server that does not come up, a wineboot that fails or leaves no
# Windows folder, and a prefix set-up that works; the package check asks for
# each package by its own name; the 32-bit environment's steps say which one
# failed and leave it to be done again; the demo's build says one line and
# keeps the compiler's output in a log, which a failure shows.
# Usage: check_scripts.sh <source root>
set -u
root="${1:?usage: check_scripts.sh <source root>}"
failures=0
checks=0
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
# expect <description> <expected status: 0 or fail> <output pattern> <bash code>
# Runs the code in a fresh bash with the stand-ins first on PATH.
expect() {
    local what="$1" status="$2" pattern="$3" code="$4" output rc
    checks=$((checks + 1))
    output=$(PATH="$work/bin:$PATH" bash -c "source '$root/scripts/lib/wine.sh'; source '$root/scripts/lib/i386_root.sh'; source '$root/scripts/lib/packages.sh'; $code" 2>&1)
    rc=$?
    if [ "$status" = 0 ] && [ "$rc" -ne 0 ]; then
        fail "$what: exit code $rc, output: $output"
    elif [ "$status" = fail ] && [ "$rc" -eq 0 ]; then
        fail "$what: succeeded, output: $output"
    elif ! grep -qE -- "$pattern" <<<"$output"; then
        fail "$what: output lacks /$pattern/: $output"
    fi
}

# stand_in <name> <body>: a command of that name on the test PATH.
stand_in() {
    mkdir -p "$work/bin"
    printf '#!/usr/bin/env bash\n%s\n' "$2" >"$work/bin/$1"
    chmod +x "$work/bin/$1"
}

# Wine whose wineboot does what $WINEBOOT says (fail, empty, or a whole
# prefix) and whose reg.exe finds no debugger value.
wine_body='case "$1" in
  wineboot)
    case "$WINEBOOT" in
      fail) exit 1 ;;
      empty) exit 0 ;;
      *) mkdir -p "$WINEPREFIX/drive_c/windows/system32"; touch "$WINEPREFIX/system.reg"; exit 0 ;;
    esac ;;
  reg) [ "$2" = query ] && exit 1; exit 0 ;;
  *) exit 0 ;;
esac'
stand_in wine "$wine_body"
stand_in wine64 "$wine_body"
stand_in wineserver 'exit 0'

stand_in Xvfb 'exit 1'
expect "Xvfb that exits at once stops the script" fail "^error: Xvfb did not start" \
    'xvfb_start; echo "reached with DISPLAY=$DISPLAY"'

expect "a failing wineboot stops the script and leaves the prefix unready" fail "^error: wineboot failed" \
    "WINEBOOT=fail wine_prepare_prefix '$work/failed'; echo reached"
checks=$((checks + 1))
[ -e "$work/failed/.tidewell-ready" ] && fail "a failing wineboot left the prefix marked ready"

expect "a wineboot that leaves no Windows folder stops the script" fail "^error: wineboot left no Windows folder" \
    "WINEBOOT=empty wine_prepare_prefix '$work/empty'; echo reached"
checks=$((checks + 1))
[ -e "$work/empty/.tidewell-ready" ] && fail "an empty prefix was marked ready"

if [ -f /usr/share/wine/fonts/marlett.ttf ] || [ -f /usr/lib/x86_64-linux-gnu/wine/fonts/marlett.ttf ] ||
    [ -f /usr/share/fonts/truetype/wine/marlett.ttf ]; then
    expect "a prefix set up step by step is marked ready" 0 "^ready$" \
        "WINEBOOT=whole wine_prepare_prefix '$work/whole' && [ -f '$work/whole/.tidewell-ready' ] && echo ready"
else
    fail "no marlett.ttf among Wine's fonts (package fonts-wine)"
fi

# Every package is asked for by its own name; the missing one is listed alone.
stand_in dpkg-query 'echo "$*" >>"$QUERIES"; [ "${!#}" = xdotool ] && exit 1; printf "install ok installed"'
expect "the package check names the one missing package" 0 "^xdotool$" \
    "QUERIES='$work/queries' missing_packages"
checks=$((checks + 1))
queried=$(grep -c . "$work/queries" 2>/dev/null || echo 0)
listed=$(bash -c "source '$root/scripts/lib/packages.sh'; echo \${#TW_PACKAGES[@]}")
[ "$queried" = "$listed" ] || fail "dpkg-query was asked $queried times for $listed packages"

# The 32-bit environment, in a folder of the test's own.
stand_in apt-get 'exit 1'
expect "a failing download of qemu names its step" fail '^error: 32-bit environment, step "qemu: apt-get update of trixie" failed' \
    "TW_I386_ROOT='$work/i386' i386_fetch_qemu; echo reached"
checks=$((checks + 1))
[ -e "$work/i386/qemu/.ready" ] && fail "a failed download of qemu was marked ready"
stand_in debootstrap 'exit 1'
expect "a failing debootstrap names its step" fail '^error: 32-bit environment, step "root: debootstrap --arch=i386 bookworm" failed' \
    "TW_I386_ROOT='$work/i386' i386_bootstrap; echo reached"
checks=$((checks + 1))
[ -e "$work/i386/root/.bootstrapped" ] && fail "a failed debootstrap was marked done"

# The demo's quiet build, with a cmake that chatters and, when asked, fails.
stand_in cmake 'echo "compiler chatter $*"; echo "warning: chatter" >&2; [ "${CMAKE_FAILS:-}" = 1 ] && [ "$1" = --build ] && exit 1; exit 0'
mkdir -p "$work/tree"
checks=$((checks + 1))
output=$(cd "$work/tree" && PATH="$work/bin:$PATH" bash -c "source '$root/scripts/lib/wine.sh'; source '$root/scripts/lib/demo_setup.sh'; quiet_build x86_64 'the demo' twctl" 2>&1)
[ "$output" = "Building the demo (x86_64; compiler output in build/x86_64/build.log)..." ] ||
    fail "a quiet build printed more than its line: $output"
grep -q 'compiler chatter --build build/x86_64' "$work/tree/build/x86_64/build.log" ||
    fail "a quiet build kept no log of the compiler's output"
expect "a failing quiet build shows the log's end" fail '^compiler chatter --build build/x86_64' \
    "cd '$work/tree' && source '$root/scripts/lib/demo_setup.sh' && CMAKE_FAILS=1 quiet_build x86_64 'the demo' twctl; echo reached"
expect "a failing quiet build stops with a message" fail '^error: the build failed \(the whole output: build/x86_64/build.log\)' \
    "cd '$work/tree' && source '$root/scripts/lib/demo_setup.sh' && CMAKE_FAILS=1 quiet_build x86_64 'the demo' twctl; echo reached"

echo "check_scripts: $checks checks, $failures failures"
[ "$failures" -eq 0 ]
