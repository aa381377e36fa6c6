#!/usr/bin/env bash
# The main job, end to end, in a Wine prefix of its own (never the user's
# default one): a stand-in Palm Desktop with Palm's own Date Book conduit
# registered and the HotSync Manager running; the product installed the way
# its installer does it; then the conduits registered, verified and removed
# again with twctl, showing the Conduit Manager's registrations at each step.
#
# With a display ($DISPLAY) the product's message boxes are shown to you;
# without one it runs quiet on a private Xvfb display and prints what happened.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
source scripts/lib/wine.sh
source scripts/lib/packages.sh

ensure_packages
cmake --preset x86_64 >/dev/null
cmake --build build/x86_64 -j "$(nproc 2>/dev/null || echo 2)" --target twpalm twctl standins >/dev/null

quiet=""
silent=""
if [ -z "${DISPLAY:-}" ]; then
    xvfb_start
    quiet="--quiet"
    silent="--silent"
    echo "No display: running quiet on a private Xvfb display ($DISPLAY)."
fi
prefix="$root/build/x86_64/demo-prefix"
trap 'wine_stop_server; xvfb_stop' EXIT
wine_prepare_prefix "$prefix"
wine_start_server
wine="$(wine_cmd)"

bin="$root/build/x86_64/bin"
palm="$prefix/drive_c/Palm"
product="$prefix/drive_c/Tidewell"
standin_key='HKCU\Software\Palm Desktop Stand-in'

reg() { "$wine" reg "$@" </dev/null 2>/dev/null | tr -d '\r' | sed '/^$/d'; }
show_conduit() {
    echo "  Conduit Manager, creator \"$1\":"
    reg query "$standin_key\\Conduits\\$1" | grep REG_ | sed 's/^ */    /' || echo "    (nothing registered)"
}
show_backup() {
    echo "  Saved registration (HKCU\\Software\\Quillon Software\\Orvelle\\Backup\\DateBook):"
    reg query 'HKCU\Software\Quillon Software\Orvelle\Backup\DateBook' | grep REG_ | sed 's/^ */    /' || echo "    (none)"
}
twctl() {
    echo "\$ twctl $*"
    "$wine" "$product/twctl.exe" "$@" </dev/null 2>/dev/null | tr -d '\r' | sed 's/^/  /'
}

echo "== Setting up the demo prefix: a stand-in Palm Desktop in C:\\Palm"
rm -rf "$palm" "$product"
mkdir -p "$palm" "$product"
cp "$bin"/standins/default/{HotSync.exe,CondMgr.dll,HsApi.dll,UserData.dll} "$palm/"
reg delete "$standin_key" /f >/dev/null || true
reg delete 'HKCU\Software\Quillon Software' /f >/dev/null || true
reg delete 'HKLM\SOFTWARE\Quillon Software' /f >/dev/null || true
reg add 'HKCU\Software\U.S. Robotics\Pilot Desktop\Core' /v HotSyncPath /d 'C:\Palm\HotSync.exe' /f >/dev/null
# Palm's own Date Book conduit, the one the product replaces and must give back.
date_key="$standin_key\\Conduits\\date"
reg add "$date_key" /v Name /d 'C:\Palm\Datebook3.dll' /f >/dev/null
reg add "$date_key" /v Directory /d datebook /f >/dev/null
reg add "$date_key" /v Remote /d DatebookDB /f >/dev/null
reg add "$date_key" /v Title /d 'Date Book' /f >/dev/null
reg add "$date_key" /v Priority /t REG_DWORD /d 2 /f >/dev/null
reg add "$date_key" /v Integrate /t REG_DWORD /d 0 /f >/dev/null
reg add "$date_key" /v Type /t REG_DWORD /d 1 /f >/dev/null
"$wine" "$palm/HotSync.exe" </dev/null >/dev/null 2>&1
echo "  HotSync Manager running: $(reg query "$standin_key\\HotSync" /v Running | awk '/Running/ {print $3}')"
show_conduit date
show_conduit todo

echo
echo "== Installing the product in C:\\Tidewell, as its installer does"
cp "$bin/twpalm.dll" "$bin/twctl.exe" "$bin/standins/default/CondMgr.dll" "$product/"
# The two conduit libraries themselves are not part of this project.
echo "Date Book conduit" >"$product/twdate.dll"
echo "To Do List conduit" >"$product/twtask.dll"
reg add 'HKLM\SOFTWARE\Quillon Software\Orvelle\Install' /v Path /d 'C:\Tidewell' /f >/dev/null

echo
twctl install $quiet
show_conduit date
show_conduit todo
show_backup
echo "  Recorded HotSync folder: $(reg query 'HKLM\SOFTWARE\Quillon Software\Orvelle\Install' /v PDPath | awk -F'REG_SZ' '/PDPath/ {gsub(/^[ \t]+/, "", $2); print $2}')"
echo "  HotSync Manager closed and restarted: $(reg query "$standin_key\\CallLog" | grep -c 'HsSetAppStatus(0,0)') times"

echo
twctl verify date $silent
echo "  (no message: the Date Book conduit is registered from C:\\Tidewell)"

echo
twctl uninstall $quiet
show_conduit date
show_conduit todo
echo "  HotSync Manager running: $(reg query "$standin_key\\HotSync" /v Running | awk '/Running/ {print $3}')"
echo
echo "Demo finished: Palm's Date Book conduit is registered again, the To Do List creator is free."
