#!/usr/bin/env bash
# Pictures of every dialog of the settings library, the Settings Summary
# among them, with the classic look and themed, and of the installer's and
# the uninstaller's pages, each cropped to its window, on a private Xvfb
# display: build/x86_64/screenshots/*.png. The installer keeps the folder it
# offers. The build's output goes to build/x86_64/build.log.
#
# Classic: the prefix's visual style turned off, as on a Windows with the
# classic look. Themed: Wine's own theme ("Light", active in a new prefix),
# with the program's common-controls 6 manifest, and the product's
# visual-style binding told that common controls 6 are there (Wine's
# comctl32 reports 5.81 even then).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
source scripts/lib/wine.sh
source scripts/lib/packages.sh
source scripts/lib/demo_setup.sh

ensure_packages
quiet_build x86_64 "the installer, twctl, dialog_gallery and the stand-ins" tw_installer twctl dialog_gallery standins

build="$root/build/x86_64"
bin="$build/bin"
out="$root/build/x86_64/screenshots"
rm -rf "$out"
mkdir -p "$out"
xvfb_start
prefix="$root/build/x86_64/demo-prefix"
trap 'wine_stop_server; xvfb_stop' EXIT
wine_prepare_prefix "$prefix"
wine_start_server
install_standin_palm_desktop "$bin"
install_product "$bin"
reg add 'HKLM\SOFTWARE\Quillon Software\Orvelle\Install' /v PDPath /d 'C:\Palm' /f >/dev/null
reg add "HKCU\\Software\\Quillon Software\\Orvelle\\Users\\Jane O'Neil" /v Path /d 'C:\Calendar\Home.al0' /f >/dev/null

# The visual style of the prefix: "1" Wine's theme, "0" the classic look.
# Wine reads it when a program starts.
theme_manager='HKCU\Software\Microsoft\Windows\CurrentVersion\ThemeManager'
set_theme_active() {
    reg add "$theme_manager" /v ThemeActive /d "$1" /f >/dev/null
}
[ -n "$(reg query "$theme_manager" /v DllName | grep -i 'msstyles')" ] ||
    tw_die "the prefix $prefix names no theme (ThemeManager DllName): the themed pictures would be classic"

dialogs=(user-list app-list conduit-settings hotsync-action about summary)
for look in classic themed; do
    flag=""
    if [ "$look" = themed ]; then
        flag="--themed"
        set_theme_active 1
    else
        set_theme_active 0
    fi
    "$(wine_cmd)" "$bin/dialog_gallery.exe" "$(winepath -w "$out")" $flag </dev/null 2>/dev/null | tr -d '\r'
    for dialog in "${dialogs[@]}"; do
        bmp="$out/$dialog-$look.bmp"
        [ -f "$bmp" ] || tw_die "dialog_gallery saved no picture $bmp"
        convert "$bmp" "${bmp%.bmp}.png"
        rm "$bmp"
    done
done
# The prefix's own setting again: Wine's theme.
set_theme_active 1
# Themed pictures that show no theme would be a lie: stop.
for dialog in "${dialogs[@]}"; do
    if cmp -s <(convert "$out/$dialog-classic.png" rgb:-) <(convert "$out/$dialog-themed.png" rgb:-); then
        tw_die "$dialog-classic.png and $dialog-themed.png are the same picture: no theme was drawn"
    fi
done

# The installer's pages, over the stand-in Palm Desktop, into the folder it offers.
prepare_almanor
setup="$(built_installer)"
install_page_by_page "$setup" "$out" || tw_die "the installer ended with $?"
product=$(installed_folder)
[ -n "$product" ] || tw_die "the installer recorded no installation folder"
echo "installed in $product"
uninstall_page_by_page "$product" "$out" || tw_die "the uninstaller ended with $?"
ls "$out"
