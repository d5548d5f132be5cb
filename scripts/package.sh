#!/usr/bin/env bash
# Installs what is missing, builds, and makes the Debian package
# (BUILD_DIR/package/quorvia_VERSION_ARCH.deb). Extra arguments go to CMake's
# configure step.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build_dir="${BUILD_DIR:-$root/build}"
"$root/scripts/install-deps.sh"
BUILD_DIR="$build_dir" "$root/scripts/build.sh" "$@" >/dev/null
cd "$build_dir"
cpack -G DEB
