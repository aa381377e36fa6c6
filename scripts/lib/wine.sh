# Shared shell functions for running a build under Wine in a prefix of our
# own: the x86_64 build under the host's 64-bit Wine, the i686 build under the
# 32-bit Wine of the emulated root (i386_root.sh, which must be sourced too for
# that). Sourced by test.sh, demo.sh, screenshots.sh and bench.sh.
# A step that must work and does not stops the script with a message.

# Which Wine the functions below use: 64 or 32; wine_env and wine32_env set it.
TW_WINE_BITS=64

tw_die() {
    echo "error: $*" >&2
    exit 1
}

wine_env() {
    # $1: the prefix folder
    TW_WINE_BITS=64
    export WINEPREFIX="$1"
    export WINEARCH=win64
    export WINEDEBUG="${WINEDEBUG:--all,err+module}"
    export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
}

wine32_env() {
    # $1: the prefix folder, which the 32-bit root sees at the same path
    wine_env "$1"
    TW_WINE_BITS=32
    export WINEARCH=win32
}

wine_cmd() {
    if command -v wine64 >/dev/null 2>&1 && [ -x "$(command -v wine64)" ]; then echo wine64; else echo wine; fi
}

# A Windows program of the prefix.
wine_run() {
    if [ "$TW_WINE_BITS" = 32 ]; then i386_chroot wine "$@"; else "$(wine_cmd)" "$@"; fi
}

# winepath of the Wine in use.
wine_path() {
    if [ "$TW_WINE_BITS" = 32 ]; then i386_chroot winepath "$@"; else winepath "$@"; fi
}

# The prefix's wineserver (the 32-bit one lives in the root).
wine_server() {
    if [ "$TW_WINE_BITS" = 32 ]; then i386_chroot wineserver "$@"; else wineserver "$@"; fi
}

# A Windows program of the prefix, quiet and without standard input.
wine_quiet() {
    wine_run "$@" </dev/null >/dev/null 2>&1
}

# Runs a test program's command ("$@": the Wine in use, the program, its
# arguments) and ends with its exit status, or with 1 when a GoogleTest
# program stopped before its run was over, whatever its status says. Wine's
# exit status alone does not show that: a thread that overflows its stack
# while an exception is dispatched is ended on its own, and the process then
# ends with the exit code of its last thread, 0 for a thread of Wine's.
# GoogleTest makes the file named in TEST_PREMATURE_EXIT_FILE when its run
# starts and deletes it when the run is over; programs that are not
# GoogleTest runs never make it. The file lies in the prefix, which both
# Wines see at the same path, and is named by its Z: path, which does not
# depend on the program's folder.
wine_run_test() {
    local marker status
    marker=$(mktemp -u "$WINEPREFIX/premature-exit.XXXXXX")
    TEST_PREMATURE_EXIT_FILE="Z:$marker" "$@"
    status=$?
    if [ -e "$marker" ]; then
        rm -f "$marker"
        echo "error: the test program stopped before its tests were over (exit code $status)" >&2
        [ "$status" -ne 0 ] || status=1
    fi
    return "$status"
}

# Where Wine's own fonts lie for the Wine in use.
wine_font_folders() {
    local system=""
    [ "$TW_WINE_BITS" = 32 ] && system=$(i386_root_dir)
    echo "$system/usr/share/wine/fonts $system/usr/lib/x86_64-linux-gnu/wine/fonts $system/usr/share/fonts/truetype/wine"
}

# Creates the prefix once: no window manager (a window close otherwise costs
# two seconds), no debugger for crashing programs, Wine's own fonts (caption
# buttons need marlett.ttf). The prefix is marked ready only when every step
# worked; otherwise the next run starts it again from nothing.
wine_prepare_prefix() {
    local prefix="$1"
    if [ "$TW_WINE_BITS" = 32 ]; then wine32_env "$prefix"; else wine_env "$prefix"; fi
    [ -f "$prefix/.tidewell-ready" ] && return 0
    rm -rf "$prefix"
    mkdir -p "$prefix"
    local log="$prefix/wineboot.log"
    wine_run wineboot -i </dev/null >"$log" 2>&1 || tw_die "wineboot failed in $prefix (see $log)"
    wine_server -w
    [ -f "$prefix/system.reg" ] && [ -d "$prefix/drive_c/windows/system32" ] ||
        tw_die "wineboot left no Windows folder or registry in $prefix (see $log)"
    wine_quiet reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f ||
        tw_die "cannot turn off the window manager in $prefix"
    # A crashing program ends at once instead of waiting in the debugger.
    local aedebug='HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug'
    if wine_quiet reg query "$aedebug" /v Debugger; then
        wine_quiet reg delete "$aedebug" /v Debugger /f || tw_die "cannot remove the debugger from $prefix"
    fi
    local fonts="$prefix/drive_c/windows/Fonts" dir
    mkdir -p "$fonts"
    for dir in $(wine_font_folders); do
        if [ -d "$dir" ]; then
            cp -n "$dir"/* "$fonts"/ || tw_die "cannot copy Wine's fonts from $dir"
        fi
    done
    [ -f "$fonts/marlett.ttf" ] || tw_die "no marlett.ttf among Wine's fonts (package fonts-wine)"
    wine_server -w
    touch "$prefix/.tidewell-ready"
}

# A persistent wineserver for the run, warmed up with one trivial program whose
# output goes nowhere (services would otherwise inherit a test's pipes).
wine_start_server() {
    wine_stop_server
    wine_server -p </dev/null >/dev/null 2>&1 || tw_die "cannot start a wineserver for $WINEPREFIX"
    wine_quiet cmd /c exit || tw_die "Wine cannot run a program in $WINEPREFIX"
}

# Ends this prefix's wineserver; none running is fine.
wine_stop_server() {
    wine_server -k 2>/dev/null || true
}

# Starts Xvfb on a free display and exports DISPLAY; XVFB_PID is set.
xvfb_start() {
    local fd_file
    fd_file=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fd_file" >/dev/null 2>&1 &
    XVFB_PID=$!
    local _
    for _ in $(seq 1 200); do
        [ -s "$fd_file" ] && break
        kill -0 "$XVFB_PID" 2>/dev/null || break
        sleep 0.05
    done
    local display
    display=$(head -n1 "$fd_file")
    rm -f "$fd_file"
    if [ -z "$display" ] || ! kill -0 "$XVFB_PID" 2>/dev/null; then
        xvfb_stop
        tw_die "Xvfb did not start"
    fi
    export DISPLAY=":$display"
}

# Stops our Xvfb, if one was started.
xvfb_stop() {
    if [ -n "${XVFB_PID:-}" ]; then
        kill "$XVFB_PID" 2>/dev/null || true
        XVFB_PID=""
    fi
}
