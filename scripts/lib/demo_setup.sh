# Sets up a prefix the way a user's machine looks: a stand-in Palm Desktop in
# C:\Palm with Palm's own Date Book conduit and three Palm users, and the
# product in C:\Tidewell as its installer leaves it. Needs wine_env first.
# Also: a quiet build, the installer driven page by page, window pictures.

standin_key='HKCU\Software\Palm Desktop Stand-in'

reg() { wine_run reg "$@" </dev/null 2>/dev/null | tr -d '\r' | sed '/^$/d'; }

# Configures and builds targets of a preset with the compiler's output in a
# log of its own; one line says what is built, and only a failure shows the
# log's end.
# Usage: quiet_build <preset> <what, for the line> <target>...
quiet_build() {
    local preset="$1" what="$2" log="build/$1/build.log"
    shift 2
    mkdir -p "build/$preset"
    echo "Building $what ($preset; compiler output in $log)..."
    if ! { cmake --preset "$preset" && cmake --build "build/$preset" -j "$(nproc 2>/dev/null || echo 2)" --target "$@"; } \
        >"$log" 2>&1; then
        tail -n 30 "$log" >&2
        tw_die "the build failed (the whole output: $log)"
    fi
}

# The installation folder the installer recorded as "Path", or nothing.
installed_folder() {
    (reg query 'HKLM\SOFTWARE\Quillon Software\Orvelle\Install' /v Path || true) |
        awk -F'REG_SZ' '/Path/ {gsub(/^[ \t]+/, "", $2); print $2}'
}

install_standin_palm_desktop() {
    local bin="$1" palm="$WINEPREFIX/drive_c/Palm"
    rm -rf "$palm"
    mkdir -p "$palm"
    cp "$bin"/standins/default/{HotSync.exe,CondMgr.dll,HsApi.dll,UserData.dll} "$palm/"
    # Absent in a new prefix.
    reg delete "$standin_key" /f >/dev/null || true
    reg add 'HKCU\Software\U.S. Robotics\Pilot Desktop\Core' /v HotSyncPath /d 'C:\Palm\HotSync.exe' /f >/dev/null
    # Palm's own Date Book conduit, the one the product replaces and must give back.
    local date_key="$standin_key\\Conduits\\date"
    reg add "$date_key" /v Name /d 'C:\Palm\Datebook3.dll' /f >/dev/null
    reg add "$date_key" /v Directory /d datebook /f >/dev/null
    reg add "$date_key" /v Remote /d DatebookDB /f >/dev/null
    reg add "$date_key" /v Title /d 'Date Book' /f >/dev/null
    reg add "$date_key" /v Priority /t REG_DWORD /d 2 /f >/dev/null
    reg add "$date_key" /v Integrate /t REG_DWORD /d 0 /f >/dev/null
    reg add "$date_key" /v Type /t REG_DWORD /d 1 /f >/dev/null
    local index=0 name
    for name in "Jane O'Neil" "Bob Tanaka" "Alice"; do
        reg add "$standin_key\\Users\\$index" /v ID /t REG_DWORD /d $((index + 101)) /f >/dev/null
        reg add "$standin_key\\Users\\$index" /v Name /d "$name" /f >/dev/null
        index=$((index + 1))
    done
    wine_run "$palm/HotSync.exe" </dev/null >/dev/null 2>&1
}

install_product() {
    local bin="$1" product="$WINEPREFIX/drive_c/Tidewell"
    rm -rf "$product"
    mkdir -p "$product" "$WINEPREFIX/drive_c/Calendar"
    cp "$bin"/twpalm.dll "$bin"/twpalmui.dll "$bin"/twpalm.chm "$bin"/twctl.exe "$bin"/standins/default/CondMgr.dll \
        "$product/"
    # The two conduit libraries themselves are not part of this project.
    echo "Date Book conduit" >"$product/twdate.dll"
    echo "To Do List conduit" >"$product/twtask.dll"
    echo "Almanor calendar" >"$WINEPREFIX/drive_c/Calendar/Home.al0"
    # Absent in a new prefix.
    reg delete 'HKCU\Software\Quillon Software' /f >/dev/null || true
    reg delete 'HKLM\SOFTWARE\Quillon Software' /f >/dev/null || true
    reg add 'HKLM\SOFTWARE\Quillon Software\Orvelle\Install' /v Path /d 'C:\Tidewell' /f >/dev/null
    reg add 'HKCU\SOFTWARE\Quillon Software\Almanor\Common' /v DDIR /d 'C:\Calendar' /f >/dev/null
}

# The Almanor calendar the demo's Palm users synchronise with, and no trace
# of an earlier installation of the product (the installer writes the rest).
prepare_almanor() {
    mkdir -p "$WINEPREFIX/drive_c/Calendar"
    echo "Almanor calendar" >"$WINEPREFIX/drive_c/Calendar/Home.al0"
    rm -rf "$WINEPREFIX/drive_c/Tidewell" "$WINEPREFIX/drive_c/Program Files/Tidewell for Palm"
    # Absent in a new prefix.
    reg delete 'HKCU\Software\Quillon Software' /f >/dev/null || true
    reg delete 'HKLM\SOFTWARE\Quillon Software' /f >/dev/null || true
    reg delete 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tidewell for Palm' /f >/dev/null || true
    reg add 'HKCU\SOFTWARE\Quillon Software\Almanor\Common' /v DDIR /d 'C:\Calendar' /f >/dev/null
}

# Runs one Windows command line exactly as written: a batch file keeps Wine
# from quoting its arguments again (the installers read "/D=" and "_?=" raw).
# Returns the program's exit code.
run_windows_line() {
    printf '@%s\r\n' "$1" >"$WINEPREFIX/drive_c/windows/temp/tw-run.bat"
    wine_run cmd /c 'C:\windows\temp\tw-run.bat' </dev/null >/dev/null 2>&1
}

# The uninstaller as Add/Remove Programs runs it, from a copy outside the
# folder it empties, but waited for: run_windows_line's exit code.
# Usage: run_uninstaller <installation folder> [arguments]
run_uninstaller() {
    local folder="$1" status=0
    shift
    local unix_folder
    unix_folder=$(wine_path -u "$folder" 2>/dev/null)
    cp "$unix_folder/uninstall.exe" "$WINEPREFIX/drive_c/windows/temp/tw-uninstall.exe" || return 2
    run_windows_line "C:\\windows\\temp\\tw-uninstall.exe $* _?=$folder" || status=$?
    rm -f "$WINEPREFIX/drive_c/windows/temp/tw-uninstall.exe"
    return $status
}

# What an installer's exit code means.
describe_setup_status() {
    case "$1" in
        0) echo "0: done" ;;
        1) echo "1: cancelled" ;;
        2) echo "2: stopped by an error" ;;
        3) echo "3: the files are in place, but Palm Desktop's conduit registrations are not as asked" ;;
        4) echo "4: an earlier installation's uninstaller: only its own files removed" ;;
        5) echo "5: removed, but a file in use stays until Windows restarts" ;;
        *) echo "$1: unexpected" ;;
    esac
}

# The installer of the build in $build (x86-ansi for i686, amd64-unicode for
# x86_64; the newest, should older versions lie beside it), as a Windows path.
# Without $build it stops the script instead of naming no installer.
built_installer() {
    local setup pattern='tidewell-for-palm-*-setup.exe'
    [ -n "${build:-}" ] || tw_die "built_installer: no build folder in \$build"
    [ "$(basename "$build")" = x86_64 ] && pattern='tidewell-for-palm-*-setup-win64.exe'
    setup=$(ls -t "$build"/package/$pattern 2>/dev/null | head -n1)
    [ -n "$setup" ] || tw_die "no installer in $build/package: build the target tw_installer"
    wine_path -w "$setup"
}

# Presses Enter until the background process pid has ended (a page that came
# late, a message box), for at most 30 s; then ends it. Its exit code.
press_enter_until_done() {
    local pid="$1" status=0 _
    for _ in $(seq 1 15); do
        kill -0 "$pid" 2>/dev/null || break
        xdotool key Return
        sleep 2
    done
    if kill -0 "$pid" 2>/dev/null; then
        echo "  (the installer did not finish: ended)"
        kill "$pid" 2>/dev/null || true
    fi
    wait "$pid" || status=$?
    return $status
}

# Saves a picture of the window whose title matches the regular expression
# title (whole title; a trailing blank is allowed), cropped to the window with
# its frame: the topmost such window when several are open (the newest
# dialog over its parent). Waits up to 20 s for it to appear.
window_picture() {
    local title="$1" file="$2" window="" _
    for _ in $(seq 1 80); do
        # xdotool lists windows from the bottom of the stack to its top.
        window=$(xdotool search --onlyvisible --name "^($title) ?$" 2>/dev/null | tail -n1)
        [ -n "$window" ] && break
        sleep 0.25
    done
    [ -n "$window" ] || { echo "  (no window \"$title\" to picture)"; return 0; }
    import -window "$window" "$file" 2>/dev/null
}

# Goes through the installer's pages with the keyboard as a user would (the
# Enter key: Next, Install, Next, Finish), a picture of each page in folder.
# Without an installation folder the installer offers its own default, as it
# does for a user.
# Usage: install_page_by_page <installer, Windows path> <folder> [installation folder]
install_page_by_page() {
    local setup="$1" folder="$2" target="${3:-}" status=0 pid line
    line="\"$setup\""
    [ -z "$target" ] || line="$line /D=$target"
    run_windows_line "$line" &
    pid=$!
    window_picture "Tidewell for Palm Setup" "$folder/setup-1-welcome.png"
    xdotool key Return; sleep 1
    window_picture "Tidewell for Palm Setup" "$folder/setup-2-folder.png"
    xdotool key Return; sleep 4
    window_picture "Tidewell for Palm Setup" "$folder/setup-3-installed.png"
    xdotool key Return; sleep 1
    window_picture "Tidewell for Palm Setup" "$folder/setup-4-finished.png"
    press_enter_until_done "$pid" || status=$?
    return $status
}

# The same for the uninstaller: Uninstall, then Close.
# Usage: uninstall_page_by_page <installation folder> <folder>
uninstall_page_by_page() {
    local target="$1" folder="$2" status=0 pid
    run_uninstaller "$target" &
    pid=$!
    window_picture "Tidewell for Palm Uninstall" "$folder/uninstall-1-confirm.png"
    xdotool key Return; sleep 4
    window_picture "Tidewell for Palm Uninstall" "$folder/uninstall-2-finished.png"
    press_enter_until_done "$pid" || status=$?
    return $status
}
