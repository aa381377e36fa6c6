#!/usr/bin/env bash
# The main job, end to end, in a Wine prefix of its own (never your default
# one): a stand-in Palm Desktop with Palm's own Date Book conduit, three Palm
# users and the HotSync Manager running; the product installed by its
# installer, which registers the conduits; then, through twctl, a conduit
# verified and one Palm user's Date Book settings edited and saved; at last
# the product removed by its uninstaller, which gives Palm's conduit back.
# The installer keeps the folder it offers, C:\Program Files\Tidewell for Palm.
# The Conduit Manager's registrations are shown at each step; the build's
# output goes to build/<build>/build.log.
#
# With a display ($DISPLAY) the installer's pages and the product's windows
# are yours to use; without one the demo runs on a private Xvfb display,
# drives the windows with the keyboard as a user would, and saves a picture of
# each window in build/<build>/demo-screens (made anew by each such run; a run
# with a display leaves them alone).
#
# Usage: demo.sh [--i686]
#   --i686  the shipped 32-bit build and its x86-ansi installer, under the
#           32-bit Wine of the emulated root (made once, about 7 minutes, in
#           build/i386-root; needs root). Every program then starts slower.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
source scripts/lib/wine.sh
source scripts/lib/i386_root.sh
source scripts/lib/packages.sh
source scripts/lib/demo_setup.sh

arch=x86_64
if [ "${1:-}" = --i686 ]; then
    arch=i686
    # The 32-bit root's mounts live in a namespace of the demo's own.
    [ -n "${TW_I386_NAMESPACE:-}" ] || TW_I386_NAMESPACE=1 exec unshare --mount --propagation private -- "$0" "$@"
fi
ensure_packages
quiet_build "$arch" "the installer, twctl and the stand-ins" tw_installer twctl standins
build="$root/build/$arch"

interactive=1
if [ -z "${DISPLAY:-}" ]; then
    interactive=0
    xvfb_start
    echo "No display: running on a private Xvfb display ($DISPLAY), driving the windows with the keyboard."
fi
prefix="$build/demo-prefix"
if [ "$arch" = i686 ]; then
    i386_root_ensure
    trap 'wine_stop_server; xvfb_stop' EXIT
    wine32_env "$prefix"
else
    trap 'wine_stop_server; xvfb_stop' EXIT
    wine_env "$prefix"
fi
wine_prepare_prefix "$prefix"
wine_start_server
bin="$build/bin"
screens="$build/demo-screens"
setup="$(built_installer)"
product=""
if [ "$interactive" = 0 ]; then
    rm -rf "$screens"
    mkdir -p "$screens"
fi

show_conduit() {
    echo "  Conduit Manager, creator \"$1\":"
    reg query "$standin_key\\Conduits\\$1" | grep REG_ | sed 's/^ */    /' || echo "    (nothing registered)"
}
show_key() {
    echo "  $1:"
    reg query "$1" | grep REG_ | sed 's/^ */    /' || echo "    (none)"
}
twctl() {
    echo "\$ twctl $*"
    wine_run "$bin/twctl.exe" --dir "$product" "$@" </dev/null 2>/dev/null | tr -d '\r' | sed 's/^/  /'
}
# snap <picture name> <window title, a regular expression>
snap() {
    [ "$interactive" = 1 ] && return 0
    window_picture "$2" "$screens/$1.png" && echo "  (picture: build/$arch/demo-screens/$1.png)"
}
key() { xdotool key "$@"; sleep 1.5; }

echo "== A stand-in Palm Desktop in C:\\Palm, with three Palm users and Palm's own Date Book conduit"
install_standin_palm_desktop "$bin"
echo "  HotSync Manager running: $(reg query "$standin_key\\HotSync" /v Running | awk '/Running/ {print $3}')"
show_conduit date
show_conduit todo

echo
echo "== The product's installer, into the folder it offers; an Almanor calendar in C:\\Calendar"
prepare_almanor
setup_status=0
if [ "$interactive" = 1 ]; then
    echo "  Setup opens: go through its pages (keep the folder it offers, or choose another)."
    run_windows_line "\"$setup\"" || setup_status=$?
else
    install_page_by_page "$setup" "$screens" || setup_status=$?
    echo "  (pictures: build/$arch/demo-screens/setup-*.png)"
fi
echo "  Setup's exit code $(describe_setup_status "$setup_status")"
product=$(installed_folder)
[ -n "$product" ] || tw_die "Setup did not record the installation folder"
echo "  Installed in $product: $(ls "$(wine_path -u "$product")" | tr '\n' ' ')"
show_conduit date
show_conduit todo
show_key 'HKCU\Software\Quillon Software\Orvelle\Backup\DateBook'
echo "  Recorded HotSync folder: $(reg query 'HKLM\SOFTWARE\Quillon Software\Orvelle\Install' /v PDPath | awk -F'REG_SZ' '/PDPath/ {gsub(/^[ \t]+/, "", $2); print $2}')"
echo "  HotSync Manager closed and restarted: $(reg query "$standin_key\\CallLog" | grep -c 'HsSetAppStatus(0,0)') times"

echo
twctl verify date $( [ "$interactive" = 0 ] && echo --quiet )
echo "  (nothing to report: the Date Book conduit is registered from $product)"

echo
echo "== The settings of Jane O'Neil's Date Book"
reg add "HKCU\\Software\\Quillon Software\\Orvelle\\Users\\Jane O'Neil" /v Path /d 'C:\Calendar\Home.al0' /f >/dev/null
if [ "$interactive" = 1 ]; then
    echo "  The user list opens: pick a user, Settings..., a handheld application, change what you like, OK."
    twctl settings
else
    echo "\$ twctl settings"
    wine_run "$bin/twctl.exe" --dir "$product" settings </dev/null >/dev/null 2>&1 &
    settings_pid=$!
    sleep 3
    snap 1-user-list 'Tidewell for Palm Settings'
    key End            # the last user in the sorted list: Jane O'Neil
    key Return         # Settings...
    snap 2-application-list 'Tidewell for Palm Settings'
    key Return         # Change... on Date Book: the settings dialog
    snap 3-conduit-settings 'Settings for Palm .*'
    key alt+h          # Synchronize Hidden items with the handheld
    key alt+a          # Almanor wins
    snap 4-changed 'Settings for Palm .*'
    key Return         # OK: saved
    key Escape         # Close the user list
    wait "$settings_pid"
fi
show_key "HKCU\\Software\\Quillon Software\\Orvelle\\Users"
show_key "HKCU\\Software\\Quillon Software\\Orvelle\\Users\\Jane O'Neil"
show_key "HKCU\\Software\\Quillon Software\\Orvelle\\Users\\Jane O'Neil\\DateBook"

echo
echo "== The product's uninstaller"
uninstall_status=0
if [ "$interactive" = 1 ]; then
    echo "  The uninstaller opens: Uninstall, then Close."
    run_uninstaller "$product" || uninstall_status=$?
else
    uninstall_page_by_page "$product" "$screens" || uninstall_status=$?
    echo "  (pictures: build/$arch/demo-screens/uninstall-*.png)"
fi
echo "  Uninstaller's exit code $(describe_setup_status "$uninstall_status")"
echo "  $product: $( [ -d "$(wine_path -u "$product")" ] && echo "still there" || echo "removed")"
show_key 'HKLM\SOFTWARE\Quillon Software\Orvelle\Install'
show_conduit date
show_conduit todo
echo "  HotSync Manager running: $(reg query "$standin_key\\HotSync" /v Running | awk '/Running/ {print $3}')"
echo
if [ "$setup_status" -ne 0 ] || [ "$uninstall_status" -ne 0 ]; then
    echo "Demo finished, but the installer ended with $setup_status and the uninstaller with $uninstall_status (see above)."
    exit 1
fi
echo "Demo finished: Jane O'Neil's Date Book settings are saved, the product is removed, Palm's Date Book"
echo "conduit is registered again and the To Do List creator is free."
