#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, then builds and runs the whole test suite twice:
# a normal build, and a build with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
jobs="$(nproc 2>/dev/null || echo 2)"
"$root/scripts/install-deps.sh"

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

echo "== Normal build"
BUILD_DIR="$root/build" "$root/scripts/build.sh" -DCMAKE_BUILD_TYPE=RelWithDebInfo
ctest --test-dir "$root/build" --output-on-failure -j"$jobs"

echo "== Sanitizer build (AddressSanitizer, UndefinedBehaviorSanitizer)"
BUILD_DIR="$root/build-sanitize" "$root/scripts/build.sh" -DCMAKE_BUILD_TYPE=Debug -DQUORVIA_SANITIZE=ON
ctest --test-dir "$root/build-sanitize" --output-on-failure -j"$jobs"

# The Debian package as users get it: a hardened Release build, then checked
# (file list, hardening, debug symbols, copyright, manual pages, lintian).
# QUORVIA_SKIP_PACKAGE=1 leaves it out of a quick local run.
if [ "${QUORVIA_SKIP_PACKAGE:-0}" != 1 ]; then
    echo "== Debian package (scripts/package.sh --check)"
    "$root/scripts/package.sh" --check
fi
