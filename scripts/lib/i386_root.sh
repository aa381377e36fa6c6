# The 32-bit test environment: a Debian i386 root with 32-bit Wine, every
# process of which runs under qemu-user (these machines cannot execute 32-bit
# code themselves). Sourced after wine.sh by test.sh, demo.sh and bench.sh.
#
# Everything lives in one folder, $TW_I386_ROOT (default build/i386-root):
# qemu/ the static qemu-user of Debian trixie (bookworm's 7.2 cannot run
# Wine), root/ the bookworm i386 system. Delete the folder to start again.
# Each step leaves a stamp when it worked, so a later run goes on from the
# first step that did not; a step that fails stops with its name.
#
# Outside the folder this touches only the kernel's state, for as long as
# the machine runs: one binfmt_misc entry, "tidewell-i386", that hands i386
# programs to our qemu. The root's mounts (i386_root_mount: /proc, /dev, the
# X sockets and the project itself) are made only inside a mount namespace of
# the run's own (i386_in_namespace): they vanish with it, runs side by side do
# not see each other's, and no "rm -rf build" from outside can reach the
# project through them. Needs root.

TW_I386_SUITE=bookworm
TW_QEMU_SUITE=trixie
TW_I386_PACKAGES=(wine wine32 fonts-wine xauth libc6-dev gcc locales)

i386_root_home() { echo "${TW_I386_ROOT:-$root/build/i386-root}"; }
i386_root_dir() { echo "$(i386_root_home)/root"; }

i386_step_failed() {
    tw_die "32-bit environment, step \"$1\" failed${2:+ (see $2)}"
}

# The mirror the host's own packages come from.
i386_mirror() {
    local uri
    uri=$(grep -h -E '^(URIs:|deb )' /etc/apt/sources.list /etc/apt/sources.list.d/*.sources /etc/apt/sources.list.d/*.list 2>/dev/null |
        grep -E 'debian/?$|debian/? ' | grep -v security | head -n1 | awk '{print $2}')
    echo "${TW_DEBIAN_MIRROR:-${uri:-http://deb.debian.org/debian}}"
}

# The static qemu-i386 of trixie (its qemu-user is static; qemu-user-static
# only links to it), through an apt of our own (its own lists, cache
# and sources; the host's apt state is not touched), unpacked, not installed.
i386_fetch_qemu() {
    local home qemu log
    home=$(i386_root_home); qemu="$home/qemu"
    [ -f "$qemu/.ready" ] && return 0
    rm -rf "$qemu"; mkdir -p "$qemu/apt/lists/partial" "$qemu/apt/cache/archives/partial" "$qemu/deb"
    log="$qemu/fetch.log"
    echo "deb $(i386_mirror) $TW_QEMU_SUITE main" >"$qemu/apt/sources.list"
    local apt_options=(-o "Dir::Etc::SourceList=$qemu/apt/sources.list" -o "Dir::Etc::SourceParts=/dev/null"
        -o "Dir::State::Lists=$qemu/apt/lists" -o "Dir::Cache=$qemu/apt/cache" -o "APT::Architecture=amd64"
        -o "APT::Architectures=amd64" -o "Dir::State::status=/dev/null")
    apt-get "${apt_options[@]}" update >"$log" 2>&1 || i386_step_failed "qemu: apt-get update of $TW_QEMU_SUITE" "$log"
    (cd "$qemu/deb" && apt-get "${apt_options[@]}" download qemu-user >>"$log" 2>&1) ||
        i386_step_failed "qemu: download of qemu-user" "$log"
    dpkg-deb -x "$qemu"/deb/qemu-user_*.deb "$qemu/unpacked" >>"$log" 2>&1 ||
        i386_step_failed "qemu: unpacking qemu-user" "$log"
    [ -x "$qemu/unpacked/usr/bin/qemu-i386" ] || i386_step_failed "qemu: no qemu-i386 in the package" "$log"
    rm -rf "$qemu/apt" "$qemu/deb"
    touch "$qemu/.ready"
}

# Registers our qemu for i386 ELF programs. F opens the interpreter now, so it
# also runs inside the root; P passes the program's own argv[0].
i386_register_binfmt() {
    local binfmt=/proc/sys/fs/binfmt_misc interpreter
    interpreter="$(i386_root_home)/qemu/unpacked/usr/bin/qemu-i386"
    if [ ! -e "$binfmt/register" ]; then
        mount -t binfmt_misc binfmt_misc "$binfmt" 2>/dev/null || i386_step_failed "binfmt_misc: cannot mount $binfmt"
    fi
    if [ -e "$binfmt/tidewell-i386" ]; then
        grep -qxF "interpreter $interpreter" "$binfmt/tidewell-i386" && grep -q '^enabled' "$binfmt/tidewell-i386" && return 0
        echo -1 >"$binfmt/tidewell-i386" || i386_step_failed "binfmt_misc: cannot remove the old tidewell-i386 entry"
    fi
    local magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
    local mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
    printf ':tidewell-i386:M::%s:%s:%s:OPF' "$magic" "$mask" "$interpreter" >"$binfmt/register" ||
        i386_step_failed "binfmt_misc: cannot register $interpreter"
}

# The bookworm i386 system, its second stage already run through qemu.
i386_bootstrap() {
    local home dir log
    home=$(i386_root_home); dir=$(i386_root_dir); log="$home/debootstrap.log"
    [ -f "$dir/.bootstrapped" ] && return 0
    command -v debootstrap >/dev/null || i386_step_failed "root: debootstrap is not installed (package debootstrap)"
    i386_root_unmount
    # A mount left inside (the project bound there) must never be emptied.
    ! grep -qF " $dir/" /proc/self/mounts || i386_step_failed "root: something is still mounted inside $dir"
    rm -rf --one-file-system "$dir"; mkdir -p "$dir"
    echo "Making the 32-bit root in $dir (a few minutes, once)"
    debootstrap --arch=i386 --variant=minbase "$TW_I386_SUITE" "$dir" "$(i386_mirror)" >"$log" 2>&1 ||
        i386_step_failed "root: debootstrap --arch=i386 $TW_I386_SUITE" "$log"
    touch "$dir/.bootstrapped"
}

# Wine and what the tests need inside the root, with the root's own apt
# (locales: the sources of the code-page tests' locales).
i386_install_packages() {
    local home dir log
    home=$(i386_root_home); dir=$(i386_root_dir); log="$home/packages.log"
    [ -f "$dir/.packages" ] && return 0
    cp /etc/resolv.conf "$dir/etc/resolv.conf" 2>/dev/null || true
    i386_chroot apt-get update >"$log" 2>&1 || i386_step_failed "root: apt-get update" "$log"
    i386_chroot env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${TW_I386_PACKAGES[@]}" \
        >>"$log" 2>&1 || i386_step_failed "root: apt-get install ${TW_I386_PACKAGES[*]}" "$log"
    i386_chroot apt-get clean >>"$log" 2>&1 || true
    touch "$dir/.packages"
}

# qemu writes trapno = -1 into the context of every fault; Wine tells an
# access violation from an illegal instruction by trapno. A library preloaded
# into every process of the root puts the number back before Wine looks.
i386_build_trapno_fix() {
    local home dir log
    home=$(i386_root_home); dir=$(i386_root_dir); log="$home/trapno.log"
    local source="$root/scripts/lib/qemu_trapno.c" library=/usr/local/lib/tidewell-trapno.so
    if [ -f "$dir/.trapno" ] && [ "$dir/.trapno" -nt "$source" ]; then return 0; fi
    mkdir -p "$dir/usr/local/src" "$dir/usr/local/lib"
    cp "$source" "$dir/usr/local/src/qemu_trapno.c"
    i386_chroot gcc -O2 -shared -fPIC -o "$library" /usr/local/src/qemu_trapno.c -ldl >"$log" 2>&1 ||
        i386_step_failed "root: building the trapno library" "$log"
    echo "$library" >"$dir/etc/ld.so.preload"
    touch "$dir/.trapno"
}

# The mounts a run needs: /proc, /dev, the X sockets and the project itself,
# at the same paths as outside, so that Z:\ paths are the same in both Wines.
i386_root_mount() {
    local dir
    dir=$(i386_root_dir)
    i386_mount_one proc "$dir/proc" -t proc
    i386_mount_one /dev "$dir/dev" --bind
    i386_mount_one /dev/pts "$dir/dev/pts" --bind
    mkdir -p /tmp/.X11-unix
    i386_mount_one /tmp/.X11-unix "$dir/tmp/.X11-unix" --bind
    i386_mount_one "$root" "$dir$root" --bind
}

i386_mount_one() {
    local source="$1" target="$2"; shift 2
    mountpoint -q "$target" && return 0
    mkdir -p "$target"
    mount "$@" "$source" "$target" || i386_step_failed "mount: $source on $target"
}

# Runs a command in a mount namespace of its own, where i386_root_mount may mount.
i386_in_namespace() {
    unshare --mount --propagation private -- "$@"
}

# Whether this process sees the root mounted (inside a namespace that did it).
i386_root_mounted() {
    mountpoint -q "$(i386_root_dir)/proc" && mountpoint -q "$(i386_root_dir)$root"
}

# Undoes i386_root_mount; nothing mounted is fine.
i386_root_unmount() {
    local dir target
    dir=$(i386_root_dir)
    for target in "$dir$root" "$dir/tmp/.X11-unix" "$dir/dev/pts" "$dir/dev" "$dir/proc"; do
        if mountpoint -q "$target" 2>/dev/null; then umount "$target" 2>/dev/null || umount -l "$target" 2>/dev/null || true; fi
    done
}

# A command inside the root, in the caller's folder when that is visible there.
i386_chroot() {
    local dir cwd=/
    dir=$(i386_root_dir)
    [ -d "$dir$PWD" ] && cwd="$PWD"
    chroot "$dir" /bin/sh -c 'cd "$0" && exec "$@"' "$cwd" "$@"
}

# Everything above, once: the folder ends up ready to run 32-bit Wine.
# Call it inside i386_in_namespace: the mounts stay with the namespace.
i386_root_ensure() {
    [ "$(id -u)" -eq 0 ] || tw_die "the 32-bit environment needs root (chroot, mounts, binfmt_misc); run as root or use --x86_64"
    command -v dpkg-deb >/dev/null || i386_step_failed "qemu: dpkg-deb is not installed"
    i386_fetch_qemu
    i386_register_binfmt
    i386_bootstrap
    i386_root_mount
    i386_install_packages
    i386_build_trapno_fix
}
