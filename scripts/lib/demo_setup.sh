# Sets up a prefix the way a user's machine looks: a stand-in Palm Desktop in
# C:\Palm with Palm's own Date Book conduit and three Palm users, and the
# product in C:\Tidewell as its installer leaves it. Needs wine_env first.

standin_key='HKCU\Software\Palm Desktop Stand-in'

reg() { "$(wine_cmd)" reg "$@" </dev/null 2>/dev/null | tr -d '\r' | sed '/^$/d'; }

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
    "$(wine_cmd)" "$palm/HotSync.exe" </dev/null >/dev/null 2>&1
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
