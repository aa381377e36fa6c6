#!/usr/bin/env bash
# Pictures of every dialog of the settings library, classic and themed, and
# of the installer's and the uninstaller's pages, on a private Xvfb display:
# build/x86_64/screenshots/*.png.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
source scripts/lib/wine.sh
source scripts/lib/packages.sh
source scripts/lib/demo_setup.sh

ensure_packages
cmake --preset x86_64 >/dev/null
cmake --build build/x86_64 -j "$(nproc 2>/dev/null || echo 2)" --target tw_installer twctl dialog_gallery standins >/dev/null

bin="$root/build/x86_64/bin"
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

for look in classic themed; do
    flag=""
    [ "$look" = themed ] && flag="--themed"
    "$(wine_cmd)" "$bin/dialog_gallery.exe" "$(winepath -w "$out")" $flag </dev/null 2>/dev/null | tr -d '\r'
done
shopt -s nullglob
pictures=("$out"/*.bmp)
[ "${#pictures[@]}" -gt 0 ] || tw_die "dialog_gallery saved no pictures in $out"
for bmp in "${pictures[@]}"; do
    convert "$bmp" "${bmp%.bmp}.png"
    rm "$bmp"
done

# The installer's pages, over the stand-in Palm Desktop.
prepare_almanor
setup="$(built_installer)"
install_page_by_page "$setup" "$out" 'C:\Tidewell' || tw_die "the installer ended with $?"
uninstall_page_by_page 'C:\Tidewell' "$out" || tw_die "the uninstaller ended with $?"
ls "$out"
