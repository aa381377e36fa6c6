# Shared shell functions for running the x86_64 build under 64-bit Wine in a
# prefix of our own. Sourced by test.sh, demo.sh and screenshots.sh.

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

# Creates the prefix once: no window manager (a window close otherwise costs
# two seconds), Wine's own fonts (caption buttons need marlett.ttf).
wine_prepare_prefix() {
    local prefix="$1"
    wine_env "$prefix"
    if [ ! -f "$prefix/.tidewell-ready" ]; then
        rm -rf "$prefix"
        mkdir -p "$prefix"
        "$(wine_cmd)" wineboot -i >/dev/null 2>&1 </dev/null || true
        wineserver -w
        "$(wine_cmd)" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1 </dev/null
        # A crashing program ends at once instead of waiting in the debugger.
        "$(wine_cmd)" reg delete 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /f >/dev/null 2>&1 </dev/null
        local fonts="$prefix/drive_c/windows/Fonts"
        mkdir -p "$fonts"
        for dir in /usr/share/wine/fonts /usr/lib/x86_64-linux-gnu/wine/fonts /usr/share/fonts/truetype/wine; do
            [ -d "$dir" ] && cp -n "$dir"/* "$fonts"/ 2>/dev/null
        done
        wineserver -w
        touch "$prefix/.tidewell-ready"
    fi
}

# A persistent wineserver for the run, warmed up with one trivial program whose
# output goes nowhere (services would otherwise inherit a test's pipes).
wine_start_server() {
    wineserver -k 2>/dev/null || true
    wineserver -p
    "$(wine_cmd)" cmd /c exit </dev/null >/dev/null 2>&1 || true
}

wine_stop_server() {
    wineserver -k 2>/dev/null || true
}

# Starts Xvfb on a free display and exports DISPLAY; XVFB_PID is set.
xvfb_start() {
    local fd_file
    fd_file=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fd_file" >/dev/null 2>&1 &
    XVFB_PID=$!
    for _ in $(seq 1 100); do
        [ -s "$fd_file" ] && break
        sleep 0.05
    done
    export DISPLAY=":$(head -n1 "$fd_file")"
    rm -f "$fd_file"
}

xvfb_stop() {
    [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null || true
}
