# The Debian packages the build, the tests and the demo need.
TW_PACKAGES="cmake make g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64 mingw-w64-tools wine wine64 xvfb xauth fonts-wine googletest imagemagick fp-utils libchm-bin xdotool"

missing_packages() {
    local missing=""
    for package in $TW_PACKAGES; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing="$missing $package"
    done
    echo "$missing"
}

# Installs what is missing when run as root; otherwise prints the apt-get
# line and stops.
ensure_packages() {
    local missing
    missing=$(missing_packages)
    [ -z "$missing" ] && return 0
    local line="apt-get install -y --no-install-recommends$missing"
    if [ "$(id -u)" -ne 0 ]; then
        echo "Missing packages. Install them with:"
        echo "  sudo apt-get update && sudo $line"
        exit 1
    fi
    echo "Installing:$missing"
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $line >/dev/null
}
