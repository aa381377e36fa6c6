# The Debian packages the build, the tests, the demo, the screenshots and the
# benchmarks use, each for what is said beside it.
TW_PACKAGES=(
    cmake make                                  # the build
    g++-mingw-w64-i686 g++-mingw-w64-x86-64     # the cross compilers
    binutils-mingw-w64                          # windres, dlltool; objdump for the binary checks and bench
    wine wine64                                 # running the x86_64 build
    fonts-wine                                  # marlett.ttf and friends for the prefixes
    xvfb                                        # a private display for tests, demo, screenshots and bench
    googletest                                  # the test programs
    fp-utils                                    # chmcmd, the help compiler
    libchm-bin                                  # enum_chmLib/extract_chmLib for the help file test
    imagemagick                                 # import (demo pictures) and convert (screenshots)
    xdotool                                     # the demo's keystrokes
    nsis                                        # makensis, the installers
    zip                                         # the ZIP packages (cmake/make_zip.cmake)
    llvm-14                                     # llvm-dlltool-14: the Visual C++ import libraries
    clang-14 lld-14                             # clang-14 and lld-link-14: the .lib libraries linked as Visual C++ links (tests/integration_link.sh)
    debootstrap                                 # the i386 root of the 32-bit Wine (scripts/lib/i386_root.sh)
    locales                                     # localedef and the locale sources: tests under double-byte code pages (scripts/lib/locales.sh)
)

# Prints the packages of TW_PACKAGES that are not installed, one a line.
missing_packages() {
    local package
    for package in "${TW_PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || echo "$package"
    done
}

# Installs what is missing when run as root; otherwise prints the apt-get
# line and stops.
ensure_packages() {
    local missing=()
    mapfile -t missing < <(missing_packages)
    [ "${#missing[@]}" -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "Missing packages. Install them with:" >&2
        echo "  sudo apt-get update && sudo apt-get install -y --no-install-recommends ${missing[*]}" >&2
        exit 1
    fi
    echo "Installing: ${missing[*]}"
    apt-get update -qq || exit 1
    DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}" >/dev/null || exit 1
}
