#!/usr/bin/env bash
# Cross-builds the viewer for another Debian architecture with Debian's cross compiler, against a
# sysroot of that architecture's own Debian packages, into build/cross/ARCH/: the program, its unit
# tests, its Debian package and RPM, and a launcher that runs the program here under qemu-user. The
# last two lines printed are the packages' paths.
#   scripts/cross.sh arm64            build and package
#   scripts/cross.sh arm64 --test     the same, then run the unit tests under emulation
set -euo pipefail
# shellcheck source=common.sh
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

arch=${1:-} mode=${2:-}
# Debian's name for an architecture: its GNU triple, the processor as uname -m names it, qemu-user's
# program for it and RPM's name for it.
case $arch in
arm64) triple=aarch64-linux-gnu processor=aarch64 qemu=qemu-aarch64 rpm_arch=aarch64 ;;
*) die "unknown architecture '$arch' (try arm64)" ;;
esac
case $mode in '' | --test) ;; *) die "unknown option '$mode' (try --test)" ;; esac
[ $# -le 2 ] || die "too many arguments"

# The libraries the program and its unit tests are built against, and Mesa's drivers to run it.
SYSROOT_PACKAGES=(libc6-dev libstdc++-12-dev libglut-dev libgl-dev libglu1-mesa-dev libgl1-mesa-dri libglx-mesa0
                  libgtest-dev "${RPM_PROGRAM_PACKAGES[@]}")

ensure_packages "${BUILD_PACKAGES[@]}" "crossbuild-essential-$arch" qemu-user dpkg-dev rpm
cross=$BUILD_DIR/cross/$arch
sysroot=$cross/sysroot
unpacked=$cross/packages # each package in a tree of its own, control files too, for dpkg-shlibdeps

# The sysroot, made once per build folder from Debian's packages for the architecture, fetched with
# apt's own client through a private configuration: dpkg's list of architectures and /etc/apt stay
# as they are, and an empty list of installed packages makes apt fetch every dependency.
make_sysroot() {
    [ "$(cat "$sysroot/.complete" 2>/dev/null)" = "${SYSROOT_PACKAGES[*]}" ] && return 0
    say "fetching Debian's $arch packages for the sysroot (a private apt configuration in $cross/apt)"
    rm -rf "$sysroot" "$unpacked" "$cross/apt/cache"
    mkdir -p "$sysroot" "$unpacked" "$cross/apt"
    : >"$cross/apt/status"
    private_apt "$cross/apt" deb -o "APT::Architecture=$arch" -o "APT::Architectures::=$arch" \
        -o "Dir::State::status=$cross/apt/status"
    apt-get "${APT_OPTIONS[@]}" -qq -y --no-install-recommends --download-only install "${SYSROOT_PACKAGES[@]}" \
        >/dev/null || die "fetching the $arch packages failed"
    say "unpacking them into $sysroot"
    local deb name
    for deb in "$cross"/apt/cache/archives/*.deb; do
        name=$(dpkg-deb --field "$deb" Package)
        dpkg-deb --raw-extract "$deb" "$unpacked/$name"
        tar -C "$unpacked/$name" --exclude=./DEBIAN -cf - . | tar -C "$sysroot" -xf -
    done
    # Links such as usr/lib/<triple>/libm.so name their targets from the root: within the sysroot.
    find "$sysroot" -type l -lname '/*' -print0 | while IFS= read -r -d '' link; do
        ln -sfnr "$sysroot$(readlink "$link")" "$link"
    done
    echo "${SYSROOT_PACKAGES[*]}" >"$sysroot/.complete" # what it holds: a new list makes it anew
}

make_sysroot
build=$cross/build
# pkg-config must see only the sysroot's packages, never the host's.
export PKG_CONFIG_LIBDIR=$sysroot/usr/lib/$triple/pkgconfig:$sysroot/usr/share/pkgconfig PKG_CONFIG_SYSROOT_DIR=$sysroot
# dpkg-shlibdeps reads the libraries' symbols files from their packages' trees.
shlibdeps_dirs=$(find "$unpacked" -path "*/lib/$triple" -type d | sort | paste -sd ';')
say "cross-building the viewer for $arch in $build"
cmake -S "$ROOT" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/debian-cross.cmake" -DCMAKE_BUILD_TYPE=Release \
    -DCROSS_TRIPLE="$triple" -DCROSS_PROCESSOR="$processor" -DCMAKE_SYSROOT="$sysroot" \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$qemu;-L;$sysroot" \
    -DCPACK_DEBIAN_PACKAGE_ARCHITECTURE="$arch" -DCPACK_RPM_PACKAGE_ARCHITECTURE="$rpm_arch" \
    -DCPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS="$shlibdeps_dirs" >/dev/null || die "configuring the $arch build failed"
cmake --build "$build" --parallel "$(nproc)" --target sierpinski-viewer unit_tests >/dev/null ||
    die "building for $arch failed"

# What runs a program of the architecture here (qemu-user, with the sysroot's libraries), and the
# viewer of this build run so, for the tests and the benchmark; their arguments go to the program.
cat >"$cross/run" <<SCRIPT
#!/usr/bin/env bash
# Runs an $arch program here under qemu-user, with the libraries of its sysroot.
exec $qemu -L $(printf %q "$sysroot") "\$@"
SCRIPT
cat >"$cross/sierpinski-viewer-$arch" <<SCRIPT
#!/usr/bin/env bash
# The $arch viewer of $(printf %q "$build") under qemu-user.
exec $(printf %q "$cross/run") $(printf %q "$build/sierpinski-viewer") "\$@"
SCRIPT
chmod +x "$cross/run" "$cross/sierpinski-viewer-$arch"

if [ "$mode" = --test ]; then
    say "running the $arch unit tests under $qemu"
    ctest --test-dir "$build" -L '^unit$' --output-on-failure --parallel "$(nproc)" || die "the $arch unit tests failed"
fi
deb=$(BUILD_DIR=$build PACKAGE_DIR=$cross/package "$ROOT/scripts/package.sh" deb | tail -1)
rpm=$(BUILD_DIR=$build PACKAGE_DIR=$cross/package "$ROOT/scripts/package.sh" rpm | tail -1)
say "built the $arch packages:"
echo "$deb"
echo "$rpm"
