# Shared shell functions for running the x86_64 build under 64-bit Wine in a
# prefix of our own. Sourced by test.sh, demo.sh, screenshots.sh and bench.sh.
# A step that must work and does not stops the script with a message.

tw_die() {
    echo "error: $*" >&2
    exit 1
}

wine_env() {
    # $1: the prefix folder
    export WINEPREFIX="$1"
    export WINEARCH=win64
    export WINEDEBUG="${WINEDEBUG:--all,err+module}"
    export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
}

wine_cmd() {
    if command -v wine64 >/dev/null 2>&1 && [ -x "$(command -v wine64)" ]; then echo wine64; else echo wine; fi
}

# A Windows program of the prefix, quiet and without standard input.
wine_quiet() {
    "$(wine_cmd)" "$@" </dev/null >/dev/null 2>&1
}

# Creates the prefix once: no window manager (a window close otherwise costs
# two seconds), no debugger for crashing programs, Wine's own fonts (caption
# buttons need marlett.ttf). The prefix is marked ready only when every step
# worked; otherwise the next run starts it again from nothing.
wine_prepare_prefix() {
    local prefix="$1"
    wine_env "$prefix"
    [ -f "$prefix/.tidewell-ready" ] && return 0
    rm -rf "$prefix"
    mkdir -p "$prefix"
    local log="$prefix/wineboot.log"
    "$(wine_cmd)" wineboot -i </dev/null >"$log" 2>&1 || tw_die "wineboot failed in $prefix (see $log)"
    wineserver -w
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
    for dir in /usr/share/wine/fonts /usr/lib/x86_64-linux-gnu/wine/fonts /usr/share/fonts/truetype/wine; do
        if [ -d "$dir" ]; then
            cp -n "$dir"/* "$fonts"/ || tw_die "cannot copy Wine's fonts from $dir"
        fi
    done
    [ -f "$fonts/marlett.ttf" ] || tw_die "no marlett.ttf among Wine's fonts (package fonts-wine)"
    wineserver -w
    touch "$prefix/.tidewell-ready"
}

# A persistent wineserver for the run, warmed up with one trivial program whose
# output goes nowhere (services would otherwise inherit a test's pipes).
wine_start_server() {
    wine_stop_server
    wineserver -p || tw_die "cannot start a wineserver for $WINEPREFIX"
    wine_quiet cmd /c exit || tw_die "Wine cannot run a program in $WINEPREFIX"
}

# Ends this prefix's wineserver; none running is fine.
wine_stop_server() {
    wineserver -k 2>/dev/null || true
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
