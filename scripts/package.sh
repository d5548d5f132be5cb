#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
#
# Builds the Debian packages quorvia and quorvia-dbgsym in a folder of their
# own (BUILD_DIR, default build-package/) with fixed settings: Release, Debian's
# hardening flags, no sanitizers, no tests or benchmarks. The build is
# reproducible: file times come from SOURCE_DATE_EPOCH (default: the date of
# the latest entry in packaging/changelog) and no path of the build machine
# reaches the binaries, so two builds in different folders give the same bytes.
#
#   scripts/package.sh                  build the packages
#   scripts/package.sh --check          ... then check them (scripts/check-package.sh)
#   scripts/package.sh --reproducible   ... then build again in BUILD_DIR-again and compare
#
# DEBFULLNAME and DEBEMAIL, when set, name the maintainer (as for Debian's own tools).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build_dir="${BUILD_DIR:-$root/build-package}"
jobs="$(nproc 2>/dev/null || echo 2)"

check=0
reproducible=0
for arg in "$@"; do
    case "$arg" in
        --check) check=1 ;;
        --reproducible) reproducible=1 ;;
        *) echo "package.sh: unknown option \"$arg\" (use --check or --reproducible)" >&2; exit 2 ;;
    esac
done

step() { printf '\n== %s\n' "$*"; }

step "Installing what the build needs"
if [ "$check" -eq 1 ]; then
    # lintian and hardening-check (devscripts) are needed only to check.
    "$root/scripts/install-deps.sh" lintian devscripts
else
    "$root/scripts/install-deps.sh"
fi

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
    SOURCE_DATE_EPOCH="$(dpkg-parsechangelog -l "$root/packaging/changelog" -STimestamp)"
fi
export SOURCE_DATE_EPOCH
# Files and archives sort the same way on every machine.
export LC_ALL=C.UTF-8 TZ=UTC
umask 022

# The control-flow protection the processor offers.
branch_protection() {
    case "$(dpkg-architecture -qDEB_HOST_ARCH_CPU)" in
        amd64 | i386) echo -fcf-protection ;;
        arm64) echo -mbranch-protection=standard ;;
        *) echo -fstack-protector-strong ;;  # already given: nothing more
    esac
}

# build_package FOLDER: configures, builds and packs in FOLDER; prints nothing
# but progress.
build_package() {
    local dir="$1"
    mkdir -p "$dir"
    dir="$(cd "$dir" && pwd)"
    # dpkg-buildflags maps the folder it runs in (the sources) to "."; the build
    # folder gets a fixed name of its own, so its place leaves no trace.
    local cppflags cxxflags ldflags
    cppflags="$(cd "$root" && DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get CPPFLAGS)"
    cxxflags="$(cd "$root" && DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get CXXFLAGS)"
    ldflags="$(cd "$root" && DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get LDFLAGS)"
    # The two protections that later dpkg releases add to hardening=+all:
    # stack clash protection and control-flow protection (hardening-check
    # asks for both).
    local extra
    for extra in -fstack-clash-protection "$(branch_protection)"; do
        case " $cxxflags " in *" $extra "*) ;; *) cxxflags="$cxxflags $extra" ;; esac
    done
    cxxflags="$cxxflags -ffile-prefix-map=$dir=build"

    local launcher=()
    if command -v ccache >/dev/null; then
        launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    fi
    local maintainer=()
    if [ -n "${DEBFULLNAME:-}" ] && [ -n "${DEBEMAIL:-}" ]; then
        maintainer=(-DQUORVIA_MAINTAINER="$DEBFULLNAME <$DEBEMAIL>")
    fi

    step "Configuring in $dir (Release, hardened, SOURCE_DATE_EPOCH=$SOURCE_DATE_EPOCH)"
    cmake -S "$root" -B "$dir" \
        -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_CXX_FLAGS="$cppflags $cxxflags" \
        -DCMAKE_EXE_LINKER_FLAGS="$ldflags" \
        -DQUORVIA_SANITIZE=OFF -DQUORVIA_WERROR=OFF \
        -DQUORVIA_BUILD_TESTS=OFF -DQUORVIA_BUILD_BENCHMARKS=OFF \
        "${launcher[@]}" "${maintainer[@]}" >/dev/null

    step "Building"
    # ccache must not turn the absolute paths into relative ones: the prefix
    # maps above work on absolute paths.
    env -u CCACHE_BASEDIR cmake --build "$dir" -j"$jobs"

    step "Packing"
    rm -rf "$dir/package"
    (cd "$dir" && cpack -G DEB -D CPACK_DEBIAN_COMPRESSION_TYPE=xz >/dev/null)
}

build_package "$build_dir"
packages=("$build_dir"/package/quorvia_*.deb "$build_dir"/package/quorvia-dbgsym_*.ddeb)
step "Packages"
ls -l "${packages[@]}"

if [ "$reproducible" -eq 1 ]; then
    again="$build_dir-again"
    build_package "$again"
    step "Comparing the two builds"
    same=1
    for package in "${packages[@]}"; do
        other="$again/package/$(basename "$package")"
        if cmp -s "$package" "$other"; then
            echo "identical: $(basename "$package")"
        else
            echo "DIFFERENT: $package and $other" >&2
            same=0
        fi
    done
    [ "$same" -eq 1 ] || exit 1
fi

if [ "$check" -eq 1 ]; then
    "$root/scripts/check-package.sh" "${packages[@]}"
fi
