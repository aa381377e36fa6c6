#!/usr/bin/env bash
# Compiles the Unix locales the code-page tests start Wine in, into a folder
# of the build (named with LOCPATH): Wine takes its ANSI code page from the
# locale. ja_JP 932, zh_CN 936, ko_KR 949, zh_TW 950, en_US 1252.
# Usage: locales.sh FOLDER [--i386-root]. With --i386-root they are compiled
# inside the 32-bit root (scripts/lib/i386_root.sh), by its own glibc, for
# its 32-bit Wine; the folder must be one the root sees at the same path.
# Locales already there are kept.
set -u
folder="${1:?usage: locales.sh FOLDER [--i386-root]}"
run=()
if [ "${2:-}" = --i386-root ]; then
    here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
    root="$(cd "$here/../.." && pwd)"
    source "$here/wine.sh"
    source "$here/i386_root.sh"
    i386_root_mounted || { echo "error: the 32-bit root is not mounted here" >&2; exit 1; }
    run=(chroot "$(i386_root_dir)")
    [ -d "$(i386_root_dir)/usr/share/i18n/locales" ] ||
        { echo "error: the 32-bit root has no locale sources (Debian package locales)" >&2; exit 1; }
else
    command -v localedef >/dev/null 2>&1 || { echo "error: localedef missing (Debian package locales)" >&2; exit 1; }
fi
mkdir -p "$folder" || exit 1
for locale in ja_JP zh_CN ko_KR zh_TW en_US; do
    [ -f "$folder/$locale.UTF-8/LC_CTYPE" ] && continue
    # localedef may warn about details of a source and exit 1 although it
    # wrote the locale: the compiled LC_CTYPE is what counts.
    "${run[@]}" localedef -i "$locale" -f UTF-8 "$folder/$locale.UTF-8" >/dev/null 2>&1
    [ -f "$folder/$locale.UTF-8/LC_CTYPE" ] || { echo "error: localedef $locale failed" >&2; exit 1; }
done
